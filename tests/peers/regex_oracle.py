#!/usr/bin/env python3
"""Oracle for the engine's regular expressions, using Python's re.

Reads lines "<pattern hex> <subject hex>" on stdin and writes one line per
case: "-" when there is no match, else "start length" for group 0 and every
group of the pattern ("0 0" for a group that took no part).

The engine's syntax is translated into Python's:
- '\\' followed by any byte is that byte, literally (so "\\n" is the letter n);
- '$' matches only at the end of the text (Python's \\Z);
- '.' matches any byte (DOTALL);
- a set lists its members literally: ']' or '-' first is a member, '-'
  before ']' is a member, x-y adds the bytes after x up to y comparing them
  as signed values, and '\\' is an ordinary member;
- every other byte outside the meta bytes ^$.[()|?+* is literal.
"""
import re
import sys

META = b"^$.[()|?+*\\"


def signed(b):
    return b - 256 if b >= 128 else b


def parse_set(p, i):
    negate = False
    if i < len(p) and p[i] == ord("^"):
        negate = True
        i += 1
    members = set()
    if i < len(p) and p[i] in b"]-":
        members.add(p[i])
        i += 1
    while i < len(p) and p[i] != ord("]"):
        if p[i] != ord("-"):
            members.add(p[i])
            i += 1
            continue
        i += 1
        if i >= len(p) or p[i] == ord("]"):
            members.add(ord("-"))
            continue
        for b in range(signed(p[i - 2]), signed(p[i]) + 1):
            if b != 0:
                members.add(b & 0xFF)
        i += 1
    body = b"".join(b"\\x%02x" % m for m in sorted(members))
    return b"[" + (b"^" if negate else b"") + body + b"]", i + 1


def translate(p):
    out = bytearray()
    i = 0
    while i < len(p):
        c = p[i]
        if c == ord("\\"):
            out += re.escape(p[i + 1:i + 2])
            i += 2
        elif c == ord("$"):
            out += rb"\Z"
            i += 1
        elif c == ord("["):
            s, i = parse_set(p, i + 1)
            out += s
        elif c in META:
            out.append(c)
            i += 1
        else:
            out += re.escape(bytes([c]))
            i += 1
    return bytes(out)


def main():
    for line in sys.stdin:
        fields = line.split()
        if not fields:
            continue
        pattern = bytes.fromhex(fields[0])
        subject = bytes.fromhex(fields[1]) if len(fields) > 1 else b""
        m = re.search(translate(pattern), subject, re.DOTALL)
        if not m:
            print("-")
            continue
        spans = []
        for g in range(0, m.re.groups + 1):
            start, end = m.span(g)
            spans.append("0 0" if start < 0 else "%d %d" % (start, end - start))
        print(" ".join(spans))


if __name__ == "__main__":
    main()
