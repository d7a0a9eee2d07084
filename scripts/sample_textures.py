"""The bundled scene's textures: 24-bit uncompressed BMPs of power-of-two sizes, drawn from seeded
noise with the standard library alone, so that a re-run writes the same bytes."""

import math
import os
import random
import struct


class Image:
    """A w x h RGB picture, row 0 at the top."""

    def __init__(self, w, h, colour=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[tuple(colour) for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        self.px[y % self.h][x % self.w] = tuple(max(0, min(255, int(round(v)))) for v in c)


def write_bmp(path, img):
    """Write a 24-bit uncompressed bottom-up BMP."""
    assert img.w & (img.w - 1) == 0 and img.h & (img.h - 1) == 0, "power-of-two sizes only"
    row_bytes = (img.w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(img.h - 1, -1, -1):
        row = bytearray()
        for r, g, b in img.px[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def value_noise(rng, size, cells):
    """Smooth tileable noise in 0..1, cells x cells lattice over a size x size square."""
    lattice = [[rng.random() for _ in range(cells)] for _ in range(cells)]
    step = size / cells

    def smooth(t):
        return t * t * (3 - 2 * t)

    out = []
    for y in range(size):
        gy, fy = divmod(y / step, 1.0)
        gy = int(gy)
        row = []
        for x in range(size):
            gx, fx = divmod(x / step, 1.0)
            gx = int(gx)
            a = lattice[gy % cells][gx % cells]
            b = lattice[gy % cells][(gx + 1) % cells]
            c = lattice[(gy + 1) % cells][gx % cells]
            d = lattice[(gy + 1) % cells][(gx + 1) % cells]
            sx, sy = smooth(fx), smooth(fy)
            row.append((a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy)
        out.append(row)
    return out


def mix(c1, c2, t):
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def shade(c, k):
    return tuple(v * k for v in c)


def tex_grass(size=128, seed=11):
    """Meadow: green with brownish patches and short blades."""
    rng = random.Random(seed)
    patches = value_noise(rng, size, 8)
    img = Image(size, size)
    for y in range(size):
        for x in range(size):
            base = mix((70, 128, 46), (112, 116, 58), max(0.0, patches[y][x] - 0.45) * 1.6)
            img.set(x, y, shade(base, 1.0 + rng.uniform(-0.12, 0.12)))
    for _ in range(size * 6):
        x, y = rng.randrange(size), rng.randrange(size)
        colour = rng.choice([(48, 92, 32), (96, 152, 62), (58, 110, 40)])
        for k in range(rng.randint(2, 4)):
            img.set(x, y - k, colour)
    return img


def tex_bricks(size=64, seed=21, brick=(150, 58, 42), mortar=(168, 158, 146), bw=16, bh=8):
    """Running-bond brickwork, bricks bw x bh pixels with 1 px mortar joints."""
    rng = random.Random(seed)
    img = Image(size, size)
    tints = {}
    for y in range(size):
        row = y // bh
        shift = (bw // 2) * (row % 2)
        for x in range(size):
            col = ((x + shift) % size) // bw
            if y % bh == bh - 1 or (x + shift) % bw == bw - 1:
                img.set(x, y, shade(mortar, 1.0 + rng.uniform(-0.06, 0.06)))
                continue
            if (row, col) not in tints:
                tints[(row, col)] = rng.uniform(0.82, 1.12)
            img.set(x, y, shade(brick, tints[(row, col)] + rng.uniform(-0.06, 0.06)))
    return img


def tex_plaster_window(size=64, seed=31):
    """Beige plaster with one window in the middle: one tile = one storey bay."""
    rng = random.Random(seed)
    stains = value_noise(rng, size, 4)
    img = Image(size, size)
    for y in range(size):
        for x in range(size):
            base = shade((224, 204, 166), 0.92 + 0.1 * stains[y][x])
            img.set(x, y, shade(base, 1.0 + rng.uniform(-0.04, 0.04)))
    x0, x1, y0, y1 = 20, 44, 14, 46
    for y in range(y0, y1):
        for x in range(x0, x1):
            frame = x < x0 + 2 or x >= x1 - 2 or y < y0 + 2 or y >= y1 - 2
            mullion = abs(x - (x0 + x1) // 2) < 1 or abs(y - (y0 + 12)) < 1
            if frame or mullion:
                img.set(x, y, (236, 234, 226))
            else:
                t = (y - y0) / (y1 - y0)
                img.set(x, y, mix((70, 92, 118), (38, 50, 66), t))
    for x in range(x0 - 3, x1 + 3):
        img.set(x, y1, (150, 140, 122))
        img.set(x, y1 + 1, (130, 120, 104))
    return img


def tex_roof_tiles(size=64, seed=41, tile=(150, 50, 35), tw=8, th=8):
    """Overlapping roof tiles in staggered rows, lit at the top, dark lower lip."""
    rng = random.Random(seed)
    img = Image(size, size)
    tints = {}
    for y in range(size):
        row = y // th
        shift = (tw // 2) * (row % 2)
        for x in range(size):
            col = ((x + shift) % size) // tw
            if (row, col) not in tints:
                tints[(row, col)] = rng.uniform(0.85, 1.1)
            fy = (y % th) / (th - 1)
            k = tints[(row, col)] * (1.1 - 0.35 * fy)
            if y % th == th - 1 or (x + shift) % tw == 0:
                k *= 0.55
            img.set(x, y, shade(tile, k + rng.uniform(-0.04, 0.04)))
    return img


def tex_detail(size=64, seed=51):
    """Mid grey 128 with faint grain; the offsets cancel, so the mean is exactly 128."""
    rng = random.Random(seed)
    n = size * size
    offsets = [rng.randint(1, 7) for _ in range(n // 2)]
    offsets = offsets + [-o for o in offsets]
    rng.shuffle(offsets)
    img = Image(size, size)
    for i, o in enumerate(offsets):
        v = 128 + o
        img.set(i % size, i // size, (v, v, v))
    return img


def tex_checker(size=64, cells=4, a=(255, 140, 0), b=(0, 0, 0)):
    img = Image(size, size)
    cell = size // cells
    for y in range(size):
        for x in range(size):
            img.set(x, y, a if (x // cell + y // cell) % 2 == 0 else b)
    return img


def tex_door(size=64, seed=95):
    """Vertical dark boards with two cross battens: a plank door."""
    rng = random.Random(seed)
    img = Image(size, size)
    tints = [rng.uniform(0.85, 1.1) for _ in range(size // 8)]
    for y in range(size):
        for x in range(size):
            k = tints[x // 8] + rng.uniform(-0.06, 0.06)
            if x % 8 == 7:
                k *= 0.55
            if 8 <= y < 14 or 50 <= y < 56:
                k = 1.05 + rng.uniform(-0.04, 0.04)
            img.set(x, y, shade((104, 66, 38), k))
    return img


def tex_stone(size=64, seed=61):
    """Ashlar blocks 32 x 16 px with dark joints."""
    return tex_bricks(size, seed, brick=(156, 146, 128), mortar=(92, 88, 82), bw=32, bh=16)


def tex_bark(size=64, seed=71):
    rng = random.Random(seed)
    streaks = [rng.uniform(0.7, 1.15) for _ in range(size)]
    img = Image(size, size)
    for y in range(size):
        for x in range(size):
            k = (streaks[x] + streaks[(x + 1) % size]) / 2 + rng.uniform(-0.08, 0.08)
            img.set(x, y, shade((100, 70, 44), k))
    return img


def tex_leaves(size=64, seed=81):
    rng = random.Random(seed)
    blotch = value_noise(rng, size, 8)
    img = Image(size, size)
    for y in range(size):
        for x in range(size):
            base = mix((34, 88, 30), (84, 150, 56), blotch[y][x])
            img.set(x, y, shade(base, 1.0 + rng.uniform(-0.15, 0.15)))
    return img


def tex_planks(size=64, seed=91):
    """Horizontal boards with grain, 16 px per board."""
    rng = random.Random(seed)
    img = Image(size, size)
    tints = [rng.uniform(0.85, 1.1) for _ in range(size // 16)]
    for y in range(size):
        board = y // 16
        for x in range(size):
            grain = 0.08 * math.sin((x * 0.35 + board * 3.1) + 2.0 * math.sin(y * 0.7 + board))
            k = tints[board] + grain + rng.uniform(-0.04, 0.04)
            if y % 16 == 15:
                k *= 0.5
            img.set(x, y, shade((150, 106, 62), k))
    return img
