"""The campaign's families of changes to images: header fields and sizes of every format, bitmap
forms and headerless bitmaps."""

from campaign_bitmaps import bmp_field_values, bmp_fields
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


# The families of each image format, by name; every format has the generic ones too.
IMAGE_FAMILIES = {
    "bmp": {"header": image_header, "size": image_size, "fields": bitmap_fields, "headerless": headerless},
    "tga": {"header": image_header, "size": image_size},
    "dds": {"header": image_header, "size": image_size},
    "png": {"header": image_header, "size": image_size},
    "jpg": {"header": image_header, "size": image_size},
}
