#!/usr/bin/env python3
"""Reads a settings file "_vxl.reg" on its own and prints one "key=value" line per pair.

Layout (little-endian): format byte 10, a 32-bit pair count, then per pair a key
and a value, each a 32-bit length (text length + 1), the text and a NUL.
Exits 2 when the file does not follow it exactly.
"""
import struct
import sys


def counted(data, offset):
    (length,) = struct.unpack_from("<I", data, offset)
    offset += 4
    text = data[offset:offset + length]
    if length == 0 or len(text) != length or text[-1] != 0:
        raise ValueError("bad counted string at %d" % offset)
    return text[:-1].decode("utf-8"), offset + length


def main(path):
    data = open(path, "rb").read()
    if len(data) < 5 or data[0] != 10:
        sys.exit(2)
    (count,) = struct.unpack_from("<I", data, 1)
    offset = 5
    try:
        for _ in range(count):
            key, offset = counted(data, offset)
            value, offset = counted(data, offset)
            print("%s=%s" % (key, value))
    except (ValueError, struct.error):
        sys.exit(2)
    if offset != len(data):
        sys.exit(2)


if __name__ == "__main__":
    main(sys.argv[1])
