#!/usr/bin/env python3
"""Reads and writes the premium inbox's state file "state.pq".

Layout (little-endian): one format byte (10), a 32-bit group count, then per
group its id (string), created time, priority (the signed value's 32 bits),
received total (32 bits each), name and thumbnail (strings); a 32-bit message
count, then per message its id, its group's id (strings) and its received
time (32 bits). A string is a 32-bit length followed by that many bytes: the
UTF-8 text and a NUL.

  premium_state.py read PATH    prints {"groups": [{"id", "created",
                                "priority", "total", "name", "thumbnail"}],
                                "messages": [{"id", "group", "time"}]} as JSON;
                                exit 1 when the file is not a whole state file
  premium_state.py write PATH   writes the JSON on stdin (same shape; optional
                                "format", "groupCount" and "messageCount"
                                override those fields, "tail" (hex) is
                                appended)
"""
import json
import os
import struct
import sys


class Reader:
    def __init__(self, data):
        self.data = data
        self.at = 0

    def u32(self, what):
        if self.at + 4 > len(self.data):
            raise ValueError("%s cut at byte %d" % (what, self.at))
        (value,) = struct.unpack_from("<I", self.data, self.at)
        self.at += 4
        return value

    def text(self, what):
        length = self.u32(what + " length")
        if self.at + length > len(self.data):
            raise ValueError("%s: length %d beyond the file" % (what, length))
        raw = self.data[self.at:self.at + length]
        self.at += length
        if length == 0:
            return ""
        if raw[-1] != 0:
            raise ValueError("%s without its NUL" % what)
        return raw[:-1].decode("utf-8", "surrogateescape")


def read_state(data):
    if len(data) < 1 or data[0] != 10:
        raise ValueError("no format byte 10")
    r = Reader(data)
    r.at = 1
    groups = []
    for n in range(r.u32("group count")):
        what = "group %d" % n
        gid = r.text(what + " id")
        created = r.u32(what + " created")
        (priority,) = struct.unpack("<i", struct.pack("<I", r.u32(what + " priority")))
        total = r.u32(what + " total")
        name = r.text(what + " name")
        thumbnail = r.text(what + " thumbnail")
        groups.append({"id": gid, "created": created, "priority": priority, "total": total,
                       "name": name, "thumbnail": thumbnail})
    messages = []
    for n in range(r.u32("message count")):
        what = "message %d" % n
        mid = r.text(what + " id")
        group = r.text(what + " group")
        messages.append({"id": mid, "group": group, "time": r.u32(what + " time")})
    if r.at != len(data):
        raise ValueError("%d bytes after the last message" % (len(data) - r.at))
    return {"groups": groups, "messages": messages}


def text(value):
    raw = value.encode("utf-8", "surrogateescape") + b"\0"
    return struct.pack("<I", len(raw)) + raw


def write_state(doc):
    out = bytes([doc.get("format", 10)])
    groups = doc.get("groups", [])
    out += struct.pack("<I", doc.get("groupCount", len(groups)))
    for g in groups:
        out += text(g["id"]) + struct.pack("<IiI", g.get("created", 0), g.get("priority", 0x60000000),
                                           g.get("total", 0))
        out += text(g.get("name", g["id"])) + text(g.get("thumbnail", ""))
    messages = doc.get("messages", [])
    out += struct.pack("<I", doc.get("messageCount", len(messages)))
    for m in messages:
        out += text(m["id"]) + text(m["group"]) + struct.pack("<I", m.get("time", 0))
    return out + bytes.fromhex(doc.get("tail", ""))


def main(argv):
    if len(argv) != 3 or argv[1] not in ("read", "write"):
        sys.stderr.write(__doc__)
        return 2
    if argv[1] == "read":
        with open(argv[2], "rb") as f:
            data = f.read()
        try:
            doc = read_state(data)
        except ValueError as error:
            print("bad state file: %s" % error)
            return 1
        print(json.dumps(doc, sort_keys=True))
        return 0
    data = write_state(json.load(sys.stdin))
    tmp = argv[2] + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
