#!/usr/bin/env python3
"""Draws the resource library's icons and bitmap 104 as PNG files into this
folder. Plain shapes in the product's colours; run it again after a change."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# id: (size, colour, shape)
ICONS = {
    128: (32, (0x1E, 0x6F, 0xD9), "disc"),     # the program
    1010: (32, (0x2E, 0x8B, 0x57), "info"),    # information
    1013: (32, (0xC6, 0x28, 0x28), "cross"),   # error
    1019: (32, (0x60, 0x60, 0x60), "square"),  # a menu entry of another kind
    1028: (32, (0x1E, 0x6F, 0xD9), "square"),
    1029: (32, (0x8E, 0x44, 0xAD), "square"),
    1030: (32, (0xF3, 0x9C, 0x12), "disc"),
    1031: (32, (0x16, 0xA0, 0x85), "square"),
    1032: (32, (0xD3, 0x54, 0x00), "disc"),
    1080: (32, (0x8E, 0x44, 0xAD), "disc"),    # voice memo
    1086: (32, (0x1E, 0x6F, 0xD9), "info"),    # notification
}
# The progress animation: eight frames of a turning spoke.
for frame, icon in enumerate([1213, 1206, 1207, 1208, 1209, 1210, 1211, 1212]):
    ICONS[icon] = (32, (0x1E, 0x6F, 0xD9), "spoke%d" % frame)


def inside(shape, x, y, size):
    c = (size - 1) / 2.0
    dx, dy = x - c, y - c
    r = math.hypot(dx, dy)
    if shape == "disc":
        return r <= size * 0.45
    if shape == "square":
        return 3 <= x < size - 3 and 3 <= y < size - 3
    if shape == "cross":
        return r <= size * 0.45 and not (abs(dx - dy) < 3 or abs(dx + dy) < 3)
    if shape == "info":
        return r <= size * 0.45 and not (abs(dx) < 2 and (-3 < dy < 9 or -9 < dy < -6))
    if shape.startswith("spoke"):
        angle = int(shape[5:]) * math.pi / 4
        along = dx * math.cos(angle) + dy * math.sin(angle)
        across = -dx * math.sin(angle) + dy * math.cos(angle)
        return (0 <= along <= size * 0.45 and abs(across) < 3) or (size * 0.38 <= r <= size * 0.45)
    raise ValueError(shape)


def png(width, height, pixel):
    rows = b""
    for y in range(height):
        rows += b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def main():
    for icon, (size, colour, shape) in sorted(ICONS.items()):
        data = png(size, size, lambda x, y: (*colour, 255) if inside(shape, x, y, size) else (0, 0, 0, 0))
        with open(os.path.join(HERE, "icon%d.png" % icon), "wb") as out:
            out.write(data)
    # Bitmap 104: the main menu's background, a soft vertical blend.
    def background(x, y):
        t = y / 319.0
        return (int(0xE8 - 0x30 * t), int(0xF0 - 0x20 * t), 0xFF, 255)
    with open(os.path.join(HERE, "bitmap104.png"), "wb") as out:
        out.write(png(240, 320, background))


if __name__ == "__main__":
    main()
