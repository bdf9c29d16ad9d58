#!/usr/bin/env python3
"""Asks an X window to close as a window manager would: a WM_PROTOCOLS
client message carrying WM_DELETE_WINDOW (Xlib through ctypes, standard
library only).

Usage: x_close.py WINDOW_ID
"""
import ctypes
import ctypes.util
import sys

CLIENT_MESSAGE = 33


class ClientMessage(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class Event(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]


def main():
    window = int(sys.argv[1], 0)
    x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(Event)]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x.XOpenDisplay(None)
    if not display:
        print("no display", file=sys.stderr)
        return 1
    event = Event()
    event.client.type = CLIENT_MESSAGE
    event.client.window = window
    event.client.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.client.format = 32
    event.client.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.client.data[1] = 0  # CurrentTime
    if not x.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
        print("XSendEvent failed", file=sys.stderr)
        return 1
    x.XFlush(display)
    x.XCloseDisplay(display)
    return 0


if __name__ == "__main__":
    sys.exit(main())
