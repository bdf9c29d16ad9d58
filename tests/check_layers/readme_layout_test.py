#!/usr/bin/env python3
"""Runs tools/check-layers.py's README check on a copy of the README with one
fault planted at a time, over a tree holding every layer's folder, and
expects it to name the fault, or to pass the README as it is.
"""
import importlib.util
import os
import shutil
import tempfile
import unittest

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
_spec = importlib.util.spec_from_file_location("check_layers", os.path.join(TOP, "tools", "check-layers.py"))
check_layers = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(check_layers)


def drop_row(text, start):
    return "\n".join(line for line in text.split("\n") if not line.startswith(start))


def swap_rows(text, first, second):
    return text.replace(first, "\0").replace(second, first).replace("\0", second)


# (what is planted, how the README changes, a text the report must contain)
CASES = [
    ("nothing", lambda text: text, None),
    ("a layer left out", lambda text: drop_row(text, "    engine/records/"),
     "the layout leaves out engine/records/"),
    ("a sub-folder left out", lambda text: drop_row(text, "      messaging/push/"),
     "the layout leaves out engine/messaging/push/"),
    ("a folder not in the tree", lambda text: text.replace("    engine/access/ ", "    engine/acess/  "),
     "the layout lists engine/acess/, which is not in the tree"),
    ("two layers swapped",
     lambda text: swap_rows(text, "      messaging/inbound/ ", "      messaging/premium/ "),
     "out of their order"),
    ("no layout block", lambda text: text.replace("## Layout", "## Folders"), "no layout block"),
]


class ReadmeLayoutTest(unittest.TestCase):
    def setUp(self):
        self.tree = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.tree)
        with open(os.path.join(TOP, "README.md"), encoding="utf-8") as f:
            self.readme = f.read()
        # Every folder the real README names, so that only the planted fault differs.
        for folder in check_layers.readme_layout(TOP):
            if "<" not in folder:
                os.makedirs(os.path.join(self.tree, folder), exist_ok=True)

    def test_each_planted_fault_is_named(self):
        for what, plant, expected in CASES:
            with self.subTest(what):
                with open(os.path.join(self.tree, "README.md"), "w", encoding="utf-8") as f:
                    f.write(plant(self.readme))
                problems = check_layers.check_readme(self.tree)
                if expected is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertTrue(any(expected in p for p in problems), problems)


if __name__ == "__main__":
    unittest.main()
