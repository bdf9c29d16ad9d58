#!/usr/bin/env python3
"""A test MMS relay on 127.0.0.1, for the MMS transport tests.

It speaks the relay's side of MMS over HTTP: binary MMS encapsulated PDUs
(Content-Type application/vnd.wap.mms-message) in POST bodies and GET
replies. It reads only the two fields it needs from a request PDU (the
message type and the transaction id) and builds its replies byte by byte
here, so it shares nothing with the client's codecs.

The first line it prints is "PORT <n>". Every request is saved in the
folder given by --save (default: a new temporary folder, printed as
"SAVE <dir>" on the second line) as NNN.head (request line and headers as
received) and NNN.body (the body, possibly empty), numbered from 001, and
appended to requests.log as one line:

    NNN METHOD PATH type=<message type byte, hex, or -> tid=<id or -> body=<bytes>

With --notification LOCATION TID it prints, as hex, the m-notification-ind
that would announce the message at LOCATION, and exits; with --manual the
notification recommends manual retrieval.

Paths:
  POST /mms          m-send-req         -> 200 m-send-conf (status Ok; ?status=N
                                           sets X-Mms-Response-Status 0x80+N
                                           with a Response-Text)
                     m-mbox-view-req    -> 200 m-mbox-view-conf with
                                           ?descriptors=N (default 3) parts,
                                           each an m-mbox-descr whose location
                                           is a preview here, and the
                                           X-Mms-Mbox-Totals
  POST /mms/         the same (an MMbox view goes to "/?sua=ID")
  POST /mms-nototals the same, the view without X-Mms-Mbox-Totals
                     m-notifyresp-ind, m-acknowledge-ind, anything else
                                        -> 204, no body
                     m-forward-req, m-mbox-store-req, m-mbox-delete-req
                                        -> 200 m-forward-conf, m-mbox-store-conf,
                                           m-mbox-delete-conf; ?status=N sets
                                           X-Mms-Response-Status 0x80+N (with a
                                           Response-Text when not Ok), for a store
                                           X-Mms-Store-Status (and its text)
  POST /mms/empty    any PDU            -> 200 with no body
  GET  /retrieve/ID  200 m-retrieve-conf (transaction id ID) with a SMIL
                     part and a text part; ?status=N adds
                     X-Mms-Retrieve-Status 0x80+N and a Retrieve-Text
                     (with --body ID FILE: the parts of FILE instead);
                     with &thumbnail=true the preview, as for /msg/ID
  GET  /preview/ID   the message's preview: 200, a small image body, and the
                     X-QV- summary headers as HTTP headers: X-QV-From-Address
                     (?from=, default +15550001111), X-QV-Message-Type
                     (?type=), X-QV-To-Address-List (?to=), X-QV-Client-Message-Id
                     (?client=), X-QV-Message-Charge-Text (?charge=),
                     X-QV-Folder (?folder=), X-QV-Image-Count (?images=);
                     ?nofrom=1 leaves the sender out
  GET  /msg/ID       a notification's location: the preview with
                     &thumbnail=true, else as /retrieve/ID; ?size=N adds an
                     image part of N bytes; ?late=MS answers the retrieval
                     after MS milliseconds; ?failonce=1 answers the first
                     retrieval of the location with 503; ?undecodable=N
                     serves the m-retrieve-conf without its last N bytes
                     (whole as HTTP goes: its parts run past its end)
  GET  /status/N, POST /status/N       -> status N, a short text body
  GET  /stall, POST /stall             -> reads the request, never answers

With --body ID FILE (repeatable) the m-retrieve-conf of message ID, at
/retrieve/ID and /msg/ID, carries the message in FILE instead: a MIME
multipart (as Python's email package writes one; tests/peers/mms_message.py
makes them). Its From, To, Cc and Subject become the PDU's, and each MIME
part a WSP part with its content type (and charset), Content-ID and
Content-Location.

Notifications go to the phone as connectionless WSP push datagrams over UDP
to 127.0.0.1, as a push arrives over an IP bearer:

  mms_relay.py push PORT ID [--location URL] [--size N] [--from NUMBER]

sends one m-notification-ind for message ID (content location URL, default
http://127.0.0.1/retrieve/ID) to 127.0.0.1:PORT and prints the
notification's bytes as hex ("PDU <hex>"), then the whole datagram
("DATAGRAM <hex>").
"""
import argparse
import email
import email.policy
import http.server
import os
import socketserver
import sys
import tempfile
import threading
import time
import urllib.parse

MMS_TYPE = "application/vnd.wap.mms-message"

# X-Mms-Message-Type wire values.
SEND_REQ, SEND_CONF = 0x80, 0x81
NOTIFICATION_IND = 0x82
NOTIFYRESP_IND, RETRIEVE_CONF, ACKNOWLEDGE_IND = 0x83, 0x84, 0x85
MBOX_VIEW_REQ, MBOX_VIEW_CONF, MBOX_DESCR = 0x8D, 0x8E, 0x93
F_MBOX_TOTALS = 0xAA
NOTIFICATION_IND = 0x82
FORWARD_REQ, FORWARD_CONF = 0x89, 0x8A
MBOX_STORE_REQ, MBOX_STORE_CONF = 0x8B, 0x8C
MBOX_DELETE_REQ, MBOX_DELETE_CONF = 0x91, 0x92

# Field bytes (0x80 + field code).
F_CONTENT_LOCATION, F_CONTENT_TYPE, F_DATE, F_FROM = 0x83, 0x84, 0x85, 0x89
F_EXPIRY, F_MESSAGE_CLASS = 0x88, 0x8A
F_MESSAGE_ID, F_MESSAGE_TYPE, F_VERSION, F_MESSAGE_SIZE = 0x8B, 0x8C, 0x8D, 0x8E
F_RESPONSE_STATUS, F_SUBJECT, F_TO, F_TRANSACTION_ID = 0x92, 0x96, 0x97, 0x98
F_MM_STATE, F_MESSAGE_COUNT = 0xA3, 0xAD
F_EXPIRY, F_MESSAGE_CLASS, F_RESPONSE_TEXT = 0x88, 0x8A, 0x93
F_RETRIEVE_STATUS, F_RETRIEVE_TEXT = 0x99, 0x9A
F_CC = 0x82
F_STORE_STATUS, F_STORE_STATUS_TEXT = 0xA5, 0xA6

VERSION_1_2 = 0x92
STATUS_OK = 0x80
DATE = 1700000000


# --- reading a request PDU -------------------------------------------------

def skip_value(pdu, i):
    """Index after the WSP value at i: a short integer, a length-prefixed
    value, or a text up to its NUL."""
    first = pdu[i]
    if first >= 0x80:
        return i + 1
    if first < 0x1F:
        return i + 1 + first
    if first == 0x1F:
        length, i = read_uintvar(pdu, i + 1)
        return i + length
    return pdu.index(0, i) + 1


def read_uintvar(data, i):
    value = 0
    while True:
        byte = data[i]
        i += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, i


def request_fields(pdu):
    """(message type byte, transaction id) of a request PDU; None for what
    is absent or cannot be read."""
    message_type, tid = None, None
    i = 0
    try:
        while i < len(pdu) and pdu[i] != F_CONTENT_TYPE:
            field = pdu[i]
            if field < 0x80:  # an application header: name and value texts
                i = pdu.index(0, i) + 1
                i = pdu.index(0, i) + 1
                continue
            if field == F_MESSAGE_TYPE:
                message_type = pdu[i + 1]
            elif field == F_TRANSACTION_ID:
                end = pdu.index(0, i + 1)
                tid = pdu[i + 1:end].lstrip(b'"').decode("ascii", "replace")
            i = skip_value(pdu, i + 1)
    except (IndexError, ValueError):
        pass
    return message_type, tid


# --- building replies --------------------------------------------------------

def text(value):
    return value.encode("ascii") + b"\0"


def uintvar(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))


def long_integer(value):
    data = value.to_bytes((value.bit_length() + 7) // 8 or 1, "big")
    return bytes([len(data)]) + data


def value_length(n):
    return bytes([n]) if n < 31 else b"\x1f" + uintvar(n)


def address(field, number):
    return bytes([field]) + text(number + "/TYPE=PLMN")


def from_field(number):
    value = b"\x80" + text(number + "/TYPE=PLMN")  # Address-present-token
    return bytes([F_FROM]) + value_length(len(value)) + value


def part(content_type, headers, data):
    head = content_type + headers
    return uintvar(len(head)) + uintvar(len(data)) + head + data


def send_conf(tid, number, status=0):
    out = (bytes([F_MESSAGE_TYPE, SEND_CONF, F_TRANSACTION_ID]) + text(tid or "none")
           + bytes([F_VERSION, VERSION_1_2, F_RESPONSE_STATUS, STATUS_OK + status]))
    if status:
        return out + bytes([F_RESPONSE_TEXT]) + text("refused %d" % status)
    return out + bytes([F_MESSAGE_ID]) + text("relay-msg-%d" % number)


SMIL = (b'<smil><head><layout><root-layout/><region id="Text"/></layout></head>'
        b'<body><par dur="5000ms"><text src="text.txt" region="Text"/></par></body></smil>')
TEXT = b"Hello from the test relay"


def notification_ind(location, tid, size=2048, sender="+15550001111", manual=False):
    expiry = b"\x81" + long_integer(86400)  # relative
    # X-Mms-Recommended-Retrieval-Mode (0x34) Manual
    mode = bytes([0x80 | 0x34, 0x80]) if manual else b""
    return (bytes([F_MESSAGE_TYPE, NOTIFICATION_IND, F_TRANSACTION_ID]) + text(tid)
            + bytes([F_VERSION, VERSION_1_2]) + from_field(sender)
            + bytes([F_SUBJECT]) + text("Relay subject")
            + bytes([F_MESSAGE_CLASS, 0x80])  # Personal
            + bytes([F_MESSAGE_SIZE]) + long_integer(size)
            + bytes([F_EXPIRY]) + value_length(len(expiry)) + expiry
            + bytes([F_CONTENT_LOCATION]) + text(location) + mode)


def operation_conf(message_type, tid, status):
    # An m-mbox-store-conf answers with X-Mms-Store-Status (and its text), the others
    # with X-Mms-Response-Status.
    status_field, text_field = F_RESPONSE_STATUS, F_RESPONSE_TEXT
    if message_type == MBOX_STORE_CONF:
        status_field, text_field = F_STORE_STATUS, F_STORE_STATUS_TEXT
    out = (bytes([F_MESSAGE_TYPE, message_type, F_TRANSACTION_ID]) + text(tid or "none")
           + bytes([F_VERSION, VERSION_1_2, status_field, 0x80 + status]))
    if status:
        out += bytes([text_field]) + text("refused %d" % status)
    return out


PREVIEW = b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;"


def retrieve_conf(tid, status=None, size=0):
    # Content-Type: multipart.related; type="application/smil"; start="<smil>"
    params = b"\x89" + text("application/smil") + b"\x8a" + text("<smil>")
    content_type = bytes([F_CONTENT_TYPE]) + value_length(1 + len(params)) + b"\xb3" + params
    smil = part(text("application/smil"),
                b"\xc0\x22" + text("<smil>") + b"\x8e" + text("smil.xml"), SMIL)
    # text/plain; charset=utf-8
    plain = part(b"\x03\x83\x81\xea", b"\xc0\x22" + text("<text>") + b"\x8e" + text("text.txt"), TEXT)
    retrieve_status = b""
    if status is not None:
        retrieve_status = bytes([F_RETRIEVE_STATUS, 0x80 + status])
        if status:
            retrieve_status += bytes([F_RETRIEVE_TEXT]) + text("gone %d" % status)
    return (bytes([F_MESSAGE_TYPE, RETRIEVE_CONF, F_TRANSACTION_ID]) + text(tid)
            + bytes([F_VERSION, VERSION_1_2, F_MESSAGE_ID]) + text("relay-msg-" + tid) + retrieve_status
            + bytes([F_DATE]) + long_integer(DATE) + from_field("+15550001111")
            + address(F_TO, "+15550002222") + bytes([F_SUBJECT]) + text("Relay subject")
            + content_type + uintvar(3 if size else 2) + smil + plain + big_part(size))


# Well-known charsets (IANA MIBenum) and multipart types.
CHARSETS = {"utf-8": 106, "us-ascii": 3}
MULTIPART = {"multipart/related": 0xB3, "multipart/mixed": 0xA3}


def part_content_type(mime):
    media = mime.get_content_type()
    charset = (mime.get_content_charset() or "").lower()
    if charset in CHARSETS:
        value = text(media) + bytes([0x81, 0x80 | CHARSETS[charset]])
        return value_length(len(value)) + value
    return text(media)


def any_address(field, value):
    value = value.strip()
    return bytes([field]) + text(value if "@" in value else value + "/TYPE=PLMN")


def mime_retrieve_conf(tid, path, status=None):
    """The m-retrieve-conf of the MIME message in the file at path."""
    with open(path, "rb") as source:
        mime = email.message_from_binary_file(source, policy=email.policy.compat32)
    # A multipart with no parts is written with one empty part; it is none.
    parts = [p for p in (mime.get_payload() if mime.is_multipart() else []) if p.keys() or p.get_payload()]
    params = b""
    if mime.get_param("type"):
        params += b"\x89" + text(mime.get_param("type"))
    if mime.get_param("start"):
        params += b"\x8a" + text(mime.get_param("start"))
    kind = MULTIPART.get(mime.get_content_type(), 0xB3)
    content_type = bytes([F_CONTENT_TYPE]) + value_length(1 + len(params)) + bytes([kind]) + params
    body = b""
    for p in parts:
        headers = b""
        if p["Content-ID"]:
            headers += b"\xc0\x22" + text(p["Content-ID"])
        if p["Content-Location"]:
            headers += b"\x8e" + text(p["Content-Location"])
        body += part(part_content_type(p), headers, p.get_payload(decode=True) or b"")
    recipients = b"".join(any_address(F_TO, a) for a in (mime["To"] or "").split(",") if a.strip())
    recipients += b"".join(any_address(F_CC, a) for a in (mime["Cc"] or "").split(",") if a.strip())
    retrieve_status = b""
    if status is not None:
        retrieve_status = bytes([F_RETRIEVE_STATUS, 0x80 + status])
    return (bytes([F_MESSAGE_TYPE, RETRIEVE_CONF, F_TRANSACTION_ID]) + text(tid)
            + bytes([F_VERSION, VERSION_1_2, F_MESSAGE_ID]) + text("relay-msg-" + tid) + retrieve_status
            + bytes([F_DATE]) + long_integer(DATE) + from_field(mime["From"] or "+15550001111")
            + recipients + bytes([F_SUBJECT]) + text(mime["Subject"] or "")
            + content_type + uintvar(len(parts)) + body)


def big_part(size):
    if not size:
        return b""
    data = bytes((i * 7 + (i >> 8)) & 0xFF for i in range(size))
    # image/jpeg, its location
    return part(b"\x9e", b"\x8e" + text("big.jpg"), data)


def mbox_descr(n, base="http://127.0.0.1"):
    # The stored message's location: its preview on this relay.
    return (bytes([F_MESSAGE_TYPE, MBOX_DESCR, F_MESSAGE_ID]) + text("mbox-msg-%d" % n)
            + bytes([F_CONTENT_LOCATION]) + text("%s/preview/mbox-msg-%d" % (base, n))
            + bytes([F_MM_STATE, 0x82])  # New
            + bytes([F_DATE]) + long_integer(DATE + n) + from_field("+1555000%04d" % n)
            + bytes([F_SUBJECT]) + text("Stored %d" % n)
            + bytes([F_MESSAGE_SIZE]) + long_integer(1000 + n))


def mbox_view_conf(tid, count, base="http://127.0.0.1", totals=True):
    parts = b"".join(part(b"\xbe", b"", mbox_descr(n + 1, base)) for n in range(count))
    return (bytes([F_MESSAGE_TYPE, MBOX_VIEW_CONF, F_TRANSACTION_ID]) + text(tid or "none")
            + bytes([F_VERSION, VERSION_1_2, F_RESPONSE_STATUS, STATUS_OK])
            + bytes([F_MESSAGE_COUNT]) + bytes([0x80 + count])
            # X-Mms-Mbox-Totals: the folder holds just these messages.
            + (bytes([F_MBOX_TOTALS, 0x02, 0x80, 0x80 + count]) if totals else b"")
            + bytes([F_CONTENT_TYPE, 0xA3]) + uintvar(count) + parts)


# WSP: PDU type Push, the well-known content type application/vnd.wap.mms-message
# and X-Wap-Application-Id: x-wap-application:mms.ua (both by number).
WSP_PUSH = 0x06
WSP_MMS_CONTENT_TYPE = 0x80 | 0x3E
WSP_APPLICATION_ID, WSP_MMS_UA = 0x80 | 0x2F, 0x80 | 0x04


def wsp_push(transaction, pdu):
    headers = bytes([WSP_MMS_CONTENT_TYPE, WSP_APPLICATION_ID, WSP_MMS_UA])
    return bytes([transaction & 0xFF, WSP_PUSH]) + uintvar(len(headers)) + headers + pdu


def send_push(argv):
    import socket
    parser = argparse.ArgumentParser(prog="mms_relay.py push", description="send one MMS notification")
    parser.add_argument("port", type=int)
    parser.add_argument("id")
    parser.add_argument("--location")
    parser.add_argument("--size", type=int, default=2048)
    parser.add_argument("--from", dest="sender", default="+15550001111")
    args = parser.parse_args(argv)
    location = args.location or "http://127.0.0.1/retrieve/" + args.id
    pdu = notification_ind(location, args.id, args.size, args.sender)
    datagram = wsp_push(sum(args.id.encode()), pdu)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as out:
        out.sendto(datagram, ("127.0.0.1", args.port))
    print("PDU " + pdu.hex())
    print("DATAGRAM " + datagram.hex())
    return 0


# --- the HTTP side ------------------------------------------------------------

class Relay(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body leave in two writes: with Nagle's algorithm a short
    # body waits for the proxy's delayed acknowledgement of the headers (40 ms).
    disable_nagle_algorithm = True
    counter = 0
    lock = threading.Lock()
    save_dir = "."
    # Locations whose one failure (?failonce=1) has been served.
    failed = set()
    # Message id to the MIME file served as its content (--body).
    bodies = {}

    def log_message(self, *args):
        pass

    def read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            body = b""
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip(), 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return body
                body += self.rfile.read(size)
                self.rfile.readline()
        return self.rfile.read(int(self.headers.get("Content-Length", "0") or "0"))

    def save(self, body, message_type, tid):
        with Relay.lock:
            Relay.counter += 1
            number = Relay.counter
            stem = os.path.join(Relay.save_dir, "%03d" % number)
            with open(stem + ".head", "wb") as out:
                out.write(self.requestline.encode("latin-1") + b"\r\n" + bytes(self.headers))
            with open(stem + ".body", "wb") as out:
                out.write(body)
            with open(os.path.join(Relay.save_dir, "requests.log"), "a") as log:
                log.write("%03d %s %s type=%s tid=%s body=%d\n" % (
                    number, self.command, self.path,
                    "-" if message_type is None else "%02x" % message_type, tid or "-", len(body)))
        return number

    def reply(self, status, body=b"", content_type=MMS_TYPE):
        self.send_response(status)
        if status not in (204, 304):
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if status not in (204, 304):
            self.wfile.write(body)

    def cut_short(self, body, missing):
        # The whole body's length is promised, the last bytes never come.
        self.send_response(200)
        self.send_header("Content-Type", MMS_TYPE)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[:len(body) - missing])
        self.wfile.flush()
        self.close_connection = True

    def stall(self):
        # The client gives up first; the connection is left to its close.
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            if not self.rfile.read1(1):
                break
        self.close_connection = True

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        self.save(b"", None, None)
        if url.path == "/stall":
            return self.stall()
        if url.path.startswith("/status/"):
            return self.reply(int(url.path[8:]), b"status\n", "text/plain")
        query = urllib.parse.parse_qs(url.query)
        if url.path.startswith("/retrieve/"):
            # A notification's location too (make run prints it): its preview
            # with thumbnail=true.
            if query.get("thumbnail", [""])[0] == "true":
                return self.preview(query)
            status = int(query["status"][0]) if "status" in query else None
            return self.reply(200, self.retrieve(url.path[10:] or "none", status))
        if url.path.startswith("/preview/"):
            return self.preview(query)
        if url.path.startswith("/msg/"):
            # One location for both: the preview with thumbnail=true.
            if query.get("thumbnail", [""])[0] == "true":
                return self.preview(query)
            if "failonce" in query and self.path not in Relay.failed:
                Relay.failed.add(self.path)
                return self.reply(503, b"try later\n", "text/plain")
            if "late" in query:
                time.sleep(int(query["late"][0]) / 1000.0)
            status = int(query["status"][0]) if "status" in query else None
            size = int(query.get("size", ["0"])[0])
            body = self.retrieve(url.path[5:] or "none", status, size)
            if "short" in query:
                return self.cut_short(body, int(query["short"][0]))
            cut = int(query.get("undecodable", ["0"])[0])
            return self.reply(200, body[:len(body) - cut])
        self.reply(404, b"no such message\n", "text/plain")

    def retrieve(self, tid, status, size=0):
        if tid in Relay.bodies:
            return mime_retrieve_conf(tid, Relay.bodies[tid], status)
        return retrieve_conf(tid, status, size)

    def preview(self, query):
        headers = []
        if "nofrom" not in query:
            headers.append(("X-QV-From-Address", query.get("from", ["+15550001111"])[0]))
        for key, name in (("type", "X-QV-Message-Type"), ("to", "X-QV-To-Address-List"),
                          ("client", "X-QV-Client-Message-Id"), ("charge", "X-QV-Message-Charge-Text"),
                          ("folder", "X-QV-Folder"), ("images", "X-QV-Image-Count")):
            if key in query:
                headers.append((name, query[key][0]))
        self.send_response(200)
        self.send_header("Content-Type", "image/gif")
        self.send_header("Content-Length", str(len(PREVIEW)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(PREVIEW)

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        # The MMbox view goes to the relay's address with "/" and "?sua=ID".
        path = url.path.rstrip("/") or "/"
        body = self.read_body()
        message_type, tid = request_fields(body)
        number = self.save(body, message_type, tid)
        if path == "/stall":
            return self.stall()
        if path.startswith("/status/"):
            return self.reply(int(path[8:]), b"status\n", "text/plain")
        if path == "/mms/empty":
            return self.reply(200, b"")
        if path not in ("/mms", "/mms-nototals"):
            return self.reply(404, b"no such path\n", "text/plain")
        if message_type == SEND_REQ:
            status = int(urllib.parse.parse_qs(url.query).get("status", ["0"])[0])
            return self.reply(200, send_conf(tid, number, status))
        confs = {FORWARD_REQ: FORWARD_CONF, MBOX_STORE_REQ: MBOX_STORE_CONF, MBOX_DELETE_REQ: MBOX_DELETE_CONF}
        if message_type in confs:
            status = int(urllib.parse.parse_qs(url.query).get("status", ["0"])[0])
            return self.reply(200, operation_conf(confs[message_type], tid, status))
        if message_type == MBOX_VIEW_REQ:
            query = urllib.parse.parse_qs(url.query)
            count = int(query.get("descriptors", ["3"])[0])
            base = "http://127.0.0.1:%d" % self.server.server_address[1]
            return self.reply(200, mbox_view_conf(tid, count, base, path != "/mms-nototals"))
        self.reply(204)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "push":
        sys.exit(send_push(sys.argv[2:]))
    parser = argparse.ArgumentParser(description="test MMS relay")
    parser.add_argument("--save", help="folder for the received requests")
    parser.add_argument("--lifetime", type=float, default=300.0, help="seconds before it exits by itself")
    parser.add_argument("--notification", nargs=2, metavar=("LOCATION", "TID"),
                        help="print the m-notification-ind for LOCATION as hex and exit")
    parser.add_argument("--manual", action="store_true", help="the notification recommends manual retrieval")
    parser.add_argument("--body", nargs=2, action="append", default=[], metavar=("ID", "FILE"),
                        help="serve the MIME message in FILE as the content of message ID")
    args = parser.parse_args()
    Relay.bodies = {tid: path for tid, path in args.body}
    if args.notification:
        print(notification_ind(*args.notification, manual=args.manual).hex())
        return
    Relay.save_dir = args.save or tempfile.mkdtemp(prefix="mms-relay-")
    os.makedirs(Relay.save_dir, exist_ok=True)
    server = Server(("127.0.0.1", 0), Relay)
    print("PORT %d" % server.server_address[1])
    print("SAVE %s" % Relay.save_dir)
    sys.stdout.flush()
    threading.Timer(args.lifetime, server.shutdown).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
