#!/usr/bin/env python3
"""Fails when a code family names a number twice, or when an engine file
outside the lists defines a code of theirs.

The families are the X-macro lists of engine/core/jobs: the event codes
(VXL_EVENT_CODES in VXLEventCodes.h) and the results (VXL_RESULT_CODES in
VXLResultCodes.h), one entry X(name, number, "meaning") per line. Outside
them, no engine source may write an engine event code number (0x8000000 to
0x8ffffff) in its code, define a name of either list, or define a kResult...
constant: that prefix belongs to the results list. Comments and strings are
not looked at.

usage: check-codes.py [TOP]   (prints one line per problem; exit 1 if any)
"""
import os
import re
import sys

LISTS = {
    "engine/core/jobs/VXLEventCodes.h": "VXL_EVENT_CODES",
    "engine/core/jobs/VXLResultCodes.h": "VXL_RESULT_CODES",
}
ENTRY = re.compile(r'^\s*X\(\s*(\w+)\s*,\s*(-?\s*(?:0[xX][0-9A-Fa-f]+|\d+))\s*,\s*"')
EVENT_NUMBER = re.compile(r"\b0[xX]0*8[0-9A-Fa-f]{6}\b")
DEFINED = re.compile(r"\b(\w+)\s*=(?!=)")
RESULT_DEFINED = re.compile(r"\b(kResult\w*)\s*=\s*-?\s*(?:0[xX][0-9A-Fa-f]+|\d+)\b")
SOURCE = re.compile(r"\.(h|hpp|cpp|cc)$")
# Comments, string and character literals; group 1 holds a comment.
NOISE = re.compile(r'(//[^\n]*|/\*.*?\*/)|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)


def blank(text):
    """The text with comments and literals replaced by spaces, lines kept."""
    return NOISE.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def read_list(top, path, macro):
    """[(name, number, number as written, line)] of the list's macro, and the
    problems found."""
    entries, problems = [], []
    with open(os.path.join(top, path), encoding="utf-8") as f:
        lines = f.read().split("\n")
    inside = False
    for number, line in enumerate(lines, 1):
        if line.startswith(f"#define {macro}("):
            inside = True
            continue
        if not inside:
            continue
        m = ENTRY.match(line)
        if m:
            written = m.group(2).replace(" ", "")
            entries.append((m.group(1), int(written, 0), written, number))
        elif line.strip() not in ("", "\\"):
            problems.append(f"{path}:{number}: not an entry X(name, number, \"meaning\") of {macro}")
        if not line.rstrip().endswith("\\"):
            break
    if not entries:
        problems.append(f"{path}: no entries found in {macro}")
    return entries, problems


def check_lists(top):
    problems, names = [], {}
    for path, macro in LISTS.items():
        entries, found = read_list(top, path, macro)
        problems += found
        numbers = {}
        for name, value, written, line in entries:
            if value in numbers:
                problems.append(f"{path}:{line}: {numbers[value]} and {name} share the number {written}")
            else:
                numbers[value] = name
            if name in names:
                problems.append(f"{path}:{line}: {name} is named twice (also {names[name]})")
            else:
                names[name] = f"{path}:{line}"
    return problems, names


def check_sources(top, names):
    problems = []
    for dirpath, _, files in os.walk(os.path.join(top, "engine")):
        for file in sorted(files):
            path = os.path.relpath(os.path.join(dirpath, file), top).replace(os.sep, "/")
            if not SOURCE.search(file) or path in LISTS:
                continue
            with open(os.path.join(top, path), encoding="utf-8", errors="replace") as f:
                code = blank(f.read())
            for number, line in enumerate(code.split("\n"), 1):
                where = f"{path}:{number}"
                for m in EVENT_NUMBER.finditer(line):
                    problems.append(f"{where}: event code number {m.group(0)} outside VXLEventCodes.h")
                for m in DEFINED.finditer(line):
                    name = m.group(1)
                    if name in names:
                        problems.append(f"{where}: defines {name} again (listed at {names[name]})")
                for m in RESULT_DEFINED.finditer(line):
                    if m.group(1) not in names:
                        problems.append(f"{where}: defines the result {m.group(1)} outside VXLResultCodes.h")
    return problems


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems, names = check_lists(top)
    problems += check_sources(top, names)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
