"""The campaign's families of changes to images: the header fields and the sizes of every format."""

from campaign_images import dimensions, fixed_crc, image_fields
from campaign_mutations import interesting, put, set_field

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


# The families of each image format, by name; every format has the generic ones too.
IMAGE_FAMILIES = {kind: {"header": image_header, "size": image_size}
                  for kind in ("bmp", "tga", "dds", "png", "jpg")}
