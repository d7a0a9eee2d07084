"""The campaign's families of changes to images: header fields and sizes of every format, bitmap
forms and headerless bitmaps, Targa colour maps, DDS files of every four-character code and mask."""

from campaign_bitmaps import SIDE, bmp_field_values, bmp_fields, map_entry, tga_mapped
from campaign_dds import (AROUND, DDPF_ALPHA, DDPF_ALPHAPIXELS, DDPF_BUMPDUDV, DDPF_BUMPLUMINANCE,
                          DDPF_LUMINANCE, DDPF_RGB, DDPF_YUV, DX10_FORMATS, FOURCC_FORMATS,
                          MASK_FORMATS, ODD_MASKS, dds_file, fourcc, levels_for)
from campaign_images import REFUSED_BITMAPS, dimensions, fixed_crc, image_fields
from campaign_mutations import GENERIC, interesting, put, set_field

DDS_FOURCCS = [fourcc(code) for code in FOURCC_FORMATS]


def image_header(rng, source):
    at, width, big_endian, crc_chunk = rng.choice(image_fields(source.kind, source.data))
    extra = DDS_FOURCCS if source.kind == "dds" and at == 84 else ()
    data, detail = set_field(rng, source.data, at, width, big_endian, extra)
    return (data if crc_chunk is None else fixed_crc(data, crc_chunk)), detail


def image_size(rng, source):
    """Width and height at one value together: a decoder that checks each alone may still find
    their product past its buffer."""
    data = source.data
    across, down, width, big_endian = dimensions(source.kind, data)
    order = "big" if big_endian else "little"
    current = int.from_bytes(data[across:across + width], order)
    value = rng.choice([value for value in interesting(width, current) if value != current])
    for at in (across, down):
        data = put(data, at, width, value, big_endian)
    return (fixed_crc(data, 8) if source.kind == "png" else data), f"{value} by {value} pixels"


# --- Bitmaps ------------------------------------------------------------------------------

def bitmap_field(rng, data, start=14):
    """One header field of the bitmap's form set to a value telling for that field."""
    name, at, width = rng.choice(bmp_fields(data, start))
    data, detail = set_field(rng, data, at, width, values=bmp_field_values(name, width, data, start))
    return data, f"{name}: {detail}"


def bitmap_form(rng, source):
    """The bitmap a family starts from: the source, or one time in four one of the forms that
    can't be sources, made anew."""
    if rng.random() < 0.25:
        name, data = rng.choice(REFUSED_BITMAPS)
        return data, f"made anew, {name}: "
    return source.data, ""


def bitmap_fields(rng, source):
    """One header field, or two, of a bitmap of any form, each set to a value telling for it."""
    original, detail = bitmap_form(rng, source)
    data, details = original, []
    for _ in range(1 if rng.random() < 0.75 else 2):
        name, at, width = rng.choice(bmp_fields(original))
        data, more = set_field(rng, data, at, width, values=bmp_field_values(name, width, original))
        details.append(f"{name}: {more}")
    return data, detail + "; ".join(details)


def headerless(rng, source):
    """The bitmap with no file header: a bare info header, then the masks, palette and pixels;
    a quarter as it is, a quarter with one of its fields changed, a quarter with its width and
    height set to one value together, as the size family does, a quarter changed anywhere."""
    data, detail = bitmap_form(rng, source)
    data, detail = data[14:], detail + "no file header"
    choice = rng.randrange(4)
    if choice == 1:
        data, more = bitmap_field(rng, data, 0)
        detail += f", then {more}"
    elif choice == 2:
        # The core header keeps its sizes in 16 bits, the others in 32.
        width = 2 if int.from_bytes(data[:4], "little") == 12 else 4
        value = rng.choice([value for value in interesting(width, SIDE) if value != SIDE])
        data = put(put(data, 4, width, value), 4 + width, width, value)
        detail += f", then {value} by {value} pixels"
    elif choice == 3:
        name = rng.choice(sorted(GENERIC))
        data, more = GENERIC[name](rng, data, 0)
        detail += f", then {name}: {more}"
    return data, detail


# --- Targa colour maps --------------------------------------------------------------------

MAP_LENGTHS = (0, 1, 255, 256, 257, 65535)
FIRST_ENTRIES = (0, 1, 255, 256, 65535)
ENTRY_BITS = (0, 8, 15, 16, 24, 32, 33, 255)


def colour_map(rng, source):
    """A colour-mapped Targa file (type 1, or 9 run-length coded) made anew, with one or more of
    its map's length, first entry index and entry bits set to a telling value, pixels that index
    beyond the map, or a map whose size is not the one the header states."""
    run_length, index_bits = rng.random() < 0.5, 16 if rng.random() < 0.25 else 8
    entries, first, entry_bits, beyond, map_form = 256, 0, 24, False, "as stated"
    changes = [change for change in ("length", "first", "bits", "beyond", "map") if rng.random() < 0.4]
    changes = changes or [rng.choice(("length", "first", "bits", "beyond"))]
    if "length" in changes:
        entries = rng.choice(MAP_LENGTHS)
    if "first" in changes:
        first = rng.choice(FIRST_ENTRIES)
    if "bits" in changes:
        entry_bits = rng.choice(ENTRY_BITS)
    top = (1 << index_bits) - 1
    indices = [min(first + (x + y * SIDE) % max(entries, 1), top) for y in range(SIDE) for x in range(SIDE)]
    if "beyond" in changes:
        past = sorted({value & top for value in (first + entries, first + entries + 1, 255, 256, top,
                                                 first - 1 if first else top)})
        for k in rng.sample(range(len(indices)), rng.choice((1, 8, len(indices)))):
            indices[k] = rng.choice(past)
        beyond = True
    map_data = None
    if "map" in changes:
        map_form = rng.choice(("256 entries of 24 bits", "cut short", "none"))
        stated = b"".join(map_entry(k, entry_bits) for k in range(entries))
        map_data = {"256 entries of 24 bits": b"".join(map_entry(k, 24) for k in range(256)),
                    "cut short": stated[:len(stated) // 2], "none": b""}[map_form]
    data = tga_mapped(run_length, entries, first, entry_bits, index_bits, indices, map_data)
    return data, (f"made anew: type {9 if run_length else 1}, {entries} entries of {entry_bits} bits "
                  f"from {first}, {index_bits}-bit indices{' beyond the map' if beyond else ''}, "
                  f"map {map_form}")


# --- DDS formats --------------------------------------------------------------------------

SIDES = (8, 8, 8, 1, 2, 3, 4, 5, 7, 16, 64)
ODD_FLAGS = (0, DDPF_RGB, DDPF_RGB | DDPF_ALPHAPIXELS, DDPF_LUMINANCE, DDPF_ALPHA, DDPF_BUMPDUDV,
             DDPF_BUMPLUMINANCE, DDPF_YUV, DDPF_LUMINANCE | DDPF_ALPHAPIXELS)


def dds_shape(rng):
    """Sizes, mips and a cube or a volume for a DDS file: square 8x8 most often."""
    width, height = rng.choice(SIDES), rng.choice(SIDES)
    full = levels_for(width, height)
    levels = rng.choice((1, 1, full, rng.randint(1, full)))
    shape = rng.choice(("plain", "plain", "plain", "cube", "volume"))
    depth = rng.choice((2, 3, 4, 8)) if shape == "volume" else 1
    if shape == "volume":
        levels = min(levels, levels_for(width, height, depth))
    return dict(width=width, height=height, levels=levels, depth=depth, cube=shape == "cube")


def around(rng, form, dx10_format):
    """A DDS file of `form` in a shape of its own, and half the time one of the fields that its
    size, mips, depth and faces hang on set to a telling value, or its data cut short."""
    shape = dds_shape(rng)
    data = dds_file(form, dx10_format=dx10_format, **shape)
    detail = (f"{shape['width']}x{shape['height']}, {shape['levels']} levels" +
              (", a cube map" if shape["cube"] else "") +
              (f", a volume of {shape['depth']}" if shape["depth"] > 1 else ""))
    if rng.random() < 0.5:
        return data, detail
    names = [name for name in AROUND if form == b"DX10" or not name.startswith("DX10")]
    name = rng.choice(names + ["data"])
    if name == "data":
        cut = rng.choice((1, 8, (len(data) - 128) // 2, len(data) - 128))
        return data[:len(data) - cut], f"{detail}, {cut} bytes of data cut"
    at, values = AROUND[name]
    data, more = set_field(rng, data, at, 4, values=values)
    return data, f"{detail}, {name}: {more}"


def dds_fourcc(rng, source):
    """A DDS file made anew in one of every four-character code's formats (a DX10 one of several
    DXGI formats), its shape and fields around it varied."""
    code = rng.choice(list(FOURCC_FORMATS))
    dx10_format = rng.choice(sorted(DX10_FORMATS))
    data, detail = around(rng, code, dx10_format)
    name = code.decode() if isinstance(code, bytes) else str(code)
    name += f" of DXGI format {dx10_format}" if code == b"DX10" else ""
    return data, f"made anew: {name}, {detail}"


def dds_bit_mask(rng, source):
    """A DDS file made anew in an uncompressed bit-mask form: one of the formats' own, or masks
    no format has at 8, 16, 24 or 32 bits, its shape and fields around it varied."""
    if rng.random() < 0.75:
        form = name = rng.choice(sorted(MASK_FORMATS))
    else:
        flags, bits, masks = rng.choice(ODD_FLAGS), rng.choice((8, 16, 24, 32)), rng.choice(ODD_MASKS)
        form = (flags, bits, *masks)
        name = f"flags {flags:#x}, {bits} bits, masks " + " ".join(f"{mask:#x}" for mask in masks)
    data, detail = around(rng, form, 28)
    return data, f"made anew: {name}, {detail}"


# The families of each image format, by name; every format has the generic ones too.
IMAGE_FAMILIES = {
    "bmp": {"header": image_header, "size": image_size, "fields": bitmap_fields, "headerless": headerless},
    "tga": {"header": image_header, "size": image_size, "colour-map": colour_map},
    "dds": {"header": image_header, "size": image_size, "fourcc": dds_fourcc, "bit-mask": dds_bit_mask},
    "png": {"header": image_header, "size": image_size},
    "jpg": {"header": image_header, "size": image_size},
}
