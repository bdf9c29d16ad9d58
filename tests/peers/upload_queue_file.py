#!/usr/bin/env python3
"""Reads and writes the background upload queue file "state.uq".

Each record: marker CE FA, the packed media location (32-bit little-endian),
then the item's name and the destination album, each as a 32-bit
little-endian length that counts a closing NUL, the text and the NUL.

  upload_queue_file.py --dump FILE      one line per record: offset location name album
                                        (a bad record ends the listing with "bad OFFSET")
  upload_queue_file.py --write FILE LOCATION NAME ALBUM [LOCATION NAME ALBUM ...]
"""
import struct
import sys

MARKER = b"\xce\xfa"


def encode(location, name, album):
    out = MARKER + struct.pack("<I", location)
    for text in (name, album):
        data = text.encode("utf-8")
        out += struct.pack("<I", len(data) + 1) + data + b"\0"
    return out


def decode(data, at):
    """The record at offset at: (location, name, album, size), or None."""
    if data[at:at + 2] != MARKER or len(data) - at < 6:
        return None
    (location,) = struct.unpack_from("<I", data, at + 2)
    pos = at + 6
    texts = []
    for _ in range(2):
        if len(data) - pos < 4:
            return None
        (counted,) = struct.unpack_from("<I", data, pos)
        pos += 4
        if counted == 0 or counted > len(data) - pos:
            return None
        text = data[pos:pos + counted]
        if text[-1:] != b"\0" or b"\0" in text[:-1]:
            return None
        texts.append(text[:-1].decode("utf-8", "replace"))
        pos += counted
    return location, texts[0], texts[1], pos - at


def records(data):
    """Every record from the start: a list of (offset, location, name, album)
    and the offset of the first bad one (None when all are good)."""
    found = []
    at = 0
    while at < len(data):
        record = decode(data, at)
        if record is None:
            return found, at
        found.append((at, record[0], record[1], record[2]))
        at += record[3]
    return found, None


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--dump":
        with open(sys.argv[2], "rb") as f:
            data = f.read()
        found, bad = records(data)
        for offset, location, name, album in found:
            print(offset, location, name, album)
        if bad is not None:
            print("bad", bad)
        return 0
    if len(sys.argv) >= 6 and sys.argv[1] == "--write" and (len(sys.argv) - 3) % 3 == 0:
        rest = sys.argv[3:]
        with open(sys.argv[2], "wb") as f:
            for i in range(0, len(rest), 3):
                f.write(encode(int(rest[i], 0), rest[i + 1], rest[i + 2]))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
