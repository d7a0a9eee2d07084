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

import os

from sample_meshes import Material, Mesh, box, cone, gable_roof, pyramid_roof, quad, write_x
from sample_textures import (tex_bark, tex_bricks, tex_checker, tex_detail, tex_door, tex_grass,
                             tex_leaves, tex_planks, tex_plaster_window, tex_roof_tiles, tex_stone,
                             write_bmp)

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
OUT = os.path.join(ROOT, "objektumok")

# Where the viewer's camera starts; each house gets its door on the wall facing it.
EYE = (-99.99, 5.0, 300.0)


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
