#!/usr/bin/env python3
"""Fails when a code family names a number twice, or when an engine file
outside its list defines a code of the family or restates one.

The families are X-macro lists, one entry X(name, number, "meaning") per
line: the event codes (VXL_EVENT_CODES in engine/core/jobs/VXLEventCodes.h),
the results (VXL_RESULT_CODES, VXLResultCodes.h), the user-interface request
codes (VXL_UI_REQUEST_CODES, VXLUIRequestCodes.h), the counters (VXL_COUNTERS,
VXLCounterTable.h) and the configuration items (VXL_CONFIG_ITEMS,
engine/core/settings/VXLConfigItem.h). Outside them, no engine source may
write an engine event code number (0x8000000 to 0x8ffffff) in its code,
define a name of a list, or give a number to a name of a family's prefix
(kResult..., kUi..., kCounter..., kCfg...): the prefix belongs to the list.
The screen request kinds of engine/client/VXLUIRequest.h are a family of
their own. The settings keys are the texts of engine/core/settings/
VXLPersKeys.h: no other engine source writes one of them as a text. Other
comments and strings are not looked at.

usage: check-codes.py [TOP]   (prints one line per problem; exit 1 if any)
"""
import os
import re
import sys

# path: (macro, what a name of the family is, the family's name prefix or None)
LISTS = {
    "engine/core/jobs/VXLEventCodes.h": ("VXL_EVENT_CODES", "event code", None),
    "engine/core/jobs/VXLResultCodes.h": ("VXL_RESULT_CODES", "result", r"kResult\w*"),
    "engine/core/jobs/VXLUIRequestCodes.h": ("VXL_UI_REQUEST_CODES", "UI request code", r"kU[Ii][A-Z]\w*"),
    "engine/core/jobs/VXLCounterTable.h": ("VXL_COUNTERS", "counter", r"kCounter[A-Z]\w*"),
    "engine/core/settings/VXLConfigItem.h": ("VXL_CONFIG_ITEMS", "configuration item", r"kCfg\w*"),
}
# Lists of another family that share a prefix.
OWN_FAMILIES = {"engine/client/VXLUIRequest.h"}
KEYS = "engine/core/settings/VXLPersKeys.h"
KEY = re.compile(r'inline constexpr const char\*\s+(kPers\w+)\s*=\s*"([^"]*)"\s*;')
ENTRY = re.compile(r'^\s*X\(\s*(\w+)\s*,\s*(-?\s*(?:0[xX][0-9A-Fa-f]+|\d+))\s*,\s*"')
EVENT_NUMBER = re.compile(r"\b0[xX]0*8[0-9A-Fa-f]{6}\b")
DEFINED = re.compile(r"\b(\w+)\s*=(?!=)")
NUMBER = r"\s*=\s*-?\s*(?:0[xX][0-9A-Fa-f]+|\d+)\b"
SOURCE = re.compile(r"\.(h|hpp|cpp|cc)$")
# Comments, string and character literals; group 1 holds a comment.
NOISE = re.compile(r'(//[^\n]*|/\*.*?\*/)|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)
TEXT = re.compile(r'"((?:\\.|[^"\\\n])*)"')


def blank(text):
    """The text with comments and literals replaced by spaces, lines kept."""
    return NOISE.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def blank_comments(text):
    """The text with comments replaced by spaces, literals kept."""
    return NOISE.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)) if m.group(1) else m.group(0), text)


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
    for path, (macro, _, _) in LISTS.items():
        if not os.path.exists(os.path.join(top, path)):
            continue
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


def read_keys(top):
    """{key text: its name} of the settings keys."""
    path = os.path.join(top, KEYS)
    if not os.path.exists(path):
        return {}
    with open(path, encoding="utf-8") as f:
        return {m.group(2): m.group(1) for m in KEY.finditer(f.read())}


def check_sources(top, names, keys):
    problems = []
    prefixed = [(re.compile(r"\b(" + prefix + r")" + NUMBER), what, path)
                for path, (_, what, prefix) in LISTS.items() if prefix]
    for dirpath, _, files in os.walk(os.path.join(top, "engine")):
        for file in sorted(files):
            path = os.path.relpath(os.path.join(dirpath, file), top).replace(os.sep, "/")
            if not SOURCE.search(file) or path in LISTS:
                continue
            with open(os.path.join(top, path), encoding="utf-8", errors="replace") as f:
                text = f.read()
            code = blank(text)
            for number, line in enumerate(code.split("\n"), 1):
                where = f"{path}:{number}"
                for m in EVENT_NUMBER.finditer(line):
                    problems.append(f"{where}: event code number {m.group(0)} outside VXLEventCodes.h")
                for m in DEFINED.finditer(line):
                    name = m.group(1)
                    if name in names:
                        problems.append(f"{where}: defines {name} again (listed at {names[name]})")
                if path in OWN_FAMILIES:
                    continue
                for pattern, what, listed in prefixed:
                    for m in pattern.finditer(line):
                        if m.group(1) not in names:
                            problems.append(f"{where}: defines the {what} {m.group(1)} outside {os.path.basename(listed)}")
            if path == KEYS:
                continue
            for number, line in enumerate(blank_comments(text).split("\n"), 1):
                for m in TEXT.finditer(line):
                    if m.group(1) in keys:
                        problems.append(f"{path}:{number}: the settings key \"{m.group(1)}\" written again"
                                        f" (use {keys[m.group(1)]} of VXLPersKeys.h)")
    return problems


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems, names = check_lists(top)
    problems += check_sources(top, names, read_keys(top))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
