"""The campaign's bitmaps of every info-header form and Targa files, and where their fields lie."""

import struct

SIDE = 8   # every image the campaign makes is this many pixels on a side, unless said otherwise


def pixel(x, y):
    return (x * 32) & 255, (y * 32) & 255, ((x + y) * 16) & 255


# --- Bitmaps ------------------------------------------------------------------------------
#
# A 14-byte file header ("BM", the file's size, two reserved words, the pixels' offset), then the
# info header, whose first DWORD is its size: 12 for the old core header (16-bit width and height,
# planes, bits), 40 for BITMAPINFOHEADER, 52 and 56 for it with the colour masks (and the alpha
# mask) inside, 64 for the OS/2 2.x header, 108 and 124 for the V4 and V5 headers with colour
# space, gamma and (V5) an embedded profile. The palette and then the rows follow.

BMP_HEADER_SIZES = (12, 40, 52, 56, 64, 108, 124)
BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_JPEG, BI_PNG, BI_ALPHABITFIELDS = range(7)
# Red, green, blue and alpha masks of the bit-field forms made here.
MASKS = {16: (0xF800, 0x07E0, 0x001F, 0), 32: (0xFF0000, 0xFF00, 0xFF, 0xFF000000)}
SRGB = int.from_bytes(b"BGRs", "little")   # the V4/V5 colour space "sRGB" as stored


def bmp_rows(bits, width=SIDE, height=SIDE):
    """Bottom-up rows of `bits` a pixel, each padded to whole DWORDs."""
    row_bytes = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(height):
        if bits <= 8:
            per_byte = 8 // bits
            indices = [(x * 8 + y) % (1 << bits) for x in range(width)]
            row = bytes(sum(indices[x + k] << (8 - bits * (k + 1)) for k in range(per_byte)
                            if x + k < width) for x in range(0, width, per_byte))
        elif bits == 16:
            row = b"".join(struct.pack("<H", (r >> 3) << 11 | (g >> 2) << 5 | b >> 3)
                           for b, g, r in (pixel(x, y) for x in range(width)))
        elif bits == 32:
            row = b"".join(bytes(pixel(x, y)) + bytes((255 - x * 16,)) for x in range(width))
        else:
            row = b"".join(bytes(pixel(x, y)) for x in range(width))
        rows.append(row.ljust(row_bytes, b"\0"))
    return b"".join(rows)


def bmp_rle8(width=SIDE, height=SIDE):
    """8-bit run-length rows: each row two runs, an end of line after each, an end of bitmap."""
    out = b""
    for y in range(height):
        out += bytes((width // 2, y, width - width // 2, 255 - y, 0, 0))
    return out + b"\0\1"


def bmp_image(bits, header_bytes=40, compression=None, top_down=False):
    """A bitmap with an info header of `header_bytes`: a palette below 16 bits a pixel (3-byte
    entries behind the core header, 4-byte ones behind the others), the colour masks for 16 and
    32 bits in bit-field form, and rows of `bits` or 8-bit run-length data."""
    if compression is None:
        compression = BI_BITFIELDS if bits in (16, 32) and header_bytes != 64 else BI_RGB
    core = header_bytes == 12
    colours = 1 << bits if bits <= 8 else 0
    palette = b"".join(bytes((i * 255 // max(colours - 1, 1), 255 - i, i // 2)) + (b"" if core else b"\0")
                       for i in range(colours))
    rows = bmp_rle8() if compression == BI_RLE8 else bmp_rows(bits)
    height = -SIDE if top_down else SIDE
    if core:
        info = struct.pack("<IHHHH", 12, SIDE, SIDE & 0xFFFF, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header_bytes, SIDE, height, 1, bits, compression,
                           len(rows), 2835, 2835, colours if bits <= 8 and header_bytes != 12 else 0, 0)
    red, green, blue, alpha = MASKS.get(bits, (0, 0, 0, 0)) if compression == BI_BITFIELDS else (0,) * 4
    masks = b""
    if header_bytes == 40 and compression == BI_BITFIELDS:
        masks = struct.pack("<III", red, green, blue)   # after the header, not in it
    elif header_bytes == 64:
        # OS/2's fields: units, padding, recording, rendering, two sizes, encoding, identifier
        info += struct.pack("<HHHHIIII", 0, 0, 0, 0, 0, 0, 0, 0)
    elif header_bytes > 40:
        info += struct.pack("<IIII", red, green, blue, alpha)[:header_bytes - 40]
        if header_bytes >= 108:
            # The colour space, its end points (nine fixed-point numbers) and three gammas.
            info += struct.pack("<I36x12x", SRGB)
        if header_bytes == 124:
            info += struct.pack("<IIII", 4, 0, 0, 0)   # the rendering intent; no profile
    offset = 14 + len(info) + len(masks) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + info + masks + palette + rows


def bmp_header_bytes(data, start=14):
    return int.from_bytes(data[start:start + 4], "little")


# Where each field of the info header lies from its start, by the header's form. The V4 and V5
# headers' nine end points and three gammas are of two kinds: one of each stands for them all.
CORE_FIELDS = [("size", 0, 4), ("width", 4, 2), ("height", 6, 2), ("planes", 8, 2), ("bits", 10, 2)]
INFO_FIELDS = [("size", 0, 4), ("width", 4, 4), ("height", 8, 4), ("planes", 12, 2), ("bits", 14, 2),
               ("compression", 16, 4), ("image size", 20, 4), ("resolution", 24, 4),
               ("resolution", 28, 4), ("colours used", 32, 4), ("colours important", 36, 4)]
MASK_FIELDS = [("mask", 40, 4), ("mask", 44, 4), ("mask", 48, 4), ("mask", 52, 4)]
OS2_FIELDS = [("units", 40, 2), ("padding", 42, 2), ("recording", 44, 2), ("rendering", 46, 2),
              ("size1", 48, 4), ("size2", 52, 4), ("encoding", 56, 4), ("identifier", 60, 4)]
V4_FIELDS = [("colour space", 56, 4), ("end point", 60, 4), ("gamma", 96, 4)]
V5_FIELDS = [("intent", 108, 4), ("profile data", 112, 4), ("profile size", 116, 4)]


def bmp_fields(data, start=14):
    """(name, offset, width) of every header field of the bitmap, by its info header's form;
    `start` is where the info header begins (0 when the file header is gone)."""
    size = bmp_header_bytes(data, start)
    compression = int.from_bytes(data[start + 16:start + 20], "little")
    if size == 12:
        table = CORE_FIELDS
    elif size == 40:
        # Bit fields behind a 40-byte header keep their three masks just after it.
        bit_fields = compression in (BI_BITFIELDS, BI_ALPHABITFIELDS)
        table = INFO_FIELDS + (MASK_FIELDS[:3] if bit_fields else [])
    elif size == 64:
        table = INFO_FIELDS + OS2_FIELDS
    else:
        table = (INFO_FIELDS + MASK_FIELDS[:3 if size == 52 else 4] +
                 (V4_FIELDS if size >= 108 else []) + (V5_FIELDS if size >= 124 else []))
    file_fields = [("file size", 2, 4), ("offset", 10, 4)] if start == 14 else []
    return file_fields + [(name, start + at, width) for name, at, width in table
                          if start + at + width <= len(data)]


def bmp_field_values(name, width, data, start=14):
    """Telling values for one named field of a bitmap: sizes and codes a reader branches on,
    those of the other forms, counts one past what the file holds, and the ends of the range."""
    top = (1 << 8 * width) - 1
    file_size, header = len(data), bmp_header_bytes(data, start)
    pixels_at = int.from_bytes(data[10:14], "little") if start == 14 else start + header
    values = {
        "size": [0, 1, 4, 11, 13, 16, 39, 41, 63, 65, 107, 109, 123, 125, 256, file_size - start,
                 file_size - start + 1, *BMP_HEADER_SIZES],
        "width": [1, 2, 3, 7, 9, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, -1, -SIDE],
        "height": [1, 2, 7, 9, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, -1, -SIDE,
                   -SIDE - 1, -0x7FFFFFFF],
        "planes": [0, 2, 3, 0xFF, 0xFFFF],
        "bits": [0, 1, 2, 3, 4, 5, 7, 8, 15, 16, 17, 24, 31, 32, 33, 48, 64, 255, 0xFFFF],
        "compression": [0, 1, 2, 3, 4, 5, 6, 7, 11, 12, 13, 0x7FFFFFFF, 0xFFFFFFFF],
        "image size": [0, 1, file_size - pixels_at - 1, file_size - pixels_at + 1, 0x7FFFFFFF],
        "colours used": [1, 2, 15, 16, 17, 255, 256, 257, 0x10000, 0x40000000, 0x7FFFFFFF],
        "colours important": [1, 256, 257],
        "mask": [0, 1, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, 0x80000000, 0x00FF00FF, 0x0F0F0F0F,
                 0xF800, 0x07E0, 0x001F, 0xFFFF0000, 0x7FFFFFFF],
        "offset": [0, 1, 13, 14, 14 + header - 1, 14 + header, pixels_at - 1, pixels_at + 1,
                   file_size - 1, file_size, file_size + 1, 0x7FFFFFFF],
        "file size": [0, 1, 14, file_size - 1, file_size + 1, 0x7FFFFFFF],
        "colour space": [0, 1, SRGB, int.from_bytes(b" niW", "little"),
                         int.from_bytes(b"KNIL", "little"), int.from_bytes(b"DEBM", "little")],
        "intent": [0, 1, 2, 4, 8, 16],
        "profile data": [0, 1, header, header - 1, file_size - start, file_size - start + 1, 0x7FFFFFFF],
        "profile size": [1, 4, 128, file_size, 0x7FFFFFFF],
    }.get(name, [1, 0x100, 0x8000, 0x7FFFFFFF])
    # Every field may also be nothing or all ones; values are stored in the field's width.
    return sorted({value & top for value in values + [0, top]})


# --- Targa files --------------------------------------------------------------------------
#
# An 18-byte header: the ID's length, the colour map's type, the image type (1 colour-mapped,
# 2 true colour, 3 grey; 8 more when run-length coded), the map's first entry index, length and
# entry bits at 3, 5 and 7, the origin, width and height at 8 to 15, bits a pixel at 16 and the
# descriptor at 17. The ID, the colour map and then the pixels follow.

TGA_FIELDS = [(0, 1), (1, 1), (2, 1), (3, 2), (5, 2), (7, 1), (12, 2), (14, 2), (16, 1), (17, 1)]


def tga_packets(pixels, run_length):
    """The rows of `pixels` (a list of rows of encoded pixels); with run length, odd rows as one
    run of their first pixel and even ones as one packet of raw pixels."""
    rows = []
    for y, row in enumerate(pixels):
        if run_length and y % 2:
            rows.append(bytes((0x80 | (len(row) - 1),)) + row[0])
        elif run_length:
            rows.append(bytes((len(row) - 1,)) + b"".join(row))
        else:
            rows.append(b"".join(row))
    return b"".join(rows)


def tga_image(run_length):
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if run_length else 2, 0, 0, 0, 0, 0, SIDE, SIDE, 24, 0)
    pixels = [[bytes(pixel(x, y)) for x in range(SIDE)] for y in range(SIDE)]
    return header + tga_packets(pixels, run_length)


def map_entry(k, entry_bits):
    """Colour map entry k at `entry_bits`: 15 and 16 bits as 5-5-5, 24 and 32 as bytes, and any
    other width as that many bits' worth of bytes."""
    b, g, r = pixel(k % 8, k // 8 % 8)
    if entry_bits in (15, 16):
        return struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | b >> 3 | 0x8000)
    entry = bytes((b, g, r, 255))
    size = (entry_bits + 7) // 8
    return (entry * (size // 4 + 1))[:size]


def tga_mapped(run_length=False, entries=256, first=0, entry_bits=24, index_bits=8, indices=None,
               map_data=None):
    """A colour-mapped Targa file (type 1, or 9 when run-length coded): its map of `entries`
    entries of `entry_bits` from index `first`, and pixels that are `index_bits` indices into it
    (by default those of the map in turn, within it where it has any)."""
    if map_data is None:
        map_data = b"".join(map_entry(k, entry_bits) for k in range(entries))
    if indices is None:
        indices = [first + (x + y * SIDE) % entries if entries else 0 for y in range(SIDE) for x in range(SIDE)]
    mask = (1 << index_bits) - 1
    rows = [[(indices[y * SIDE + x] & mask).to_bytes(index_bits // 8, "little") for x in range(SIDE)]
            for y in range(SIDE)]
    header = struct.pack("<BBBHHBHHHHBB", 0, 1, 9 if run_length else 1, first & 0xFFFF, entries & 0xFFFF,
                         entry_bits & 0xFF, 0, 0, SIDE, SIDE, index_bits, 0)
    return header + map_data + tga_packets(rows, run_length)
