#!/usr/bin/env python3
"""Runs a test program's tshark oracle tests with tshark missing or broken
and checks the verdict: skipped only when tshark is not installed and CI is
not "true"; failed when CI=true, and failed everywhere when the tshark
found first on PATH does not work.

Usage: oracle_verdicts_test.py TEST_PROGRAM
"""
import os
import re
import subprocess
import sys
import tempfile

FILTER = "*Tshark*"


def run(program, path, ci):
    env = dict(os.environ, PATH=path, TESSEL_TEST_PYTHON=sys.executable)
    env.pop("CI", None)
    if ci:
        env["CI"] = "true"
    done = subprocess.run([program, "--gtest_filter=" + FILTER], env=env, capture_output=True,
                          text=True, timeout=600)
    counts = {}
    for kind in ("PASSED", "SKIPPED", "FAILED"):
        found = re.search(r"^\[  %s  ?\] (\d+) tests?" % kind, done.stdout, re.M)
        counts[kind] = int(found.group(1)) if found else 0
    return counts, done.stdout


def main(program):
    listed = subprocess.run([program, "--gtest_list_tests", "--gtest_filter=" + FILTER],
                            capture_output=True, text=True, timeout=60).stdout
    total = sum(1 for line in listed.splitlines() if line.startswith("  "))
    if total == 0:
        print("no tests match " + FILTER)
        return 1
    ok = True
    with tempfile.TemporaryDirectory() as scratch:
        empty = os.path.join(scratch, "empty")
        broken = os.path.join(scratch, "broken")
        os.mkdir(empty)
        os.mkdir(broken)
        fake = os.path.join(broken, "tshark")
        with open(fake, "w") as out:
            out.write("#!/bin/sh\necho 'tshark: cannot start' >&2\nexit 1\n")
        os.chmod(fake, 0o755)
        cases = [
            ("tshark missing", empty, False, "SKIPPED"),
            ("tshark missing, CI=true", empty, True, "FAILED"),
            ("tshark broken", broken + ":" + os.environ.get("PATH", ""), False, "FAILED"),
            ("tshark broken, CI=true", broken + ":" + os.environ.get("PATH", ""), True, "FAILED"),
        ]
        for what, path, ci, expected in cases:
            counts, output = run(program, path, ci)
            if counts[expected] != total:
                ok = False
                print("%s: expected %d %s, got %s\n%s" % (what, total, expected, counts, output[-3000:]))
            else:
                print("%s: %d %s" % (what, total, expected))
    return 0 if ok else 1


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
