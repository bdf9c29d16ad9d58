#!/usr/bin/env python3
"""HTTP test server of replies that never end or contradict themselves, on
127.0.0.1. The first line it prints is "PORT <n>". One request per
connection; its path picks the reply:

  /trickle/N/MS      200 with Content-Length N, then the body one byte
                     every MS milliseconds
  /trickle-head/MS   a 200 head with a 5-byte body, the head written one
                     byte every MS milliseconds
  /endless-continue  "100 Continue" heads back to back, never a final one
  /both-framings     Content-Length 5 and chunked framing of 10 bytes
                     ("hello" "world"): the chunks are the body
Every reply stops when the client goes away, and the server itself exits
after 120 seconds whatever happens, so a test cannot leave it behind.
"""
import os
import socket
import sys
import threading
import time

LIFETIME_SECONDS = 120


def read_head(sock):
    data = b""
    while b"\r\n\r\n" not in data:
        more = sock.recv(65536)
        if not more:
            return None
        data += more
    return data.split(b"\r\n", 1)[0].decode("latin-1")


def path_of(request_line):
    target = (request_line.split(" ") + ["", ""])[1]
    if target.startswith("http://"):
        slash = target.find("/", len("http://"))
        target = target[slash:] if slash >= 0 else "/"
    return target.split("?")[0]


def dribble(sock, data, pause_ms):
    for i in range(len(data)):
        sock.sendall(data[i:i + 1])
        time.sleep(pause_ms / 1000.0)


def serve(sock):
    line = read_head(sock)
    if line is None:
        return
    path = path_of(line)
    parts = path.strip("/").split("/")
    if parts[0] == "trickle" and len(parts) == 3:
        n, pause = int(parts[1]), int(parts[2])
        sock.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % n)
        dribble(sock, b"x" * n, pause)
    elif parts[0] == "trickle-head" and len(parts) == 2:
        dribble(sock, b"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", int(parts[1]))
    elif path == "/endless-continue":
        while True:
            sock.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
    elif path == "/both-framings":
        sock.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n"
                     b"5\r\nhello\r\n5\r\nworld\r\n0\r\n\r\n")
        # The client reads up to the last chunk; a close would hide a
        # client that stops at the length instead.
        while sock.recv(65536):
            pass
    else:
        sock.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")


def main():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    deadline = threading.Timer(LIFETIME_SECONDS, os._exit, args=(0,))
    deadline.daemon = True
    deadline.start()
    while True:
        sock, _ = listener.accept()
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

        def run(s=sock):
            try:
                serve(s)
            except OSError:
                pass
            finally:
                s.close()
        threading.Thread(target=run, daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
