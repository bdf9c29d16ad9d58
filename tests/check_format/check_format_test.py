#!/usr/bin/env python3
"""Runs tools/check-format.py on small trees, with and without git, and
expects it to name each file laid out otherwise than .clang-format says, to
pass a tree without one, and to mend the files it names with --fix.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CHECK = os.path.join(TOP, "tools", "check-format.py")
SKIP = 77

GOOD = "int twice(int x)\n{\n    return 2 * x;\n}\n"
BAD = "int twice(int x) { return 2*x; }\n"


def run(root, *args):
    return subprocess.run([sys.executable, CHECK, root, *args], capture_output=True, text=True)


class CheckFormat(unittest.TestCase):
    def setUp(self):
        self.new_tree()
        if run(self.root).returncode == SKIP:
            self.skipTest("clang-format 14 is not installed")

    def new_tree(self):
        self.root = tempfile.mkdtemp()
        shutil.copy(os.path.join(TOP, ".clang-format"), self.root)
        self.addCleanup(shutil.rmtree, self.root)

    def write(self, name, text):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)

    def git(self, *args):
        subprocess.run(["git", "-C", self.root, *args], check=True, capture_output=True)

    def test_each_tree(self):
        # (tree as git sees it or as plain files, files written, files the check must name)
        cases = [
            ("plain", {"engine/a.cpp": GOOD, "ui/b.h": GOOD}, []),
            ("plain", {"engine/a.cpp": GOOD, "ui/b.h": BAD, "tests/c.cpp": BAD}, ["tests/c.cpp", "ui/b.h"]),
            ("plain", {"build/x.cpp": BAD, "docs/y.cpp": BAD, "engine/a.cpp": GOOD}, []),
            ("git", {"engine/a.cpp": GOOD, "engine/new.cpp": BAD}, ["engine/new.cpp"]),
            ("git", {"engine/gone.cpp": None, "engine/a.cpp": GOOD}, []),
        ]
        for kind, files, named in cases:
            with self.subTest(kind=kind, files=sorted(files)):
                self.new_tree()
                if kind == "git":
                    self.git("init", "-q")
                    self.write("engine/gone.cpp", GOOD)
                    self.git("add", ".")
                for name, text in files.items():
                    if text is None:
                        os.remove(os.path.join(self.root, name))
                    else:
                        self.write(name, text)
                out = run(self.root)
                self.assertEqual(1 if named else 0, out.returncode, out.stdout + out.stderr)
                listed = sorted(line.split(":", 1)[0] for line in out.stdout.splitlines() if ": differs" in line)
                self.assertEqual(named, listed)

    def test_fix_mends_what_it_names(self):
        self.write("engine/a.cpp", BAD)
        self.assertEqual(0, run(self.root, "--fix").returncode)
        with open(os.path.join(self.root, "engine/a.cpp")) as f:
            self.assertEqual(GOOD, f.read())
        self.assertEqual(0, run(self.root).returncode)


if __name__ == "__main__":
    unittest.main()
