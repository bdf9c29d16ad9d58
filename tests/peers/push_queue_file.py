#!/usr/bin/env python3
"""Reads and writes the push queue's state file "state.wq".

Layout (little-endian): one format byte (2), a 32-bit item count, then per
item a 32-bit attempt count, a 32-bit fetch-now word and the PDU as a 32-bit
length followed by that many bytes.

  push_queue_file.py read PATH      prints the items as JSON
                                    {"items": [{"attempts", "fetchNow", "pdu" (hex)}]}
                                    exit 1 when the file is not a whole queue
  push_queue_file.py write PATH     writes the JSON on stdin (same shape; an
                                    optional "count" overrides the count word)
"""
import json
import os
import struct
import sys


def read_queue(data):
    if len(data) < 5 or data[0] != 2:
        raise ValueError("no format byte 2")
    (count,) = struct.unpack_from("<I", data, 1)
    at = 5
    items = []
    for n in range(count):
        if at + 12 > len(data):
            raise ValueError("item %d cut in its header" % n)
        attempts, fetch_now, length = struct.unpack_from("<III", data, at)
        at += 12
        if at + length > len(data):
            raise ValueError("item %d: length %d beyond the file" % (n, length))
        items.append({"attempts": attempts, "fetchNow": fetch_now, "pdu": data[at:at + length].hex()})
        at += length
    if at != len(data):
        raise ValueError("%d bytes after the last item" % (len(data) - at))
    return items


def write_queue(doc):
    items = doc["items"]
    out = bytearray([2]) + struct.pack("<I", doc.get("count", len(items)))
    for item in items:
        pdu = bytes.fromhex(item.get("pdu", ""))
        out += struct.pack("<III", item.get("attempts", 0), item.get("fetchNow", 0), len(pdu)) + pdu
    return bytes(out)


def main(argv):
    if len(argv) != 3 or argv[1] not in ("read", "write"):
        sys.stderr.write(__doc__)
        return 2
    if argv[1] == "read":
        with open(argv[2], "rb") as f:
            data = f.read()
        try:
            items = read_queue(data)
        except ValueError as error:
            print(json.dumps({"error": str(error)}))
            return 1
        print(json.dumps({"items": items}))
        return 0
    blob = write_queue(json.load(sys.stdin))
    with open(argv[2] + ".tmp", "wb") as f:
        f.write(blob)
    os.replace(argv[2] + ".tmp", argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
