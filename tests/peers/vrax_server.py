#!/usr/bin/env python3
"""A test server of the service protocol, and a checker of its request bodies.

Requests are HTTP POSTs whose body is multipart/mixed with the boundary
"Veltmarsh": the first part (Content-Type application/X-VRAX) holds the XML
request document, whose root "VRAX" carries seq, time_req and time_last_rsp
and whose children are "context" then one request element; an upload adds a
second part with the media bytes. A first part followed by a second one ends
with an empty line, and its Content-Length counts it.

Replies are multipart too, with Content-Length and the boundary announced as
"--Veltmarsh", so that its delimiter lines read "----Veltmarsh". Part headers
have single-word values, encodings are 8bit or base64 and Content-IDs carry
no angle brackets.

    vrax_server.py --check FILE    check one request body, print its parts
    vrax_server.py --reply NAME    print the body of a scripted reply
    vrax_server.py --fetched       print the sha256 of each item a fetch serves
    vrax_server.py --icon ID       print the bytes of the menu icon ID that the
                                   "icons" reply serves (to a fetch, the icons
                                   it names)
    vrax_server.py SCRIPT LOG      serve on 127.0.0.1 (the port is printed),
                                   one scripted reply per request, then exit

    vrax_server.py SCRIPT LOG --announce
                                   the same, the port printed as "PORT n"
    vrax_server.py SCRIPT LOG --announce --gate FILE
                                   the same, no request read before FILE
                                   exists
    vrax_server.py --demo LOG      serve until ended, the port printed as
                                   "PORT n"; each reply chosen by the
                                   request element (DEMO_REPLIES below)

SCRIPT is a comma-separated list of reply names (REPLIES below), or
"status302", "bad-boundary" or "no-dash-boundary" (the boundary announced
without dashes), or "huge" (a well-formed contents reply of 100 MB, made
while it is sent, so the server holds none of it); a name followed by "-split" is sent seven bytes per write,
by "-cut" closed inside its last parts, by "-cutlast" closed in the middle
of its last part's content, by "-stalllast" held there for a while and then
closed, by "-pauselast" held there for PAUSE_SECONDS and then sent whole,
by "-stall" half sent and then held for a
while. One log line per request: its number, the script word, seq,
time_req, request element, identity form, a list request's window
(offset,count), the size and sha256 of the
attachment, the password of a "validate" identity and the names of the
request's headers in their order. Each well-formed request's document is
kept beside the log as LOG.N.xml (N its number). The server exits after MAX_SECONDS in any
case.
"""
import base64
import email
import email.policy
import hashlib
import http.server
import os
import signal
import sys
import time
import xml.etree.ElementTree as ET

BOUNDARY = "Veltmarsh"
REPLY_BOUNDARY = "--Veltmarsh"


def check_body(body):
    """The parts of a request body: (content type, length, bytes). Raises
    ValueError when the body has a defect or a part's length is wrong."""
    head = b"Content-Type: multipart/mixed; boundary=" + BOUNDARY.encode() + b"\r\n\r\n"
    message = email.message_from_bytes(head + body, policy=email.policy.compat32)
    if message.defects:
        raise ValueError("defects: %r" % message.defects)
    parts = []
    payload = message.get_payload()
    if not isinstance(payload, list) or not payload:
        raise ValueError("no parts")
    for n, part in enumerate(payload):
        if part.defects:
            raise ValueError("part %d defects: %r" % (n, part.defects))
        if part.get("Content-Transfer-Encoding", "").lower() == "base64":
            data = part.get_payload(decode=False).encode("ascii")
        else:
            data = part.get_payload(decode=True) or b""
        declared = int(part.get("Content-Length", "-1"))
        if declared != len(data):
            raise ValueError("part %d: Content-Length %d, %d bytes" % (n, declared, len(data)))
        parts.append((part.get_content_type() if part.get("Content-Type") else "", len(data), data))
    if parts[0][0] != "application/x-vrax":
        raise ValueError("first part is %s" % parts[0][0])
    root = ET.fromstring(parts[0][2])
    if root.tag != "VRAX" or root.get("seq") is None or root.get("time_req") is None:
        raise ValueError("not a request document")
    children = list(root)
    if len(children) != 2 or children[0].tag != "context":
        raise ValueError("root holds %r" % [c.tag for c in children])
    return parts, root


def describe(parts, root):
    request = list(root)[1]
    identity = next((c.tag for c in request if c.tag in ("dest-userid", "dest-deviceid", "validate")), "-")
    lines = ["seq=%s time_req=%s request=%s identity=%s" % (root.get("seq"), root.get("time_req"), request.tag, identity)]
    contents = request.find("contents")
    if request.tag == "list-req" and contents is not None:
        lines[0] += " window=%s,%s" % (contents.get("offset"), contents.get("count"))
    if request.tag == "media-req":
        numelem = request.find("numelem")
        lines[0] += " numelem=%s ids=%s rend=%s" % (
            numelem.get("val") if numelem is not None else "-",
            ",".join(e.get("id") or "-" for e in request.findall("elem")) or "-",
            ",".join("%s:%s" % (r.get("name") or "-", (r.text or "").strip()) for r in request.findall("rend")) or "-")
    validate = request.find("validate")
    if validate is not None:
        passwd = next((a.text or "" for a in validate.findall("attr") if a.get("name") == "passwd"), "")
        lines[0] += " passwd=%s" % (passwd or "-")
    for content_type, length, data in parts:
        lines.append("part %s %d %s" % (content_type or "-", length, hashlib.sha256(data).hexdigest()))
    return lines


def document(inner):
    return ('<?xml version="1.0" ?>\n<VRAX ver="5.1" seq="1" time_rsp="1800000000">\n'
            + inner + '</VRAX>').encode()


def reply_body(parts):
    """parts: (headers, content) pairs; the VRAX part first."""
    out = b""
    for headers, content in parts:
        out += b"----" + BOUNDARY.encode() + b"\r\n"
        for name, value in headers:
            out += ("%s: %s\r\n" % (name, value)).encode()
        out += b"\r\n" + content + b"\r\n"
    return out + b"----" + BOUNDARY.encode() + b"--\r\n"


def vrax_doc_part(doc):
    """The VRAX part of a whole document, as given."""
    return ([("Content-Length", len(doc)), ("Content-Type", "application/X-VRAX")], doc)


def vrax_part(inner):
    return vrax_doc_part(document(inner))


def media_part(content_type, content_id, data, encoding="8bit"):
    if encoding == "base64":
        data = base64.encodebytes(data)
    return ([("Content-Length", len(data)), ("Content-Type", content_type),
             ("Content-ID", content_id), ("Content-Transfer-Encoding", encoding)], data)


JPEG = bytes([0xFF, 0xD8, 0xFF, 0xE0]) + bytes(range(256)) + b"\r\n--Velt\r\n" + bytes([0xFF, 0xD9])
CONFIG = b'<?xml version="1.0"?>\n<config><screen id="1"/></config>\n'
# A scenario configuration with its release and two categories of
# destinations, the second holding one.
DESTINATIONS = (b'<?xml version="1.0" encoding="UTF-8"?>\n<vxlcfg>\n <config rel="9.0" lang="en-US"/>\n'
                b' <destList>\n  <cat id="photo" lev="0"><name>Photo Sites</name></cat>\n'
                b'  <dest id="gallery" lev="1"><name>Gallery</name></dest>\n'
                b'  <cat id="shops" lev="0"><name>Print Shops</name></cat>\n'
                b'  <dest id="kiosk" lev="1"><name>Kiosk</name></dest>\n </destList>\n'
                b' <scenarios>\n' + b''.join(
                    b'  <scenario id="s%d"><field fid="title"><layout type="title" vis="Y">'
                    b'<label>Scenario %d</label></layout></field></scenario>\n' % (n, n) for n in range(20))
                + b' </scenarios>\n</vxlcfg>\n')

REPLIES = {
    "register": [vrax_part('<context>k1</context>\n<reg-rsp>\n <attr name="id">D42</attr>\n</reg-rsp>\n')],
    "register-no-id": [vrax_part('<context>k1</context>\n<reg-rsp/>\n')],
    "register-config": [vrax_part('<context>k1</context>\n<reg-rsp>\n <attr name="id">D42</attr>\n</reg-rsp>\n'),
                        media_part("text/xml", "vxlcfg", CONFIG)],
    "error266": [vrax_part('<error code="266">\n <attr name="msg">Unknown subscriber</attr>\n</error>\n')],
    "error273": [vrax_part('<error code="273">\n <attr name="msg">Password expired</attr>\n</error>\n')],
    "error274": [vrax_part('<error code="274">\n <attr name="msg">Device id revoked</attr>\n</error>\n')],
    "alert": [vrax_part('<list-choice-alert msg="Pick an album" time="30">\n'
                        ' <list offset="0" count="2">\n  <li id="a1" status="0" default="true">Holiday</li>\n'
                        '  <li id="a2" status="1">Work</li>\n </list>\n</list-choice-alert>\n')],
    "alert-ack": [vrax_part('<context>k2</context>\n<ack/>\n')],
    "album-page": [vrax_part('<album-list offset="0" count="2">\n <album id="7">Holiday</album>\n'
                             ' <album id="8">Work</album>\n</album-list>\n')],
    "contents-page": [vrax_part('<album-contents id="7" offset="0" count="1">\n'
                                ' <item id="1234" type="image/jpeg">beach</item>\n</album-contents>\n')],
    "media": [vrax_part('<get-media-rsp/>\n'),
              media_part("image/jpeg", "1234", JPEG),
              media_part("image/jpeg", "abc", JPEG, "base64"),
              ([("Content-Length", 11), ("Content-Type", "application/x-qv-destination-list"),
                ("Content-Transfer-Encoding", "8bit")], b"dest1,dest2")],
    "media-reordered": None,
    "mgmt": [vrax_part('<context>k1</context>\n<mgmt-resp>\n <attr name="id">D42</attr>\n'
                       ' <uri name="item_share">http://svc.example/share</uri>\n'
                       ' <uri name="account_mgmt">http://svc.example/account</uri>\n'
                       ' <uri name="media_browse">http://svc.example/browse</uri>\n'
                       ' <uri name="help">http://svc.example/help</uri>\n</mgmt-resp>\n')],
    "mgmt-no-id": [vrax_part('<mgmt-resp>\n <uri name="help">http://svc.example/help</uri>\n</mgmt-resp>\n')],
    "mgmt-config": None,
    "albums-last": [vrax_part('<contents offset="10" count="5" total="15">\n' + "".join(
        ' <container id="C%d">\n  <attr name="TITLE">Album %d</attr>\n'
        '  <attr name="DATEUTC">2027-01-0%d</attr>\n  <attr name="TIMEUTC">10:00:00</attr>\n'
        '  <attr name="NUMBER_ITEMS_IMAGE_MEDIA">%d</attr>\n  <attr name="NUMBER_ITEMS_VIDEO_MEDIA">1</attr>\n'
        '  <icon_uid id="I%d" pos="%d" type="image/jpeg"/>\n </container>\n'
        % (n, n, n + 1, n * 2, n, {0: 5, 4: 3}.get(n, n % 3)) for n in range(5)) + '</contents>\n')],
    "items": [vrax_part('<contents offset="0" count="3" total="3">\n'
                        ' <item id="U1" type="image/jpeg">\n  <attr name="TITLE">Beach</attr>\n'
                        '  <attr name="SIZE_ORIGINAL">640,480</attr>\n  <attr name="SIZE_BYTESACTUAL">51234</attr>\n'
                        '  <attr name="SECONDSUTC">1700000000</attr>\n  <attr name="SECONDSUTC_UPLOAD">1700000500</attr>\n'
                        '  <attr name="LAT_3GPP2">-1234</attr>\n  <attr name="LON_3GPP2">5678</attr>\n </item>\n'
                        ' <item id="U2" type="video/3gpp">\n  <attr name="TITLE">Waves</attr>\n'
                        '  <attr name="SIZE_ORIGINAL">640</attr>\n </item>\n'
                        ' <item id="U3" type="image/png">\n  <attr name="TITLE">Dropped</attr>\n </item>\n'
                        '</contents>\n')],
    "items-empty": [vrax_part('<contents offset="0" count="0" total="0">\n</contents>\n')],
    "error-info266": [vrax_part('<error>\n <error-info id="266" msg="Unknown subscriber">\n'
                                '  <error code="1"/>\n </error-info>\n</error>\n')],
    "error-info273": [vrax_part('<error>\n <error-info id="273" msg="Item refused"/>\n</error>\n')],
    "error-info280": [vrax_part('<error>\n <error-info id="280" msg="Album is full"/>\n</error>\n')],
    "error-info7": [vrax_part('<error>\n <error-info id="7" msg="Not provisioned"/>\n</error>\n')],
    "album-created": [vrax_part('<context>k3</context>\n<container id="C9"/>\n')],
    "choice-ack": [vrax_part('<list-choice-resp-ack id="a2"/>\n')],
    "queued-uri": [vrax_part('<uri>http://svc.example/sent/9</uri>\n')],
    "queued-uri-other": [vrax_part('<uri>javascript:alert(1)</uri>\n')],
    "upload-ack": [vrax_part('<media-xfer>\n <elem id="U77"/>\n</media-xfer>\n')],
    "upload-ack2": [vrax_part('<media-xfer>\n <elem id="U78"/>\n</media-xfer>\n')],
    "lookup-found": [vrax_part('<media-list>\n <list count="1">\n  <li uid="U1"/>\n </list>\n</media-list>\n')],
    "lookup-none": [vrax_part('<media-list>\n <list count="0"/>\n</media-list>\n')],
    "done": [vrax_part('<context>k3</context>\n')],
}
REPLIES["items50"] = [vrax_part('<contents offset="0" count="50" total="50">\n' + "".join(
    ' <item id="U%d" type="image/jpeg">\n  <attr name="TITLE">Picture %d</attr>\n'
    '  <attr name="SIZE_ORIGINAL">640,480</attr>\n  <attr name="SIZE_BYTESACTUAL">%d</attr>\n'
    '  <attr name="SECONDSUTC">%d</attr>\n </item>\n' % (n, n, 40000 + n, 1700000000 + n)
    for n in range(50)) + '</contents>\n')]
REPLIES["mgmt-config"] = REPLIES["mgmt"] + [media_part("text/xml", "vxlcfg", CONFIG)]
REPLIES["mgmt-destinations"] = REPLIES["mgmt"] + [media_part("text/xml", "vxlcfg", DESTINATIONS)]


def album_list(titles):
    """A whole album list (its last page): containers C1, C2, ... titled so."""
    return [vrax_part('<contents offset="0" count="%d" total="%d">\n' % (len(titles), len(titles)) + "".join(
        ' <container id="C%d">\n  <attr name="TITLE">%s</attr>\n'
        '  <attr name="NUMBER_ITEMS_IMAGE_MEDIA">%d</attr>\n  <attr name="NUMBER_ITEMS_VIDEO_MEDIA">0</attr>\n'
        ' </container>\n' % (n + 1, title, n + 2) for n, title in enumerate(titles)) + '</contents>\n')]


REPLIES["albums1"] = album_list(["Holiday"])
REPLIES["albums3"] = album_list(["Holiday", "Work", "Trip"])


def media_bytes(n, seed):
    """n bytes of an item, with a delimiter line of the reply inside."""
    cycle = bytes((i * 31 + seed) & 0xFF for i in range(256))
    data = (cycle * (n // 256 + 1))[:n]
    if n > 40:
        data = data[:20] + b"\r\n----Veltmarsh\r\n" + data[20 + 17:]
    return data


FETCHED = {"I1": media_bytes(3000, 1), "I2": media_bytes(9000, 2), "I3": media_bytes(1, 3)}
FETCH_REPLY = vrax_part('<get-media-rsp/>\n')
# Parts of a batch fetch of I1, I2, I3 (octet-streams named by Content-ID).
REPLIES["fetch3"] = [FETCH_REPLY] + [media_part("image/jpeg", i, FETCHED[i]) for i in ("I3", "I2", "I1")]
REPLIES["fetch-none"] = [FETCH_REPLY]
REPLIES["fetch2of3"] = [FETCH_REPLY] + [media_part("image/jpeg", i, FETCHED[i]) for i in ("I3", "I1")]
REPLIES["fetch-unknown"] = [FETCH_REPLY, media_part("image/jpeg", "I1", FETCHED["I1"]),
                            media_part("image/jpeg", "X9", FETCHED["I2"])]
# A batch of nine items of 200 KB each, F1 to F9.
FETCHED9 = {"F%d" % n: media_bytes(200 * 1024, n) for n in range(1, 10)}
REPLIES["fetch9x200k"] = [FETCH_REPLY] + [media_part("image/jpeg", i, FETCHED9[i]) for i in sorted(FETCHED9)]


def png_bytes(width, height, rgb):
    """A small PNG of one colour: signature, IHDR, one IDAT, IEND."""
    import struct
    import zlib

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    rows = b"".join(b"\x00" + bytes(rgb) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


# Menu icons of a menu list, by their ids; U1 is no picture at all.
ICONS = {"M1": png_bytes(16, 16, (200, 30, 30)), "M2": png_bytes(20, 10, (30, 30, 200)), "U1": b"no picture at all"}
REPLIES["icons"] = [FETCH_REPLY] + [media_part("image/jpeg", i, ICONS[i]) for i in sorted(ICONS)]
REPLIES["media-reordered"] = [REPLIES["media"][0], REPLIES["media"][3], REPLIES["media"][2], REPLIES["media"][1]]


def icons_reply(root):
    """The "icons" reply to a fetch: the icons it names, in its order (a
    part for an item not asked for would fail the whole fetch)."""
    ids = [e.get("id") for e in list(root)[1].findall("elem")]
    return [FETCH_REPLY] + [media_part("image/jpeg", i, ICONS[i]) for i in ids if i in ICONS]


# A document type with entities that nest, and contents pages whose offset
# or count no request could have asked for.
DOCTYPE = ('<?xml version="1.0" ?>\n<!DOCTYPE VRAX [\n <!ENTITY a "aaaaaaaaaa">\n'
           ' <!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">\n <!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">\n]>\n'
           '<VRAX ver="5.1" seq="1"><contents offset="0" count="0" total="0">&c;</contents></VRAX>').encode()
REPLIES["doctype"] = [vrax_doc_part(DOCTYPE)]
REPLIES["offset-minus-one"] = [vrax_part('<contents offset="-1" count="1" total="1">\n'
                                         ' <container id="C0"><attr name="TITLE">A</attr></container>\n'
                                         '</contents>\n')]
REPLIES["count-max"] = [vrax_part('<contents offset="0" count="4294967295" total="1">\n'
                                  ' <container id="C0"><attr name="TITLE">A</attr></container>\n'
                                  '</contents>\n')]
# "huge": a well-formed contents reply of HUGE_BYTES, made while it is sent.
HUGE_BYTES = 100 * 1000 * 1000
HUGE_ENTRY = b' <container id="C0"><attr name="TITLE">' + b"x" * 200 + b"</attr></container>\n"


def huge_reply():
    head = ('<?xml version="1.0" ?>\n<VRAX ver="5.1" seq="1">\n'
            '<contents offset="0" count="5" total="5">\n').encode()
    tail = b"</contents>\n</VRAX>"
    entries = (HUGE_BYTES - len(head) - len(tail)) // len(HUGE_ENTRY)
    document_length = len(head) + entries * len(HUGE_ENTRY) + len(tail)
    before = ("----%s\r\nContent-Length: %d\r\nContent-Type: application/X-VRAX\r\n\r\n"
              % (BOUNDARY, document_length)).encode() + head
    after = tail + b"\r\n----" + BOUNDARY.encode() + b"--\r\n"
    return before, entries, after


# Behaviours besides the replies above, by script word.
BAD_BOUNDARY = [vrax_part("<ack/>\n")]
MAX_SECONDS = 30
STALL_SECONDS = 5
PAUSE_SECONDS = 1


def reply_for(name):
    if name == "bad-boundary":
        # Announced as usual, delimited by another word.
        return reply_body(BAD_BOUNDARY).replace(b"----Veltmarsh\r\n", b"----Westmarsh\r\n", 1)
    return reply_body(REPLIES[name])


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_POST(self):
        server = self.server
        word = server.script[server.served] if server.served < len(server.script) else "error266"
        server.served += 1
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        if server.demo:
            word = demo_word(body)
        line = "request %d %s" % (server.served, word)
        served_parts = None
        if self.headers.get("Content-Type") != "multipart/mixed; boundary=Veltmarsh":
            line += " bad content type %r" % self.headers.get("Content-Type")
        else:
            try:
                parts, root = check_body(body)
                if word == "icons":
                    served_parts = icons_reply(root)
                # The request document, kept as LOG.N.xml.
                with open("%s.%d.xml" % (server.log.name, server.served), "wb") as kept:
                    kept.write(parts[0][2])
                info = describe(parts, root)
                attachment = info[2].split()[2:] if len(info) > 2 else ["0", "-"]
                line += " %s attachment=%s sha256=%s" % (info[0], attachment[0], attachment[1])
            except (ValueError, ET.ParseError) as error:
                line += " bad body: %s" % error
        line += " headers=" + ",".join(self.headers.keys())
        server.log.write(line + "\n")
        server.log.flush()
        if word == "status302":
            self.send_response(302)
            self.send_header("Location", "http://127.0.0.1:1/elsewhere")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if word == "huge":
            before, entries, after = huge_reply()
            self.send_response(200)
            self.send_header("Content-Type", "multipart/mixed; boundary=" + REPLY_BOUNDARY)
            self.send_header("Content-Length", str(len(before) + entries * len(HUGE_ENTRY) + len(after)))
            self.end_headers()
            chunk = HUGE_ENTRY * 256
            try:
                self.wfile.write(before)
                for _ in range(entries // 256):
                    self.wfile.write(chunk)
                self.wfile.write(HUGE_ENTRY * (entries % 256) + after)
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True
            return
        name = word.split("-split")[0].split("-cut")[0].split("-stall")[0].split("-pause")[0]
        announced = REPLY_BOUNDARY
        if name == "no-dash-boundary":
            # Delimiter lines "--Veltmarsh": the boundary without a dash.
            name, announced = "done", BOUNDARY
        reply = reply_for(name) if served_parts is None else reply_body(served_parts)
        if announced == BOUNDARY:
            reply = reply.replace(b"----" + BOUNDARY.encode(), b"--" + BOUNDARY.encode())
        self.send_response(200)
        self.send_header("Content-Type", "multipart/mixed; boundary=" + announced)
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        if word.endswith("-pauselast"):
            last = reply_body([REPLIES[name][-1]])
            content = REPLIES[name][-1][1]
            at = len(reply) - len(last) + last.rfind(content) + len(content) // 2
            self.wfile.write(reply[:at])
            self.wfile.flush()
            time.sleep(PAUSE_SECONDS)
            self.wfile.write(reply[at:])
        elif word.endswith("-cutlast") or word.endswith("-stalllast"):
            last = reply_body([REPLIES[name][-1]])
            content = REPLIES[name][-1][1]
            at = len(reply) - len(last) + last.rfind(content) + len(content) // 2
            self.wfile.write(reply[:at])
            self.wfile.flush()
            if word.endswith("-stalllast"):
                time.sleep(STALL_SECONDS)
            self.close_connection = True
        elif word.endswith("-cut"):
            # Promised whole, closed inside the second part.
            self.wfile.write(reply[: len(reply) * 2 // 3])
            self.close_connection = True
        elif word.endswith("-stall"):
            self.wfile.write(reply[: len(reply) // 2])
            self.wfile.flush()
            time.sleep(STALL_SECONDS)
            self.close_connection = True
        elif word.endswith("-split"):
            for at in range(0, len(reply), 7):
                self.wfile.write(reply[at:at + 7])
                self.wfile.flush()
        else:
            self.wfile.write(reply)


# The demo's scenario configuration, which the demo server hands over with
# its registration reply (the one tools/demo_root.py writes).
DEMO_CONFIG_PATH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "screens", "data", "vxlcfg.xml")
with open(DEMO_CONFIG_PATH, "rb") as demo_config:
    REPLIES["mgmt-demo"] = REPLIES["mgmt"] + [media_part("text/xml", "vxlcfg", demo_config.read())]

# The demo server's reply to each request element; anything else gets "done".
DEMO_REPLIES = {
    "mgmt-req": "mgmt-demo",
    "list-req": "items",
    "media-req": "fetch3",
    "media-xfer": "upload-ack",
    "upload": "upload-ack",
    "list-choice-resp": "choice-ack",
    "media-list": "lookup-none",
}


class DemoScript:
    """An endless script: the word for a request is read from its body."""

    def __getitem__(self, index):
        return "demo"

    def __len__(self):
        return 1 << 62


def demo_word(body):
    try:
        parts, root = check_body(body)
        return DEMO_REPLIES.get(list(root)[1].tag, "done")
    except (ValueError, ET.ParseError, IndexError):
        return "done"


def serve(script, log_path, announce=False, gate=None, demo=False):
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    server.script = script
    server.served = 0
    server.timeout = 1
    server.demo = demo
    if not demo:
        signal.alarm(MAX_SECONDS)
    with open(log_path, "a") as log:
        server.log = log
        port = server.server_address[1]
        print(("PORT %d" % port) if announce else port, flush=True)
        # Requests wait in the listen queue until the test opens the gate.
        while gate and not os.path.exists(gate):
            time.sleep(0.01)
        while server.served < len(script):
            server.handle_request()
    server.server_close()
    return 0


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "--fetched":
        for name, data in sorted(FETCHED.items()):
            print(name, hashlib.sha256(data).hexdigest())
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "--icon":
        sys.stdout.buffer.write(ICONS[sys.argv[2]])
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "--reply":
        sys.stdout.buffer.write(reply_for(sys.argv[2]))
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        with open(sys.argv[2], "rb") as f:
            body = f.read()
        try:
            parts, root = check_body(body)
        except (ValueError, ET.ParseError) as error:
            print("bad %s" % error)
            return 1
        print("\n".join(describe(parts, root)))
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "--demo":
        return serve(DemoScript(), sys.argv[2], announce=True, demo=True)
    if len(sys.argv) == 3 and not sys.argv[1].startswith("-"):
        return serve(sys.argv[1].split(","), sys.argv[2])
    if len(sys.argv) == 4 and sys.argv[3] == "--announce":
        return serve(sys.argv[1].split(","), sys.argv[2], announce=True)
    if len(sys.argv) == 6 and sys.argv[3] == "--announce" and sys.argv[4] == "--gate":
        return serve(sys.argv[1].split(","), sys.argv[2], announce=True, gate=sys.argv[5])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
