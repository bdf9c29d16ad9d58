#!/usr/bin/env python3
"""Fails when a source file includes a folder above its own layer.

Each folder is a library; tools/layers.txt lists them from the bottom up. A file may
include its own folder and any folder listed below it, nothing above. Folders
under platform/ are one layer (stand-ins may call each other). tests/, bench/
and tools/ stand outside the layers and may include anything.

The README's layout lists the same libraries from the top down: every layer
but platform once, in the reverse order of tools/layers.txt, and no folder
that is not in the tree.
"""
import os
import re
import sys

LAYERS_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "layers.txt")
with open(LAYERS_FILE, encoding="utf-8") as _f:
    LAYERS = [line.strip() for line in _f if line.strip() and not line.startswith("#")]
CHECKED_ROOTS = ("engine", "platform", "ui", "shell")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE = re.compile(r"\.(h|hpp|cpp|cc)$")


def layer_of(path):
    """The longest LAYERS entry that is a prefix folder of path, or None."""
    folder = os.path.dirname(path)
    best = None
    for index, layer in enumerate(LAYERS):
        if folder == layer or folder.startswith(layer + "/"):
            if best is None or len(layer) > len(LAYERS[best]):
                best = index
    return best


def check(top):
    problems = []
    for root in CHECKED_ROOTS:
        for dirpath, _, names in os.walk(os.path.join(top, root)):
            for name in names:
                if not SOURCE.search(name):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), top)
                own = layer_of(path)
                if own is None:
                    problems.append(f"{path}: its folder is in no layer (add it to tools/layers.txt)")
                    continue
                with open(os.path.join(top, path), encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m or not m.group(1).startswith(CHECKED_ROOTS):
                            continue
                        target = layer_of(m.group(1))
                        if target is None:
                            problems.append(f"{path}:{number}: includes {m.group(1)}, in no layer")
                        elif target > own:
                            problems.append(f"{path}:{number}: {LAYERS[own]} includes {m.group(1)}, "
                                            f"from the layer above it ({LAYERS[target]})")
    return problems


# A layout row: a folder at the left margin of the block, or two spaces in for
# a folder under the row above it ("  client/program/" under "engine/client/").
LAYOUT_ROW = re.compile(r"^    (  )?([A-Za-z<][^ ]*/)(\s|$)")


def readme_layout(top):
    """The folders that the README's layout block lists, in its order."""
    rows = []
    parent = ""
    inside = False
    with open(os.path.join(top, "README.md"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("## "):
                inside = line.strip() == "## Layout"
                continue
            m = LAYOUT_ROW.match(line) if inside else None
            if not m:
                continue
            folder = m.group(2).rstrip("/")
            if m.group(1):
                head = folder.split("/")[0] + "/"
                at = (parent + "/").find(head)
                folder = (parent + "/")[:at] + folder if at >= 0 else folder
            else:
                parent = folder
            rows.append(folder)
    return rows


def check_readme(top):
    problems = []
    rows = readme_layout(top)
    if not rows:
        return ["README.md: no layout block under '## Layout'"]
    for folder in rows:
        if "<" not in folder and not os.path.isdir(os.path.join(top, folder)):
            problems.append(f"README.md: the layout lists {folder}/, which is not in the tree")
    wanted = [layer for layer in reversed(LAYERS) if layer != "platform"]
    listed = [folder for folder in rows if folder in wanted]
    for layer in wanted:
        if layer not in listed:
            problems.append(f"README.md: the layout leaves out {layer}/")
    kept = [layer for layer in wanted if layer in listed]
    if listed != kept:
        problems.append("README.md: the layout lists the layers out of their order (top down: "
                        + ", ".join(kept) + ")")
    return problems


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    problems = check(top)
    readme = check_readme(top)
    for p in problems + readme:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) break the layering")
    if problems or readme:
        return 1
    print("layers: every include points down; the README's layout lists them in order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
