#!/usr/bin/env python3
"""Writes the sample MMS PDUs the codec tests read (*.mms in this folder).

Each PDU is spelled out below field by field in the WSP / MMS encapsulation
encoding, so a reader can check every byte against the encoding rules
without running our C++. Usage:

    make_pdus.py DIR            write the samples into DIR
    make_pdus.py --compare DIR  exit 1 unless DIR holds exactly these bytes
    make_pdus.py --tshark DIR   also have tests/peers/mms_tshark.py read each
                                sample and fail on a malformed or faulty one
"""
import os
import subprocess
import sys

DATE = bytes([0x04, 0x65, 0x53, 0xF1, 0x00])  # long integer 1700000000
URL = b"http://127.0.0.1:8080/mms?id=abc"
FROM_PLMN = b"+15550001111/TYPE=PLMN"
SMIL = (b'<smil><head><layout><root-layout width="160" height="120"/>'
        b'<region id="Text" top="0" left="0" width="160" height="120"/>'
        b'</layout></head><body><par dur="5000ms"><text src="text.txt" region="Text"/>'
        b"</par></body></smil>")
TEXT = b"Hello from the oracle test"


def text(value):
    return value + b"\0"


def short(value):
    return bytes([0x80 | value])


def field(code, value):
    return short(code) + value


def uintvar(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def length(value):
    assert len(value) <= 30, "value length over 30 needs the long form"
    return bytes([len(value)]) + value


def head(kind, transaction=None):
    out = field(0x0C, short(kind))
    if transaction is not None:
        out += field(0x18, text(transaction))
    return out


VERSION = field(0x0D, short(0x12))  # 1.2
FROM = field(0x09, length(short(0) + text(FROM_PLMN)))  # address-present token, then the address


def utf8_text(value):
    return length(short(0x6A) + text(value))  # charset 106, UTF-8


def part(headers, data):
    return uintvar(len(headers)) + uintvar(len(data)) + headers + data


def related_body(text_headers):
    content_type = field(0x04, length(short(0x33) + short(0x09) + text(b"application/smil")
                                      + short(0x0A) + text(b"<smil>")))
    smil_headers = (length(text(b"application/smil")) + short(0x40) + b'"' + text(b"<smil>")
                    + short(0x0E) + text(b"smil.xml"))
    text_type = length(short(0x03) + short(0x01) + short(0x6A))  # text/plain; charset=utf-8
    return content_type + uintvar(2) + part(smil_headers, SMIL) + part(text_type + text_headers, TEXT)


def mbox_descr():
    return (head(0x13) + field(0x0B, text(b"msgid-0001")) + field(0x03, text(URL)) + field(0x05, DATE)
            + FROM + field(0x16, text(b"Descr subject")) + field(0x0E, bytes([0x02, 0x08, 0x00])))


def samples():
    mms_part_type = length(short(0x3E))  # application/vnd.wap.mms-message
    return {
        "acknowledge_ind.mms": head(0x05, b"N0001") + VERSION + field(0x11, short(0)),
        "example_notification_ind.mms": head(0x02, b"T1") + VERSION,
        "mbox_delete_req.mms": head(0x11, b"MMS-user") + VERSION + field(0x03, text(URL)),
        "mbox_descr.mms": mbox_descr(),
        "mbox_view_conf.mms": (head(0x0E, b"MMS-user") + VERSION + field(0x12, short(0)) + field(0x2D, short(2))
                               + field(0x04, length(short(0x23))) + uintvar(2)
                               + part(mms_part_type, mbox_descr()) + part(mms_part_type, mbox_descr())),
        "mbox_view_req.mms": (head(0x0D, b"MMS-user") + VERSION
                              + field(0x24, length(short(0) + text(b"com.example.folder=/Sent")))
                              + b"".join(field(0x28, short(a)) for a in (1, 2, 5, 9, 15, 22, 23))
                              + field(0x2F, short(1)) + field(0x33, short(10)) + field(0x29, short(0))),
        "notification_ind.mms": (head(0x02, b"N0001") + VERSION + FROM + field(0x16, text(b"Notif subject"))
                                 + field(0x0A, short(0)) + field(0x0E, bytes([0x03, 0x01, 0xE2, 0x40]))
                                 + field(0x08, length(short(1) + bytes([0x03, 0x01, 0x51, 0x80])))
                                 + field(0x03, text(URL))),
        "notifyresp_ind.mms": head(0x03, b"N0001") + VERSION + field(0x15, short(1)) + field(0x11, short(0)),
        "retrieve_conf.mms": (head(0x04, b"R0001") + VERSION + field(0x0B, text(b"msgid-0001"))
                              + field(0x05, DATE) + FROM + field(0x17, text(b"+15552223333/TYPE=PLMN"))
                              + field(0x16, utf8_text(b"Retrieved subject"))
                              + related_body(short(0x0E) + text(b"text.txt"))),
        "send_conf.mms": head(0x01, b"T0001") + VERSION + field(0x12, short(0)) + field(0x0B, text(b"msgid-0001")),
        "send_req.mms": (head(0x00, b"T0001") + VERSION + field(0x05, DATE) + FROM
                         + field(0x17, text(b"+15552223333/TYPE=PLMN")) + field(0x17, text(b"alice@example.com"))
                         + field(0x16, utf8_text(b"Test subject")) + field(0x0A, short(0))
                         + field(0x06, short(1)) + field(0x10, short(1))
                         + related_body(short(0x40) + b'"' + text(b"<text>") + short(0x0E) + text(b"text.txt"))),
    }


def tshark_faults(path):
    oracle = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../peers/mms_tshark.py")
    run = subprocess.run([sys.executable, oracle, path], capture_output=True, text=True, timeout=120)
    lines = run.stdout.splitlines()
    faults = [l for l in lines if l.startswith(("expert:", "malformed-at", "mmse: absent", "tshark-"))]
    if run.returncode != 0 and not faults:
        faults.append("mms_tshark.py exit %d: %s" % (run.returncode, run.stderr.strip()))
    return faults


def main(args):
    mode = args[0] if args and args[0].startswith("--") else "--write"
    folder = args[-1] if args and not args[-1].startswith("--") else None
    if folder is None:
        sys.stderr.write(__doc__)
        return 2
    ok = True
    for name, data in sorted(samples().items()):
        path = os.path.join(folder, name)
        if mode == "--compare":
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                print("%s differs from what make_pdus.py writes" % path)
                ok = False
            continue
        with open(path, "wb") as f:
            f.write(data)
        if mode == "--tshark":
            for fault in tshark_faults(path):
                print("%s: %s" % (name, fault))
                ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
