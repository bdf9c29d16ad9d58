#!/usr/bin/env python3
"""Runs the top-level Makefile in a scratch folder with stand-ins for cmake
and the package installer, and checks what a newcomer meets: plain `make`
builds, and `make run` after a good build exits 0 whether or not the tessel
program is among what was built.

Usage: makefile_test.py SOURCE_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

FAKE_CMAKE = """#!/bin/sh
echo "cmake $*" >> "$LOG"
if [ "$1" = "--build" ]; then mkdir -p "$2/bin" && touch "$2/bin/test_core"; fi
exit 0
"""
FAKE_TESSEL = """#!/bin/sh
echo "tessel ran with: $*"
"""
# make run goes through the demo script, given the build folder first.
FAKE_RUN_DEMO = """#!/bin/sh
echo "demo of $1"
build=$1
shift
exec "$build/bin/tessel" "$@"
"""


def write(path, text):
    with open(path, "w") as out:
        out.write(text)
    os.chmod(path, 0o755)


def main(source):
    ok = True
    with tempfile.TemporaryDirectory() as scratch:
        work = os.path.join(scratch, "tree")
        fakes = os.path.join(scratch, "fakes")
        os.makedirs(os.path.join(work, "tools"))
        os.makedirs(fakes)
        shutil.copy(os.path.join(source, "Makefile"), work)
        write(os.path.join(work, "tools", "install-deps.sh"), "#!/bin/sh\nexit 0\n")
        write(os.path.join(work, "tools", "run-demo.sh"), FAKE_RUN_DEMO)
        write(os.path.join(fakes, "cmake"), FAKE_CMAKE)
        log = os.path.join(scratch, "cmake.log")
        env = dict(os.environ, PATH=fakes + ":" + os.environ.get("PATH", ""), LOG=log)

        def make(*args):
            if os.path.exists(log):
                os.unlink(log)
            run = subprocess.run(["make", "--no-print-directory", *args], cwd=work, env=env,
                                 capture_output=True, text=True, timeout=60)
            calls = open(log).read() if os.path.exists(log) else ""
            return run.returncode, run.stdout + run.stderr, calls

        def expect(what, fact, detail):
            nonlocal ok
            if not fact:
                ok = False
                print("FAIL %s\n%s" % (what, detail))
            else:
                print("ok   %s" % what)

        status, output, calls = make()
        expect("plain make configures and builds", status == 0 and "cmake --build build" in calls,
               "status %d\n%s\ncmake calls:\n%s" % (status, output, calls))
        status, output, calls = make("run")
        expect("make run without a tessel program exits 0 and lists what was built",
               status == 0 and "test_core" in output, "status %d\n%s" % (status, output))
        write(os.path.join(work, "build", "bin", "tessel"), FAKE_TESSEL)
        status, output, calls = make("run", "ARGS=--tty")
        expect("make run starts tessel through the demo script with ARGS",
               status == 0 and "demo of build" in output and "tessel ran with: --tty" in output,
               "status %d\n%s" % (status, output))
    return 0 if ok else 1


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
