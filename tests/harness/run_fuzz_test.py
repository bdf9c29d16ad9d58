#!/usr/bin/env python3
"""Runs tools/run-fuzz.sh over stand-in fuzz targets (shell scripts that act
like libFuzzer) and checks what it promises: a crash is reported whole with
its input in hex and its input kept, each target gets its own -max_len, and
the corpus a run grows is there for the next run.

Usage: run_fuzz_test.py SOURCE_DIR
"""
import os
import subprocess
import sys
import tempfile

# Prints its arguments, counts what its corpus folder (the first folder
# argument) held, adds one unit to it, and prints libFuzzer's final stats.
FINE = """#!/bin/sh
echo "args: $*"
for a in "$@"; do case $a in -*) ;; *) dir=$a; break;; esac; done
echo "corpus held: $(ls "$dir" | wc -l)"
echo unit > "$dir/unit-$$"
echo "#4242 DONE cov: 77 ft: 99 corp: 3/30b exec/s: 10 rss: 30Mb"
echo "stat::number_of_executed_units: 4242"
"""
# Writes its input where -artifact_prefix says and reports a long crash.
CRASHY = """#!/bin/sh
for a in "$@"; do case $a in -artifact_prefix=*) prefix=${a#-artifact_prefix=};; esac; done
printf 'AB\\001\\377' > "${prefix}crash-1234"
echo "==1==ERROR: AddressSanitizer: heap-buffer-overflow on address 0x1"
i=0; while [ $i -lt 30 ]; do echo "    #$i 0x$i in frame_$i /src/file.cpp:$i"; i=$((i+1)); done
echo "SUMMARY: AddressSanitizer: heap-buffer-overflow /src/file.cpp:7 in frame_0"
exit 1
"""


def write(path, text):
    with open(path, "w") as out:
        out.write(text)
    os.chmod(path, 0o755)


def main(source):
    script = os.path.join(source, "tools", "run-fuzz.sh")
    ok = True

    def expect(what, fact, output):
        nonlocal ok
        print(("ok   " if fact else "FAIL ") + what)
        if not fact:
            ok = False
            print(output[-4000:])

    with tempfile.TemporaryDirectory() as build:
        os.makedirs(os.path.join(build, "bin"))
        write(os.path.join(build, "bin", "fuzz_HttpResponse"), FINE)
        write(os.path.join(build, "bin", "fuzz_DateTime"), FINE)
        run = lambda: subprocess.run([script, build, "1"], capture_output=True, text=True, timeout=120,
                                     env=dict(os.environ, FUZZ_JOBS="2"))
        first = run()
        log = lambda name: open(os.path.join(build, "fuzz", "logs", name + ".log")).read()
        expect("targets that do not crash pass", first.returncode == 0, first.stdout + first.stderr)
        expect("the HTTP target reads inputs up to 70000 bytes", "-max_len=70000" in log("HttpResponse"),
               log("HttpResponse"))
        expect("another target gets its own limit", "-max_len=8192" in log("DateTime"), log("DateTime"))
        expect("the checked-in seeds are read", "tests/fuzz/corpus/HttpResponse" in log("HttpResponse"),
               log("HttpResponse"))
        expect("the figures of each target are printed",
               any(l.split()[:4] == ["HttpResponse", "4242", "77", "99"] for l in first.stdout.splitlines()),
               first.stdout)
        second = run()
        expect("a second run starts from the corpus the first grew", "corpus held: 1" in log("DateTime"),
               log("DateTime"))

        write(os.path.join(build, "bin", "fuzz_Crashy"), CRASHY)
        crashed = run()
        out = crashed.stdout
        expect("a crash fails the run", crashed.returncode != 0, out)
        expect("the crash is reported once", out.count("fuzz_Crashy failed") == 1, out)
        expect("the whole report is printed", "frame_29" in out and "frame_0" in out
               and "heap-buffer-overflow" in out and "SUMMARY" in out, out)
        expect("the crashing input is printed in hex", "41 42 01 ff" in out, out)
        kept = os.listdir(os.path.join(build, "fuzz", "crashes"))
        expect("the crashing input is kept in the build", kept == ["Crashy-crash-1234"], str(kept))
    return 0 if ok else 1


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
