#!/usr/bin/env python3
"""Decode MMS PDUs with tshark's mmse dissector and print what it saw.

Each PDU file becomes the body of an HTTP POST (Content-Type
application/vnd.wap.mms-message) carried in TCP segments of a pcap file, so
PDUs of any size go through tshark's reassembly. The dissection is read as
PDML and printed one fact per line:

    header X-Mms-Message-Type: 0x80
    header Date: 1700000000
    content-type: application/vnd.wap.multipart.related
    param type: application/smil
    part 1 content-type: text/plain
    part 1 param charset: UTF-8
    part 1 content-id: "<text>"
    part 1 content-location: text.txt
    part 1 data: 26 <CRC-32 of the data, 8 hex digits>
    part 1 header X-Mms-Message-Type: 0x93     (an MMS PDU inside a part)
    malformed: no

Header names are the ones tshark shows; enumerated values keep tshark's
"0x.." form, dates are seconds since 1970, relative times whole seconds; a
field tshark does not decode shows "raw" and what tshark printed of it.
Exit status: 0 when every PDU was dissected as mmse, 1 otherwise.

Usage: mms_tshark.py PDU [PDU ...]   (with several PDUs, each block starts
with "pdu <file name>"). Several PDUs go into one pcap, one TCP stream each,
and tshark reads them in one run.
"""
import calendar
import os
import re
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
import zlib

SEGMENT = 32000
FIRST_PORT = 40000
# Expert items that mean tshark found the PDU faulty (chat and notes do not).
EXPERT_SEVERITY = re.compile(r"\((Warning|Error)/")


def checksum(data):
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack("!%dH" % (len(data) // 2), data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


def tcp_frame(payload, port, seq, ack, flags):
    src, dst = bytes([10, 0, 0, 1]), bytes([10, 0, 0, 2])
    tcp = struct.pack("!HHIIBBHHH", port, 80, seq, ack, 5 << 4, flags, 65535, 0, 0) + payload
    pseudo = src + dst + struct.pack("!BBH", 0, 6, len(tcp))
    tcp = tcp[:16] + struct.pack("!H", checksum(pseudo + tcp)) + tcp[18:]
    ip = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 20 + len(tcp), 1, 0, 64, 6, 0, src, dst)
    ip = ip[:10] + struct.pack("!H", checksum(ip)) + ip[12:]
    eth = b"\x02\0\0\0\0\x02" + b"\x02\0\0\0\0\x01" + b"\x08\x00"
    return eth + ip + tcp


def stream_frames(body, port):
    request = (b"POST /mms HTTP/1.1\r\nHost: 127.0.0.1\r\n"
               b"Content-Type: application/vnd.wap.mms-message\r\n"
               b"Content-Length: %d\r\n\r\n" % len(body)) + body
    frames = [tcp_frame(b"", port, 999, 0, 0x02)]  # SYN, so the stream starts cleanly
    seq = 1000
    for start in range(0, len(request), SEGMENT):
        chunk = request[start:start + SEGMENT]
        frames.append(tcp_frame(chunk, port, seq, 1, 0x18))
        seq += len(chunk)
    return frames


# The PDU of index i is the stream from port FIRST_PORT + i.
def write_pcap(path, bodies):
    with open(path, "wb") as out:
        out.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 262144, 1))
        number = 0
        for index, body in enumerate(bodies):
            for frame in stream_frames(body, FIRST_PORT + index):
                out.write(struct.pack("<IIII", number, 0, len(frame), len(frame)))
                out.write(frame)
                number += 1


def uintvar(data, pos):
    value = 0
    while pos < len(data):
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos
    raise ValueError("uintvar runs past the data")


def header_name(field):
    showname = field.get("showname", "")
    return showname.split(":", 1)[0].strip()


def header_value(field):
    name = field.get("name", "")
    show = field.get("show", "")
    if name in ("mmse.date", "mmse.expiry.abs", "mmse.delivery_time.abs",
                "mmse.reply_charging_deadline.abs", "mmse.prev_sent_date"):
        try:
            stamp = show.rsplit(".", 1)[0] if show.endswith(" UTC") else show
            stamp = stamp.replace(" UTC", "")
            return str(calendar.timegm(time.strptime(stamp, "%b %d, %Y %H:%M:%S")))
        except ValueError:
            return show
    if name.endswith(".rel") and show.endswith(".000000000"):
        return show[:-len(".000000000")]
    return show


class Printer:
    def __init__(self):
        self.lines = []
        self.seen_mmse = False

    def emit(self, prefix, text):
        self.lines.append(prefix + text)

    def content_type(self, field, prefix):
        self.emit(prefix, "content-type: " + field.get("show", ""))
        for param in field:
            name = param.get("name", "")
            if name.startswith("wsp.parameter.") and name != "wsp.parameter.type":
                self.emit(prefix, "param %s: %s" % (header_name(param).lower(), param.get("show", "")))

    def part(self, field, prefix):
        try:
            raw = bytes.fromhex(field.get("value", ""))  # "field length invalid!" when cut
            headers_len, pos = uintvar(raw, 0)
            data_len, pos = uintvar(raw, pos)
            data = raw[pos + headers_len:pos + headers_len + data_len]
        except ValueError:
            data = b""
            data_len = -1
        self.walk(field, prefix)
        self.emit(prefix, "data: %d %08x" % (data_len, zlib.crc32(data)))

    def walk(self, node, prefix):
        for child in node:
            tag, name = child.tag, child.get("name", "")
            if tag == "proto" and name == "mmse":
                self.seen_mmse = True
                self.walk(child, prefix)
            elif tag == "proto" and name == "http":
                self.walk(child, prefix)
            elif tag == "proto" and name == "_ws.malformed":
                self.emit("", "malformed-at: " + child.get("showname", ""))
            elif tag == "proto":
                continue  # the data of a part, dissected by its own protocol
            elif name.startswith("mmse."):
                value = header_value(child)
                if "(not decoded)" in child.get("showname", ""):
                    value = "raw " + value
                self.emit(prefix, "header %s: %s" % (header_name(child), value))
            elif name == "wsp.header.content_type":
                self.content_type(child, prefix)
            elif name == "wsp.header.content_id":
                self.emit(prefix, "content-id: " + child.get("show", ""))
            elif name == "wsp.header.content_location":
                self.emit(prefix, "content-location: " + child.get("show", ""))
            elif name == "wsp.multipart":
                self.part(child, "%spart %s " % (prefix, child.get("show", "?")))
            elif name == "_ws.expert":
                if EXPERT_SEVERITY.search(child.get("showname", "")):
                    self.emit("", "expert: " + child.get("showname", ""))
            elif name == "wsp.header.name_value":
                continue
            else:
                self.walk(child, prefix)


def source_port(packet):
    for field in packet.iter("field"):
        if field.get("name") == "tcp.srcport":
            return int(field.get("show", "0"))
    return None


# Each PDU's lines and whether tshark saw it as mmse, in the order given.
def dissect(bodies):
    with tempfile.TemporaryDirectory() as scratch:
        pcap = os.path.join(scratch, "pdus.pcap")
        write_pcap(pcap, bodies)
        try:
            run = subprocess.run(["tshark", "-n", "-r", pcap, "-T", "pdml"],
                                 capture_output=True, timeout=60 + 5 * len(bodies))
        except FileNotFoundError:
            return [(["tshark-failed: not installed"], False)] * len(bodies)
    if run.returncode != 0:
        sys.stderr.write(run.stderr.decode("utf-8", "replace"))
        return [(["tshark-failed: %d" % run.returncode], False)] * len(bodies)
    printers = [Printer() for _ in bodies]
    # tshark copies the bytes of a field it cannot decode into PDML as they
    # are: not always UTF-8, and control bytes XML does not allow.
    pdml = run.stdout.decode("utf-8", "replace")
    pdml = re.sub(r"[\x00-\x08\x0b\x0c\x0e-\x1f]", "?", pdml)
    root = ET.fromstring(pdml)
    for packet in root.iter("packet"):
        index = (source_port(packet) or 0) - FIRST_PORT
        if not 0 <= index < len(printers):
            continue
        after_http = False
        for proto in packet:
            after_http = after_http or proto.get("name") == "http"
            if after_http:
                printers[index].walk([proto], "")
    results = []
    for printer in printers:
        malformed = any(line.startswith("malformed-at") for line in printer.lines)
        printer.lines.append("malformed: " + ("yes" if malformed else "no"))
        if not printer.seen_mmse:
            printer.lines.append("mmse: absent")
        results.append((printer.lines, printer.seen_mmse))
    return results


def main(paths):
    if not paths:
        sys.stderr.write(__doc__)
        return 2
    bodies = []
    for path in paths:
        with open(path, "rb") as source:
            bodies.append(source.read())
    ok = True
    for path, (lines, seen) in zip(paths, dissect(bodies)):
        if len(paths) > 1:
            print("pdu " + os.path.basename(path))
        ok = ok and seen
        for line in lines:
            print(line)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
