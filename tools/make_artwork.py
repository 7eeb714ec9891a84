#!/usr/bin/env python3
"""Draws Kronvik's artwork and writes it to resources/.

    python3 tools/make_artwork.py [--preview DIR]

Writes kronvik.ico (32x32 and 16x16, 16 colours), digit0.bmp .. digit9.bmp
(17x21, 24-bit) and logo.bmp (280x56, 24-bit). The files are committed, so
a build never runs this script. With --preview, enlarged PNG copies are also
written to DIR for looking at them. Standard library only.
"""

import math
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "resources")

# The standard 16-colour Windows palette, in index order.
PALETTE16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
TRANSPARENT = -1


# ---------------------------------------------------------------- file writers

def bmp24_bytes(pixels):
    """pixels: rows top to bottom of (r, g, b). Returns a .bmp file."""
    h, w = len(pixels), len(pixels[0])
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):  # BMP rows run bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return head + info + bytes(body)


def ico16_image(indices):
    """indices: rows top to bottom of palette indices or TRANSPARENT.
    Returns the DIB of one 4-bit icon image (header, palette, XOR, AND)."""
    h, w = len(indices), len(indices[0])
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(indices):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, v in enumerate(row):
            c = 0 if v == TRANSPARENT else v
            if x % 2 == 0:
                line[x // 2] |= c << 4
            else:
                line[x // 2] |= c
            if v == TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0,
                       len(xor) + len(mask), 0, 0, 16, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE16)
    return info + pal + bytes(xor) + bytes(mask)


def ico_bytes(images):
    """images: list of index grids, largest first."""
    count = len(images)
    head = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    entries = b""
    blobs = b""
    for grid in images:
        dib = ico16_image(grid)
        w, h = len(grid[0]), len(grid)
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(dib), offset)
        blobs += dib
        offset += len(dib)
    return head + entries + blobs


def png_bytes(pixels, scale=1, background=(255, 0, 255)):
    """Preview only. pixels: rows of (r, g, b) or None for transparent."""
    rows = []
    for row in pixels:
        line = bytearray()
        for p in row:
            line += bytes(background if p is None else p) * scale
        for _ in range(scale):
            rows.append(b"\0" + bytes(line))
    h = len(pixels) * scale
    w = len(pixels[0]) * scale

    def chunk(kind, data):
        c = kind + data
        return struct.pack(">I", len(data)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
            + chunk(b"IEND", b""))


# ---------------------------------------------------------------- geometry

def inside_convex(px, py, poly):
    """True when (px, py) lies inside or on the convex polygon poly."""
    sign = 0
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        cross = (x2 - x1) * (py - y1) - (y2 - y1) * (px - x1)
        if abs(cross) < 1e-9:
            continue
        s = 1 if cross > 0 else -1
        if sign == 0:
            sign = s
        elif s != sign:
            return False
    return True


def dist_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


# ---------------------------------------------------------------- icon

# The 16 pixel icon is drawn by hand, ten past ten like the large one: at
# that size a computed face blurs its ticks into the hands. N rim, W face, K hands and ticks, R hub, '.' transparent.
ICON16 = [
    "......NNNN......",
    "....NNWKKWNN....",
    "..NNWWWKKWWWNN..",
    "..NWWWWWWWWWWN..",
    ".NWWWWWWWWWKKWN.",
    ".NWKKWWWWWKKWWN.",
    "NWWWKKKWWKKWWWWN",
    "NKKWWWKRRKWWWKKN",
    "NKKWWWWRRWWWWKKN",
    "NWWWWWWWWWWWWWWN",
    ".NWWWWWWWWWWWWN.",
    ".NWWWWWWWWWWWWN.",
    "..NWWWWWWWWWWN..",
    "..NNWWWKKWWWNN..",
    "....NNWKKWNN....",
    "......NNNN......",
]
ICON16_COLOURS = {".": TRANSPARENT, "N": NAVY, "W": WHITE, "K": BLACK, "R": RED}


def clock_icon16():
    return [[ICON16_COLOURS[ch] for ch in row] for row in ICON16]


def clock_icon(size):
    """A round white face with a dark blue rim, hour ticks, two black hands
    (ten past ten reads as a clock even at 16 pixels) and a red hub."""
    c = size / 2.0
    big = size >= 32
    rim_out = c - 0.2
    rim_in = rim_out - (3.0 if big else 1.6)
    grid = [[TRANSPARENT] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - c, py - c)
            if d > rim_out:
                continue
            if d > rim_in:
                grid[y][x] = NAVY if d > rim_in + 1.0 or not big else BLUE
            else:
                grid[y][x] = WHITE
    # Hour ticks: strong ones at 12, 3, 6, 9, light ones between (large only).
    for hour in range(12):
        a = math.radians(hour * 30)
        major = hour % 3 == 0
        if not big and not major:
            continue
        r1 = rim_in - (0.2 if big else 0.1)
        r0 = r1 - ((4.0 if major else 2.0) if big else 1.6)
        width = (1.0 if major else 0.55) if big else 0.6
        ax, ay = c + r0 * math.sin(a), c - r0 * math.cos(a)
        bx, by = c + r1 * math.sin(a), c - r1 * math.cos(a)
        for y in range(size):
            for x in range(size):
                if grid[y][x] != WHITE:
                    continue
                if dist_to_segment(x + 0.5, y + 0.5, ax, ay, bx, by) <= width:
                    grid[y][x] = BLACK if major else GRAY
    # Hands: hour hand short and thick, minute hand long.
    if big:
        hands = [((-1, -1), (c - 7.5, c - 4.5), 1.6),   # hour, towards 10
                 ((-1, -1), (c + 8.5, c - 7.0), 1.1)]   # minute, towards 2
    else:
        hands = [((-1, -1), (c - 3.6, c - 2.2), 0.85),
                 ((-1, -1), (c + 4.2, c - 3.4), 0.65)]
    for _, (ex, ey), width in hands:
        for y in range(size):
            for x in range(size):
                if grid[y][x] == TRANSPARENT:
                    continue
                d = math.hypot(x + 0.5 - c, y + 0.5 - c)
                if d > rim_in:
                    continue
                if dist_to_segment(x + 0.5, y + 0.5, c, c, ex, ey) <= width:
                    grid[y][x] = BLACK
    # Red hub.
    hub = 1.6 if big else 0.8
    for y in range(size):
        for x in range(size):
            if math.hypot(x + 0.5 - c, y + 0.5 - c) <= hub:
                grid[y][x] = RED
    return grid


# ---------------------------------------------------------------- digits

DIGIT_W, DIGIT_H = 17, 21
SEG_ON = (0x20, 0xFF, 0x30)
SEG_OFF = (0x00, 0x30, 0x08)
SEGMENTS_OF = {
    0: "abcdef", 1: "bc", 2: "abdeg", 3: "abcdg", 4: "bcfg",
    5: "acdfg", 6: "acdefg", 7: "abc", 8: "abcdefg", 9: "abcdfg",
}


def segment_pixels():
    """Seven-segment layout as pixel sets: 3 pixel thick bars with bevelled
    ends; a one pixel diagonal gap keeps neighbouring bars apart."""
    rows = {"a": 2, "g": 10, "d": 18}          # centre rows of the horizontal bars
    cols = {"l": 2, "r": 14}                   # centre columns of the vertical bars
    seg = {}

    def horiz(r):
        px = {(x, r) for x in range(cols["l"] + 2, cols["r"] - 1)}
        for dy in (-1, 1):
            px |= {(x, r + dy) for x in range(cols["l"] + 3, cols["r"] - 2)}
        return px

    def vert(c, r0, r1):
        px = {(c, y) for y in range(r0 + 1, r1)}
        for dx in (-1, 1):
            px |= {(c + dx, y) for y in range(r0 + 2, r1 - 1)}
        return px

    seg["a"], seg["g"], seg["d"] = horiz(rows["a"]), horiz(rows["g"]), horiz(rows["d"])
    seg["f"] = vert(cols["l"], rows["a"], rows["g"])
    seg["b"] = vert(cols["r"], rows["a"], rows["g"])
    seg["e"] = vert(cols["l"], rows["g"], rows["d"])
    seg["c"] = vert(cols["r"], rows["g"], rows["d"])
    return seg


def digit_pixels(n):
    lit = SEGMENTS_OF[n]
    img = [[(0, 0, 0)] * DIGIT_W for _ in range(DIGIT_H)]
    for name, pixels in segment_pixels().items():
        for x, y in pixels:
            img[y][x] = SEG_ON if name in lit else SEG_OFF
    return img


# ---------------------------------------------------------------- logo

LOGO_W, LOGO_H = 280, 56

# A bold pixel font for the letters of the name: 12 rows, the baseline under
# the last row, lower case 8 rows high ('#' = ink). Strokes are two cells
# wide and diagonals step one cell a row so they stay smooth.
GLYPHS = {
    "K": [
        "##....###",
        "##...###.",
        "##..###..",
        "##.###...",
        "#####....",
        "####.....",
        "#####....",
        "##.###...",
        "##..###..",
        "##...###.",
        "##....###",
        "##.....##",
    ],
    "r": [
        "##.####",
        "#######",
        "####...",
        "###....",
        "##.....",
        "##.....",
        "##.....",
        "##.....",
    ],
    "o": [
        "..####..",
        ".######.",
        "###..###",
        "##....##",
        "##....##",
        "###..###",
        ".######.",
        "..####..",
    ],
    "n": [
        "##.###..",
        "#######.",
        "###..###",
        "##....##",
        "##....##",
        "##....##",
        "##....##",
        "##....##",
    ],
    "v": [
        "##....##",
        "##....##",
        "##....##",
        "###..###",
        ".##..##.",
        ".######.",
        "..####..",
        "...##...",
    ],
    "i": [
        "##",
        "##",
        "..",
        "..",
        "##",
        "##",
        "##",
        "##",
        "##",
        "##",
        "##",
        "##",
    ],
    "k": [
        "##......",
        "##......",
        "##......",
        "##......",
        "##...###",
        "##..###.",
        "##.###..",
        "#####...",
        "######..",
        "##..###.",
        "##...###",
        "##....##",
    ],
}
GLYPH_ROWS = 12


def logo_pixels():
    img = [[(0, 0, 0)] * LOGO_W for _ in range(LOGO_H)]
    ss = 4  # supersampling for the round clock only

    def blend(x, y, col, cover):
        r0, g0, b0 = img[y][x]
        img[y][x] = tuple(int(round(a + (b - a) * cover)) for a, b in zip((r0, g0, b0), col))

    # Clock motif on the left: a green rim, ticks, white hands.
    cx, cy, R = 28.0, 28.0, 24.0
    rim = (0x20, 0xFF, 0x30)
    face = (0x00, 0x22, 0x08)
    hand = (0xF0, 0xFF, 0xF0)
    parts = []  # (test, colour) applied in order
    parts.append((lambda px, py: math.hypot(px - cx, py - cy) <= R, rim))
    parts.append((lambda px, py: math.hypot(px - cx, py - cy) <= R - 3.2, face))
    for hour in range(12):
        a = math.radians(hour * 30)
        major = hour % 3 == 0
        r1 = R - 5.0
        r0 = r1 - (5.0 if major else 2.5)
        w = 1.5 if major else 0.9
        seg = (cx + r0 * math.sin(a), cy - r0 * math.cos(a),
               cx + r1 * math.sin(a), cy - r1 * math.cos(a))
        parts.append((lambda px, py, s=seg, w=w: dist_to_segment(px, py, *s) <= w, rim))
    hour_end = (cx - 9.0, cy - 5.2)
    min_end = (cx + 8.8, cy - 12.4)
    parts.append((lambda px, py: dist_to_segment(px, py, cx, cy, *hour_end) <= 2.0, hand))
    parts.append((lambda px, py: dist_to_segment(px, py, cx, cy, *min_end) <= 1.4, hand))
    parts.append((lambda px, py: math.hypot(px - cx, py - cy) <= 2.8, (0xFF, 0x40, 0x30)))
    for y in range(LOGO_H):
        for x in range(60):
            for test, col in parts:
                hits = 0
                for sy in range(ss):
                    for sx in range(ss):
                        if test(x + (sx + 0.5) / ss, y + (sy + 0.5) / ss):
                            hits += 1
                if hits:
                    blend(x, y, col, hits / float(ss * ss))

    # The name in the pixel font, 3 pixel cells, bright at the top and
    # shading to a deeper green at the baseline.
    cell = 3
    text = "Kronvik"
    spacing = 2
    total = sum(len(GLYPHS[ch][0]) for ch in text) * cell + (len(text) - 1) * spacing * cell
    x0 = 62 + (LOGO_W - 62 - total) // 2
    y0 = (LOGO_H - GLYPH_ROWS * cell) // 2
    top, bottom = (0x90, 0xFF, 0x98), (0x10, 0xB8, 0x30)
    x = x0
    for ch in text:
        glyph = GLYPHS[ch]
        offset = GLYPH_ROWS - len(glyph)
        for gy, row in enumerate(glyph):
            for gx, mark in enumerate(row):
                if mark != "#":
                    continue
                for yy in range(cell):
                    py = y0 + (gy + offset) * cell + yy
                    t = (py - y0) / float(GLYPH_ROWS * cell - 1)
                    col = tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))
                    for xx in range(cell):
                        img[py][x + gx * cell + xx] = col
        x += (len(glyph[0]) + spacing) * cell
    return img


# ---------------------------------------------------------------- main

def main(argv):
    preview = None
    if len(argv) >= 2 and argv[0] == "--preview":
        preview = argv[1]
        os.makedirs(preview, exist_ok=True)
    os.makedirs(RES, exist_ok=True)

    icons = [clock_icon(32), clock_icon16()]
    with open(os.path.join(RES, "kronvik.ico"), "wb") as f:
        f.write(ico_bytes(icons))
    digits = [digit_pixels(n) for n in range(10)]
    for n, img in enumerate(digits):
        with open(os.path.join(RES, "digit%d.bmp" % n), "wb") as f:
            f.write(bmp24_bytes(img))
    logo = logo_pixels()
    with open(os.path.join(RES, "logo.bmp"), "wb") as f:
        f.write(bmp24_bytes(logo))

    if preview:
        for grid in icons:
            rgb = [[None if v == TRANSPARENT else PALETTE16[v] for v in row] for row in grid]
            name = "icon%d" % len(grid)
            with open(os.path.join(preview, name + ".png"), "wb") as f:
                f.write(png_bytes(rgb, 12 if len(grid) == 16 else 8))
            # Also at real size on light and dark backgrounds, as in a tray.
            for bgname, bg in (("light", (0xF0, 0xF0, 0xF0)), ("dark", (0x20, 0x20, 0x20))):
                with open(os.path.join(preview, "%s_%s_1x.png" % (name, bgname)), "wb") as f:
                    f.write(png_bytes(rgb, 1, bg))
        strip = [[(40, 40, 40)] * (10 * (DIGIT_W + 2)) for _ in range(DIGIT_H)]
        for n, img in enumerate(digits):
            for y in range(DIGIT_H):
                for x in range(DIGIT_W):
                    strip[y][n * (DIGIT_W + 2) + x] = img[y][x]
        with open(os.path.join(preview, "digits.png"), "wb") as f:
            f.write(png_bytes(strip, 6))
        with open(os.path.join(preview, "digits_1x.png"), "wb") as f:
            f.write(png_bytes(strip, 1))
        with open(os.path.join(preview, "logo.png"), "wb") as f:
            f.write(png_bytes(logo, 3))
        with open(os.path.join(preview, "logo_1x.png"), "wb") as f:
            f.write(png_bytes(logo, 1))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
