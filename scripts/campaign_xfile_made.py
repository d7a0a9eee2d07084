"""The pieces of the .x files the campaign writes from nothing: names of a chosen length, GUIDs,
templates, a small mesh, and the changes to a binary file that no text file converts to."""

import struct

from campaign_mutations import interesting
from campaign_xfile import binary_from_text

TEXT_HEADER = "xof 0303txt 0032\n"
# Around Wine's 40-byte name fields, and around the 512 bytes of its token value.
NAME_LENGTHS = (39, 40, 41, 63, 64, 99, 100, 511, 512)
LETTERS = "abcdefghijklmnopqrstuvwxyz0123456789"
MATERIAL_BODY = "1.0;1.0;1.0;1.0;;\n8.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\n"
# Standard templates that Wine's D3DX does not declare, used inside a mesh, with their data.
UNDECLARED_IN_MESH = {
    "VertexDuplicationIndices": "VertexDuplicationIndices {\n3;\n3;\n0,\n1,\n2;;\n}\n",
    "XSkinMeshHeader": "XSkinMeshHeader {\n1;\n1;\n0;\n}\n",
    "FVFData": "FVFData {\n258;\n6;\n0,\n0,\n0,\n0,\n0,\n0;;\n}\n",
}
EMPTY_NAME_MARK = "zzEmptyName"   # a name that the binary file then has with no bytes


def long_name(length, tag="n"):
    """A name of `length` bytes that starts with `tag`; names of one tag differ in their end."""
    return (tag + "_" + LETTERS * (length // len(LETTERS) + 1))[:length]


def twin_of(name):
    """Another name that agrees with `name` in all but its last byte."""
    return name[:-1] + ("x" if name[-1] != "x" else "y")


def guid(number):
    return "<%08X-0000-4000-8000-%012X>" % (0x5EED0000 + number, number)


def template(name, number, members="DWORD value;\n", restrictions=""):
    return f"template {name} {{\n{guid(number)}\n{members}{restrictions}}}\n"


def material(name=""):
    return f"Material {name} {{\n{MATERIAL_BODY}}}\n"


def mesh(name="", inside="", materials=(), faces=1):
    """A mesh of `faces` triangles over three vertices, with one white material (or the children
    `materials` in its material list, every face using the first), then `inside`."""
    face_list = ",\n".join(["3;0,1,2;"] * faces)
    indices = ",\n".join(["0"] * faces)
    children = list(materials) or [material()]
    return (f"Mesh {name} {{\n3;\n0.0;0.0;0.0;,\n1.0;0.0;0.0;,\n0.0;1.0;0.0;;\n{faces};\n{face_list};\n"
            f"MeshMaterialList {{\n{len(children)};\n{faces};\n{indices};;\n{''.join(children)}}}\n"
            f"{inside}}}\n")


def in_format(text, binary):
    """The text file, or the same in the binary format, with any name EMPTY_NAME_MARK left with no
    bytes."""
    if not binary:
        return text.encode()
    mark = EMPTY_NAME_MARK.encode()
    return binary_from_text(text.encode()).replace(struct.pack("<HI", 1, len(mark)) + mark,
                                                    struct.pack("<HI", 1, 0))


def binary_tokens(data):
    """(start, end, code) of each token of a binary body, as far as they can be read."""
    tokens, at = [], 16
    float_bytes = 8 if data[12:16] == b"0064" else 4
    while at + 2 <= len(data):
        code = int.from_bytes(data[at:at + 2], "little")
        end = at + 2
        if code in (1, 2, 3, 6, 7):
            count = int.from_bytes(data[end:end + 4], "little")
            end += 4 + {1: count, 2: count + 2, 3: 0, 6: 4 * count, 7: float_bytes * count}[code]
        elif code == 5:
            end += 16
        if end > len(data):
            break
        tokens.append((at, end, code))
        at = end
    return tokens


def float_lists_rewritten(data, header, width, rng=None):
    """A binary file of 4-byte floats with `header`'s float size, its float lists written `width`
    bytes a value; with `rng`, one list's count set to a telling value, its values left."""
    lists = [token for token in binary_tokens(data) if token[2] == 7]
    changed = rng.randrange(len(lists)) if rng and lists else None
    out, at, detail = [header], 16, ""
    for number, (start, end, _) in enumerate(lists):
        count = int.from_bytes(data[start + 2:start + 6], "little")
        values = struct.unpack(f"<{count}f", data[start + 6:end])
        stated = count
        if number == changed:
            stated = rng.choice(interesting(4, count) + [2 * count])
            detail = f", float list {number} of {len(lists)} stating {stated} of its {count}"
        packed = struct.pack(f"<{count}{'d' if width == 8 else 'f'}", *values)
        out += [data[at:start], struct.pack("<HI", 7, stated), packed]
        at = end
    out.append(data[at:])
    return b"".join(out), detail
