"""The campaign's DDS files."""

import math
import struct

from campaign_bitmaps import SIDE, pixel

# "DDS ", then a 124-byte header: its size, flags, height, width, pitch or linear size, depth,
# mip count at 4 to 28; the pixel format at 76 (its size, flags, four-character code, bits a
# pixel and four masks at 80 to 104); the caps at 108 and the cube and volume caps at 112. The
# surfaces follow: each face's mip chain in turn.

FIELD_OFFSETS = (4, 8, 12, 16, 20, 24, 28, 76, 80, 84, 88, 92, 96, 100, 104, 108, 112)


def dds_image(compressed):
    if compressed:   # DXT1: 8-byte blocks of 4x4 pixels, one level
        flags, pitch, mips, caps = 0x81007, 8 * (SIDE // 4) ** 2, 0, 0x1000
        pixel_format = struct.pack("<II4sIIIII", 32, 0x4, b"DXT1", 0, 0, 0, 0, 0)
        data = b"".join(struct.pack("<HHI", 0xF800 >> k, 0x07E0 << k % 4, 0xE4E4E4E4 >> k)
                        for k in range((SIDE // 4) ** 2))
    else:            # A8R8G8B8 with every mipmap level down to 1x1
        levels = int(math.log2(SIDE)) + 1
        flags, pitch, mips, caps = 0x2100F, SIDE * 4, levels, 0x401008
        pixel_format = struct.pack("<II4sIIIII", 32, 0x41, b"\0" * 4, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
        data = b"".join(bytes(pixel(x, y)) + b"\xff" for k in range(levels)
                        for y in range(SIDE >> k) for x in range(SIDE >> k))
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, flags, SIDE, SIDE, pitch, 0, mips)
    return header + pixel_format + struct.pack("<IIII4x", caps, 0, 0, 0) + data
