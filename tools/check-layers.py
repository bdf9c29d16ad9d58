#!/usr/bin/env python3
"""Fails when a source file includes a folder above its own layer.

Each folder is a library; tools/layers.txt lists them from the bottom up. A file may
include its own folder and any folder listed below it, nothing above. Folders
under platform/ are one layer (stand-ins may call each other). tests/, bench/
and tools/ stand outside the layers and may include anything.
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


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    problems = check(top)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) break the layering")
        return 1
    print("layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
