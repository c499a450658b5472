#!/usr/bin/env python3
"""Writes every file under data/: textures, the bitmap font, meshes, the collider, shaders;
and the desktop icon, which the game never reads, into its own folder.

Usage: python3 tools/generate_data.py [--out DIR] [--icons DIR]
       (defaults: data/ and packaging/icons/ beside tools/)

Everything is made here from fixed seeds and our own PRNG, so a rerun reproduces the
committed files byte for byte. NOTE: keep it that way: no dict-order dependence, no
unrounded floats in text output, no compressor whose output may change between zlib
versions (PNG data goes into stored deflate blocks).
"""

import argparse
import math
import os
import struct
import zlib

# ---------------------------------------------------------------------------------------------
# Deterministic randomness


class Rng:
    """xorshift32: tiny, portable and the same on every Python."""

    def __init__(self, seed):
        self.state = (seed & 0xFFFFFFFF) or 0x9E3779B9

    def next_u32(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def uniform(self):
        """In [0, 1), exactly representable (24 random bits)."""
        return (self.next_u32() >> 8) / 16777216.0

    def range(self, lo, hi):
        return lo + (hi - lo) * self.uniform()

    def int_below(self, n):
        return self.next_u32() % n


def clamp_byte(v):
    v = int(math.floor(v + 0.5))
    return 0 if v < 0 else 255 if v > 255 else v


def smooth(t):
    return t * t * (3.0 - 2.0 * t)


class PeriodicNoise:
    """Value noise on a lattice that wraps every `cells` lattice steps, so a texture built
    from it tiles seamlessly when the texture size is a multiple of its period."""

    def __init__(self, rng, cells):
        self.cells = cells
        self.values = [rng.uniform() for _ in range(cells * cells)]

    def at(self, x, y):
        """x, y in lattice units."""
        n = self.cells
        x0 = int(math.floor(x))
        y0 = int(math.floor(y))
        fx = smooth(x - x0)
        fy = smooth(y - y0)
        x0 %= n
        y0 %= n
        x1 = (x0 + 1) % n
        y1 = (y0 + 1) % n
        v = self.values
        a = v[y0 * n + x0] + (v[y0 * n + x1] - v[y0 * n + x0]) * fx
        b = v[y1 * n + x0] + (v[y1 * n + x1] - v[y1 * n + x0]) * fx
        return a + (b - a) * fy


def fbm(octaves, u, v):
    """octaves: list of (noise, weight); u, v in [0, 1) of the texture. Result in [0, 1]."""
    total = 0.0
    weights = 0.0
    for noise, weight in octaves:
        total += noise.at(u * noise.cells, v * noise.cells) * weight
        weights += weight
    return total / weights


# ---------------------------------------------------------------------------------------------
# Images: a picture is a list of rows, top row first, each row a list of (r, g, b[, a]).


class Picture:
    def __init__(self, width, height, fill=(0, 0, 0)):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.rows[y % self.height][x % self.width]

    def set(self, x, y, colour):
        self.rows[y % self.height][x % self.width] = colour


def bmp_bytes(picture):
    """24-bit uncompressed BMP, 54-byte header, no palette, rows bottom-up padded to 4."""
    w, h = picture.width, picture.height
    row_bytes = (w * 3 + 3) & ~3
    image_size = row_bytes * h
    header = struct.pack("<2sIHHI", b"BM", 54 + image_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    body = bytearray()
    for row in reversed(picture.rows):
        for r, g, b in (c[:3] for c in row):
            body += bytes((b, g, r))
        body += bytes(row_bytes - w * 3)
    return header + info + bytes(body)


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png_bytes(picture):
    """8-bit RGBA, not interlaced. The zlib stream uses stored blocks only, so the bytes do
    not depend on the installed compressor."""
    raw = bytearray()
    for row in picture.rows:
        raw.append(0)  # filter: none
        for c in row:
            raw += bytes(c)
    stream = bytearray(b"\x78\x01")
    pos = 0
    while True:
        block = raw[pos:pos + 65535]
        pos += len(block)
        last = 1 if pos >= len(raw) else 0
        stream += struct.pack("<BHH", last, len(block), len(block) ^ 0xFFFF) + block
        if last:
            break
    stream += struct.pack(">I", zlib.adler32(bytes(raw)) & 0xFFFFFFFF)
    ihdr = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + png_chunk(b"IDAT", bytes(stream))
            + png_chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def to_bytes(colour):
    return tuple(clamp_byte(c) for c in colour)


# ---------------------------------------------------------------------------------------------
# Textures


def make_wall():
    """Brick courses: 4 bricks of 32 x 16 texels per row, half-brick bond, so one repeat is
    2 x 2 level units of wall (the meshes map 2 units to one repeat)."""
    size, brick_w, brick_h, mortar = 128, 32, 16, 2
    rng = Rng(0x0B41C4)
    grain = PeriodicNoise(rng, 32)
    blotch = PeriodicNoise(rng, 8)
    pic = Picture(size, size)
    rows = size // brick_h
    cols = size // brick_w
    tints = [[(rng.range(0.82, 1.1), rng.range(-0.08, 0.08)) for _ in range(cols)]
             for _ in range(rows)]
    base = (168.0, 78.0, 56.0)
    mortar_colour = (178.0, 170.0, 156.0)
    for y in range(size):
        course = y // brick_h
        ty = y % brick_h
        offset = (brick_w // 2) if course % 2 else 0
        for x in range(size):
            xs = (x + offset) % size
            col = xs // brick_w
            tx = xs % brick_w
            n = grain.at(x / 4.0, y / 4.0) - 0.5
            if ty < mortar or tx < mortar:
                c = tuple(m * (0.92 + 0.16 * n) for m in mortar_colour)
            else:
                shade, hue = tints[course][col]
                b = blotch.at(x / 16.0, y / 16.0) - 0.5
                c = (base[0] * (shade + 0.25 * n + 0.2 * b),
                     base[1] * (shade + hue + 0.3 * n + 0.2 * b),
                     base[2] * (shade + hue + 0.3 * n + 0.2 * b))
                # Rows count from the top: the course's top edge catches light, the bottom
                # edge sits in shadow, so bricks stand out of the mortar.
                if ty == mortar:
                    c = tuple(v * 1.18 for v in c)
                elif ty == brick_h - 1:
                    c = tuple(v * 0.78 for v in c)
                if tx == mortar:
                    c = tuple(v * 1.1 for v in c)
                elif tx == brick_w - 1:
                    c = tuple(v * 0.85 for v in c)
            pic.set(x, y, to_bytes(c))
    return pic


def make_wood():
    """Four planks running along v, with grain, staggered butt joints, nails and knots."""
    size, plank_w = 128, 32
    rng = Rng(0x00D00D)
    warp = PeriodicNoise(rng, 8)
    fine = PeriodicNoise(rng, 64)
    pic = Picture(size, size)
    planks = []
    for i in range(size // plank_w):
        planks.append({
            "shade": rng.range(0.85, 1.12),
            "freq": 3 + rng.int_below(3),  # grain lines across a plank
            "phase": rng.uniform(),
            "joint": rng.int_below(size),
        })
    knots = [(rng.int_below(size), rng.int_below(size), rng.range(3.0, 5.0)) for _ in range(3)]
    base = (150.0, 102.0, 60.0)
    dark = (92.0, 58.0, 32.0)
    for y in range(size):
        for x in range(size):
            p = planks[x // plank_w]
            tx = x % plank_w
            v = y / size
            w = warp.at(x / 16.0, y / 16.0) * 1.4
            ring = 0.5 + 0.5 * math.sin(2.0 * math.pi * (p["freq"] * tx / plank_w + w + p["phase"]))
            ring = ring ** 3
            t = 0.55 * ring + 0.25 * (fine.at(x / 2.0, v * 64.0) - 0.5)
            c = mix(base, dark, max(0.0, min(1.0, t)))
            c = tuple(ch * p["shade"] for ch in c)
            for kx, ky, kr in knots:
                dx = ((x - kx + size // 2) % size) - size // 2
                dy = ((y - ky + size // 2) % size) - size // 2
                d = math.sqrt(dx * dx + (dy * 0.5) ** 2)
                if d < kr:
                    k = 1.0 - d / kr
                    c = mix(c, (70.0, 40.0, 22.0), 0.8 * k)
            dj = (y - p["joint"]) % size
            if tx == 0 or tx == plank_w - 1:
                c = tuple(ch * 0.45 for ch in c)  # gap between planks
            elif tx == 1:
                c = tuple(ch * 1.12 for ch in c)
            elif dj == 0:
                c = tuple(ch * 0.45 for ch in c)  # butt joint
            elif (dj == 3 or dj == size - 3) and (tx in (5, 6) or tx in (plank_w - 7, plank_w - 6)):
                c = (60.0, 56.0, 54.0)  # nail heads either side of the joint
            pic.set(x, y, to_bytes(c))
    return pic


def make_grass():
    """Seamless grass: two noise scales for patches plus short blade strokes drawn with
    wrap-around, so each tile (one repeat) meets its neighbours without a seam."""
    size = 128
    rng = Rng(0x6A55)
    octaves = [(PeriodicNoise(rng, 4), 0.5), (PeriodicNoise(rng, 8), 0.3),
               (PeriodicNoise(rng, 32), 0.2)]
    dark = (46.0, 104.0, 34.0)
    light = (104.0, 162.0, 58.0)
    pic = Picture(size, size)
    field = [[0.0] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            n = fbm(octaves, x / size, y / size)
            t = max(0.0, min(1.0, 0.5 + (n - 0.5) * 1.3))
            field[y][x] = t
    for _ in range(900):
        x = rng.int_below(size)
        y = rng.int_below(size)
        length = 2 + rng.int_below(4)
        lean = rng.int_below(3) - 1
        delta = rng.range(-0.35, 0.35)
        for k in range(length):
            px = (x + (lean * k) // 2) % size
            py = (y - k) % size
            field[py][px] = max(-0.2, min(1.25, field[py][px] + delta * (1.0 - k / length)))
    for y in range(size):
        for x in range(size):
            pic.set(x, y, to_bytes(mix(dark, light, field[y][x])))
    for _ in range(14):  # a few small flowers
        x = rng.int_below(size)
        y = rng.int_below(size)
        colour = (236, 220, 84) if rng.int_below(2) else (236, 236, 228)
        for dx, dy in ((0, 0), (1, 0), (-1, 0), (0, 1), (0, -1)):
            pic.set(x + dx, y + dy, colour if (dx, dy) != (0, 0) else (220, 150, 40))
    return pic


def make_stars():
    """Night sky that tiles under repeat wrap: a faint periodic haze and stars drawn with
    wrap-around."""
    size = 256
    rng = Rng(0x57A125)
    haze = [(PeriodicNoise(rng, 4), 0.6), (PeriodicNoise(rng, 16), 0.4)]
    tint = PeriodicNoise(rng, 4)
    pic = Picture(size, size)
    acc = [[[0.0, 0.0, 0.0] for _ in range(size)] for _ in range(size)]
    for y in range(size):
        for x in range(size):
            n = fbm(haze, x / size, y / size)
            h = max(0.0, n - 0.45) * 2.0
            t = tint.at(4.0 * x / size, 4.0 * y / size)
            acc[y][x] = [5.0 + 30.0 * h * t, 7.0 + 10.0 * h, 20.0 + 40.0 * h]

    def add(x, y, colour, k):
        cell = acc[y % size][x % size]
        for i in range(3):
            cell[i] += colour[i] * k

    palette = [(255, 255, 255), (200, 215, 255), (255, 236, 200), (255, 210, 190)]
    for _ in range(420):
        x = rng.int_below(size)
        y = rng.int_below(size)
        colour = palette[rng.int_below(len(palette))]
        b = rng.uniform()
        b = 0.15 + 0.85 * b * b * b
        add(x, y, colour, b)
        if b > 0.45:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                add(x + dx, y + dy, colour, b * 0.35)
    for _ in range(7):  # a few bright stars with small spikes
        x = rng.int_below(size)
        y = rng.int_below(size)
        colour = palette[rng.int_below(len(palette))]
        add(x, y, colour, 1.0)
        for r in (1, 2, 3):
            k = 0.6 / r
            for dx, dy in ((r, 0), (-r, 0), (0, r), (0, -r)):
                add(x + dx, y + dy, colour, k)
    for y in range(size):
        for x in range(size):
            pic.set(x, y, to_bytes(acc[y][x]))
    return pic


def make_road():
    """Asphalt strip along v with edge lines and a dashed centre line; the outer texels fade
    to transparent so the strip's border blends."""
    size = 128
    rng = Rng(0x80AD)
    grit = PeriodicNoise(rng, 64)
    patches = PeriodicNoise(rng, 4)
    pic = Picture(size, size, (0, 0, 0, 0))
    for y in range(size):
        for x in range(size):
            n = grit.at(x / 2.0, y / 2.0) - 0.5
            p = patches.at(x / 32.0, y / 32.0) - 0.5
            g = 78.0 + 40.0 * n + 16.0 * p
            c = (g, g, g * 1.04)
            if 10 <= x <= 13 or 114 <= x <= 117:
                c = (226.0 + 20.0 * n,) * 3
            elif 62 <= x <= 65 and (y % 64) < 36:
                c = (236.0 + 16.0 * n, 196.0 + 16.0 * n, 64.0)
            edge = min(x, size - 1 - x)
            alpha = 255 if edge >= 6 else int(255 * (edge + 1) / 7)
            pic.set(x, y, to_bytes(c) + (alpha,))
    return pic


def make_white():
    pic = Picture(1, 1, (255, 255, 255))
    return pic


# ---------------------------------------------------------------------------------------------
# Bitmap font: 5 x 8 design cells (rows 0-6 body, row 7 descender), drawn 2 x 2 into the
# 16 x 16 cells of a 256 x 256 page. Our own glyph shapes.

GLYPHS = {
    " ": "..... ..... ..... ..... ..... ..... ..... .....",
    "!": "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#.. .....",
    "\"": ".#.#. .#.#. .#.#. ..... ..... ..... ..... .....",
    "#": ".#.#. .#.#. ##### .#.#. ##### .#.#. .#.#. .....",
    "$": "..#.. .#### #.#.. .###. ..#.# ####. ..#.. .....",
    "%": "##... ##..# ...#. ..#.. .#... #..## ...## .....",
    "&": ".##.. #..#. #.#.. .#... #.#.# #..#. .##.# .....",
    "'": "..#.. ..#.. .#... ..... ..... ..... ..... .....",
    "(": "...#. ..#.. .#... .#... .#... ..#.. ...#. .....",
    ")": ".#... ..#.. ...#. ...#. ...#. ..#.. .#... .....",
    "*": "..... ..#.. #.#.# .###. #.#.# ..#.. ..... .....",
    "+": "..... ..#.. ..#.. ##### ..#.. ..#.. ..... .....",
    ",": "..... ..... ..... ..... ..... .##.. ..#.. .#...",
    "-": "..... ..... ..... ##### ..... ..... ..... .....",
    ".": "..... ..... ..... ..... ..... .##.. .##.. .....",
    "/": "..... ....# ...#. ..#.. .#... #.... ..... .....",
    "0": ".###. #...# #..## #.#.# ##..# #...# .###. .....",
    "1": "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###. .....",
    "2": ".###. #...# ....# ...#. ..#.. .#... ##### .....",
    "3": "##### ...#. ..#.. ...#. ....# #...# .###. .....",
    "4": "...#. ..##. .#.#. #..#. ##### ...#. ...#. .....",
    "5": "##### #.... ####. ....# ....# #...# .###. .....",
    "6": "..##. .#... #.... ####. #...# #...# .###. .....",
    "7": "##### ....# ...#. ..#.. .#... .#... .#... .....",
    "8": ".###. #...# #...# .###. #...# #...# .###. .....",
    "9": ".###. #...# #...# .#### ....# ...#. .##.. .....",
    ":": "..... .##.. .##.. ..... .##.. .##.. ..... .....",
    ";": "..... .##.. .##.. ..... .##.. ..#.. .#... .....",
    "<": "...#. ..#.. .#... #.... .#... ..#.. ...#. .....",
    "=": "..... ..... ##### ..... ##### ..... ..... .....",
    ">": ".#... ..#.. ...#. ....# ...#. ..#.. .#... .....",
    "?": ".###. #...# ....# ...#. ..#.. ..... ..#.. .....",
    "@": ".###. #...# #.### #.#.# #.##. #.... .###. .....",
    "A": ".###. #...# #...# ##### #...# #...# #...# .....",
    "B": "####. #...# #...# ####. #...# #...# ####. .....",
    "C": ".###. #...# #.... #.... #.... #...# .###. .....",
    "D": "###.. #..#. #...# #...# #...# #..#. ###.. .....",
    "E": "##### #.... #.... ####. #.... #.... ##### .....",
    "F": "##### #.... #.... ####. #.... #.... #.... .....",
    "G": ".###. #...# #.... #.### #...# #...# .#### .....",
    "H": "#...# #...# #...# ##### #...# #...# #...# .....",
    "I": ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###. .....",
    "J": "..### ...#. ...#. ...#. ...#. #..#. .##.. .....",
    "K": "#...# #..#. #.#.. ##... #.#.. #..#. #...# .....",
    "L": "#.... #.... #.... #.... #.... #.... ##### .....",
    "M": "#...# ##.## #.#.# #.#.# #...# #...# #...# .....",
    "N": "#...# #...# ##..# #.#.# #..## #...# #...# .....",
    "O": ".###. #...# #...# #...# #...# #...# .###. .....",
    "P": "####. #...# #...# ####. #.... #.... #.... .....",
    "Q": ".###. #...# #...# #...# #.#.# #..#. .##.# .....",
    "R": "####. #...# #...# ####. #.#.. #..#. #...# .....",
    "S": ".#### #.... #.... .###. ....# ....# ####. .....",
    "T": "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.. .....",
    "U": "#...# #...# #...# #...# #...# #...# .###. .....",
    "V": "#...# #...# #...# #...# #...# .#.#. ..#.. .....",
    "W": "#...# #...# #...# #.#.# #.#.# #.#.# .#.#. .....",
    "X": "#...# #...# .#.#. ..#.. .#.#. #...# #...# .....",
    "Y": "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#.. .....",
    "Z": "##### ....# ...#. ..#.. .#... #.... ##### .....",
    "[": ".###. .#... .#... .#... .#... .#... .###. .....",
    "\\": "..... #.... .#... ..#.. ...#. ....# ..... .....",
    "]": ".###. ...#. ...#. ...#. ...#. ...#. .###. .....",
    "^": "..#.. .#.#. #...# ..... ..... ..... ..... .....",
    "_": "..... ..... ..... ..... ..... ..... ..... #####",
    "`": ".#... ..#.. ...#. ..... ..... ..... ..... .....",
    "a": "..... ..... .###. ....# .#### #...# .#### .....",
    "b": "#.... #.... #.##. ##..# #...# #...# ####. .....",
    "c": "..... ..... .###. #.... #.... #...# .###. .....",
    "d": "....# ....# .##.# #..## #...# #...# .#### .....",
    "e": "..... ..... .###. #...# ##### #.... .###. .....",
    "f": "..##. .#..# .#... ###.. .#... .#... .#... .....",
    "g": "..... ..... .#### #...# #...# .#### ....# .###.",
    "h": "#.... #.... #.##. ##..# #...# #...# #...# .....",
    "i": "..#.. ..... .##.. ..#.. ..#.. ..#.. .###. .....",
    "j": "...#. ..... ..##. ...#. ...#. ...#. #..#. .##..",
    "k": "#.... #.... #..#. #.#.. ##... #.#.. #..#. .....",
    "l": ".##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###. .....",
    "m": "..... ..... ##.#. #.#.# #.#.# #.#.# #.#.# .....",
    "n": "..... ..... #.##. ##..# #...# #...# #...# .....",
    "o": "..... ..... .###. #...# #...# #...# .###. .....",
    "p": "..... ..... ####. #...# #...# ####. #.... #....",
    "q": "..... ..... .#### #...# #...# .#### ....# ....#",
    "r": "..... ..... #.##. ##..# #.... #.... #.... .....",
    "s": "..... ..... .#### #.... .###. ....# ####. .....",
    "t": ".#... .#... ###.. .#... .#... .#..# ..##. .....",
    "u": "..... ..... #...# #...# #...# #..## .##.# .....",
    "v": "..... ..... #...# #...# #...# .#.#. ..#.. .....",
    "w": "..... ..... #...# #...# #.#.# #.#.# .#.#. .....",
    "x": "..... ..... #...# .#.#. ..#.. .#.#. #...# .....",
    "y": "..... ..... #...# #...# #...# .#### ....# .###.",
    "z": "..... ..... ##### ...#. ..#.. .#... ##### .....",
    "{": "...## ..#.. ..#.. ##... ..#.. ..#.. ...## .....",
    "|": "..#.. ..#.. ..#.. ..#.. ..#.. ..#.. ..#.. .....",
    "}": "##... ..#.. ..#.. ...## ..#.. ..#.. ##... .....",
    "~": "..... ..... .#... #.#.# ...#. ..... ..... .....",
}

FONT_CELL = 16
FONT_SCALE = 2
FONT_LEFT = 3  # texels left of the glyph in its cell


def make_font():
    size = 16 * FONT_CELL
    pic = Picture(size, size)
    white = (255, 255, 255)
    for code in range(32, 127):
        rows = GLYPHS[chr(code)].split(" ")
        assert len(rows) == 8 and all(len(r) == 5 for r in rows), chr(code)
        cell_x = (code % 16) * FONT_CELL
        cell_y = (code // 16) * FONT_CELL  # from the top of the picture
        for gy, row in enumerate(rows):
            for gx, ch in enumerate(row):
                if ch != "#":
                    continue
                for sy in range(FONT_SCALE):
                    for sx in range(FONT_SCALE):
                        pic.set(cell_x + FONT_LEFT + gx * FONT_SCALE + sx,
                                cell_y + gy * FONT_SCALE + sy, white)
    return pic


# ---------------------------------------------------------------------------------------------
# Meshes

# Baked light: from above, a little towards -y (the side the camera starts on) and +x.
LIGHT = (0.3, -0.45, 0.84)
_len = math.sqrt(sum(c * c for c in LIGHT))
LIGHT = tuple(c / _len for c in LIGHT)
AMBIENT = 0.45


def shade(normal):
    """1.0 for a face looking straight up, down to AMBIENT for faces turned from the light."""
    d = sum(n * l for n, l in zip(normal, LIGHT))
    return min(1.0, AMBIENT + (1.0 - AMBIENT) * max(0.0, d) / LIGHT[2])


def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def normalise(a):
    n = math.sqrt(sum(c * c for c in a))
    return tuple(c / n for c in a)


def face_normal(p0, p1, p2):
    return normalise(cross(sub(p1, p0), sub(p2, p0)))


class MeshBuilder:
    def __init__(self):
        self.vertices = []
        self.uvs = []
        self.colors = []
        self.indices = []

    def add_vertex(self, p, uv, colour):
        self.vertices.append(tuple(p))
        self.uvs.append(tuple(uv))
        self.colors.append(tuple(colour))
        return len(self.vertices) - 1

    def add_quad(self, corners, uvs, colour):
        """Corners counter-clockwise seen from the front."""
        first = len(self.vertices)
        for p, uv in zip(corners, uvs):
            self.add_vertex(p, uv, colour)
        self.indices.append((first, first + 1, first + 2))
        self.indices.append((first, first + 2, first + 3))

    def add_triangle(self, points, uvs, colours):
        first = len(self.vertices)
        for p, uv, c in zip(points, uvs, colours):
            self.add_vertex(p, uv, c)
        self.indices.append((first, first + 1, first + 2))


def tinted(colour, k):
    return tuple(min(1.0, c * k) for c in colour)


def add_box(mesh, x0, y0, z0, x1, y1, z1, colour, uv_scale):
    """Six faces, each with its own four vertices so shading and uvs stay per face. Texture
    coordinates are level units times uv_scale, so the texture keeps its size on every face
    and continues across stacked or neighbouring blocks."""
    s = uv_scale
    faces = [
        # (corners ccw from outside, uvs, normal)
        ([(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)],
         [(x0 * s, y0 * s), (x1 * s, y0 * s), (x1 * s, y1 * s), (x0 * s, y1 * s)], (0, 0, 1)),
        ([(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)],
         [(x0 * s, z0 * s), (x1 * s, z0 * s), (x1 * s, z1 * s), (x0 * s, z1 * s)], (0, -1, 0)),
        ([(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)],
         [(y0 * s, z0 * s), (y1 * s, z0 * s), (y1 * s, z1 * s), (y0 * s, z1 * s)], (1, 0, 0)),
        ([(x1, y1, z0), (x0, y1, z0), (x0, y1, z1), (x1, y1, z1)],
         [(-x1 * s, z0 * s), (-x0 * s, z0 * s), (-x0 * s, z1 * s), (-x1 * s, z1 * s)], (0, 1, 0)),
        ([(x0, y1, z0), (x0, y0, z0), (x0, y0, z1), (x0, y1, z1)],
         [(-y1 * s, z0 * s), (-y0 * s, z0 * s), (-y0 * s, z1 * s), (-y1 * s, z1 * s)], (-1, 0, 0)),
        ([(x0, y1, z0), (x1, y1, z0), (x1, y0, z0), (x0, y0, z0)],
         [(x0 * s, y1 * s), (x1 * s, y1 * s), (x1 * s, y0 * s), (x0 * s, y0 * s)], (0, 0, -1)),
    ]
    for corners, uvs, normal in faces:
        mesh.add_quad(corners, uvs, tinted(colour, shade(normal)))


def make_wall_mesh(height):
    mesh = MeshBuilder()
    # One brick texture repeat per 2 units (wall.bmp holds 2 x 2 units of bricks).
    add_box(mesh, 0.0, 0.0, 0.0, 2.0, 2.0, height, (1.0, 1.0, 1.0), 0.5)
    return mesh


def make_wood_mesh():
    """A crate a little smaller than its 2 x 2 cell, so rows of crates read as separate."""
    mesh = MeshBuilder()
    add_box(mesh, 0.08, 0.08, 0.0, 1.92, 1.92, 1.7, (1.0, 0.97, 0.92), 0.5)
    return mesh


def make_floor_wood_mesh():
    """A thin deck tile; 0.1 units is the least height that stays clear of the grass with a
    16-bit depth buffer at the far edge of the disc. The small inset leaves dark seams."""
    mesh = MeshBuilder()
    add_box(mesh, 0.02, 0.02, 0.0, 1.98, 1.98, 0.1, (0.95, 0.9, 0.85), 0.5)
    return mesh


def make_quad_mesh(repeat):
    mesh = MeshBuilder()
    mesh.add_quad([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)],
                  [(0, 0), (repeat, 0), (repeat, repeat), (0, repeat)], (1.0, 1.0, 1.0))
    return mesh


TREE_CENTRE = (0.5, 0.5)
TRUNK_COLOUR = (0.46, 0.3, 0.17)
CROWN_COLOURS = [(0.2, 0.5, 0.18), (0.26, 0.6, 0.22), (0.32, 0.68, 0.26)]


def ring(radius, z, sides, turn):
    cx, cy = TREE_CENTRE
    return [(cx + radius * math.cos(2.0 * math.pi * (k + turn) / sides),
             cy + radius * math.sin(2.0 * math.pi * (k + turn) / sides), z) for k in range(sides)]


def add_flat_triangle(mesh, a, b, c, colours):
    """Flat-shaded triangle: its face normal picks the light, colours carry a tint per
    corner (darker under the branches)."""
    k = shade(face_normal(a, b, c))
    mesh.add_triangle([a, b, c], [(0.5, 0.5)] * 3, [tinted(col, k) for col in colours])


def make_tree_mesh():
    """Low-poly pine centred on (0.5, 0.5): a hexagonal trunk and three stacked cones."""
    mesh = MeshBuilder()
    sides = 6
    bottom = ring(0.14, 0.0, sides, 0.0)
    top = ring(0.1, 0.9, sides, 0.0)
    dim = tinted(TRUNK_COLOUR, 0.75)
    for k in range(sides):
        j = (k + 1) % sides
        add_flat_triangle(mesh, bottom[k], bottom[j], top[j], [dim, dim, TRUNK_COLOUR])
        add_flat_triangle(mesh, bottom[k], top[j], top[k], [dim, TRUNK_COLOUR, TRUNK_COLOUR])
    for k in range(1, sides - 1):  # caps; the top one is hidden in the crown but keeps the
        add_flat_triangle(mesh, bottom[0], bottom[k + 1], bottom[k], [dim] * 3)  # trunk closed
        add_flat_triangle(mesh, top[0], top[k], top[k + 1], [TRUNK_COLOUR] * 3)
    tiers = [(0.85, 0.6, 1.8), (0.68, 1.3, 2.5), (0.48, 2.0, 3.2)]
    sides = 8
    for tier, (radius, z0, z1) in enumerate(tiers):
        base = ring(radius, z0, sides, 0.5 * tier)
        apex = (TREE_CENTRE[0], TREE_CENTRE[1], z1)
        colour = CROWN_COLOURS[tier]
        under = tinted(colour, 0.55)
        for k in range(sides):
            j = (k + 1) % sides
            add_flat_triangle(mesh, base[k], base[j], apex, [under, under, tinted(colour, 1.15)])
        for k in range(1, sides - 1):  # underside of the tier
            add_flat_triangle(mesh, base[0], base[k + 1], base[k], [tinted(under, 0.8)] * 3)
    return mesh


def sway_pose(mesh, lean):
    """The tree bent along x by `lean` units at its top, the bend growing with height
    squared so the trunk's foot stays put."""
    top = max(v[2] for v in mesh.vertices)
    out = []
    for x, y, z in mesh.vertices:
        h = z / top
        out.append((x + lean * h * h, y + 0.3 * lean * h * h, z - 0.5 * abs(lean) * h * h * h))
    return out


# ---------------------------------------------------------------------------------------------
# Desktop icon: the tiny planet under a night sky, with the yard's house and a pine on it.
# It is drawn as a function of the position in the unit square, so every size is the same
# picture; 4 x 4 samples a pixel smooth the edges.

ICON_SIZES = (64, 128)
ICON_PLANET = (0.5, 1.62, 1.0)  # centre x, y and radius; its top is at y = 0.62
ICON_STARS_SEED = 0x1C0175


def icon_stars():
    """(x, y, radius, brightness) of the stars, all above the horizon."""
    rng = Rng(ICON_STARS_SEED)
    stars = []
    while len(stars) < 14:
        x = rng.range(0.1, 0.9)
        y = rng.range(0.1, 0.55)
        if abs(x - 0.5) < 0.12 and y > 0.38:
            continue  # keep the pine's tip clear
        stars.append((x, y, rng.range(0.010, 0.022), rng.range(0.55, 1.0)))
    return stars


def inside_rounded_square(u, v, margin, radius):
    """True when (u, v) lies in the unit square shrunk by margin, corners rounded by radius."""
    lo, hi = margin + radius, 1.0 - margin - radius
    dx = max(lo - u, 0.0, u - hi)
    dy = max(lo - v, 0.0, v - hi)
    return dx * dx + dy * dy <= radius * radius


def inside_triangle(u, v, a, b, c):
    if not (min(a[1], b[1], c[1]) <= v <= max(a[1], b[1], c[1])
            and min(a[0], b[0], c[0]) <= u <= max(a[0], b[0], c[0])):
        return False

    def side(p, q):
        return (q[0] - p[0]) * (v - p[1]) - (q[1] - p[1]) * (u - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def icon_sample(u, v, stars):
    """RGBA (floats, 0..255) of the icon at (u, v), v downwards."""
    if not inside_rounded_square(u, v, 0.03, 0.16):
        return (0.0, 0.0, 0.0, 0.0)
    px, py, pr = ICON_PLANET
    d = math.sqrt((u - px) ** 2 + (v - py) ** 2)
    if d > pr:
        # Sky: deep blue at the top to violet at the horizon, a thin glow over the rim.
        t = min(1.0, max(0.0, v / 0.62))
        c = mix((8.0, 12.0, 40.0), (70.0, 46.0, 120.0), t * t)
        glow = max(0.0, 1.0 - (d - pr) / 0.05)
        c = mix(c, (150.0, 190.0, 255.0), 0.6 * glow * glow)
        for sx, sy, sr, sb in stars:
            q2 = (u - sx) ** 2 + (v - sy) ** 2
            if q2 < sr * sr:
                c = mix(c, (255.0, 250.0, 230.0), sb * (1.0 - math.sqrt(q2) / sr))
    else:
        # Grass: brighter at the rim where the light grazes, darker towards the centre.
        t = min(1.0, (pr - d) / 0.3)
        c = mix((120.0, 200.0, 70.0), (40.0, 96.0, 36.0), t)
    # A pine at the top of the planet, its trunk and three tiers.
    if 0.475 <= u <= 0.525 and 0.54 <= v <= 0.66:
        c = (110.0, 72.0, 40.0)
    for top, bottom, half, colour in ((0.27, 0.42, 0.08, (70.0, 150.0, 70.0)),
                                      (0.35, 0.51, 0.11, (52.0, 128.0, 58.0)),
                                      (0.43, 0.59, 0.14, (36.0, 104.0, 46.0))):
        if inside_triangle(u, v, (0.5, top), (0.5 - half, bottom), (0.5 + half, bottom)):
            c = colour
    # The house on the left slope: brick walls, a dark roof and a lit door.
    if 0.17 <= u <= 0.33 and 0.62 <= v <= 0.76:
        c = (176.0, 84.0, 60.0)
        if 0.225 <= u <= 0.275 and 0.68 <= v:
            c = (250.0, 210.0, 120.0)
    if inside_triangle(u, v, (0.25, 0.53), (0.14, 0.63), (0.36, 0.63)):
        c = (70.0, 50.0, 60.0)
    # A wooden block on the right slope.
    if 0.68 <= u <= 0.80 and 0.64 <= v <= 0.74:
        c = (196.0, 140.0, 80.0) if v > 0.66 else (228.0, 180.0, 110.0)
    return (c[0], c[1], c[2], 255.0)


def make_icon(size):
    stars = icon_stars()
    pic = Picture(size, size, (0, 0, 0, 0))
    n = 4
    for y in range(size):
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = icon_sample((x + (sx + 0.5) / n) / size,
                                             (y + (sy + 0.5) / n) / size, stars)
                    # Premultiplied, so transparent samples do not darken the edge.
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            if acc[3] == 0.0:
                continue
            alpha = acc[3] / (n * n)
            pic.set(x, y, tuple(clamp_byte(c / acc[3]) for c in acc[:3]) + (clamp_byte(alpha),))
    return pic


# ---------------------------------------------------------------------------------------------
# Text output


def num(v):
    """Shortest fixed form with at most 5 decimals; never "-0"."""
    s = "%.5f" % v
    s = s.rstrip("0").rstrip(".")
    if s in ("-0", ""):
        s = "0"
    return s


def vertex_list(points):
    return "[" + ",".join('{"x":%s,"y":%s,"z":%s}' % tuple(num(c) for c in p) for p in points) + "]"


def uv_list(uvs):
    return "[" + ",".join('{"u":%s,"v":%s}' % tuple(num(c) for c in uv) for uv in uvs) + "]"


def colour_list(colours):
    return "[" + ",".join('{"r":%s,"g":%s,"b":%s}' % tuple(num(c) for c in col)
                          for col in colours) + "]"


def mesh_json(mesh, animations=None):
    parts = ['{\n"model":{\n',
             '"vertices":', vertex_list(mesh.vertices), ',\n',
             '"uvs":', uv_list(mesh.uvs), ',\n',
             '"colors":', colour_list(mesh.colors), ',\n',
             '"indices":[', ",".join('{"a":%d,"b":%d,"c":%d}' % t for t in mesh.indices), ']\n',
             '}']
    if animations:
        parts.append(',\n"animations":[\n')
        anims = []
        for keyframes in animations:
            frames = []
            for start, points in keyframes:
                frames.append('{"startTime":%s,\n"vertices":%s,\n"uvs":%s,\n"colors":%s}' % (
                    num(start), vertex_list(points), uv_list(mesh.uvs), colour_list(mesh.colors)))
            anims.append('{"keyframes":[\n' + ",\n".join(frames) + "]}")
        parts.append(",\n".join(anims))
        parts.append("\n]")
    parts.append("\n}\n")
    return "".join(parts)


def collider_json():
    points = [(0, 0), (1, 0), (1, 1), (0, 1)]
    segments = [(0, 1), (1, 2), (2, 3), (3, 0)]
    return ('{\n"collider":{\n'
            '"vertices":[' + ",".join('{"x":%d,"y":%d}' % p for p in points) + '],\n'
            '"indices":[' + ",".join('{"a":%d,"b":%d}' % s for s in segments) + '],\n'
            '"circles":[{"x":0.5,"y":0.5,"radius":0.5}]\n'
            '}\n}\n')


# ---------------------------------------------------------------------------------------------
# Shaders

# NOTE: no #version line. The game puts one in front by context: "#version 120" on desktop GL
# (it falls back to a 2.1 context when 3.0 cannot be had, and a 2.1 driver need not compile
# anything newer) and "#version 100" with a default float precision on OpenGL ES (WebGL2 in a
# browser). So the bodies keep to what GLSL 1.20 and GLSL ES 1.00 share: attribute/varying,
# texture2D and gl_FragColor, float literals with a point, no precision qualifiers, nothing
# from 1.30.

# What every vertex shader hands its fragment shader, and the start of main() that fills it:
# the texture coordinate as given and the baked vertex colour, which arrives as inNormal.
VERTEX_OUTPUTS = """varying vec2 texCoord;
varying vec3 colour;

void main() {
    texCoord = inTexCoord;
    colour = inNormal;
"""

BASIC_VERT = """// Flat world: model-view then projection. inNormal carries the baked vertex colour.
attribute vec3 inVertex;
attribute vec2 inTexCoord;
attribute vec3 inNormal;

uniform mat4 mvMat;
uniform mat4 projMat;

""" + VERTEX_OUTPUTS + """    gl_Position = projMat * (mvMat * vec4(inVertex, 1.0));
}
"""

BASIC_FRAG = """// Texture times vertex colour; alpha from the texture alone.
uniform sampler2D image;  // texture unit 0

varying vec2 texCoord;
varying vec3 colour;

void main() {
    vec4 texel = texture2D(image, texCoord);
    gl_FragColor = vec4(texel.rgb * colour, texel.a);
}
"""

GAMEOVER_FRAG = """// The basic picture in greyscale (luma weights of Rec. 601).
uniform sampler2D image;  // texture unit 0

varying vec2 texCoord;
varying vec3 colour;

void main() {
    vec4 texel = texture2D(image, texCoord);
    float grey = dot(texel.rgb * colour, vec3(0.299, 0.587, 0.114));
    gl_FragColor = vec4(vec3(grey), texel.a);
}
"""

CONVEYOR_VERT = """// Grass tiles of the small planet. Every vertex farther than terrainRay from the view
// centre is carried over the horizon the way the level's instances are: moved in to the
// circle of radius terrainRay, turned about the horizontal tangent through a point 4 units
// below the ground there, 1 radian per 4 units beyond the radius, at most 3.14159. Done per
// vertex, so the disc curls smoothly instead of in tile-sized steps.
attribute vec3 inVertex;
attribute vec2 inTexCoord;
attribute vec3 inNormal;

uniform mat4 finalMatrix;  // optional clip-space adjustment; all zero (never set) = none
uniform mat4 mvMat;        // view * T(tile) * T(-0.5, -0.5, 0)
uniform mat4 projMat;
uniform vec2 pos;          // tile centre relative to the view centre
uniform float terrainRay;

""" + VERTEX_OUTPUTS + """
    // Position relative to the view centre: the tile mesh spans 0..1 around pivot (0.5, 0.5).
    vec3 world = vec3(pos + inVertex.xy - vec2(0.5), inVertex.z);
    float s = length(world.xy);
    if (s > terrainRay) {
        vec2 dir = world.xy / s;
        float angle = min((s - terrainRay) / 4.0, 3.14159);
        // Rotating (0, 0, h) about the axis (-dir.y, dir.x, 0) tips it outwards along dir.
        float h = world.z + 4.0;
        world = vec3(dir * (terrainRay + h * sin(angle)), h * cos(angle) - 4.0);
    }
    // mvMat = V * T(pos, 0) * T(-0.5, -0.5, 0), so V * world = mvMat * (world - pos + 0.5).
    vec4 local = vec4(world - vec3(pos, 0.0) + vec3(0.5, 0.5, 0.0), 1.0);
    vec4 clip = projMat * (mvMat * local);
    // NOTE: GL starts every uniform at zero and the game never sets finalMatrix, so zero
    // must mean "no adjustment".
    gl_Position = finalMatrix[3][3] == 0.0 ? clip : finalMatrix * clip;
}
"""


# ---------------------------------------------------------------------------------------------


def write(out_dir, relative, data):
    path = os.path.join(out_dir, *relative.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        data = data.encode("ascii")
    with open(path, "wb") as f:
        f.write(data)


def generate(out_dir):
    write(out_dir, "font.bmp.fnt", bmp_bytes(make_font()))
    write(out_dir, "road6.png", png_bytes(make_road()))
    write(out_dir, "wall.bmp", bmp_bytes(make_wall()))
    write(out_dir, "wood.bmp", bmp_bytes(make_wood()))
    write(out_dir, "grass.bmp", bmp_bytes(make_grass()))
    write(out_dir, "whitepixel.bmp", bmp_bytes(make_white()))
    write(out_dir, "sky/stars/stars.bmp", bmp_bytes(make_stars()))

    write(out_dir, "quad.json", mesh_json(make_quad_mesh(1)))
    # The backdrop is scaled to 200 x 200 units: 25 repeats make one star tile 8 units wide.
    write(out_dir, "quadBackground.json", mesh_json(make_quad_mesh(25)))
    write(out_dir, "meshes/display/wall.json", mesh_json(make_wall_mesh(2.0)))
    write(out_dir, "meshes/display/tallWall.json", mesh_json(make_wall_mesh(6.0)))
    write(out_dir, "meshes/display/wood.json", mesh_json(make_wood_mesh()))
    write(out_dir, "meshes/display/floorWood.json", mesh_json(make_floor_wood_mesh()))
    tree = make_tree_mesh()
    sway = [(0.0, tree.vertices), (0.75, sway_pose(tree, 0.12)), (1.5, tree.vertices),
            (2.25, sway_pose(tree, -0.12)), (3.0, tree.vertices)]
    write(out_dir, "meshes/display/tree.json", mesh_json(tree, [sway]))
    write(out_dir, "meshes/colliders/quadCollider.json", collider_json())

    write(out_dir, "shaders/basic-fixed.vert", BASIC_VERT)
    write(out_dir, "shaders/basic-fixed.frag", BASIC_FRAG)
    write(out_dir, "shaders/gameover-fixed.vert", BASIC_VERT)
    write(out_dir, "shaders/gameover-fixed.frag", GAMEOVER_FRAG)
    write(out_dir, "shaders/conveyor-map.vert", CONVEYOR_VERT)
    write(out_dir, "shaders/conveyor-map.frag", BASIC_FRAG)


def generate_icons(icons_dir):
    """One PNG a size, laid out as the icon theme wants it: <size>x<size>/volk5pellor.png."""
    for size in ICON_SIZES:
        write(icons_dir, f"{size}x{size}/volk5pellor.png", png_bytes(make_icon(size)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    default_out = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "data")
    default_icons = os.path.join(os.path.dirname(default_out), "packaging", "icons")
    parser.add_argument("--out", default=default_out, help="folder to write the data into")
    parser.add_argument("--icons", default=default_icons, help="folder to write the icons into")
    args = parser.parse_args()
    generate(args.out)
    generate_icons(args.icons)


if __name__ == "__main__":
    main()
