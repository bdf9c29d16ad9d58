#!/usr/bin/env python3
"""Writes the demo device root for tools/run-demo.sh.

Usage: demo_root.py ROOT NAI RELAY_PORT VRAX_PORT PUSH_PORT PROXY_URI BIN TOP

device.conf, the ClientConfig section of the registry (the servers and the
proxy of this run; the rest of the registry is kept) and UIConfig's media
filter, contacts, the call
log, a few pictures in My Pictures, the program links in \\windows and the
start screen's shortcuts.
"""
import os
import struct
import sys
import zlib

CLIENT_CONFIG = "Software\\Halvard\\Tessel\\ClientConfig"
UI_CONFIG = "Software\\Halvard\\Tessel\\UIConfig"
# The pictures and videos the phone offers to send.
MEDIA_FILTER = "*.jpg;*.jpeg;*.gif;*.png;*.bmp;*.3gp;*.mp4"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(text)


def png(width, height, rgb):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def escape(text):
    return "".join("%%%02X" % ord(c) if c in "%\t\n\r" else c for c in text)


def registry(root, values, media_filter):
    """Replaces the ClientConfig section of the current user's hive and sets
    UIConfig's MediaFilter, which the phone's install sets: without it the
    shell's Send and Post entries are grayed for every picture."""
    path = os.path.join(root, "registry", "HKEY_CURRENT_USER.reg")
    lines = open(path).read().split("\n") if os.path.exists(path) else ["# Tessel device registry"]
    kept, section = [], ""
    for line in lines:
        if line.startswith("["):
            section = line[1:-1].lower()
        if section == CLIENT_CONFIG.lower() or (section == UI_CONFIG.lower() and line.startswith("MediaFilter\t")):
            continue
        if line:
            kept.append(line)
    for key in ("Software", "Software\\Halvard", "Software\\Halvard\\Tessel"):
        if "[%s]" % key not in kept:
            kept.append("[%s]" % key)
    if "[%s]" % UI_CONFIG not in kept:
        kept.append("[%s]" % UI_CONFIG)
    kept.insert(kept.index("[%s]" % UI_CONFIG) + 1, "MediaFilter\ttext\t%s" % escape(media_filter))
    kept.append("[%s]" % CLIENT_CONFIG)
    for name, value in values:
        kept.append("%s\ttext\t%s" % (name, escape(value)))
    write(path, "\n".join(kept) + "\n")


def link(target, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.lexists(path):
        os.remove(path)
    if os.path.exists(target):
        os.symlink(target, path)


def main(root, nai, relay, vrax, push, proxy, bindir, top):
    write(os.path.join(root, "device.conf"),
          "# the demo phone (tools/run-demo.sh)\nphone.nai = %s\npush.port = %s\ncarrier.proxy = 127.0.0.1\n"
          "card.present = 1\n" % (nai, push))
    values = [("VXLCFG_SERVER_URI", "http://127.0.0.1:%s/VRAX_3_4" % vrax),
              ("VXLCFG_MMSC_URI", "http://127.0.0.1:%s/mms" % relay)]
    if proxy:
        values.append(("VXLCFG_PROXY_URI", proxy))
    registry(root, values, MEDIA_FILTER)
    write(os.path.join(root, "contacts.txt"),
          "oid = 101\nfile-as = Smith, Anna\nname = Anna Smith\nmobile = +1 (425) 555-0101\n"
          "email1 = anna@example.com\n\noid = 102\nfile-as = Jones, Bob\nname = Bob Jones\n"
          "mobile = +1 (425) 555-0102\n")
    write(os.path.join(root, "calllog.txt"), "+14255550102\tBob Jones\n+14255550101\tAnna Smith\n")
    pictures = os.path.join(root, "My Documents", "My Pictures")
    os.makedirs(pictures, exist_ok=True)
    for name, colour in (("sunset.png", (230, 120, 40)), ("sea.png", (30, 90, 200)), ("forest.png", (40, 150, 60))):
        with open(os.path.join(pictures, name), "wb") as out:
            out.write(png(64, 48, colour))
    config = os.path.join(root, "Application Data", "Tessel", "vxlcfg.xml")
    if not os.path.exists(config):
        write(config, open(os.path.join(top, "tests", "screens", "data", "vxlcfg.xml")).read())
    link(os.path.join(bindir, "tessel"), os.path.join(root, "windows", "tessel.exe"))
    link(os.path.join(bindir, "launcher"), os.path.join(root, "windows", "launcher.exe"))
    write(os.path.join(root, "shortcuts.conf"),
          "# the phone's start screen (tools/run-demo.sh)\n"
          "Compose|\\windows\\launcher.exe|Compose\n"
          "Post to Service|\\windows\\launcher.exe|Post2Service\n"
          "Configure|\\windows\\launcher.exe|ConfigureService\n"
          "Register|\\windows\\launcher.exe|register\n")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 9:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
