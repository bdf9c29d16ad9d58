#!/usr/bin/env python3
"""Reads and writes the messaging engine's stored formats, on their own.

Header block: per name, each non-empty value as name NUL value NUL; a value's
parameter map follows it as 0xE0 0x00, the map's own block, 0xEA 0x00. A name
with no non-empty value is left out, and so is a name beginning with 0xE0 or
0xEA (it would read back as the mark), and so are the marks of a parameter
map with nothing to write. Reading stops every string at the end of
the block; an empty name is skipped, an empty value dropped.
Index file ("mms.new", "mms.notyet"): every id followed by one NUL.
Message file: segments of H (u32 big-endian), B (u32 big-endian), H header
bytes, B body bytes, one after another; nothing else.
Byte-stream records (little-endian): u8/u16/u32, a boolean as one byte (true
only when 1), a string as u32 (text length + 1), the text, a NUL.
Thread database (version 4): hidden threads, shown threads, messages; the
pointer file "threaddb.run" is one byte, 2 naming "thread2.db", below 2
"thread1.db".
Item file: format 11, kind, created, location; kind 2: five strings and a u32;
other kinds: main medium, parts, recipients, scenario id, cookie, field groups,
audio name, message id, priority. Summary: format 3 and its fields.
Outbound queue "state.oq": format 6, next item number (u32), count (u32,
at most 22), current index (u8, 0xFF none), then per entry kind (u8), item
number (u32), attempts (u8), rejected, sent-kept, to-recipients, displaced
(u8 each, 0 or 1) and a summary; nothing after. Entry n's files are
"item_n.oq" and "audio_n.oq".

Maps are JSON lists of [name, value, params], params being a map or null.
Texts travel as latin-1, so every byte survives.

Commands (each exits 2 when the input does not follow its format exactly):
  block-read FILE            block-write JSON OUT
  index-read FILE            index-write JSON OUT
  segments FILE              (JSON list of [header map, body hex])
  threaddb-read DIR          (JSON {"file":..., "db":...} of the named file)
  threaddb-write JSON DIR FILE POINTER
  item-read FILE             item-write JSON OUT
  summary-read FILE          summary-write JSON OUT
  queue-read DIR             (the outbound queue: "state.oq" with per entry
                             its item file (null when missing) and its audio
                             file's sha256, and "orphans": item and audio
                             files no entry names)
  read-each KIND FILE...     (one line per file: its JSON, or "bad")
  write-each KIND JSON DIR   (a JSON list; record i goes to DIR/i)
KIND is block, index, item or summary.
  copy-expect JSON           (per case {"source", "dest", "start", "count",
                             "trailer", "append"} in hex and numbers: the files
                             after the copy as [source hex, dest hex], or "fails")
  message-write JSON OUT     (a JSON list of [header map, body hex] segments)
  store-read DIR             (the message store folder as the format tables
                             read it: {"lists": [ids of kinds 0..3, newest
                             first], "new", "notyet", "segments": {id: count or
                             "bad"}, "usage": bytes of the visible files})
  segments-each FIRST LAST BOTH FILE...   (per file: [[index, part hex], ...]
                             of the segments first..last with bytes to hand over,
                             then "end" or the reason reading stopped)
"""
import json
import os
import struct
import sys

OPEN, CLOSE = 0xE0, 0xEA


class Bad(Exception):
    pass


def text(b):
    return b.decode("latin-1")


def raw(s):
    return s.encode("latin-1")


# Header blocks --------------------------------------------------------------

def write_block(pairs):
    order, values = [], {}
    for name, value, params in pairs:
        if name not in values:
            order.append(name)
            values[name] = []
        values[name].append((value, params))
    out = bytearray()
    for name in order:
        if name == "" or raw(name)[0] in (OPEN, CLOSE):
            continue
        for value, params in values[name]:
            if value == "":
                continue
            out += raw(name) + b"\0" + raw(value) + b"\0"
            nested = write_block(params) if params is not None else b""
            if nested:
                out += bytes([OPEN, 0]) + nested + bytes([CLOSE, 0])
    return bytes(out)


def take(data, pos, end):
    nul = data.find(b"\0", pos, end)
    if nul < 0:
        return data[pos:end], end
    return data[pos:nul], nul + 1


def read_pairs(data, pos, end, depth):
    pairs, last = [], None
    while pos < end:
        if depth > 0 and data[pos] == CLOSE:
            break
        name, pos = take(data, pos, end)
        if not name:
            continue
        if pos >= end:
            break
        value, pos = take(data, pos, end)
        last = (name, value)
        entry = None
        if value:
            entry = [text(name), text(value), None]
            pairs.append(entry)
        if pos < end and data[pos] == OPEN and depth < 16:
            pos = min(pos + 2, end)
            params, pos, plast = read_pairs(data, pos, end, depth + 1)
            pos = min(pos + 2, end)
            if entry is not None and plast and plast[0] and plast[1]:
                entry[2] = params
    return pairs, pos, last


def read_block(data, start=0, length=None):
    end = len(data) if length is None else min(len(data), start + length)
    return read_pairs(data, start, end, 0)[0]


def write_index(ids):
    return b"".join(raw(i) + b"\0" for i in ids if i)


def read_index(data):
    ids = []
    for part in data.split(b"\0"):
        if part and text(part) not in ids:
            ids.append(text(part))
    return ids


def segments(data):
    out, pos = [], 0
    while pos < len(data):
        if len(data) - pos < 8:
            raise Bad("short segment head")
        h, b = struct.unpack_from(">II", data, pos)
        pos += 8
        if h + b > len(data) - pos:
            raise Bad("segment past the end")
        out.append((data[pos:pos + h], data[pos + h:pos + h + b]))
        pos += h + b
    return out


def write_segments(segs):
    return b"".join(struct.pack(">II", len(h), len(b)) + h + b for h, b in segs)


# Byte-stream records --------------------------------------------------------

class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def need(self, n):
        if n > len(self.data) - self.pos:
            raise Bad("short at %d" % self.pos)

    def u(self, fmt):
        size = struct.calcsize(fmt)
        self.need(size)
        (v,) = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += size
        return v

    def u8(self):
        return self.u("B")

    def u16(self):
        return self.u("H")

    def u32(self):
        return self.u("I")

    def boolean(self):
        return self.u8() == 1

    def string(self):
        n = self.u32()
        self.need(n)
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return text(b.split(b"\0", 1)[0])

    def end(self):
        if self.pos != len(self.data):
            raise Bad("%d bytes left" % (len(self.data) - self.pos))


class Writer:
    def __init__(self):
        self.out = bytearray()

    def u8(self, v):
        self.out += struct.pack("<B", v)

    def u16(self, v):
        self.out += struct.pack("<H", v)

    def u32(self, v):
        self.out += struct.pack("<I", v & 0xFFFFFFFF)

    def boolean(self, v):
        self.u8(1 if v else 0)

    def string(self, s):
        b = raw(s) + b"\0"
        self.u32(len(b))
        self.out += b


# Thread database ------------------------------------------------------------

def read_threaddb(data):
    r = Reader(data)
    version = r.u32()
    if version != 4:
        raise Bad("version %d" % version)
    db = {}
    for key in ("hidden", "shown"):
        threads = []
        for _ in range(r.u32()):
            threads.append({"address": r.string(), "display": r.string(),
                            "hidden": r.boolean(), "new": r.u32()})
        db[key] = threads
    messages = []
    for _ in range(r.u32()):
        m = {"id": r.string(), "queued": r.boolean(), "sent": r.boolean(),
             "time": r.u32(), "primary": r.string()}
        m["threads"] = [r.string() for _ in range(r.u32())]
        m["read"], m["seen"] = r.boolean(), r.boolean()
        messages.append(m)
    db["messages"] = messages
    r.end()
    return db


def write_threaddb(db):
    w = Writer()
    w.u32(db.get("version", 4))
    for key in ("hidden", "shown"):
        w.u32(len(db[key]))
        for t in db[key]:
            w.string(t["address"])
            w.string(t["display"])
            w.boolean(t["hidden"])
            w.u32(t["new"])
    w.u32(len(db["messages"]))
    for m in db["messages"]:
        w.string(m["id"])
        w.boolean(m["queued"])
        w.boolean(m["sent"])
        w.u32(m["time"])
        w.string(m["primary"])
        w.u32(len(m["threads"]))
        for a in m["threads"]:
            w.string(a)
        w.boolean(m["read"])
        w.boolean(m["seen"])
    return bytes(w.out)


def pointed_file(folder):
    with open(os.path.join(folder, "threaddb.run"), "rb") as f:
        p = f.read()
    if len(p) != 1:
        raise Bad("pointer of %d bytes" % len(p))
    return "thread2.db" if p[0] >= 2 else "thread1.db"


# Outbound item and summary --------------------------------------------------

def read_identity(r):
    number = r.u32()
    second = r.string()
    first = r.string()
    return [number, first, second]


def write_identity(w, ident):
    w.u32(ident[0])
    w.string(ident[2])
    w.string(ident[1])


def read_item(data):
    r = Reader(data)
    if not data or r.u8() != 11:
        raise Bad("not an item")
    item = {"kind": r.u8(), "created": r.u32(), "location": r.u32()}
    if item["kind"] == 2:
        item["strings"] = [r.string() for _ in range(5)]
        item["value"] = r.u32()
    else:
        item["main"] = [read_identity(r), r.string()]
        item["parts"] = [[read_identity(r), r.string()] for _ in range(r.u16())]
        item["recipients"] = [r.string() for _ in range(r.u16())]
        item["scenario"] = r.string()
        item["cookie"] = r.string()
        groups = []
        for _ in range(r.u16()):
            fid, ltype = r.string(), r.u8()
            groups.append([fid, ltype, [r.string() for _ in range(r.u16())]])
        item["groups"] = groups
        item["audio"] = r.string()
        item["id"] = r.string()
        item["priority"] = r.u8()
    r.end()
    return item


def write_item(item):
    w = Writer()
    w.u8(11)
    w.u8(item["kind"])
    w.u32(item["created"])
    w.u32(item["location"])
    if item["kind"] == 2:
        for s in item["strings"]:
            w.string(s)
        w.u32(item["value"])
        return bytes(w.out)
    write_identity(w, item["main"][0])
    w.string(item["main"][1])
    w.u16(len(item["parts"]))
    for ident, mime in item["parts"]:
        write_identity(w, ident)
        w.string(mime)
    w.u16(len(item["recipients"]))
    for a in item["recipients"]:
        w.string(a)
    w.string(item["scenario"])
    w.string(item["cookie"])
    w.u16(len(item["groups"]))
    for fid, ltype, vals in item["groups"]:
        w.string(fid)
        w.u8(ltype)
        w.u16(len(vals))
        for v in vals:
            w.string(v)
    w.string(item["audio"])
    w.string(item["id"])
    w.u8(item["priority"])
    return bytes(w.out)


SUMMARY_FIELDS = ["recipients", "text", "location", "identity", "mime", "videos",
                  "images", "voice", "created", "extra", "priority", "id"]


def read_summary(data):
    r = Reader(data)
    s = summary_from(r)
    r.end()
    return s


def summary_from(r):
    if r.u8() != 3:
        raise Bad("not a summary")
    s = {"recipients": r.string(), "text": r.string(), "location": r.u32(),
         "identity": read_identity(r), "mime": r.string(), "videos": r.u8(),
         "images": r.u8(), "voice": r.u8(), "created": r.u32(), "extra": r.u32()}
    p = r.u8()
    s["priority"] = p - 256 if p >= 128 else p
    s["id"] = r.string()
    return s


# Outbound queue --------------------------------------------------------------

def read_queue_state(data):
    r = Reader(data)
    if r.u8() != 6:
        raise Bad("not a queue state")
    q = {"next": r.u32(), "count": r.u32()}
    cur = r.u8()
    q["current"] = -1 if cur == 0xFF else cur
    if q["count"] > 22:
        raise Bad("%d entries" % q["count"])
    entries = []
    for _ in range(q["count"]):
        e = {"kind": r.u8(), "item": r.u32(), "attempts": r.u8()}
        for flag in ("rejected", "sent_kept", "to_recipients", "displaced"):
            v = r.u8()
            if v not in (0, 1):
                raise Bad("flag %s is %d" % (flag, v))
            e[flag] = v
        e["summary"] = summary_from(r)
        entries.append(e)
    r.end()
    q["entries"] = entries
    return q


def read_queue(folder):
    """"state.oq" with each entry's item file and audio file (sha256), and
    the item and audio files that no entry names."""
    import hashlib
    state = read_queue_state(load(os.path.join(folder, "state.oq")))
    named = set()
    for e in state["entries"]:
        n = e["item"]
        named.add("item_%d.oq" % n)
        named.add("audio_%d.oq" % n)
        item_path = os.path.join(folder, "item_%d.oq" % n)
        e["item_file"] = read_item(load(item_path)) if os.path.exists(item_path) else None
        audio_path = os.path.join(folder, "audio_%d.oq" % n)
        if os.path.exists(audio_path):
            audio = load(audio_path)
            e["audio_size"] = len(audio)
            e["audio_sha256"] = hashlib.sha256(audio).hexdigest()
    state["orphans"] = sorted(f for f in os.listdir(folder)
                              if (f.startswith("item_") or f.startswith("audio_")) and f.endswith(".oq")
                              and f not in named)
    return state


def write_summary(s):
    w = Writer()
    w.u8(3)
    w.string(s["recipients"])
    w.string(s["text"])
    w.u32(s["location"])
    write_identity(w, s["identity"])
    w.string(s["mime"])
    w.u8(s["videos"])
    w.u8(s["images"])
    w.u8(s["voice"])
    w.u32(s["created"])
    w.u32(s["extra"])
    w.u8(s["priority"] & 0xFF)
    w.string(s["id"])
    return bytes(w.out)


# Command line ---------------------------------------------------------------

def load(path):
    with open(path, "rb") as f:
        return f.read()


def save(path, data):
    with open(path, "wb") as f:
        f.write(data)


READERS = {"block": read_block, "index": read_index, "item": read_item, "summary": read_summary}
WRITERS = {"block": write_block, "index": write_index, "item": write_item, "summary": write_summary}


def read_each(kind, paths):
    for path in paths:
        try:
            print(json.dumps(READERS[kind](load(path)), sort_keys=True))
        except (Bad, struct.error) as e:
            print("bad: %s" % e)


def write_each(kind, records, folder):
    for i, record in enumerate(records):
        save(os.path.join(folder, str(i)), WRITERS[kind](record))


def copy_expect(case):
    src = bytes.fromhex(case["source"])
    start, count = case["start"], case["count"]
    if start + count > len(src):
        return "fails"
    piece = src[start:start + count] + bytes.fromhex(case["trailer"])
    if case["dest"] is None:
        return [piece.hex(), None]
    old = bytes.fromhex(case["dest"]) if case["append"] else b""
    return [src.hex(), (old + piece).hex()]


def segments_wanted(data, first, last, both):
    """The segments a reader of first..last hands over: those with bytes in
    the part(s) asked for; past the file's last segment it stops with 3."""
    out, pos, index = [], 0, 0
    while index <= last:
        if len(data) - pos < 8:
            return out, 3
        h, b = struct.unpack_from(">II", data, pos)
        pos += 8
        if h + b > len(data) - pos:
            return out, 3
        wanted = data[pos:pos + h + b] if both else data[pos:pos + h]
        if index >= first and wanted:
            out.append([index, wanted.hex()])
        pos += h + b
        index += 1
    return out, 0


# Message store folder ---------------------------------------------------------

INDEXES = ("mms.new", "mms.notyet")
# The inbound manager's transfer files live in the folder but hold no message.
TRANSFER_FILES = ("temp_not.raw", "temp_mmboxnot.raw", "not_ind_resp.raw", "temp_mms.raw",
                  "temp_mmboxmms.raw", "temp_mmboxmsg.raw")


def kind_of(name):
    return {"m": 1, "p": 2, "s": 3, "t": 4}.get(name[:1], 0)


def read_store(folder):
    names = sorted(n for n in os.listdir(folder)
                   if not n.startswith(".") and os.path.isfile(os.path.join(folder, n)))
    usage = sum(os.stat(os.path.join(folder, n)).st_size for n in names)
    indexes = {}
    for index in INDEXES:
        path = os.path.join(folder, index)
        indexes[index] = read_index(load(path)) if os.path.exists(path) else None
    notyet = indexes["mms.notyet"] or []
    lists, counts = [[], [], [], []], {}
    for name in names:
        if name in INDEXES or name in TRANSFER_FILES or name in notyet:
            continue
        try:
            counts[name] = len(segments(load(os.path.join(folder, name))))
        except Bad:
            counts[name] = "bad"
        kind = kind_of(name)
        if kind < 4:
            lists[kind].append(name)
    for ids in lists:
        ids.sort(key=raw, reverse=True)
    return {"lists": lists, "new": indexes["mms.new"], "notyet": indexes["mms.notyet"],
            "segments": counts, "usage": usage}


def main(argv):
    cmd, args = argv[1], argv[2:]
    if cmd == "copy-expect":
        for case in json.loads(load(args[0])):
            print(json.dumps(copy_expect(case)))
        return None
    if cmd == "segments-each":
        first, last, both = int(args[0]), int(args[1]), args[2] == "1"
        for path in args[3:]:
            print(json.dumps(segments_wanted(load(path), first, last, both)))
        return None
    if cmd == "read-each":
        return read_each(args[0], args[1:])
    if cmd == "write-each":
        return write_each(args[0], json.loads(load(args[1])), args[2])
    try:
        if cmd == "block-read":
            result = read_block(load(args[0]))
        elif cmd == "block-write":
            return save(args[1], write_block(json.loads(load(args[0]))))
        elif cmd == "index-read":
            result = read_index(load(args[0]))
        elif cmd == "index-write":
            return save(args[1], write_index(json.loads(load(args[0]))))
        elif cmd == "message-write":
            segs = [(write_block(m), bytes.fromhex(b)) for m, b in json.loads(load(args[0]))]
            return save(args[1], write_segments(segs))
        elif cmd == "store-read":
            result = read_store(args[0])
        elif cmd == "segments":
            result = [[read_block(h), b.hex()] for h, b in segments(load(args[0]))]
        elif cmd == "threaddb-read":
            name = pointed_file(args[0])
            result = {"file": name, "db": read_threaddb(load(os.path.join(args[0], name)))}
        elif cmd == "threaddb-write":
            save(os.path.join(args[1], args[2]), write_threaddb(json.loads(load(args[0]))))
            return save(os.path.join(args[1], "threaddb.run"), bytes([int(args[3])]))
        elif cmd == "item-read":
            result = read_item(load(args[0]))
        elif cmd == "item-write":
            return save(args[1], write_item(json.loads(load(args[0]))))
        elif cmd == "queue-read":
            result = read_queue(args[0])
        elif cmd == "summary-read":
            result = read_summary(load(args[0]))
        elif cmd == "summary-write":
            return save(args[1], write_summary(json.loads(load(args[0]))))
        else:
            sys.exit("unknown command " + cmd)
    except (Bad, struct.error, OSError) as e:
        print("bad: %s" % e, file=sys.stderr)
        sys.exit(2)
    print(json.dumps(result, sort_keys=True))


if __name__ == "__main__":
    main(sys.argv)
