#!/usr/bin/env python3
"""Reads a hive file of the device registry (registry/HKEY_*.reg under the
device root) as the phone's registry writes it, with the standard library
only, and prints its values one per line:

    KEY<TAB>NAME<TAB>KIND<TAB>DATA

The file holds "[Key\\Path]" lines and then "name<TAB>kind<TAB>data" lines;
"#" starts a comment. Names and text data escape "%", control characters and
a leading "[" or "#" as %XX. Kinds: "text" (UTF-8 in the file, UTF-16LE in
the registry), "dword" (a number), "hex" (binary bytes), "hex(N)" (bytes of
type N). Printed: a text decoded, up to its first NUL (so an empty text,
stored as one NUL character, prints empty) and with control characters as
\\xNN; a dword in decimal; bytes in lower-case hex with their kind.

Usage: registry_reader.py FILE [KEY]    only the values of KEY (any case)
Exit 1 with a message on a line it cannot read.
"""
import sys


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


HEX = b"0123456789abcdefABCDEF"


def unescape(text):
    out = bytearray()
    raw = text.encode("utf-8")
    i = 0
    while i < len(raw):
        if raw[i] == 0x25 and i + 2 < len(raw) and raw[i + 1] in HEX and raw[i + 2] in HEX:
            out.append(int(raw[i + 1:i + 3], 16))
            i += 3
            continue
        out.append(raw[i])
        i += 1
    return bytes(out)


def shown_text(data):
    text = data.decode("utf-8", errors="replace").split("\0", 1)[0]
    return "".join(c if ord(c) >= 0x20 and c != "\x7f" else "\\x%02x" % ord(c) for c in text)


def read(path):
    values = []
    key = None
    with open(path, "rb") as f:
        lines = f.read().decode("utf-8", errors="strict").split("\n")
    for number, line in enumerate(lines, 1):
        if not line or line.startswith("#"):
            continue
        if line.startswith("["):
            if not line.endswith("]"):
                fail("line %d: a key without its ]" % number)
            key = line[1:-1]
            continue
        parts = line.split("\t", 2)
        if len(parts) != 3 or key is None:
            fail("line %d: not name<TAB>kind<TAB>data under a key" % number)
        name = unescape(parts[0]).decode("utf-8", errors="replace")
        kind, data = parts[1], parts[2]
        if kind == "text":
            shown = shown_text(unescape(data))
        elif kind == "dword":
            shown = str(int(data, 0))
        elif kind == "hex" or (kind.startswith("hex(") and kind.endswith(")")):
            shown = bytes.fromhex(data).hex()
        else:
            fail("line %d: unknown kind %r" % (number, kind))
        values.append((key, name, kind, shown))
    return values


def main():
    if len(sys.argv) not in (2, 3):
        fail(__doc__)
    wanted = sys.argv[2].lower() if len(sys.argv) == 3 else None
    for key, name, kind, shown in read(sys.argv[1]):
        if wanted is None or key.lower() == wanted:
            print("%s\t%s\t%s\t%s" % (key, name, kind, shown))


main()
