#!/usr/bin/env python3
"""Fails on every C++ source of the tree that .clang-format would change.

usage: check-format.py SOURCE_DIR [--fix]

The files are git's (tracked and new, not ignored) when the tree is a clone,
else every .h/.cpp under the source folders. Without clang-format the check is skipped (exit 77), except
under CI=true, where a missing tool is a failure.
"""
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys

SOURCE_FOLDERS = ("bench", "engine", "platform", "shell", "tests", "tools", "ui")
SKIP = 77


def find_clang_format():
    # The style is pinned to one major version: another one lays out some lines differently.
    for name in ("clang-format-14", "clang-format"):
        path = shutil.which(name)
        if path:
            out = subprocess.run([path, "--version"], capture_output=True, text=True).stdout
            if "version 14." in out:
                return path
    return None


def sources(root):
    if os.path.isdir(os.path.join(root, ".git")):
        # Tracked and new files as they are in the working tree; a deleted one is gone.
        out = subprocess.run(["git", "-C", root, "ls-files", "--cached", "--others", "--exclude-standard",
                              "--", "*.h", "*.cpp"], capture_output=True, text=True, check=True).stdout
        names = [n for n in set(out.splitlines())
                 if n.split("/", 1)[0] in SOURCE_FOLDERS and os.path.isfile(os.path.join(root, n))]
    else:
        names = []
        for folder in SOURCE_FOLDERS:
            for dirpath, dirnames, filenames in os.walk(os.path.join(root, folder)):
                dirnames[:] = [d for d in dirnames if not d.startswith(("build", "."))]
                names += [os.path.relpath(os.path.join(dirpath, f), root)
                          for f in filenames if f.endswith((".h", ".cpp"))]
    return sorted(names)


def differing(tool, root, names):
    """The names in one batch that clang-format would change."""
    out = subprocess.run([tool, "--dry-run", "--style=file"] + [os.path.join(root, n) for n in names],
                         capture_output=True, text=True, cwd=root)
    flagged = set()
    for line in out.stderr.splitlines():
        m = re.match(r"(.+?):\d+:\d+: (warning|error): code should be clang-formatted", line)
        if m:
            flagged.add(os.path.relpath(os.path.abspath(os.path.join(root, m.group(1))), root))
    if out.returncode != 0 and not flagged:
        raise RuntimeError(out.stderr.strip() or f"{tool} exited with {out.returncode}")
    return [n for n in names if n in flagged]


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root = os.path.abspath(sys.argv[1])
    fix = "--fix" in sys.argv[2:]
    tool = find_clang_format()
    if tool is None:
        if os.environ.get("CI") == "true":
            print("check-format: clang-format 14 is not installed (CI=true)", file=sys.stderr)
            return 1
        print("check-format: clang-format 14 is not installed: skipped")
        return SKIP
    names = sources(root)
    batches = [names[i:i + 50] for i in range(0, len(names), 50)]
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        bad = [n for found in pool.map(lambda b: differing(tool, root, b), batches) for n in found]
    if fix and bad:
        subprocess.run([tool, "-i", "--style=file"] + [os.path.join(root, n) for n in bad], check=True)
        print(f"check-format: reformatted {len(bad)} file(s)")
        return 0
    for name in bad:
        print(f"{name}: differs from .clang-format (tools/check-format.py {root} --fix)")
    print(f"check-format: {len(names)} files, {len(bad)} differ")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
