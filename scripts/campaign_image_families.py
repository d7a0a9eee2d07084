"""The campaign's families of changes to images: header fields and sizes of every format, bitmap
forms and headerless bitmaps, Targa colour maps."""

from campaign_bitmaps import SIDE, bmp_field_values, bmp_fields, map_entry, tga_mapped
from campaign_images import REFUSED_BITMAPS, dimensions, fixed_crc, image_fields
from campaign_mutations import GENERIC, interesting, put, set_field

DDS_FOURCCS = [int.from_bytes(code, "little")
               for code in (b"DXT1", b"DXT2", b"DXT3", b"DXT4", b"DXT5", b"DX10", b"ATI2")]


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
    return set_field(rng, data, at, width, values=bmp_field_values(name, width, data, start))


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
    a third as it is, a third with one of its fields changed, a third changed anywhere."""
    data, detail = bitmap_form(rng, source)
    data, detail = data[14:], detail + "no file header"
    choice = rng.randrange(3)
    if choice == 1:
        data, more = bitmap_field(rng, data, 0)
        detail += f", then {more}"
    elif choice == 2:
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


# The families of each image format, by name; every format has the generic ones too.
IMAGE_FAMILIES = {
    "bmp": {"header": image_header, "size": image_size, "fields": bitmap_fields, "headerless": headerless},
    "tga": {"header": image_header, "size": image_size, "colour-map": colour_map},
    "dds": {"header": image_header, "size": image_size},
    "png": {"header": image_header, "size": image_size},
    "jpg": {"header": image_header, "size": image_size},
}
