"""The campaign's .x files written around the fixed tables of Wine's reader: names, templates,
members, restrictions, children, nesting, references and arrays of elements without data. Each
family takes the random source and whether to write the binary format, and gives the file and
what it holds."""

import struct

from campaign_xfile_made import (EMPTY_NAME_MARK, NAME_LENGTHS, TEXT_HEADER, binary_tokens, float_lists_rewritten,
                                 in_format, long_name, material, mesh, template, twin_of)

NAME_ROLES = ("template", "member", "member type", "restriction", "object", "class", "reference")


def named_in_role(role, name, twin):
    """A file in which `name` (and `twin`, when given) stands in `role`."""
    names = [name] + ([twin] if twin else [])
    if role == "template":
        return "".join(template(n, k) for k, n in enumerate(names)) + mesh()
    if role == "member":
        members = "".join(f"DWORD {n};\n" for n in names)
        return template("Holder", 0, members) + "Holder {\n" + "1;\n" * len(names) + "}\n" + mesh()
    if role == "member type":
        members = "".join(f"{n} part{k};\n" for k, n in enumerate(names))
        return ("".join(template(n, k + 1) for k, n in enumerate(names)) + template("Holder", 0, members) +
                "Holder {\n" + "1;;\n" * len(names) + "}\n" + mesh())
    if role == "restriction":
        return template("Holder", 0, restrictions=f"[{', '.join(names)}]\n") + "Holder {\n1;\n}\n" + mesh()
    if role == "object":
        return mesh(name) + "".join(f"Frame {n} {{\n}}\n" for n in names[1:])
    if role == "class":
        return "".join(template(n, k) + f"{n} {{\n{k};\n}}\n" for k, n in enumerate(names)) + mesh()
    return "".join(material(n) for n in names) + mesh(materials=[f"{{ {n} }}\n" for n in names])


def long_names(rng, binary):
    """A name of a length around Wine's limits in one role; now and then with a twin that agrees
    with it in all but its last byte, as two names shortened alike would."""
    role, length = rng.choice(NAME_ROLES), rng.choice(NAME_LENGTHS)
    name = long_name(length)
    twin = twin_of(name) if rng.random() < 0.3 else None
    text = TEXT_HEADER + named_in_role(role, name, twin)
    return in_format(text, binary), f"{role} name of {length} bytes" + (" and its twin" if twin else "")


def templates(rng, binary):
    """Templates of the file's own around the 164 that Wine's table has room for; now and then
    one of them declares again a template that D3DX declares."""
    count = rng.choice((1, 163, 164, 165, 166, 200))
    again = rng.choice(("Frame", "Mesh", "Material")) if count > 1 and rng.random() < 0.3 else None
    names = [f"Own{k:03d}" for k in range(count)]
    if again:
        names[-1] = again
    text = TEXT_HEADER + "".join(template(n, k) for k, n in enumerate(names))
    text += "Own000 {\n1;\n}\n" + mesh()
    return in_format(text, binary), f"{count} templates" + (f", the last one {again} again" if again else "")


def nesting(rng, binary):
    """Frames nested so that the mesh's material lies at a depth around Wine's 256, or near the
    2,000 objects within one; or the mesh beside the frames at the top."""
    depth = rng.choice((254, 255, 256, 257, 258, 1998, 1999, 2000, 2001))
    inside = rng.random() < 0.75
    frames = depth - 3 if inside else depth
    text = (TEXT_HEADER + "".join(f"Frame f{k} {{\n" for k in range(frames)) + (mesh() if inside else "") +
            "}\n" * frames + ("" if inside else mesh()))
    return in_format(text, binary), f"{'material' if inside else 'frames'} {depth} deep"


def members(rng, binary):
    """A template of members around Wine's 50, and an object of it."""
    count = rng.choice((48, 49, 50, 51, 52))
    arrays = rng.random() < 0.3
    declared = "".join((f"array DWORD m{k}[2];\n" if arrays else f"DWORD m{k};\n") for k in range(count))
    data = "".join(("1,\n2;;\n" if arrays else "1;\n") for _ in range(count))
    text = TEXT_HEADER + template("Wide", 0, declared) + "Wide {\n" + data + "}\n" + mesh()
    return in_format(text, binary), f"{count} members" + (" of arrays" if arrays else "")


def restrictions(rng, binary):
    """A template restricted to around Wine's 200 names, some with GUIDs, the first one Material,
    and an object of it holding a material."""
    count = rng.choice((199, 200, 201, 202))
    names = ["Material"] + [f"r{k} <{k:08X}-0000-4000-8000-000000000000>" if k % 3 == 0 else f"r{k}"
                            for k in range(1, count)]
    text = (TEXT_HEADER + template("Strict", 0, restrictions="[" + ",\n".join(names) + "]\n") +
            "Strict {\n1;\n" + material() + "}\n" + mesh())
    return in_format(text, binary), f"{count} restrictions"


def children(rng, binary):
    """One object holding around Wine's 200 children: frames, references or both in a frame with
    the mesh among them, or the materials of a mesh's material list."""
    count = rng.choice((199, 200, 201, 202))
    kind = rng.choice(("frames", "references", "both", "materials"))
    if kind == "materials":
        listed = [material() if k % 2 else "{ Shared }\n" for k in range(count)]
        text = TEXT_HEADER + material("Shared") + mesh(materials=listed)
    else:
        held = [("Frame {\n}\n" if kind == "frames" or (kind == "both" and k % 2) else "{ Shared }\n")
                for k in range(count - 1)]
        text = TEXT_HEADER + material("Shared") + "Frame Root {\n" + "".join(held) + mesh() + "}\n"
    return in_format(text, binary), f"{count} children: {kind}"


def referring(kind, levels):
    """The objects of a file whose references are of this kind, `levels` deep where that counts."""
    if kind == "self":
        return "Frame A {\n{ A }\n" + mesh() + "}\n"
    if kind == "ancestor":
        return ("Frame A {\n" + "".join(f"Frame B{k} {{\n" for k in range(levels)) + "{ A }\n" +
                "}\n" * levels + mesh() + "}\n")
    if kind in ("chain", "fan"):
        times = 1 if kind == "chain" else 3
        chain = "".join(f"Frame F{k} {{\n" + f"{{ F{k - 1} }}\n" * times + "}\n" for k in range(1, levels + 1))
        return material("F0") + chain + mesh()
    name = {"unknown": "Nowhere", "wrong case": "shared", "empty": EMPTY_NAME_MARK}[kind]
    return material("Shared") + mesh(materials=[f"{{ {name} }}\n"])


def references(rng, binary):
    """References Wine's reader or D3DX can't follow for long: to the object they stand in, to one
    around it, along a chain of objects that hold references (one, or three each), to no object, or
    with no name."""
    kind = rng.choice(("self", "ancestor", "chain", "fan", "unknown", "wrong case") + (("empty",) if binary else ()))
    levels = rng.choice((1, 2, 3, 8, 30)) if kind in ("ancestor", "chain", "fan") else 0
    detail = kind + (f", {levels} levels" if levels else "")
    return in_format(TEXT_HEADER + referring(kind, levels), binary), detail


def arrays_without_data(rng, binary):
    """An array of a template that holds no data (one of no members, one holding only such, or a
    standard one), of a count the object states or a fixed one, up to four billion."""
    element = rng.choice(("Nothing", "AlsoNothing", "Frame", "Animation"))
    count = rng.choice((0, 1, 2, 1000, 65536, 2 ** 31 - 1, 2 ** 32 - 1))
    fixed = rng.random() < 0.3
    dimension = str(count) if fixed else "count"
    text = (TEXT_HEADER + template("Nothing", 1, members="") + template("AlsoNothing", 2, "Nothing inner;\n") +
            template("Holder", 0, f"DWORD count;\narray {element} items[{dimension}];\n") +
            f"Holder {{\n{count};\n}}\n" + mesh())
    return in_format(text, binary), f"array of {count} {element}" + (", fixed" if fixed else "")


def wide_floats(rng, binary):
    """A binary file whose float lists are read four bytes a value by Wine's reader whatever its
    header says: doubles under a 64-bit header (as it should be), 4-byte floats under one, doubles
    under a 32-bit header; now and then a list stating another count."""
    values = rng.choice((0, 1000))
    floats = ""
    if values:
        floats = (template("Floats", 0, "DWORD count;\narray FLOAT values[count];\n") +
                  f"Floats {{\n{values};\n" + ",\n".join(["0.5"] * values) + ";;\n}\n")
    text = TEXT_HEADER + floats + mesh()
    plain = in_format(text, True)
    header, width = rng.choice(((b"xof 0303bin 0064", 8), (b"xof 0303bin 0064", 4), (b"xof 0303bin 0032", 8)))
    data, detail = float_lists_rewritten(plain, header, width, rng if rng.random() < 0.5 else None)
    return data, f"{header[12:].decode()} header, {width}-byte floats, {values} more{detail}"


# What may follow a binary string in place of its closing token: names and lists of telling
# lengths, braces, a GUID, another string, codes of no token, or nothing.
AFTER_STRING = {
    "name": lambda n: struct.pack("<HI", 1, n) + b"Mesh",
    "integer list": lambda n: struct.pack("<HI", 6, n) + struct.pack("<I", 1),
    "float list": lambda n: struct.pack("<HI", 7, n) + struct.pack("<f", 1.0),
    "string": lambda n: struct.pack("<HI", 2, n) + b"abc" + struct.pack("<H", 20),
    "open brace": lambda n: struct.pack("<H", 10),
    "close brace": lambda n: struct.pack("<H", 11),
    "guid": lambda n: struct.pack("<H", 5) + bytes(range(16)),
    "no token": lambda n: struct.pack("<H", n),
    "nothing": None,
}
AFTER_STRING_COUNTS = (0, 1, 4, 511, 512, 65536, 2 ** 31, 2 ** 32 - 1)
NO_TOKEN_CODES = (0, 4, 8, 9, 21, 30, 53, 0xFFFF)


def after_string(rng, binary):
    """A binary file whose string, in an object of the file's own template before the mesh, is
    followed by another token than the one that closes it, or by the file's end."""
    text = TEXT_HEADER + template("Note", 0, "STRING text;\n") + 'Note {\n"hello";\n}\n' + mesh()
    data = in_format(text, True)
    _, end, _ = next(token for token in binary_tokens(data) if token[2] == 2)
    kind = rng.choice(sorted(AFTER_STRING))
    count = rng.choice(NO_TOKEN_CODES if kind == "no token" else AFTER_STRING_COUNTS)
    follower = AFTER_STRING[kind]
    if follower is None:
        return data[:end - 2], "the file ends after the string"
    return data[:end - 2] + follower(count) + data[end:], f"{kind} ({count}) after the string"


FAMILIES = {"long-name": long_names, "templates": templates, "nesting": nesting, "members": members,
            "restrictions": restrictions, "children": children, "references": references,
            "no-data-array": arrays_without_data}
BINARY_FAMILIES = {"wide-floats": wide_floats, "after-string": after_string}
