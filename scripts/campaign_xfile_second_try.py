"""The campaign's .x files written for the viewer's second try: material lists of one index for a
mesh of many faces, thousands of long names, and files one template short of Wine's table that use
standard templates D3DX does not declare. Each family takes the random source and whether to write
the binary format, and gives the file and what it holds."""

from campaign_xfile_made import (TEXT_HEADER, UNDECLARED_IN_MESH, in_format, long_name, material, mesh,
                                 template)

VERTICES = "3;\n0.0;0.0;0.0;,\n1.0;0.0;0.0;,\n0.0;1.0;0.0;;\n"


def one_index_mesh(held, stated, index, materials):
    """A mesh that holds `held` faces and states `stated`, its material list giving the one
    `index` for them all."""
    faces = ",\n".join(["3;0,1,2;"] * held)
    return (f"Mesh {{\n{VERTICES}{stated};\n{faces};\nMeshMaterialList {{\n{materials};\n1;\n{index};;\n" +
            material() * materials + "}\n}\n")


def one_index(rng, binary):
    """One material index for a mesh of many faces, which the second try repeats for each: faces
    held or only stated, up to far more than the file holds and past the bound on the adjusted
    bytes, the index written with up to thousands of leading zeros or out of range."""
    held = rng.choice((2, 3, 100, 2000))
    zeros = rng.choice((1, 2, 40, 500, 511, 512, 5000))
    index = rng.choice(("0" * zeros, "0" * zeros, "1", "0" * (zeros - 1) + "1"))
    materials = rng.choice((1, 1, 2))
    size = len(one_index_mesh(held, held, index, materials))
    stated = rng.choice((held, held, held + 1, 2 * held, size // 8, size // 2, size, size + 1, 65536,
                         2 ** 31 - 1, 2 ** 32 - 1))
    # A binary file holds the index as a number: its zeros go.
    text = TEXT_HEADER + one_index_mesh(held, stated, index.lstrip("0") or "0" if binary else index, materials)
    shown = index if len(index) < 8 else f"{index[-1]} after {len(index) - 1} zeros"
    return in_format(text, binary), f"{held} faces held, {stated} stated, index {shown}, {materials} materials"


def frames_named(names, per_frame=150):
    """Empty frames of these names, in frames of `per_frame` at the top: few enough there and
    within each for Wine's reader to read them all."""
    groups = [names[at:at + per_frame] for at in range(0, len(names), per_frame)]
    return "".join(f"Frame {group[0]} {{\n" + "".join(f"Frame {n} {{\n}}\n" for n in group[1:]) + "}\n"
                   for group in groups)


def many_names(rng, binary):
    """Thousands of names longer than Wine's 40 bytes, of frames, of the mesh and of materials that
    its material list refers to by name; they differ in their start, or only in their end, where
    shortening cuts."""
    count, length = rng.choice(((1000, 40), (1000, 64), (3000, 41), (3000, 100), (10000, 40), (10000, 64),
                                (100, 511), (1000, 511)))
    at_end = rng.random() < 0.5
    materials = rng.choice((0, 0, 1, 50))
    filler = long_name(length - 6, "f")
    names = [f"{filler}{k:06d}" if at_end else f"f{k:06d}{filler[1:]}" for k in range(count + materials + 1)]
    listed = names[count:count + materials]
    text = (TEXT_HEADER + "".join(material(n) for n in listed) +
            mesh(names[-1], materials=[f"{{ {n} }}\n" for n in listed]) + frames_named(names[:count]))
    where = "their end" if at_end else "their start"
    return (in_format(text, binary),
            f"{count} names of {length} bytes differing in {where}, {materials} materials referred to")


# Standard templates that Wine's D3DX does not declare, and the object of each at the top.
UNDECLARED_AT_TOP = {"AnimTicksPerSecond": "AnimTicksPerSecond {\n4800;\n}\n"}


def short_of_table(rng, binary):
    """Templates of the file's own up to one short of Wine's table, or at it, and standard ones
    used undeclared, whose declarations the second try adds where the table has room; now and then
    with a CSTRING member and floats with an exponent too."""
    count = rng.choice((161, 162, 163, 163, 164))
    used = rng.sample(sorted(UNDECLARED_IN_MESH) + sorted(UNDECLARED_AT_TOP), rng.choice((1, 1, 2)))
    cstring = rng.random() < 0.3
    exponents = rng.random() < 0.3
    text = TEXT_HEADER + "".join(template(f"Own{k:03d}", k) for k in range(count - 1))
    text += template("Label", count, "CSTRING text;\n" if cstring else "STRING text;\n") + 'Label {\n"x";\n}\n'
    body = mesh(inside="".join(UNDECLARED_IN_MESH.get(name, "") for name in used))
    if exponents:
        body = body.replace("1.0;", "1.00E+00;")
    text += "".join(UNDECLARED_AT_TOP.get(name, "") for name in used) + body
    extras = (", a CSTRING member" if cstring else "") + (", exponents" if exponents else "")
    return in_format(text, binary), f"{count} templates, {' and '.join(used)} undeclared{extras}"


FAMILIES = {"one-index": one_index, "many-names": many_names, "short-of-table": short_of_table}
