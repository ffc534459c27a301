#!/usr/bin/env python3
"""Draws the updater's images and its icon: run it after changing a picture.

    python3 update/res/draw_images.py      (writes update/res/images/*.png and update.ico)

Only the standard library: PNG and ICO files are written by hand. Shapes are
drawn with 4 x 4 supersampling so that round ends and the icon are smooth.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")


def rgb(hex_text, alpha=255):
    v = int(hex_text.lstrip("#"), 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255, alpha)


class Canvas:
    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.w, self.h = width, height
        self.px = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, colour, coverage=1.0):
        if not (0 <= x < self.w and 0 <= y < self.h) or coverage <= 0:
            return
        r, g, b, a = colour
        sa = a / 255.0 * min(coverage, 1.0)
        d = self.px[y * self.w + x]
        da = d[3] / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        for i, c in enumerate((r, g, b)):
            d[i] = round((c * sa + d[i] * da * (1 - sa)) / oa)
        d[3] = round(oa * 255)

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(y0, 0), min(y1, self.h)):
            for x in range(max(x0, 0), min(x1, self.w)):
                self.blend(x, y, colour)

    def shape(self, inside, colour, box=None, samples=4):
        """Fills where inside(x, y) holds for sample points; box limits the work."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        step = 1.0 / samples
        for y in range(max(y0, 0), min(y1, self.h)):
            for x in range(max(x0, 0), min(x1, self.w)):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                if hits:
                    self.blend(x, y, colour, hits / (samples * samples))

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                self.px[(oy + y) * self.w + ox + x] = list(other.px[y * other.w + x])

    def png(self):
        raw = b"".join(b"\0" + bytes(v for p in self.px[y * self.w:(y + 1) * self.w] for v in p) for y in range(self.h))
        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        header = struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)  # 8-bit RGBA
        return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def background():
    c = Canvas(302, 202, rgb("#FFFFFF"))
    band = rgb("#356CD1")
    for y in range(38):
        for x in range(302):
            # A lighter sweep rising from the left of the band.
            t = max(0.0, 1.0 - abs((x * 0.35 + y * 2.0) - 60) / 70.0)
            r, g, b, _ = band
            c.px[y * 302 + x] = [round(r + (255 - r) * 0.18 * t), round(g + (255 - g) * 0.18 * t),
                                 round(b + (255 - b) * 0.18 * t), 255]
    border = rgb("#356CD1")
    c.rect(0, 0, 302, 1, border)
    c.rect(0, 201, 302, 202, border)
    c.rect(0, 0, 1, 202, border)
    c.rect(301, 0, 302, 202, border)
    return c


def text_button():
    c = Canvas(88, 84)
    for i, colour in enumerate(("#53B0FE", "#6ABBFF", "#40A6FC")):
        state = Canvas(88, 28)
        state.shape(rounded_rect(0, 0, 88, 28, 3), rgb(colour))
        c.paste(state, 0, i * 28)
    return c


def progress_fill():
    c = Canvas(240, 8)
    c.shape(rounded_rect(0, 0, 240, 8, 4), rgb("#53B0FE"))
    return c


def progress_track():
    c = Canvas(240, 25)
    c.shape(rounded_rect(0, 0, 240, 25, 12.5), rgb("#E0E0E2"))
    c.shape(rounded_rect(1, 1, 239, 24, 11.5), rgb("#F3F4F6"))
    return c


def close_button(size, stroke):
    """Three states stacked: transparent, then the grey cross twice (hover, pressed)."""
    c = Canvas(size, size * 3)
    grey = rgb("#898989", 85)
    for state in (1, 2):
        top = state * size
        m = size * 0.3
        def on_cross(x, y, top=top, m=m):
            u, v = x, y - top
            if not (m - stroke <= u <= size - m + stroke and m - stroke <= v <= size - m + stroke):
                return False
            return abs(u - v) <= stroke / 2 * math.sqrt(2) or abs(u + v - size) <= stroke / 2 * math.sqrt(2)
        c.shape(on_cross, grey, (0, top, size, top + size))
    return c


def product_icon(size):
    """A blue rounded square holding a white arrow pointing up and right."""
    c = Canvas(size, size)
    s = size / 256.0
    c.shape(rounded_rect(8 * s, 8 * s, 248 * s, 248 * s, 48 * s), rgb("#356CD1"), samples=3)
    def arrow(x, y):
        u, v = x / s, y / s
        # Shaft along the diagonal, head in the upper-right corner.
        d = abs((u - 70) - (186 - v)) / math.sqrt(2)
        along = ((u - 70) + (186 - v)) / math.sqrt(2)
        shaft = d <= 18 and 0 <= along <= 120
        head = u <= 196 and v >= 60 and (196 - u) + (v - 60) <= 96 and u >= 100 and v <= 156
        return shaft or head
    c.shape(arrow, rgb("#FFFFFF"), samples=3)
    return c


def ico(images):
    """An icon file of (canvas, bits) entries: 32-bit 256 as PNG, the rest as DIBs."""
    entries, blobs = [], []
    for canvas, bits in images:
        blob = canvas.png() if (bits == 32 and canvas.w == 256) else dib(canvas, bits)
        entries.append((canvas.w, bits, blob))
        blobs.append(blob)
    offset = 6 + 16 * len(entries)
    out = struct.pack("<HHH", 0, 1, len(entries))
    for size, bits, blob in entries:
        dim = 0 if size >= 256 else size
        colours = 0 if bits > 8 else 1 << bits
        colours = 0 if colours >= 256 else colours
        out += struct.pack("<BBBBHHII", dim, dim, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


PALETTE = [(r * 255 // 5, g * 255 // 6, b * 255 // 5) for r in range(6) for g in range(7) for b in range(6)]
PALETTE += [(0, 0, 0)] * (256 - len(PALETTE))


def nearest(p):
    r, g, b = (round(p[0] * 5 / 255), round(p[1] * 6 / 255), round(p[2] * 5 / 255))
    return r * 42 + g * 6 + b


def dib(canvas, bits):
    w, h = canvas.w, canvas.h
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bits, 0, 0, 0, 0, 256 if bits == 8 else 0, 0)
    body = b""
    if bits == 8:
        body += b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    row_pad = (4 - (w * bits // 8) % 4) % 4
    for y in range(h - 1, -1, -1):
        row = canvas.px[y * w:(y + 1) * w]
        if bits == 32:
            body += b"".join(struct.pack("<BBBB", p[2], p[1], p[0], p[3]) for p in row)
        else:
            body += bytes(nearest(p) for p in row)
        body += b"\0" * row_pad
    mask_stride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        row = canvas.px[y * w:(y + 1) * w]
        bits_row = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] < 128:  # transparent in the 8-bit images
                bits_row[x // 8] |= 0x80 >> (x % 8)
        body += bytes(bits_row)
    return header + body


def main():
    os.makedirs(OUT, exist_ok=True)
    pictures = {
        "update_bk.png": background(),
        "update_btn.png": text_button(),
        "update_liang.png": progress_fill(),
        "update_an.png": progress_track(),
        "image_btn_close_100.png": close_button(20, 1.5),
        "image_btn_close_125.png": close_button(20, 2.0),
        "image_btn_close_150.png": close_button(20, 2.0),
        "image_btn_close_200.png": close_button(40, 3.0),
    }
    for name, canvas in pictures.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(canvas.png())
    icons = {size: product_icon(size) for size in (256, 64, 48, 32, 16)}
    nine = [(icons[256], 8), (icons[48], 8), (icons[32], 8), (icons[16], 8),
            (icons[256], 32), (icons[64], 32), (icons[48], 32), (icons[32], 32), (icons[16], 32)]
    with open(os.path.join(OUT, "update.ico"), "wb") as f:
        f.write(ico(nine))


if __name__ == "__main__":
    main()
