"""The campaign's bitmaps and Targa files, and where their header fields lie."""

import struct

SIDE = 8   # every image the campaign makes is this many pixels on a side


def pixel(x, y):
    return (x * 32) & 255, (y * 32) & 255, ((x + y) * 16) & 255


# --- Bitmaps ------------------------------------------------------------------------------
#
# A 14-byte file header ("BM", the file's size, two reserved words, the pixels' offset), then the
# 40-byte info header, the palette and the rows.

BMP_FIELDS = [(0, 2), (2, 4), (10, 4), (14, 4), (18, 4), (22, 4), (26, 2), (28, 2), (30, 4), (34, 4),
              (46, 4), (50, 4)]


def bmp_image(bits):
    row_bytes = (SIDE * bits // 8 + 3) & ~3
    palette = b"".join(bytes((i, 255 - i, i // 2, 0)) for i in range(256)) if bits == 8 else b""
    rows = b"".join((bytes(x * 8 + y for x in range(SIDE)) if bits == 8 else
                     b"".join(bytes(pixel(x, y)) for x in range(SIDE))).ljust(row_bytes, b"\0")
                    for y in range(SIDE))
    offset = 14 + 40 + len(palette)
    return (b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) +
            struct.pack("<IiiHHIIiiII", 40, SIDE, SIDE, 1, bits, 0, len(rows), 2835, 2835,
                        256 if bits == 8 else 0, 0) + palette + rows)


# --- Targa files --------------------------------------------------------------------------
#
# An 18-byte header: the ID's length, the colour map's type, the image type (1 colour-mapped,
# 2 true colour, 3 grey; 8 more when run-length coded), the map's first entry index, length and
# entry bits at 3, 5 and 7, the origin, width and height at 8 to 15, bits a pixel at 16 and the
# descriptor at 17. The ID, the colour map and then the pixels follow.

TGA_FIELDS = [(0, 1), (1, 1), (2, 1), (3, 2), (5, 2), (7, 1), (12, 2), (14, 2), (16, 1), (17, 1)]


def tga_image(run_length):
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if run_length else 2, 0, 0, 0, 0, 0, SIDE, SIDE, 24, 0)
    rows = []
    for y in range(SIDE):
        pixels = [bytes(pixel(x, y)) for x in range(SIDE)]
        if run_length and y % 2:
            rows.append(bytes((0x80 | (SIDE - 1),)) + pixels[0])   # one run of a pixel
        elif run_length:
            rows.append(bytes((SIDE - 1,)) + b"".join(pixels))     # one packet of raw pixels
        else:
            rows.append(b"".join(pixels))
    return header + b"".join(rows)
