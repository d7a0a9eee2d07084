#!/usr/bin/env python3
r"""Generate the bundled sample models under objektumok/.

Run from the repository root:

    python3 scripts/make_sample_scene.py

Meshes are DirectX text .x files ("xof 0303txt 0032"); textures are 24-bit
uncompressed BMPs with power-of-two sizes.  Everything is drawn here with the
standard library only and all noise is seeded, so a re-run reproduces the same
bytes.  Conventions the files follow (so that D3DX, Wine's included, loads them):

* one top-level Mesh per file, every face with its own vertices and UVs;
* faces wound clockwise seen from outside (Direct3D's default culling);
* every FLOAT written with a decimal point and no exponent, every DWORD without;
* MeshMaterialList carries one material index per face;
* names of objects are short identifiers, strings hold no , ; ( ) [ ] { } < >;
* texture names are relative to the .x file's folder.  A subfolder appears in
  the file text as  "tex\\brick.bmp"  (two backslash characters).  Wine's text
  loader keeps string bytes as they are, so the name it hands back is
  tex\\brick.bmp, and Windows path handling reads the doubled separator as one;
  a loader that unescapes gets tex\brick.bmp, the same file.
"""

import math
import os
import random
import re
import struct

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
OUT = os.path.join(ROOT, "objektumok")

# Where the viewer's camera starts; each house gets its door on the wall facing it.
EYE = (-99.99, 5.0, 300.0)


# --------------------------------------------------------------------------
# BMP textures
# --------------------------------------------------------------------------

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


# --------------------------------------------------------------------------
# Mesh building
# --------------------------------------------------------------------------

def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def length(a):
    return math.sqrt(dot(a, a))


class Material:
    def __init__(self, name, diffuse, texture):
        self.name = name            # object name in the .x file
        self.diffuse = diffuse      # (r, g, b), alpha is always 1
        self.texture = texture      # file name relative to the .x file, '\\' for folders


class Mesh:
    """Faces with their own vertices and UVs, one material per face."""

    def __init__(self, name, materials):
        self.name = name
        self.materials = materials
        self.verts, self.uvs, self.faces, self.face_mats = [], [], [], []

    def add_face(self, points, uvs, mat, outward):
        """Add a polygon; its order is flipped if needed so that it is clockwise
        seen from the `outward` side (Direct3D front face, left-handed)."""
        n = cross(sub(points[1], points[0]), sub(points[2], points[0]))
        if dot(n, outward) < 0:
            points, uvs = points[::-1], uvs[::-1]
        first = len(self.verts)
        self.verts.extend(points)
        self.uvs.extend(uvs)
        self.faces.append(list(range(first, first + len(points))))
        self.face_mats.append(mat)


def quad(mesh, p0, p1, p2, p3, mat, outward, u_len=1.0, v_len=1.0):
    """Quad p0-p1-p2-p3 going round its edge; p0-p1 is the top edge (v = 0),
    p3 lies below p0.  UVs run 0..u_len along p0->p1 and 0..v_len along p0->p3."""
    uvs = [(0.0, 0.0), (u_len, 0.0), (u_len, v_len), (0.0, v_len)]
    mesh.add_face([p0, p1, p2, p3], uvs, mat, outward)


def tri(mesh, p0, p1, p2, uvs, mat, outward):
    mesh.add_face([p0, p1, p2], uvs, mat, outward)


def box(mesh, x0, x1, y0, y1, z0, z1, mat, tile=10.0, top=None, bottom=False):
    """Four walls of an axis-aligned box; textures tile every `tile` units.
    `top` is the material of the lid (None: open, e.g. under a roof)."""
    h = (y1 - y0) / tile
    sides = [  # top-left, top-right corners (seen from outside) and outward normal
        ((x1, z0), (x1, z1), (1, 0, 0)),
        ((x0, z1), (x0, z0), (-1, 0, 0)),
        ((x0, z0), (x1, z0), (0, 0, -1)),
        ((x1, z1), (x0, z1), (0, 0, 1)),
    ]
    for (ax, az), (bx, bz), n in sides:
        w = math.hypot(bx - ax, bz - az) / tile
        quad(mesh, (ax, y1, az), (bx, y1, bz), (bx, y0, bz), (ax, y0, az), mat, n, w, h)
    if top is not None:
        quad(mesh, (x0, y1, z1), (x1, y1, z1), (x1, y1, z0), (x0, y1, z0), top, (0, 1, 0),
             (x1 - x0) / tile, (z1 - z0) / tile)
    if bottom:
        quad(mesh, (x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1), mat, (0, -1, 0),
             (x1 - x0) / tile, (z1 - z0) / tile)


def gable_roof(mesh, x0, x1, z0, z1, y, rise, roof_mat, gable_mat, ridge_along_z,
               tile=8.0, wall_tile=10.0):
    """Saddle roof on the rectangle [x0,x1] x [z0,z1] at height y.  Two sloped
    planes in roof_mat and two triangular gable ends in gable_mat."""
    if ridge_along_z:
        xc = (x0 + x1) / 2
        slope = math.hypot(rise, (x1 - x0) / 2) / tile
        run = (z1 - z0) / tile
        ridge = [(xc, y + rise, z0), (xc, y + rise, z1)]
        # +x slope: ridge is the top edge, eave below it
        quad(mesh, ridge[0], ridge[1], (x1, y, z1), (x1, y, z0), roof_mat,
             (rise, (x1 - x0) / 2, 0), run, slope)
        quad(mesh, ridge[1], ridge[0], (x0, y, z0), (x0, y, z1), roof_mat,
             (-rise, (x1 - x0) / 2, 0), run, slope)
        for z, nz in ((z0, -1), (z1, 1)):
            w = (x1 - x0) / wall_tile
            r = rise / wall_tile
            tri(mesh, (x0, y, z), (xc, y + rise, z), (x1, y, z),
                [(0.0, r), (w / 2, 0.0), (w, r)], gable_mat, (0, 0, nz))
    else:
        zc = (z0 + z1) / 2
        slope = math.hypot(rise, (z1 - z0) / 2) / tile
        run = (x1 - x0) / tile
        ridge = [(x0, y + rise, zc), (x1, y + rise, zc)]
        quad(mesh, ridge[1], ridge[0], (x0, y, z1), (x1, y, z1), roof_mat,
             (0, (z1 - z0) / 2, rise), run, slope)
        quad(mesh, ridge[0], ridge[1], (x1, y, z0), (x0, y, z0), roof_mat,
             (0, (z1 - z0) / 2, -rise), run, slope)
        for x, nx in ((x0, -1), (x1, 1)):
            w = (z1 - z0) / wall_tile
            r = rise / wall_tile
            tri(mesh, (x, y, z0), (x, y + rise, zc), (x, y, z1),
                [(0.0, r), (w / 2, 0.0), (w, r)], gable_mat, (nx, 0, 0))


def pyramid_roof(mesh, x0, x1, z0, z1, y, rise, mat, tile=8.0):
    """Four triangles meeting at the apex above the middle of the rectangle."""
    apex = ((x0 + x1) / 2, y + rise, (z0 + z1) / 2)
    corners = [(x0, z0), (x1, z0), (x1, z1), (x0, z1)]
    for i in range(4):
        (ax, az), (bx, bz) = corners[i], corners[(i + 1) % 4]
        a, b = (ax, y, az), (bx, y, bz)
        mid = ((ax + bx) / 2, y, (az + bz) / 2)
        out = sub(mid, (apex[0], y, apex[2]))
        out = (out[0], 0.5, out[2])
        w = math.hypot(bx - ax, bz - az) / tile
        s = length(sub(apex, mid)) / tile
        tri(mesh, a, apex, b, [(0.0, s), (w / 2, 0.0), (w, s)], mat, out)


def cone(mesh, centre, y_base, r_base, y_tip, mat, sides=8, u_tiles=2.0, v_tiles=1.0):
    """Open cone (no base disc) from a ring of radius r_base to a tip."""
    cx, cz = centre
    tip = (cx, y_tip, cz)
    for i in range(sides):
        a0 = 2 * math.pi * i / sides
        a1 = 2 * math.pi * (i + 1) / sides
        p0 = (cx + r_base * math.cos(a0), y_base, cz + r_base * math.sin(a0))
        p1 = (cx + r_base * math.cos(a1), y_base, cz + r_base * math.sin(a1))
        am = (a0 + a1) / 2
        out = (math.cos(am), r_base / max(1e-6, abs(y_tip - y_base)), math.sin(am))
        if y_tip < y_base:
            out = (out[0], -out[1], out[2])
        u0, u1 = u_tiles * i / sides, u_tiles * (i + 1) / sides
        tri(mesh, p0, tip, p1, [(u0, v_tiles), ((u0 + u1) / 2, 0.0), (u1, v_tiles)], mat, out)


# --------------------------------------------------------------------------
# .x writer
# --------------------------------------------------------------------------

def fnum(v):
    """FLOAT literal: always with a decimal point, never an exponent, no '-0'."""
    s = "%.6f" % v
    return "0.000000" if s == "-0.000000" else s


def x_string(name):
    """STRING literal; folder separators doubled (see the module docstring)."""
    assert re.fullmatch(r"[A-Za-z0-9_.\\-]+", name), name
    return '"%s"' % name.replace("\\", "\\\\")


def write_x(path, mesh):
    used = sorted(set(mesh.face_mats))
    assert used == list(range(len(mesh.materials))), "every material must be used"
    L = ["xof 0303txt 0032", "// Generated by scripts/make_sample_scene.py - do not edit.", ""]
    L.append("Mesh %s {" % mesh.name)
    L.append(" %d;" % len(mesh.verts))
    for i, (x, y, z) in enumerate(mesh.verts):
        end = ";" if i == len(mesh.verts) - 1 else ","
        L.append(" %s;%s;%s;%s" % (fnum(x), fnum(y), fnum(z), end))
    L.append(" %d;" % len(mesh.faces))
    for i, f in enumerate(mesh.faces):
        end = ";" if i == len(mesh.faces) - 1 else ","
        L.append(" %d;%s;%s" % (len(f), ",".join(str(v) for v in f), end))
    L.append("")
    L.append(" MeshTextureCoords {")
    L.append("  %d;" % len(mesh.uvs))
    for i, (u, v) in enumerate(mesh.uvs):
        end = ";" if i == len(mesh.uvs) - 1 else ","
        L.append("  %s;%s;%s" % (fnum(u), fnum(v), end))
    L.append(" }")
    L.append("")
    L.append(" MeshMaterialList {")
    L.append("  %d;" % len(mesh.materials))
    L.append("  %d;" % len(mesh.face_mats))
    for i, m in enumerate(mesh.face_mats):
        end = ";" if i == len(mesh.face_mats) - 1 else ","
        L.append("  %d%s" % (m, end))
    for mat in mesh.materials:
        r, g, b = mat.diffuse
        L.append("")
        L.append("  Material %s {" % mat.name)
        L.append("   %s;%s;%s;1.000000;;" % (fnum(r), fnum(g), fnum(b)))
        L.append("   1.000000;")
        L.append("   0.000000;0.000000;0.000000;;")
        L.append("   0.000000;0.000000;0.000000;;")
        L.append("   TextureFilename {")
        L.append("    %s;" % x_string(mat.texture))
        L.append("   }")
        L.append("  }")
    L.append(" }")
    L.append("}")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(L) + "\n")


# --------------------------------------------------------------------------
# The models
# --------------------------------------------------------------------------

# Houses of the start-up scene: centre x, centre z, size along x, size along z,
# wall height, wall material, roof material, ridge direction ('z' or 'x'), roof rise.
HOUSES = [
    (-220, 300, 40, 50, 30, "brick", "roof_red", "z", 14),    # straight ahead
    (-190, 232, 30, 30, 20, "plaster", "roof_grey", "x", 10),  # near, left edge
    (-340, 238, 44, 40, 40, "plaster", "roof_grey", "z", 14),  # far left, tall
    (-270, 362, 36, 40, 40, "plaster", "roof_red", "x", 14),   # right
    (-175, 352, 26, 30, 16, "brick", "roof_red", "x", 9),      # near, right edge
    (-420, 490, 50, 40, 30, "brick", "roof_red", "z", 12),     # far right
    (-380, 330, 40, 50, 34, "brick", "roof_grey", "z", 12),    # behind the middle one
    (40, 250, 40, 40, 30, "plaster", "roof_red", "z", 14),     # behind the start-up eye
    (60, 380, 30, 50, 20, "brick", "roof_grey", "x", 10),      # behind the start-up eye
]


def build_map02():
    mats = [
        Material("grass", (0.85, 0.95, 0.80), "grass.bmp"),
        Material("brick", (0.95, 0.88, 0.85), "tex\\brick.bmp"),
        Material("plaster", (1.00, 0.96, 0.90), "tex\\wall.bmp"),
        Material("roof_red", (0.90, 0.82, 0.80), "roof.bmp"),
        Material("roof_grey", (0.82, 0.84, 0.88), "slate.bmp"),
        Material("door", (0.95, 0.90, 0.85), "tex\\door.bmp"),
    ]
    index = {m.name: i for i, m in enumerate(mats)}
    mesh = Mesh("map02", mats)
    # Ground y = 0 over x -600..200, z 0..600; one grass tile every 40 units.
    quad(mesh, (-600, 0, 600), (200, 0, 600), (200, 0, 0), (-600, 0, 0),
         index["grass"], (0, 1, 0), 20.0, 15.0)
    for cx, cz, sx, sz, h, wall, roof, ridge, rise in HOUSES:
        x0, x1, z0, z1 = cx - sx / 2, cx + sx / 2, cz - sz / 2, cz + sz / 2
        wall_tile = 12.0 if wall == "brick" else 10.0
        box(mesh, x0, x1, 0, h, z0, z1, index[wall], tile=wall_tile)
        gable_roof(mesh, x0, x1, z0, z1, h, rise, index[roof], index[wall],
                   ridge == "z", wall_tile=wall_tile)
        # A plank door standing 0.5 out of the wall that faces the start-up eye.
        front = x1 if cx < EYE[0] else x0 - 0.5
        box(mesh, front, front + 0.5, 0, 9, cz - 2.5, cz + 2.5, index["door"], tile=9.0,
            top=index["door"])
    return mesh


def build_kocka():
    """20-unit cube centred on the origin, checker texture once per face."""
    mesh = Mesh("kocka", [Material("kocka", (1.0, 1.0, 1.0), "kocka.bmp")])
    box(mesh, -10, 10, -10, 10, -10, 10, 0, tile=20.0, top=0, bottom=True)
    return mesh


def build_torony():
    """Stone tower 16 x 16 x 60 with a tiled pyramid roof, base centred on the origin."""
    mats = [
        Material("stone", (0.95, 0.95, 0.92), "stone.bmp"),
        Material("roof", (0.90, 0.82, 0.80), "roof.bmp"),
    ]
    mesh = Mesh("torony", mats)
    box(mesh, -8, 8, 0, 60, -8, 8, 0, tile=8.0)
    box(mesh, -9.5, 9.5, 60, 64, -9.5, 9.5, 0, tile=8.0, bottom=True)   # cornice
    pyramid_roof(mesh, -9.5, 9.5, -9.5, 9.5, 64, 22, 1)
    return mesh


def build_fa():
    """Tree: square trunk 3 x 10 and a double-cone crown, base centred on the origin."""
    mats = [
        Material("bark", (0.95, 0.90, 0.85), "bark.bmp"),
        Material("leaves", (0.85, 0.95, 0.80), "leaves.bmp"),
    ]
    mesh = Mesh("fa", mats)
    box(mesh, -1.5, 1.5, 0, 10, -1.5, 1.5, 0, tile=6.0)
    cone(mesh, (0, 0), 14.0, 9.0, 30.0, 1, sides=8, u_tiles=3.0, v_tiles=2.0)   # upper crown
    cone(mesh, (0, 0), 14.0, 9.0, 7.0, 1, sides=8, u_tiles=3.0, v_tiles=1.0)    # underside
    return mesh


def build_kerites():
    """Fence section 40 units long along x: five posts and two rails."""
    mesh = Mesh("kerites", [Material("wood", (0.95, 0.92, 0.88), "wood.bmp")])
    for i in range(5):
        x = -20 + 10 * i
        box(mesh, x - 0.6, x + 0.6, 0, 7, -0.6, 0.6, 0, tile=4.0, top=0)
    for y in (2.5, 5.5):
        box(mesh, -20.6, 20.6, y - 0.5, y + 0.5, -0.25, 0.25, 0, tile=4.0, top=0, bottom=True)
    return mesh


# The tiled wall: many materials naming a few bitmaps, as real models often have.
TILE_COLUMNS, TILE_ROWS, TILE_BITMAPS = 16, 8, 8


def build_csempe():
    """Wall of 16 x 8 tiles, 10 units each, facing -z; every tile has a material of its own,
    and the 128 materials name 8 bitmaps in turn."""
    mats = []
    for i in range(TILE_COLUMNS * TILE_ROWS):
        shade_of = 0.55 + 0.45 * ((i * 37) % 17) / 16
        mats.append(Material("csempe%d" % i, (shade_of, 0.9, 1.45 - shade_of),
                             "csempe%d.bmp" % (i % TILE_BITMAPS)))
    mesh = Mesh("csempe", mats)
    for row in range(TILE_ROWS):
        for col in range(TILE_COLUMNS):
            x0, y1 = -80 + 10 * col, 80 - 10 * row
            quad(mesh, (x0, y1, 0), (x0 + 10, y1, 0), (x0 + 10, y1 - 10, 0), (x0, y1 - 10, 0),
                 row * TILE_COLUMNS + col, (0, 0, -1))
    return mesh


def generate():
    h = os.path.join(OUT, "haz")
    write_bmp(os.path.join(h, "grass.bmp"), tex_grass())
    write_bmp(os.path.join(h, "roof.bmp"), tex_roof_tiles())
    write_bmp(os.path.join(h, "slate.bmp"), tex_roof_tiles(seed=42, tile=(96, 100, 112)))
    write_bmp(os.path.join(h, "tex", "brick.bmp"), tex_bricks())
    write_bmp(os.path.join(h, "tex", "wall.bmp"), tex_plaster_window())
    write_bmp(os.path.join(h, "tex", "door.bmp"), tex_door())
    write_bmp(os.path.join(h, "Detail.bmp"), tex_detail())
    write_x(os.path.join(h, "map02.x"), build_map02())

    k = os.path.join(OUT, "kocka")
    write_bmp(os.path.join(k, "kocka.bmp"), tex_checker())
    write_x(os.path.join(k, "kocka_00.x"), build_kocka())

    t = os.path.join(OUT, "torony")
    write_bmp(os.path.join(t, "stone.bmp"), tex_stone())
    write_bmp(os.path.join(t, "roof.bmp"), tex_roof_tiles(seed=43))
    write_x(os.path.join(t, "torony.x"), build_torony())

    f = os.path.join(OUT, "fa")
    write_bmp(os.path.join(f, "bark.bmp"), tex_bark())
    write_bmp(os.path.join(f, "leaves.bmp"), tex_leaves())
    write_x(os.path.join(f, "fa.x"), build_fa())

    r = os.path.join(OUT, "kerites")
    write_bmp(os.path.join(r, "wood.bmp"), tex_planks())
    write_x(os.path.join(r, "kerites.x"), build_kerites())

    c = os.path.join(OUT, "csempe")
    for k in range(TILE_BITMAPS):
        write_bmp(os.path.join(c, "csempe%d.bmp" % k), tex_stone(size=128, seed=100 + k))
    write_x(os.path.join(c, "csempe.x"), build_csempe())


if __name__ == "__main__":
    generate()
