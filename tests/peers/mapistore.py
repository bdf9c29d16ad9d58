#!/usr/bin/env python3
"""Reads and writes the phone's stored messages (platform/mapi/README.md).

A folder is <device root>/mapi/<store>/<folder>; each message is <id>.msg,
id being 32 lower-case hex digits. Changes hold an exclusive flock on the
folder's .lock and rename a whole temporary file into place; reads hold a
shared one.

A message is JSON: {"props": ROW, "recipients": [ROW...], "attachments":
[ROW...]}, a ROW being a list of [tag, value] pairs, tag as 8 hex digits,
value a number (type 0003), a text (001f) or hex digits (0102).

Commands (each exits 2 when a message file does not follow the format):
  read FILE                 the message as a dump: one line per value,
                            "<section> <tag> <json value>", section being
                            "message", "recipient N" or "attachment N"
  write FOLDER JSON         stores a new message; prints its id
  write-many FOLDER N CLASS stores N messages of that class, one lock each
  list FOLDER               "<id> <class>" per readable message, then
                            "damaged <file>" per damaged one
  delete-class FOLDER CLASS deletes every message whose class is exactly
                            CLASS; prints how many
"""
import fcntl
import json
import os
import secrets
import sys

FIRST = b"tessel-message 1"
LAST = b"end"
MAX_BYTES = 32 * 1024 * 1024
CLASS_TAG = 0x001A001F


class Damaged(Exception):
    pass


def escape_text(text):
    out = bytearray()
    for b in text.encode("utf-8"):
        if b < 0x20 or b == 0x25 or b == 0x7F:
            out += b"%%%02x" % b
        else:
            out.append(b)
    return bytes(out)


def unescape_text(raw):
    out = bytearray()
    i = 0
    while i < len(raw):
        b = raw[i]
        if b < 0x20 or b == 0x7F:
            raise Damaged("control byte in a text")
        if b == 0x25:
            digits = raw[i + 1:i + 3]
            if len(digits) != 2 or any(d not in b"0123456789abcdefABCDEF" for d in digits):
                raise Damaged("bad escape")
            out.append(int(digits, 16))
            i += 3
        else:
            out.append(b)
            i += 1
    return out.decode("utf-8")


def format_value(tag, value):
    kind = tag & 0xFFFF
    if kind == 0x0003:
        return str(int(value)).encode()
    if kind == 0x001F:
        return escape_text(value)
    if kind == 0x0102:
        return bytes.fromhex(value).hex().encode()
    raise ValueError("type %04x cannot be stored" % kind)


def parse_value(tag, raw):
    kind = tag & 0xFFFF
    if kind == 0x0003:
        text = raw.decode("ascii", "replace")
        body = text[1:] if text.startswith("-") else text
        if not body.isdigit() or not body.isascii():
            raise Damaged("bad number")
        number = int(text)
        if not -2**31 <= number < 2**31:
            raise Damaged("number out of range")
        return number
    if kind == 0x001F:
        return unescape_text(raw)
    if kind == 0x0102:
        if len(raw) % 2 or any(d not in b"0123456789abcdefABCDEF" for d in raw):
            raise Damaged("bad bytes")
        return raw.decode().lower()
    raise Damaged("type %04x" % kind)


def encode_message(message):
    lines = [FIRST]

    def row(values):
        for tag, value in values:
            tag = int(tag, 16)
            lines.append(b"prop %08x " % tag + format_value(tag, value))

    row(message.get("props", []))
    for values in message.get("recipients", []):
        lines.append(b"recipient")
        row(values)
    for values in message.get("attachments", []):
        lines.append(b"attachment")
        row(values)
    lines.append(LAST)
    return b"\n".join(lines) + b"\n"


def decode_message(data):
    if len(data) > MAX_BYTES:
        raise Damaged("too large")
    if not data.endswith(b"\n"):
        raise Damaged("cut short")
    lines = data[:-1].split(b"\n")
    if lines[0] != FIRST:
        raise Damaged("not format 1")
    if lines[-1] != LAST or LAST in lines[1:-1]:
        raise Damaged("no single end line at the end")
    message = {"props": [], "recipients": [], "attachments": []}
    section = message["props"]
    for line in lines[1:-1]:
        if line == b"recipient":
            section = []
            message["recipients"].append(section)
        elif line == b"attachment":
            section = []
            message["attachments"].append(section)
        elif line.startswith(b"prop ") and len(line) >= 14 and line[13:14] == b" ":
            try:
                tag = int(line[5:13], 16)
            except ValueError:
                raise Damaged("bad tag")
            if not all(d in b"0123456789abcdefABCDEF" for d in line[5:13]):
                raise Damaged("bad tag")
            name = "%08x" % tag
            if any(t == name for t, _ in section):
                raise Damaged("a value repeated")
            section.append([name, parse_value(tag, line[14:])])
        else:
            raise Damaged("not a value: %r" % line[:40])
    return message


def read_file(path):
    with open(path, "rb") as f:
        return decode_message(f.read(MAX_BYTES + 1))


class Lock:
    def __init__(self, folder, exclusive):
        self.fd = os.open(os.path.join(folder, ".lock"), os.O_RDWR | os.O_CREAT, 0o644)
        fcntl.flock(self.fd, fcntl.LOCK_EX if exclusive else fcntl.LOCK_SH)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        os.close(self.fd)


def message_ids(folder):
    ids = []
    for name in sorted(os.listdir(folder)):
        stem = name[:-4]
        if name.endswith(".msg") and len(stem) == 32 and all(c in "0123456789abcdef" for c in stem):
            ids.append(stem)
    return ids


def store(folder, message, ident=None):
    ident = ident or secrets.token_hex(16)
    data = encode_message(message)
    os.makedirs(folder, exist_ok=True)
    with Lock(folder, True):
        for name in os.listdir(folder):
            if name.startswith(".") and name.endswith(".tmp"):
                os.unlink(os.path.join(folder, name))
        temp = os.path.join(folder, ".%s.%d.tmp" % (ident, os.getpid()))
        with open(temp, "wb") as f:
            f.write(data)
            f.flush()
            os.fsync(f.fileno())
        os.rename(temp, os.path.join(folder, ident + ".msg"))
    return ident


def list_folder(folder):
    good, damaged = [], []
    with Lock(folder, False):
        for ident in message_ids(folder):
            try:
                good.append((ident, read_file(os.path.join(folder, ident + ".msg"))))
            except (Damaged, UnicodeDecodeError, OSError):
                damaged.append(ident + ".msg")
    return good, damaged


def message_class(message):
    for tag, value in message["props"]:
        if int(tag, 16) == CLASS_TAG:
            return value
    return None


def delete_class(folder, wanted):
    with Lock(folder, True):
        gone = 0
        for ident in message_ids(folder):
            path = os.path.join(folder, ident + ".msg")
            try:
                if message_class(read_file(path)) == wanted:
                    os.unlink(path)
                    gone += 1
            except (Damaged, UnicodeDecodeError):
                pass
        return gone


def dump(message):
    out = []
    for tag, value in message["props"]:
        out.append("message %s %s" % (tag, json.dumps(value, ensure_ascii=False)))
    for kind in ("recipients", "attachments"):
        for n, values in enumerate(message[kind]):
            for tag, value in values:
                out.append("%s %d %s %s" % (kind[:-1], n, tag, json.dumps(value, ensure_ascii=False)))
    return out


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "read":
            print("\n".join(dump(read_file(argv[2]))))
        elif len(argv) == 4 and argv[1] == "write":
            print(store(argv[2], json.loads(argv[3])))
        elif len(argv) == 5 and argv[1] == "write-many":
            for n in range(int(argv[3])):
                store(argv[2], {"props": [["001a001f", argv[4]], ["0037001f", "python %d" % n]]})
        elif len(argv) == 3 and argv[1] == "list":
            good, damaged = list_folder(argv[2])
            for ident, message in good:
                print(ident, message_class(message))
            for name in damaged:
                print("damaged", name)
        elif len(argv) == 4 and argv[1] == "delete-class":
            print(delete_class(argv[2], argv[3]))
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (Damaged, UnicodeDecodeError) as e:
        print("damaged:", e, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
