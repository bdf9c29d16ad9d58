#!/usr/bin/env python3
"""A peer that stops reading, on 127.0.0.1.

It prints "PORT <n>", accepts connections, reads each request's head (up to
the empty line) and then reads nothing more and answers nothing, so the
sender's socket fills up. It keeps every connection open and exits after
the number of seconds given as its argument (default 60).
"""
import socket
import sys
import threading
import time


def hold(sock):
    head = b""
    try:
        while b"\r\n\r\n" not in head:
            data = sock.recv(1)
            if not data:
                return
            head += data
    except OSError:
        return
    # The socket stays open and unread until the process ends.


def main():
    lifetime = float(sys.argv[1]) if len(sys.argv) > 1 else 60.0
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    # A small receive window, so a few megabytes fill the path.
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 65536)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    print("PORT %d" % listener.getsockname()[1], flush=True)
    kept = []

    def accept():
        while True:
            sock, _ = listener.accept()
            kept.append(sock)
            threading.Thread(target=hold, args=(sock,), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    time.sleep(lifetime)
    return 0


if __name__ == "__main__":
    sys.exit(main())
