#!/usr/bin/env python3
"""Reads a media item record (".md") on its own and prints one "key=value" line per value.

Layout (little-endian): format byte 1; seven strings (id, uid, title, location,
name, tracked, info), each a 32-bit length (text length + 1), the text and a
NUL; nine signed 32-bit values (orientation, capture, upload, latitude,
longitude, width, height, size, pending); a flags byte (bit 0 online, 1 third,
2 fourth, 3 aux1, 4 aux2). Nothing may follow. Exits 2 when the file does not
follow it exactly.
"""
import struct
import sys

TEXTS = ("id", "uid", "title", "location", "name", "tracked", "info")
NUMBERS = ("orientation", "capture", "upload", "latitude", "longitude", "width", "height", "size", "pending")
FLAGS = ("online", "third", "fourth", "aux1", "aux2")


def main(path):
    data = open(path, "rb").read()
    out = []
    try:
        if data[0] != 1:
            raise ValueError("format")
        offset = 1
        for key in TEXTS:
            (length,) = struct.unpack_from("<I", data, offset)
            offset += 4
            text = data[offset:offset + length]
            if length == 0 or len(text) != length or text[-1] != 0:
                raise ValueError(key)
            out.append("%s=%s" % (key, text[:-1].decode("utf-8")))
            offset += length
        values = struct.unpack_from("<9i", data, offset)
        offset += 36
        out += ["%s=%d" % pair for pair in zip(NUMBERS, values)]
        flags = data[offset]
        offset += 1
        if flags & ~0x1F or offset != len(data):
            raise ValueError("tail")
        out += ["%s=%d" % (key, (flags >> bit) & 1) for bit, key in enumerate(FLAGS)]
    except (IndexError, ValueError, struct.error):
        sys.exit(2)
    print("\n".join(out))


if __name__ == "__main__":
    main(sys.argv[1])
