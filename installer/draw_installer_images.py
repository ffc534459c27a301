#!/usr/bin/env python3
"""Draws the installer's pictures from the product's own shapes, at build time.

    python3 installer/draw_installer_images.py OUT_DIR

writes OUT_DIR/wizard.bmp (164 x 314, the welcome and finish pages) and
OUT_DIR/header.bmp (150 x 57, the other pages' header), 24-bit bitmaps as
NSIS's pages take them. The product icon and the blue band are the
updater's (update/res/draw_images.py), so the installer looks like the
product it installs.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "update", "res"))
from draw_images import Canvas, product_icon, rgb  # noqa: E402


def bmp(canvas):
    """A bottom-up 24-bit BMP of the canvas over white."""
    stride = (canvas.w * 3 + 3) & ~3
    rows = []
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray()
        for x in range(canvas.w):
            r, g, b, a = canvas.px[y * canvas.w + x]
            k = a / 255.0
            row += bytes((round(b * k + 255 * (1 - k)), round(g * k + 255 * (1 - k)), round(r * k + 255 * (1 - k))))
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    body = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(body), 0, 0, 14 + len(header)) + header + body


def band(width, height):
    """The updater's caption blue with its lighter sweep, top to bottom."""
    c = Canvas(width, height, rgb("#356CD1"))
    r, g, b, _ = rgb("#356CD1")
    for y in range(height):
        for x in range(width):
            t = max(0.0, 1.0 - abs((x * 0.9 + y * 0.35) - 110) / 120.0)
            c.px[y * width + x] = [round(r + (255 - r) * 0.2 * t), round(g + (255 - g) * 0.2 * t),
                                   round(b + (255 - b) * 0.2 * t), 255]
    return c


def wizard():
    c = band(164, 314)
    icon = product_icon(96)
    for y in range(icon.h):
        for x in range(icon.w):
            c.blend(34 + x, 60 + y, tuple(icon.px[y * icon.w + x]))
    # A white rule under the icon, as the updater's window has below its band.
    c.rect(34, 176, 130, 178, rgb("#FFFFFF", 200))
    return c


def header():
    c = Canvas(150, 57, rgb("#FFFFFF"))
    icon = product_icon(44)
    for y in range(icon.h):
        for x in range(icon.w):
            c.blend(100 + x, 6 + y, tuple(icon.px[y * icon.w + x]))
    return c


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    for name, canvas in (("wizard.bmp", wizard()), ("header.bmp", header())):
        with open(os.path.join(argv[1], name), "wb") as f:
            f.write(bmp(canvas))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
