#!/usr/bin/env python3
"""Checks vrax_server.py from outside: every scripted behaviour is asked for
with curl, every reply that arrives whole and well framed is read by email
without defects (the bad boundary is meant to be unreadable),
and a loopback capture shows the request's parts in order. Exit 0 when all
hold; tshark's part is skipped (and said so) when tshark is missing."""
import email
import email.policy
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "vrax_server.py")

DOCUMENT = (b'<?xml version="1.0" ?>\n<VRAX ver="5.1" seq="3" time_req="1800000000" time_last_rsp="0">\n'
            b'<context/>\n<upload>\n <dest-deviceid def="VRAX_6_0_DEFAULTS" id="D42"/>\n</upload>\n</VRAX>')
ATTACHMENT = bytes(range(256)) * 3


def request_body():
    return (b"--Veltmarsh\r\nContent-Length: %d\r\nContent-Type: application/X-VRAX\r\n\r\n" % (len(DOCUMENT) + 2)
            + DOCUMENT + b"\r\n\r\n--Veltmarsh\r\nContent-Length: %d\r\nContent-Type: image/jpeg\r\n"
            b"Content-Transfer-Encoding: 8bit\r\n\r\n" % len(ATTACHMENT) + ATTACHMENT + b"\r\n--Veltmarsh--\r\n\r\n")


def start(script, log):
    server = subprocess.Popen([sys.executable, SERVER, script, log], stdout=subprocess.PIPE, text=True)
    return server, int(server.stdout.readline())


def post(port, body_path, out_path, max_time=5):
    done = subprocess.run(["curl", "-s", "-o", out_path, "-w", "%{http_code}", "--max-time", str(max_time),
                           "-H", "Content-Type: multipart/mixed; boundary=Veltmarsh",
                           "--data-binary", "@" + body_path, "http://127.0.0.1:%d/vrax" % port],
                          capture_output=True, text=True, timeout=30)
    return done.returncode, done.stdout


def parts_of(reply):
    head = b'Content-Type: multipart/mixed; boundary="--Veltmarsh"\r\n\r\n'
    message = email.message_from_bytes(head + reply, policy=email.policy.compat32)
    defects = list(message.defects) + [d for p in message.get_payload() for d in p.defects]
    return [p.get_content_type() for p in message.get_payload()], defects


# word, curl exit, status, the part types of a whole reply (None: not whole)
CASES = [
    ("register", 0, "200", ["application/x-vrax"]),
    ("register-no-id", 0, "200", ["application/x-vrax"]),
    ("register-config", 0, "200", ["application/x-vrax", "text/xml"]),
    ("error266", 0, "200", ["application/x-vrax"]),
    ("error273", 0, "200", ["application/x-vrax"]),
    ("error274", 0, "200", ["application/x-vrax"]),
    ("alert", 0, "200", ["application/x-vrax"]),
    ("alert-ack", 0, "200", ["application/x-vrax"]),
    ("album-page", 0, "200", ["application/x-vrax"]),
    ("contents-page", 0, "200", ["application/x-vrax"]),
    ("media", 0, "200", ["application/x-vrax", "image/jpeg", "image/jpeg", "application/x-qv-destination-list"]),
    ("media-reordered-split", 0, "200",
     ["application/x-vrax", "application/x-qv-destination-list", "image/jpeg", "image/jpeg"]),
    ("status302", 0, "302", None),
    ("bad-boundary", 0, "200", None),
    ("media-cut", 18, "200", None),
    ("media-stall", 28, "200", None),
]


def main():
    failures = []
    work = tempfile.mkdtemp()
    try:
        body_path = os.path.join(work, "body.bin")
        with open(body_path, "wb") as f:
            f.write(request_body())
        log = os.path.join(work, "log.txt")
        server, port = start(",".join(c[0] for c in CASES), log)
        for n, (word, want_exit, want_status, want_parts) in enumerate(CASES):
            out = os.path.join(work, "reply%d.bin" % n)
            code, status = post(port, body_path, out, max_time=2 if word.endswith("stall") else 5)
            if (code, status) != (want_exit, want_status):
                failures.append("%s: curl %d status %s" % (word, code, status))
            if want_parts is not None:
                with open(out, "rb") as f:
                    types, defects = parts_of(f.read())
                if types != want_parts or defects:
                    failures.append("%s: parts %r defects %r" % (word, types, defects))
        server.wait(timeout=30)
        with open(log) as f:
            lines = f.read().splitlines()
        if len(lines) != len(CASES) or not all(
                "seq=3 time_req=1800000000 request=upload identity=dest-deviceid attachment=768 " in line
                for line in lines):
            failures.append("log: %r" % lines)
        if shutil.which("tshark") and shutil.which("dumpcap"):
            failures += capture_check(work, body_path)
        else:
            print("tshark missing: capture not checked")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL " + failure)
    print("%d passed, %d failed" % (len(CASES) + 2 - len(failures), len(failures)))
    return 1 if failures else 0


def capture_check(work, body_path):
    pcap = os.path.join(work, "cap.pcap")
    server, port = start("register", os.path.join(work, "log2.txt"))
    capture = subprocess.Popen(["dumpcap", "-q", "-i", "lo", "-f", "tcp port %d" % port, "-a", "duration:20",
                                "-w", pcap], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # dumpcap writes the file's header once it captures.
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and not (os.path.exists(pcap) and os.path.getsize(pcap) > 0):
        time.sleep(0.1)
    time.sleep(0.5)
    post(port, body_path, os.path.join(work, "reply-cap.bin"))
    time.sleep(1)
    capture.send_signal(signal.SIGINT)
    capture.wait(timeout=30)
    server.wait(timeout=30)
    shown = subprocess.run(["tshark", "-r", pcap, "-d", "tcp.port==%d,http" % port, "-Y", "mime_multipart",
                            "-T", "fields", "-e", "mime_multipart.header.content-type"],
                           capture_output=True, text=True, timeout=60).stdout.split()
    if "application/X-VRAX,image/jpeg" not in shown:
        return ["capture shows %r" % shown]
    return []


if __name__ == "__main__":
    sys.exit(main())
