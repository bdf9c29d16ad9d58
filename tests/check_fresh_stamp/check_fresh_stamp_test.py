#!/usr/bin/env python3
"""Runs tools/check-fresh-stamp.py on small trees whose stamp was written
with --sums as tools/fresh-machine.sh writes it, then changed: it must pass
while the files it covers are as stamped, and otherwise fail naming each
change and tools/fresh-machine.sh.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CHECK = os.path.join(TOP, "tools", "check-fresh-stamp.py")

FILES = {
    "Makefile": "test:\n\tctest\n",
    "README.md": "tools/install-deps.sh && make test\n",
    "tools/install-deps.sh": "#!/bin/sh\napt-get install $(cat deps.d/*)\n",
    "tools/deps.d/base.txt": "cmake ninja-build\n",
    "tools/deps.d/fresh.txt": "debootstrap\n",
    "tools/other.sh": "echo not covered\n",
}


def run(root, *args, env=None):
    full = dict(os.environ)
    full.pop("TESSEL_FRESH_STAMP", None)
    full.update(env or {})
    return subprocess.run([sys.executable, CHECK, *args, root], capture_output=True, text=True, env=full)


class CheckFreshStamp(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.root)
        for name, text in FILES.items():
            self.write(name, text)

    def path(self, name):
        return os.path.join(self.root, name)

    def write(self, name, text):
        os.makedirs(os.path.dirname(self.path(name)), exist_ok=True)
        with open(self.path(name), "w") as f:
            f.write(text)

    def stamp(self, passed="yes", name="tools/fresh-machine.stamp", head="date 2026-12-11 17:00 UTC\nwall 9m12s\n"):
        sums = run(self.root, "--sums")
        self.assertEqual(0, sums.returncode, sums.stderr)
        self.write(name, "# a comment\n" + head + "passed %s\ncommit 0123abc\n" % passed + sums.stdout)
        return sums.stdout

    def test_sums_cover_the_inputs_only(self):
        listed = [line.split(" ", 2)[2] for line in self.stamp().splitlines()]
        self.assertEqual(["Makefile", "README.md", "tools/deps.d/base.txt", "tools/deps.d/fresh.txt",
                          "tools/install-deps.sh"], listed)

    def test_changes_after_the_stamp(self):
        def edit(name, text):
            return lambda: self.write(name, text)

        # (what happens after the stamp was written, what the check names; none: it passes)
        cases = [
            ("nothing", lambda: None, []),
            ("a file it does not cover", edit("tools/other.sh", "echo changed\n"), []),
            ("the same bytes written again", edit("Makefile", FILES["Makefile"]), []),
            ("the Makefile", edit("Makefile", "test:\n\tctest -j2\n"), ["Makefile changed"]),
            ("the README", edit("README.md", "make test\n"), ["README.md changed"]),
            ("install-deps.sh", edit("tools/install-deps.sh", "#!/bin/sh\n"), ["tools/install-deps.sh changed"]),
            ("a deps list", edit("tools/deps.d/base.txt", "cmake\n"), ["tools/deps.d/base.txt changed"]),
            ("a new deps list", edit("tools/deps.d/new.txt", "squid\n"), ["tools/deps.d/new.txt is new"]),
            ("a deps list removed", lambda: os.remove(self.path("tools/deps.d/fresh.txt")),
             ["tools/deps.d/fresh.txt is gone"]),
            ("the stamp removed", lambda: os.remove(self.path("tools/fresh-machine.stamp")), ["there is no stamp"]),
        ]
        for what, change, named in cases:
            with self.subTest(what=what):
                self.setUp()
                self.stamp()
                change()
                out = run(self.root)
                self.assertEqual(1 if named else 0, out.returncode, out.stdout + out.stderr)
                for text in named:
                    self.assertIn(text, out.stdout)
                if named:
                    self.assertIn("tools/fresh-machine.sh", out.stdout)
                else:
                    self.assertEqual("", out.stdout)

    def test_a_stamp_must_say_it_passed_and_when(self):
        # (passed, the lines before it, whether the check passes)
        cases = [
            ("yes", "date 2026-12-11 17:00 UTC\nwall 9m12s\n", True),
            ("no", "date 2026-12-11 17:00 UTC\nwall 9m12s\n", False),
            ("running", "date 2026-12-11 17:00 UTC\nwall running\n", False),
            ("yes", "wall 9m12s\n", False),
            ("yes", "date 2026-12-11 17:00 UTC\n", False),
        ]
        for passed, head, good in cases:
            with self.subTest(passed=passed, head=head):
                self.stamp(passed, head=head)
                out = run(self.root)
                self.assertEqual(0 if good else 1, out.returncode, out.stdout)

    def test_the_run_under_way_checks_its_own_stamp(self):
        # The committed stamp is stale; the run's own, named by the
        # environment, stands for the files as they are while it says running.
        self.stamp()
        self.write("Makefile", "test:\n\tctest -j2\n")
        self.stamp("running", name="run/fresh-machine.stamp", head="date 2026-12-11 17:00 UTC\nwall running\n")
        own = {"TESSEL_FRESH_STAMP": self.path("run/fresh-machine.stamp")}
        self.assertEqual(1, run(self.root).returncode)
        out = run(self.root, env=own)
        self.assertEqual(0, out.returncode, out.stdout)
        self.write("tools/deps.d/base.txt", "cmake\n")
        out = run(self.root, env=own)
        self.assertEqual(1, out.returncode)
        self.assertIn("tools/deps.d/base.txt changed", out.stdout)


if __name__ == "__main__":
    unittest.main()
