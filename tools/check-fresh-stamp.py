#!/usr/bin/env python3
"""Checks that the last passing run of tools/fresh-machine.sh still stands:
tools/fresh-machine.stamp holds the sha256 of tools/deps.d/*,
tools/install-deps.sh, the Makefile and the README as they were when the
README's two commands passed on a fresh Debian 12 root. When any of them
changed, was added or is gone since, it fails and names the script to run.

Usage: check-fresh-stamp.py TOP          check TOP's stamp
       check-fresh-stamp.py --sums TOP   print the stamp's sum lines for TOP

TESSEL_FRESH_STAMP names the stamp to check instead: tools/fresh-machine.sh
points the make test of its own run at the stamp that run writes, which
says "passed running" until the run has passed.
"""
import glob
import hashlib
import os
import sys

STAMP = "tools/fresh-machine.stamp"
SCRIPT = "tools/fresh-machine.sh"


def inputs(top):
    """The files a fresh machine's run depends on, relative to top, sorted."""
    names = ["Makefile", "README.md", "tools/install-deps.sh"]
    names += [os.path.relpath(p, top) for p in glob.glob(os.path.join(top, "tools", "deps.d", "*"))
              if os.path.isfile(p)]
    return sorted(names)


def sums(top):
    found = {}
    for name in inputs(top):
        path = os.path.join(top, name)
        if os.path.exists(path):
            with open(path, "rb") as f:
                found[name] = hashlib.sha256(f.read()).hexdigest()
    return found


def read_stamp(path):
    """The stamp's fields and its sums; None when it cannot be read."""
    try:
        with open(path) as f:
            lines = f.read().splitlines()
    except OSError:
        return None
    fields, stamped = {}, {}
    for line in lines:
        if not line.strip() or line.startswith("#"):
            continue
        key, _, value = line.partition(" ")
        if key == "sha256":
            digest, _, name = value.partition(" ")
            stamped[name] = digest
        else:
            fields[key] = value
    return fields, stamped


def problems(top, stamp_path, running_allowed):
    read = read_stamp(stamp_path)
    if read is None:
        return ["there is no stamp (%s)" % stamp_path]
    fields, stamped = read
    found = []
    for key in ("date", "wall", "passed"):
        if not fields.get(key):
            found.append("the stamp has no %s" % key)
    passed = fields.get("passed", "")
    if passed and passed != "yes" and not (running_allowed and passed == "running"):
        found.append("the stamp says passed %s" % passed)
    current = sums(top)
    for name in sorted(set(stamped) | set(current)):
        if name not in current:
            found.append("%s is gone" % name)
        elif name not in stamped:
            found.append("%s is new" % name)
        elif stamped[name] != current[name]:
            found.append("%s changed" % name)
    return found


def main(argv):
    if len(argv) == 3 and argv[1] == "--sums":
        for name, digest in sums(argv[2]).items():
            print("sha256 %s %s" % (digest, name))
        return 0
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    top = argv[1]
    override = os.environ.get("TESSEL_FRESH_STAMP", "")
    stamp_path = override or os.path.join(top, STAMP)
    found = problems(top, stamp_path, bool(override))
    if not found:
        return 0
    print("%s: %s; the README's two commands last passed on a fresh machine (%s) with other files"
          % (STAMP, "; ".join(found), SCRIPT))
    print("run %s (as root) and commit the %s it writes" % (SCRIPT, STAMP))
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
