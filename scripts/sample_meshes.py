"""The bundled scene's meshes: faces with vertices and UVs of their own, built from boxes, roofs
and cones, and written as DirectX text .x files by the conventions make_sample_scene.py states."""

import math
import os
import re


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
