"""The campaign's DDS files: every four-character code and bit-mask form, mips, cubes, volumes."""

import math
import struct

from campaign_bitmaps import SIDE, pixel

# "DDS ", then a 124-byte header: its size, flags, height, width, pitch or linear size, depth,
# mip count at 4 to 28; the pixel format at 76 (its size, flags, four-character code, bits a
# pixel and four masks at 80 to 104); the caps at 108 and the cube and volume caps at 112. A
# DX10 code adds a 20-byte header of its own. The surfaces follow: each face's mip chain in turn.

DDSD_CAPS, DDSD_HEIGHT, DDSD_WIDTH, DDSD_PITCH = 0x1, 0x2, 0x4, 0x8
DDSD_PIXELFORMAT, DDSD_MIPMAPCOUNT, DDSD_LINEARSIZE, DDSD_DEPTH = 0x1000, 0x20000, 0x80000, 0x800000
DDPF_ALPHAPIXELS, DDPF_ALPHA, DDPF_FOURCC, DDPF_RGB = 0x1, 0x2, 0x4, 0x40
DDPF_YUV, DDPF_LUMINANCE, DDPF_BUMPLUMINANCE, DDPF_BUMPDUDV = 0x200, 0x20000, 0x40000, 0x80000
DDSCAPS_COMPLEX, DDSCAPS_TEXTURE, DDSCAPS_MIPMAP = 0x8, 0x1000, 0x400000
DDSCAPS2_CUBEMAP, DDSCAPS2_ALL_FACES, DDSCAPS2_VOLUME = 0x200, 0xFC00, 0x200000

FIELD_OFFSETS = (4, 8, 12, 16, 20, 24, 28, 76, 80, 84, 88, 92, 96, 100, 104, 108, 112)


def fourcc(code):
    return int.from_bytes(code, "little") if isinstance(code, bytes) else code


# Four-character codes, with how each lays out its pixels: blocks of so many pixels across and
# down, of so many bytes. The numbers are the D3DFORMAT values that stand in a code's place.
FOURCC_FORMATS = {
    b"DXT1": (4, 4, 8), b"DXT2": (4, 4, 16), b"DXT3": (4, 4, 16), b"DXT4": (4, 4, 16),
    b"DXT5": (4, 4, 16), b"UYVY": (2, 1, 4), b"YUY2": (2, 1, 4), b"RGBG": (2, 1, 4),
    b"GRGB": (2, 1, 4), b"ATI1": (4, 4, 8), b"ATI2": (4, 4, 16), b"BC4U": (4, 4, 8),
    b"BC5U": (4, 4, 16), b"DX10": (1, 1, 4), b"MET1": (1, 1, 4),
    36: (1, 1, 8),    # A16B16G16R16
    110: (1, 1, 8),   # Q16W16V16U16
    111: (1, 1, 2),   # R16F
    112: (1, 1, 4),   # G16R16F
    113: (1, 1, 8),   # A16B16G16R16F
    114: (1, 1, 4),   # R32F
    115: (1, 1, 8),   # G32R32F
    116: (1, 1, 16),  # A32B32G32R32F
    117: (1, 1, 2),   # CxV8U8
}
# DXGI formats behind a DX10 code, with their layouts: RGBA8, RGBA32F, BC1, BC3, BC4, BC5, BC7,
# and 0, the unknown format.
DX10_FORMATS = {28: (1, 1, 4), 2: (1, 1, 16), 71: (4, 4, 8), 77: (4, 4, 16), 80: (4, 4, 8),
                83: (4, 4, 16), 98: (4, 4, 16), 0: (1, 1, 4)}

# The bit-mask forms: pixel format flags, bits a pixel, and red, green, blue and alpha masks (for
# luminance the first mask, for bump maps U, V, W and Q or luminance).
MASK_FORMATS = {
    "A8R8G8B8": (DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
    "X8R8G8B8": (DDPF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0),
    "A8B8G8R8": (DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000),
    "X8B8G8R8": (DDPF_RGB, 32, 0xFF, 0xFF00, 0xFF0000, 0),
    "A2R10G10B10": (DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000),
    "A2B10G10R10": (DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000),
    "G16R16": (DDPF_RGB, 32, 0xFFFF, 0xFFFF0000, 0, 0),
    "R8G8B8": (DDPF_RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0),
    "R5G6B5": (DDPF_RGB, 16, 0xF800, 0x7E0, 0x1F, 0),
    "X1R5G5B5": (DDPF_RGB, 16, 0x7C00, 0x3E0, 0x1F, 0),
    "A1R5G5B5": (DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0x7C00, 0x3E0, 0x1F, 0x8000),
    "A4R4G4B4": (DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0xF00, 0xF0, 0xF, 0xF000),
    "X4R4G4B4": (DDPF_RGB, 16, 0xF00, 0xF0, 0xF, 0),
    "A8R3G3B2": (DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0xE0, 0x1C, 0x3, 0xFF00),
    "R3G3B2": (DDPF_RGB, 8, 0xE0, 0x1C, 0x3, 0),
    "L8": (DDPF_LUMINANCE, 8, 0xFF, 0, 0, 0),
    "L16": (DDPF_LUMINANCE, 16, 0xFFFF, 0, 0, 0),
    "A8L8": (DDPF_LUMINANCE | DDPF_ALPHAPIXELS, 16, 0xFF, 0, 0, 0xFF00),
    "A4L4": (DDPF_LUMINANCE | DDPF_ALPHAPIXELS, 8, 0xF, 0, 0, 0xF0),
    "A8": (DDPF_ALPHA, 8, 0, 0, 0, 0xFF),
    "V8U8": (DDPF_BUMPDUDV, 16, 0xFF, 0xFF00, 0, 0),
    "V16U16": (DDPF_BUMPDUDV, 32, 0xFFFF, 0xFFFF0000, 0, 0),
    "Q8W8V8U8": (DDPF_BUMPDUDV, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000),
    "L6V5U5": (DDPF_BUMPLUMINANCE, 16, 0x1F, 0x3E0, 0xFC00, 0),
    "X8L8V8U8": (DDPF_BUMPLUMINANCE, 32, 0xFF, 0xFF00, 0xFF0000, 0),
}
# Masks that no format has: none, all, overlapping, with gaps, wider than the pixel.
ODD_MASKS = [(0, 0, 0, 0), (0xFFFFFFFF,) * 4, (0xFF, 0xFF, 0xFF, 0), (0x00FF00FF, 0xFF00FF00, 0, 0),
             (0x1, 0x2, 0x4, 0x80000000), (0xFFFF0000, 0xFFFF, 0xFF00FF, 0)]


def levels_for(width, height, depth=1):
    return int(math.log2(max(width, height, depth, 1))) + 1


def surface_bytes(layout, width, height, depth, levels):
    """The bytes of one face's chain of `levels` mips, each level half the one before."""
    across, down, block = layout
    total = 0
    for _ in range(levels):
        total += -(-width // across) * -(-height // down) * block * depth
        width, height, depth = max(width // 2, 1), max(height // 2, 1), max(depth // 2, 1)
    return total


def pattern(count, seed=0):
    """`count` bytes of a pattern that is neither empty nor the same byte throughout."""
    return bytes((k * 37 + seed * 11 + (k >> 5)) & 255 for k in range(count))


def dds_file(form, width=SIDE, height=SIDE, levels=1, depth=1, cube=False, dx10_format=28):
    """A DDS file of `form` (a four-character code or D3DFORMAT number from FOURCC_FORMATS, a
    bit-mask form's name, or (flags, bits, masks...) for masks of one's own), with `levels` mips,
    `depth` slices (a volume when above 1) or six faces, and the data all that needs."""
    if isinstance(form, tuple):
        format_flags, bits, *masks = form
        layout, code = (1, 1, max(bits // 8, 1)), 0
    elif form in MASK_FORMATS:
        format_flags, bits, *masks = MASK_FORMATS[form]
        layout, code = (1, 1, bits // 8), 0
    else:
        format_flags, bits, masks = DDPF_FOURCC, 0, [0, 0, 0, 0]
        code = fourcc(form)
        layout = DX10_FORMATS[dx10_format] if form == b"DX10" else FOURCC_FORMATS[form]
    compressed = layout[0] > 1 or layout[1] > 1 or code
    flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT
    flags |= DDSD_LINEARSIZE if compressed else DDSD_PITCH
    pitch = surface_bytes(layout, width, height, 1, 1) if compressed else -(-width * bits // 8)
    caps, caps2 = DDSCAPS_TEXTURE, 0
    if levels > 1:
        flags |= DDSD_MIPMAPCOUNT
        caps |= DDSCAPS_COMPLEX | DDSCAPS_MIPMAP
    if depth > 1:
        flags |= DDSD_DEPTH
        caps, caps2 = caps | DDSCAPS_COMPLEX, caps2 | DDSCAPS2_VOLUME
    if cube:
        caps, caps2 = caps | DDSCAPS_COMPLEX, caps2 | DDSCAPS2_CUBEMAP | DDSCAPS2_ALL_FACES
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, flags, height, width, pitch,
                         depth if depth > 1 else 0, levels if levels > 1 else 0)
    pixel_format = struct.pack("<IIIIIIII", 32, format_flags, code, bits, *masks)
    extra = struct.pack("<IIIII", dx10_format, 3, 4 if cube else 0, 1, 0) if form == b"DX10" else b""
    faces = 6 if cube else 1
    data = pattern(surface_bytes(layout, width, height, depth, levels) * faces, width + levels)
    return header + pixel_format + struct.pack("<IIII4x", caps, caps2, 0, 0) + extra + data


def dds_image(compressed):
    """The two DDS sources the campaign began with: DXT1 of one level, and A8R8G8B8 with every
    mip down to 1x1."""
    if compressed:   # DXT1: 8-byte blocks of 4x4 pixels, one level
        flags, pitch, mips, caps = 0x81007, 8 * (SIDE // 4) ** 2, 0, 0x1000
        pixel_format = struct.pack("<II4sIIIII", 32, 0x4, b"DXT1", 0, 0, 0, 0, 0)
        data = b"".join(struct.pack("<HHI", 0xF800 >> k, 0x07E0 << k % 4, 0xE4E4E4E4 >> k)
                        for k in range((SIDE // 4) ** 2))
    else:            # A8R8G8B8 with every mipmap level down to 1x1
        levels = levels_for(SIDE, SIDE)
        flags, pitch, mips, caps = 0x2100F, SIDE * 4, levels, 0x401008
        pixel_format = struct.pack("<II4sIIIII", 32, 0x41, b"\0" * 4, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
        data = b"".join(bytes(pixel(x, y)) + b"\xff" for k in range(levels)
                        for y in range(SIDE >> k) for x in range(SIDE >> k))
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, flags, SIDE, SIDE, pitch, 0, mips)
    return header + pixel_format + struct.pack("<IIII4x", caps, 0, 0, 0) + data


# Header fields that sizes, mips, depth and faces hang on, with telling values for each.
AROUND = {
    "height": (12, [0, 1, 2, 3, 5, 7, 9, 16, 0x8000, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF]),
    "width": (16, [0, 1, 2, 3, 5, 7, 9, 16, 0x8000, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF]),
    "pitch": (20, [0, 1, 3, 4, 0x7FFFFFFF, 0xFFFFFFFF]),
    "depth": (24, [0, 1, 2, 3, 8, 255, 0x10000, 0xFFFFFFFF]),
    "mips": (28, [0, 1, 2, 4, 5, 16, 31, 32, 33, 0xFFFFFFFF]),
    "flags": (8, [0, DDSD_CAPS | DDSD_PIXELFORMAT, 0x1007 | DDSD_DEPTH, 0x1007 | DDSD_MIPMAPCOUNT,
                  0xFFFFFFFF]),
    "bits": (88, [0, 1, 4, 7, 8, 12, 16, 24, 32, 33, 64, 128, 0xFFFFFFFF]),
    "caps": (108, [0, DDSCAPS_TEXTURE, DDSCAPS_COMPLEX | DDSCAPS_MIPMAP | DDSCAPS_TEXTURE, 0xFFFFFFFF]),
    "cube and volume": (112, [0, DDSCAPS2_CUBEMAP, DDSCAPS2_CUBEMAP | 0x400, DDSCAPS2_CUBEMAP | 0x8400,
                              DDSCAPS2_CUBEMAP | DDSCAPS2_ALL_FACES, DDSCAPS2_ALL_FACES,
                              DDSCAPS2_VOLUME, DDSCAPS2_VOLUME | DDSCAPS2_CUBEMAP | DDSCAPS2_ALL_FACES,
                              0xFFFFFFFF]),
    "DX10 format": (128, [0, 1, 2, 28, 71, 77, 98, 99, 115, 132, 0xFFFFFFFF]),
    "DX10 dimension": (132, [0, 1, 2, 3, 4, 5, 0xFFFFFFFF]),
    "DX10 array size": (140, [0, 2, 6, 0x10000, 0xFFFFFFFF]),
}
