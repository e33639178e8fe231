#!/usr/bin/env python3
"""Draws the launcher's skin: one file per numeric resource id in res/skin/.

Bitmaps are written as 24-bit BMP, the title strip, logo and application icon as PNG.
Shapes are drawn here with the standard library alone; text (Hangul, Han and Latin) is
rasterised by ImageMagick's `convert` with the Noto Sans CJK fonts into an 8-bit grey
mask that is blended in here, so the output depends only on those two packages.

Usage: python3 tools/skin/gen_skin.py [output-folder]   (default: res/skin beside the repo root)
"""

import os
import struct
import subprocess
import sys
import zlib

BACKGROUND = (38, 38, 48)
STRIP_TOP = (58, 58, 74)
STRIP_BOTTOM = (30, 30, 40)
LIGHT = (205, 210, 222)
BRIGHT = (255, 255, 255)
GOLD = (255, 215, 0)
ACCENT = (64, 132, 220)
ACCENT_BRIGHT = (96, 164, 250)
FONT_BOLD = "Noto-Sans-CJK-KR-Bold"


class Canvas:
    """An RGBA image held as rows of [r, g, b, a] lists."""

    def __init__(self, width, height, colour=BACKGROUND, alpha=255):
        self.width = width
        self.height = height
        self.px = [[list(colour) + [alpha] for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, colour, coverage):
        if not (0 <= x < self.width and 0 <= y < self.height) or coverage <= 0:
            return
        coverage = min(coverage, 1.0)
        p = self.px[y][x]
        for i in range(3):
            p[i] = round(p[i] * (1 - coverage) + colour[i] * coverage)
        p[3] = round(p[3] + (255 - p[3]) * coverage)

    def fill_rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.blend(x, y, colour, 1.0)

    def frame(self, x0, y0, x1, y1, colour):
        self.fill_rect(x0, y0, x1, y0 + 1, colour)
        self.fill_rect(x0, y1 - 1, x1, y1, colour)
        self.fill_rect(x0, y0, x0 + 1, y1, colour)
        self.fill_rect(x1 - 1, y0, x1, y1, colour)

    def line(self, x0, y0, x1, y1, colour, width=1.6):
        """Anti-aliased thick line by distance to the segment, sampled per pixel."""
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1.0
        half = width / 2
        for y in range(self.height):
            for x in range(self.width):
                cx, cy = x + 0.5, y + 0.5
                t = max(0.0, min(1.0, ((cx - x0) * dx + (cy - y0) * dy) / length2))
                px, py = x0 + t * dx, y0 + t * dy
                dist = ((cx - px) ** 2 + (cy - py) ** 2) ** 0.5
                self.blend(x, y, colour, half + 0.5 - dist)

    def disc(self, cx, cy, radius, colour):
        for y in range(self.height):
            for x in range(self.width):
                dist = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                self.blend(x, y, colour, radius + 0.5 - dist)

    def vertical_gradient(self, top, bottom):
        for y in range(self.height):
            t = y / max(1, self.height - 1)
            colour = tuple(round(top[i] * (1 - t) + bottom[i] * t) for i in range(3))
            for x in range(self.width):
                self.px[y][x][:3] = list(colour)

    def text(self, text, colour, pointsize, x=None, y=None, font=FONT_BOLD):
        """Draws text centred (or at x, y) from a grey mask that ImageMagick renders."""
        mask_width, mask_height, mask = render_text(text, pointsize, font)
        left = (self.width - mask_width) // 2 if x is None else x
        top = (self.height - mask_height) // 2 if y is None else y
        for my in range(mask_height):
            for mx in range(mask_width):
                self.blend(left + mx, top + my, colour, mask[my * mask_width + mx] / 255)


def render_text(text, pointsize, font):
    pgm = subprocess.run(
        ["convert", "-background", "black", "-fill", "white", "-font", font,
         "-pointsize", str(pointsize), "label:" + text,
         "-trim", "+repage", "-depth", "8", "pgm:-"],
        check=True, capture_output=True).stdout
    fields = pgm.split(maxsplit=4)
    if fields[0] != b"P5" or fields[3] != b"255":
        raise RuntimeError("unexpected text mask from convert")
    width, height = int(fields[1]), int(fields[2])
    return width, height, fields[4][:width * height]


def write_bmp(canvas, path):
    """24-bit bottom-up BMP, rows padded to four bytes."""
    row_size = (canvas.width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray()
        for r, g, b, _ in canvas.px[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_png(canvas, path):
    """8-bit RGBA PNG, filter type 0 on every row."""
    raw = bytearray()
    for row in canvas.px:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    ihdr = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def brighter(colour):
    return tuple(min(255, c + 40) for c in colour)


# --- glyphs of the title-strip buttons ---------------------------------------------------

def small_button(glyph, selected):
    """20 x 20 title-strip button: a framed square with one glyph; selected is brighter."""
    c = Canvas(20, 20, brighter(BACKGROUND) if selected else BACKGROUND)
    ink = BRIGHT if selected else LIGHT
    c.frame(0, 0, 20, 20, ACCENT_BRIGHT if selected else (70, 70, 88))
    glyph(c, ink)
    return c


def glyph_close(c, ink):
    c.line(6, 6, 14, 14, ink)
    c.line(14, 6, 6, 14, ink)


def glyph_minimise(c, ink):
    c.line(5.5, 13.5, 14.5, 13.5, ink)


def glyph_maximise(c, ink):
    c.frame(5, 5, 15, 15, ink)
    c.fill_rect(5, 5, 15, 7, ink)


def glyph_restore(c, ink):
    c.frame(8, 4, 16, 12, ink)
    c.fill_rect(8, 4, 16, 5, ink)
    c.fill_rect(4, 8, 12, 16, brighter(BACKGROUND) if ink == BRIGHT else BACKGROUND)
    c.frame(4, 8, 12, 16, ink)
    c.fill_rect(4, 8, 12, 9, ink)


def glyph_tray(c, ink):
    c.line(10, 4, 10, 12, ink)
    c.line(6.5, 9, 10, 12.5, ink)
    c.line(13.5, 9, 10, 12.5, ink)
    c.fill_rect(4, 15, 16, 17, ink)


def wide_button(label, selected):
    """38 x 18 text button of the game window's strip."""
    c = Canvas(38, 18, ACCENT if selected else (52, 52, 66))
    c.frame(0, 0, 38, 18, ACCENT_BRIGHT if selected else (84, 84, 104))
    c.text(label, BRIGHT if selected else LIGHT, 10)
    return c


def main_glyph_button(glyph, selected):
    """15 x 15 close / minimise button of the main window."""
    c = Canvas(15, 15, brighter(BACKGROUND) if selected else BACKGROUND)
    glyph(c, BRIGHT if selected else LIGHT)
    return c


def main_cross(c, ink):
    c.line(3, 3, 12, 12, ink, 1.8)
    c.line(12, 3, 3, 12, ink, 1.8)


def main_dash(c, ink):
    c.line(2.5, 8, 12.5, 8, ink, 1.8)


def main_word_button(label, selected):
    """58 x 24 word button of the main window."""
    c = Canvas(58, 24, brighter(BACKGROUND) if selected else BACKGROUND)
    c.frame(0, 0, 58, 24, ACCENT_BRIGHT if selected else (78, 78, 96))
    c.text(label, BRIGHT if selected else LIGHT, 12)
    return c


# --- logo, strip and backgrounds ---------------------------------------------------------

def draw_logo(c, left, top, size):
    """A gold disc with a dark "T", the Tarvex mark."""
    c.disc(left + size / 2, top + size / 2, size / 2 - 0.5, GOLD)
    bar = max(2, round(size * 0.14))
    c.fill_rect(left + round(size * 0.25), top + round(size * 0.26), left + round(size * 0.75),
                top + round(size * 0.26) + bar, BACKGROUND)
    stem_left = left + (size - bar) // 2
    c.fill_rect(stem_left, top + round(size * 0.26), stem_left + bar, top + round(size * 0.78),
                BACKGROUND)


def title_strip():
    c = Canvas(38, 30)
    c.vertical_gradient(STRIP_TOP, STRIP_BOTTOM)
    c.fill_rect(0, 29, 38, 30, ACCENT)
    return c


def logo_png():
    c = Canvas(27, 27, (0, 0, 0), alpha=0)
    draw_logo(c, 0, 0, 27)
    return c


def icon_png():
    c = Canvas(128, 128, (0, 0, 0), alpha=0)
    c.disc(64, 64, 63, BACKGROUND)
    draw_logo(c, 14, 14, 100)
    return c


def background(width, height, caption):
    c = Canvas(width, height)
    draw_logo(c, 10, 6, 26)
    c.text(caption, GOLD, 15, x=44, y=11)
    c.fill_rect(0, 37, width, 38, (58, 58, 74))
    return c


def marker():
    c = Canvas(16, 16, (70, 70, 88))
    return c


def resources():
    """(id, extension, canvas factory) for every skin resource."""
    small = [  # id: (glyph, selected)
        (143, glyph_tray, True), (144, glyph_tray, False),
        (145, glyph_close, True), (146, glyph_close, False),
        (150, glyph_restore, True), (151, glyph_restore, False),
        (152, glyph_minimise, True), (153, glyph_minimise, False),
        (154, glyph_maximise, True), (155, glyph_maximise, False),
    ]
    wide = [  # id: (label, selected); reload, clear cache, service, fan page, recharge
        (162, "刷新", False), (163, "刷新", True),
        (147, "清緩存", False), (148, "清緩存", True),
        (160, "客服", False), (161, "客服", True),
        (156, "粉絲頁", False), (157, "粉絲頁", True),
        (158, "儲值", False), (159, "儲值", True),
    ]
    out = [(rid, "bmp", lambda g=g, s=s: small_button(g, s)) for rid, g, s in small]
    out += [(rid, "bmp", lambda t=t, s=s: wide_button(t, s)) for rid, t, s in wide]
    out += [
        (149, "bmp", marker),
        (173, "png", title_strip),
        (174, "png", logo_png),
        (175, "bmp", lambda: background(616, 228, "Tarvex")),
        (182, "bmp", lambda: main_glyph_button(main_cross, False)),
        (183, "bmp", lambda: main_glyph_button(main_cross, True)),
        (187, "bmp", lambda: main_glyph_button(main_dash, False)),
        (188, "bmp", lambda: main_glyph_button(main_dash, True)),
        (191, "bmp", lambda: background(1320, 820, "Tarvex Center")),
        (192, "bmp", lambda: main_word_button("캐시 삭제", False)),
        (193, "bmp", lambda: main_word_button("캐시 삭제", True)),
        (194, "bmp", lambda: main_word_button("홈으로", False)),
        (195, "bmp", lambda: main_word_button("홈으로", True)),
        (128, "png", icon_png),
    ]
    return out


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res", "skin")
    os.makedirs(folder, exist_ok=True)
    for rid, extension, make in resources():
        canvas = make()
        path = os.path.join(folder, "%d.%s" % (rid, extension))
        (write_bmp if extension == "bmp" else write_png)(canvas, path)
        print("%s %dx%d" % (path, canvas.width, canvas.height))


if __name__ == "__main__":
    main()
