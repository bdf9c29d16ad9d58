#!/usr/bin/env python3
"""HTTP test server for the transport tests, on 127.0.0.1.

It answers with the odd but legal replies that no ordinary server sends.
The first line it prints is "PORT <n>". Every connection carries any number
of requests; the request path picks the reply:

  /echo            200, the request head and body as the body
  /bytes/N         200, N bytes ("0123456789" repeated) with Content-Length
  /overlong/N      200, Content-Length N, then N bytes and 100 "X" bytes more
  /chunked/N       200, N bytes in chunks of at most 1000 bytes
  /split-chunks    200, chunked, each size line written in pieces with pauses
  /folded          200, a folded header, lower-case names, an empty value
  /continue        100 Continue and the final head in one write
  /no-content      204 without Content-Length; the connection stays open
  /close-delimited HTTP/1.0 200 without length; the body ends at the close
  /keep-then-close 200 with "Connection: keep-alive", then the server closes
  /stall           reads the request and never answers
  /status/N        status N with a short body
Every reply carries X-Peer-Connection (the number of the connection, from 1)
and X-Peer-Request (the number of the request on it, from 1).
"""
import socket
import sys
import threading
import time

PATTERN = b"0123456789"


def body_of(n):
    return (PATTERN * (n // len(PATTERN) + 1))[:n]


class Connection:
    def __init__(self, sock, number):
        self.sock = sock
        self.number = number
        self.pending = b""

    def read_until(self, marker):
        while marker not in self.pending:
            data = self.sock.recv(65536)
            if not data:
                return None
            self.pending += data
        index = self.pending.index(marker) + len(marker)
        text, self.pending = self.pending[:index], self.pending[index:]
        return text

    def read_exactly(self, n):
        while len(self.pending) < n:
            data = self.sock.recv(65536)
            if not data:
                return None
            self.pending += data
        text, self.pending = self.pending[:n], self.pending[n:]
        return text

    def read_request(self):
        head = self.read_until(b"\r\n\r\n")
        if head is None:
            return None
        lines = head.decode("latin-1").split("\r\n")
        method, target, _ = (lines[0].split(" ") + ["", "", ""])[:3]
        headers = {}
        for line in lines[1:]:
            if ":" in line:
                name, value = line.split(":", 1)
                headers[name.strip().lower()] = value.strip()
        body = b""
        if "content-length" in headers:
            body = self.read_exactly(int(headers["content-length"]))
        elif headers.get("transfer-encoding", "").lower() == "chunked":
            while True:
                size_line = self.read_until(b"\r\n")
                size = int(size_line.split(b";")[0], 16)
                chunk = self.read_exactly(size + 2)
                if size == 0:
                    break
                body += chunk[:-2]
        return method, target, headers, head, body


def path_of(target):
    if target.startswith("http://"):
        slash = target.find("/", len("http://"))
        target = target[slash:] if slash >= 0 else "/"
    return target.split("?")[0]


def serve(conn):
    request_number = 0
    while True:
        request = conn.read_request()
        if request is None:
            return
        request_number += 1
        method, target, headers, head, body = request
        path = path_of(target)
        ids = ("X-Peer-Connection: %d\r\nX-Peer-Request: %d\r\n" % (conn.number, request_number)).encode()
        send = conn.sock.sendall

        def plain(status, payload, extra=b""):
            send(b"HTTP/1.1 " + status + b"\r\n" + ids + extra
                 + b"Content-Length: " + str(len(payload)).encode() + b"\r\n\r\n"
                 + (b"" if method == "HEAD" else payload))

        if path == "/echo":
            plain(b"200 OK", head + body)
        elif path.startswith("/bytes/"):
            plain(b"200 OK", body_of(int(path[len("/bytes/"):])))
        elif path.startswith("/overlong/"):
            n = int(path[len("/overlong/"):])
            send(b"HTTP/1.1 200 OK\r\n" + ids + b"Content-Length: " + str(n).encode()
                 + b"\r\n\r\n" + body_of(n) + b"X" * 100)
            return
        elif path.startswith("/chunked/"):
            payload = body_of(int(path[len("/chunked/"):]))
            out = b"HTTP/1.1 200 OK\r\n" + ids + b"Transfer-Encoding: chunked\r\n\r\n"
            for i in range(0, len(payload), 1000):
                piece = payload[i:i + 1000]
                out += b"%x\r\n" % len(piece) + piece + b"\r\n"
            send(out + b"0\r\n\r\n")
        elif path == "/split-chunks":
            send(b"HTTP/1.1 200 OK\r\n" + ids + b"Transfer-Encoding: chunked\r\n\r\n")
            for piece in [b"1", b"a\r", b"\n" + b"A" * 26 + b"\r\n", b"0", b"\r", b"\n\r\n"]:
                time.sleep(0.05)
                send(piece)
        elif path == "/folded":
            send(b"HTTP/1.1 200 OK\r\n" + ids
                 + b"X-Folded: first\r\n\tsecond\r\n"
                 + b"x-lower: yes\r\n"
                 + b"X-Empty:\r\n"
                 + b"content-length: 5\r\n\r\nhello")
        elif path == "/continue":
            send(b"HTTP/1.1 100 Continue\r\n\r\n"
                 b"HTTP/1.1 200 OK\r\n" + ids + b"Content-Length: 4\r\n\r\ndone")
        elif path == "/no-content":
            send(b"HTTP/1.1 204 No Content\r\n" + ids + b"\r\n")
        elif path == "/close-delimited":
            send(b"HTTP/1.0 200 OK\r\n" + ids + b"\r\n" + body_of(3000))
            return
        elif path == "/keep-then-close":
            plain(b"200 OK", b"kept", b"Connection: keep-alive\r\n")
            return
        elif path == "/stall":
            while conn.sock.recv(65536):
                pass
            return
        elif path.startswith("/status/"):
            code = path[len("/status/"):].encode()
            plain(code + b" Status", b"status " + code)
        else:
            plain(b"404 Not Found", b"no such path")


def main():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    number = 0
    while True:
        sock, _ = listener.accept()
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        number += 1

        def run(s=sock, n=number):
            try:
                serve(Connection(s, n))
            except (OSError, ValueError):
                pass
            finally:
                s.close()
        threading.Thread(target=run, daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
