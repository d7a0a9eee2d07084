"""The campaign's PNG and JPEG images, the images it starts from, and every format's header fields."""

import re
import struct
import subprocess
import zlib

from campaign_bitmaps import (BI_RLE8, SIDE, TGA_FIELDS, bmp_fields, bmp_header_bytes, bmp_image,
                              pixel, tga_image, tga_mapped)
from campaign_dds import FIELD_OFFSETS, dds_file, dds_image


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_image(palette):
    # Each row names another of the five filters, so that every one of them is decoded.
    rows = b"".join(bytes((y % 5,)) + (bytes(x + y for x in range(SIDE)) if palette else
                                       b"".join(bytes(pixel(x, y)) for x in range(SIDE)))
                    for y in range(SIDE))
    header = struct.pack(">IIBBBBB", SIDE, SIDE, 8, 3 if palette else 2, 0, 0, 0)
    colours = png_chunk(b"PLTE", b"".join(bytes(pixel(i, 15 - i)) for i in range(16))) if palette else b""
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + colours +
            png_chunk(b"IDAT", zlib.compress(rows, 9)) + png_chunk(b"IEND", b""))


def jpg_image(progressive):
    interlace = ["-interlace", "JPEG"] if progressive else []
    command = ["convert", "bmp:-", "-strip", "-quality", "85", *interlace, "jpg:-"]
    return subprocess.run(command, input=bmp_image(24), capture_output=True, check=True,
                          timeout=60).stdout


def made_images():
    """(format, what it is, file) of every image the campaign mutates: each format in its common
    forms, bitmaps with every form of info header, Targa files with colour maps, DDS files of
    several four-character codes and bit-mask forms. Each must load as it is."""
    return [
        ("bmp", "24-bit", bmp_image(24)), ("bmp", "8-bit with a palette", bmp_image(8)),
        ("bmp", "24-bit with a 12-byte core header", bmp_image(24, 12)),
        ("bmp", "8-bit with a 12-byte core header", bmp_image(8, 12)),
        ("bmp", "4-bit", bmp_image(4)), ("bmp", "1-bit", bmp_image(1)),
        ("bmp", "8-bit run-length", bmp_image(8, compression=BI_RLE8)),
        ("bmp", "24-bit top row first", bmp_image(24, top_down=True)),
        ("bmp", "16-bit bit fields", bmp_image(16)), ("bmp", "32-bit bit fields", bmp_image(32)),
        ("bmp", "24-bit with a 64-byte header", bmp_image(24, 64)),
        ("bmp", "8-bit with a 64-byte header", bmp_image(8, 64)),
        ("bmp", "32-bit with a 108-byte header", bmp_image(32, 108)),
        ("bmp", "8-bit with a 108-byte header", bmp_image(8, 108)),
        ("bmp", "32-bit with a 124-byte header", bmp_image(32, 124)),
        ("bmp", "24-bit with a 124-byte header", bmp_image(24, 124)),
        ("tga", "24-bit", tga_image(False)), ("tga", "run-length", tga_image(True)),
        ("tga", "colour-mapped", tga_mapped()), ("tga", "colour-mapped run-length", tga_mapped(True)),
        ("tga", "colour-mapped with 16-bit entries", tga_mapped(entry_bits=16)),
        ("tga", "colour-mapped with 32-bit entries", tga_mapped(entry_bits=32)),
        ("dds", "DXT1", dds_image(True)), ("dds", "A8R8G8B8 with mipmaps", dds_image(False)),
        ("dds", "DXT3", dds_file(b"DXT3")), ("dds", "DXT5 with mipmaps", dds_file(b"DXT5", levels=4)),
        ("dds", "R5G6B5", dds_file("R5G6B5")), ("dds", "L8", dds_file("L8")),
        ("dds", "X8R8G8B8 cube map", dds_file("X8R8G8B8", cube=True)),
        ("dds", "A8R8G8B8 volume", dds_file("A8R8G8B8", depth=4)),
        ("dds", "A16B16G16R16F", dds_file(113)),
        ("png", "RGB", png_image(False)), ("png", "with a palette", png_image(True)),
        ("jpg", "baseline", jpg_image(False)), ("jpg", "progressive", jpg_image(True)),
    ]


# Sound bitmaps that the viewer refuses on purpose: Wine spreads 1- and 4-bit pixels over a byte
# each without unpacking them, and reads colours past the palette. They stay sources, so that a
# seed makes the same cases as before, and must be refused as they are.
REFUSED_SOURCES = {"4-bit bmp", "1-bit bmp"}

# Bitmap forms that Wine 8 refuses even when they are sound (it knows no 52- or 56-byte info
# header), so they can't be sources, whose every one must load; the families of bitmap fields
# and of headerless bitmaps make them anew instead.
REFUSED_BITMAPS = [("16-bit with a 52-byte header", bmp_image(16, 52)),
                   ("24-bit with a 52-byte header", bmp_image(24, 52)),
                   ("32-bit with a 56-byte header", bmp_image(32, 56)),
                   ("8-bit with a 56-byte header", bmp_image(8, 56))]


def image_fields(kind, data):
    """(offset, width, big-endian, chunk whose CRC covers it) of each header field."""
    if kind == "bmp":
        fields = [(0, 2)] + [(at, width) for _, at, width in bmp_fields(data)]
        return [(at, width, False, None) for at, width in fields]
    if kind in ("tga", "dds"):
        table = TGA_FIELDS if kind == "tga" else [(at, 4) for at in FIELD_OFFSETS]
        return [(at, width, False, None) for at, width in table]
    fields = []
    at = 8 if kind == "png" else 2
    while at + 8 <= len(data):
        if kind == "png":
            length = int.from_bytes(data[at:at + 4], "big")
            header = data[at + 4:at + 8] == b"IHDR"
            layout = [(0, 4), (4, 4)] + [(k, 1) for k in range(8, 13)] if header else \
                [(k, 1) for k in range(min(length, 4))]
            fields.append((at, 4, True, None))
            fields += [(at + 8 + offset, width, True, at) for offset, width in layout]
            at += 12 + length
        else:
            if data[at] != 0xFF:
                break
            length = int.from_bytes(data[at + 2:at + 4], "big")
            fields.append((at + 2, 2, True, None))
            fields += [(at + 4 + k, 1, True, None) for k in range(min(length - 2, 12))]
            if data[at + 1] in (0xC0, 0xC1, 0xC2):   # a frame header: its height and width
                fields += [(at + 5, 2, True, None), (at + 7, 2, True, None)]
            if data[at + 1] == 0xDA:                 # entropy-coded data follows
                break
            at += 2 + length
    return fields


def dimensions(kind, data):
    """Where the image keeps its width and its height: their offsets, bytes each, big-endian."""
    if kind == "jpg":   # the frame header's width, then its height
        frame = re.search(rb"\xff[\xc0-\xc2]", data).start()
        return frame + 7, frame + 5, 2, True
    if kind == "bmp" and bmp_header_bytes(data) == 12:
        return 18, 20, 2, False
    return {"bmp": (18, 22, 4, False), "tga": (12, 14, 2, False), "dds": (16, 12, 4, False),
            "png": (16, 20, 4, True)}[kind]


def fixed_crc(data, chunk):
    """The PNG chunk at `chunk` with its CRC made true again: decoders check it before its fields."""
    end = chunk + 8 + int.from_bytes(data[chunk:chunk + 4], "big")
    return data[:end] + struct.pack(">I", zlib.crc32(data[chunk + 4:end])) + data[end + 4:]

