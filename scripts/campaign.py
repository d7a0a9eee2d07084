#!/usr/bin/env python3
"""A campaign of malformed files: .x models (text, binary, compressed) and the images they name,
made from the sample scene and the bundled real files with a fixed seed, and loaded in sequence
through the viewer's own loading code by campaign_runner.exe under Wine. Prints what loaded, was
refused, crashed or hung, per format and mutation; every case that crashed or hung is kept, with
the few loaded before it in the same process, in the findings folder. Exits 1 when any case
crashed or hung.

    python3 scripts/campaign.py --cases 10000 [--seed S] [--findings DIR] [--timeout S]

Case i is made from the seed and i alone, so any case can be made again. Before the cases, every
unmutated source is loaded once: each must load with no box, or the campaign stops (exit 2). A
case counts as loaded when its model loaded with no message box, as refused when the viewer
refused the model or one of its textures. The runner is build/tests/campaign_runner.exe
(VIEWER_BUILD_DIR names another build), run through scripts/wine-run.sh from the repository root;
so is a finding again: scripts/wine-run.sh build/tests/campaign_runner.exe <finding>/cases.txt.
"""

import argparse
import math
import os
import queue
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib
from collections import Counter
from dataclasses import dataclass, field
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
WINE_RUN = REPO / "scripts" / "wine-run.sh"
DATA = REPO / "tests" / "data" / "x"
MAX_SOURCE_BYTES = 200_000    # larger files load slowly and add little
BATCH = 500                   # cases written and run at a time
CASES_BEFORE = 3              # kept with a finding: damage to the heap can show later
STARTUP_SECONDS = 120         # the first start may make the Wine prefix
SILENCE_MARGIN = 20           # beyond the runner's own timeout, before it counts as stuck

# --- The binary .x token format -----------------------------------------------------------

PUNCTUATION_TOKENS = {b"{": 10, b"}": 11, b"(": 12, b")": 13, b"[": 14, b"]": 15, b"<": 16,
                      b">": 17, b".": 18, b",": 19, b";": 20}
KEYWORD_TOKENS = {b"template": 31, b"word": 40, b"dword": 41, b"float": 42, b"double": 43,
                  b"char": 44, b"uchar": 45, b"sword": 46, b"sdword": 47, b"void": 48,
                  b"lpstr": 49, b"string": 49, b"unicode": 50, b"cstring": 51, b"array": 52}
TOKEN_IDS = sorted({1, 2, 3, 5, 6, 7} | set(PUNCTUATION_TOKENS.values()) |
                   set(KEYWORD_TOKENS.values()))
TEXT_TOKEN = re.compile(rb'\s+|//[^\n]*|#[^\n]*|"(?P<s>[^"]*)"|<(?P<g>[0-9A-Fa-f-]{36})>'
                        rb'|(?P<n>[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)'
                        rb'|(?P<w>[A-Za-z_][\w-]*)|(?P<p>[{}()\[\].,;])')


def guid_bytes(text):
    parts = text.decode().split("-")
    data4 = bytes.fromhex(parts[3] + parts[4])
    return struct.pack("<IHH", int(parts[0], 16), int(parts[1], 16), int(parts[2], 16)) + data4


def binary_from_text(text):
    """The text .x file in the binary format, as the SDK's writer lays it out: templates token by
    token, data objects with their numbers gathered into integer and float lists and no
    separators but the one that ends each string."""
    out = [b"xof 0303bin 0032"]
    numbers = []

    def flush():
        if numbers:
            floats = numbers[0][0]
            code, packing = (7, "<%df") if floats else (6, "<%dI")
            values = [value for _, value in numbers]
            out.append(struct.pack("<HI", code, len(values)) + struct.pack(packing % len(values), *values))
            numbers.clear()

    tokens = [(m.lastgroup, m.group(m.lastgroup)) for m in TEXT_TOKEN.finditer(text, 16) if m.lastgroup]
    in_template, depth = False, 0
    for i, (kind, value) in enumerate(tokens):
        if not in_template and kind == "n":
            floats = bool(re.search(rb"[.eE]", value))
            if numbers and numbers[0][0] != floats:
                flush()
            numbers.append((floats, float(value) if floats else int(value) & 0xFFFFFFFF))
            continue
        if not in_template and kind == "p" and value in b",;":
            continue   # data separators: the lists carry the structure
        flush()
        in_template = in_template or (kind == "w" and value.lower() == b"template")
        if kind == "w" and in_template and value.lower() in KEYWORD_TOKENS:
            out.append(struct.pack("<H", KEYWORD_TOKENS[value.lower()]))
        elif kind == "w":
            out.append(struct.pack("<HI", 1, len(value)) + value)
        elif kind == "s":
            after = tokens[i + 1][1] if i + 1 < len(tokens) else b";"
            out.append(struct.pack("<HI", 2, len(value)) + value +
                       struct.pack("<H", PUNCTUATION_TOKENS.get(after, 20)))
        elif kind == "g":
            out.append(struct.pack("<H", 5) + guid_bytes(value))
        elif kind == "n":
            out.append(struct.pack("<HI", 3, int(value)))
        else:
            out.append(struct.pack("<H", PUNCTUATION_TOKENS[value]))
            depth += {b"{": 1, b"}": -1}.get(value, 0) if in_template else 0
            in_template = in_template and depth > 0
    flush()
    return b"".join(out)


def binary_fields(data):
    """Where each token of a binary .x file keeps what a reader trusts: its code, and the length,
    count or value after it (for a list also its first, middle and last entries). Up to the first
    token that can't be read."""
    fields, at = [], 16
    float_bytes = 8 if data[12:16] == b"0064" else 4
    while at + 2 <= len(data):
        code = int.from_bytes(data[at:at + 2], "little")
        here, body, end = [(at, 2)], at + 2, at + 2
        if code in (1, 2, 3, 6, 7):
            if body + 4 > len(data):
                break
            here.append((body, 4))
            count = int.from_bytes(data[body:body + 4], "little")
            end = body + 4
            if code in (1, 2):
                end += count + (2 if code == 2 else 0)
            elif code in (6, 7):
                width = 4 if code == 6 else float_bytes
                end += count * width
                here += sorted({(end - width * k, 4) for k in (count, (count + 1) // 2, 1) if count})
        elif code == 5:
            end = body + 16
        if end > len(data):
            break
        fields += here
        at = end
    return fields


# --- Compressed .x files ------------------------------------------------------------------

CHUNK_SIZES = (32768, 4096, 200)   # the compressor's own, and smaller ones for more chunks


def compress(plain, chunk_bytes):
    """The file as the format's compressor writes it: the header with tzip or bzip, the unpacked
    size with the header counted, then chunks of raw deflate data behind their unpacked size,
    their packed size and the "CK" signature. A chunk of the compressor's full 32 KiB goes on
    from the one before it; Wine's loader refuses smaller chunks that do, so those are packed each
    on its own."""
    packed_format = b"bzip" if plain[8:12] == b"bin " else b"tzip"
    body = plain[16:]
    out = [plain[:8] + packed_format + plain[12:16], struct.pack("<I", len(plain))]
    for at in range(0, len(body), chunk_bytes):
        history = body[max(0, at - chunk_bytes):at] if chunk_bytes == CHUNK_SIZES[0] else b""
        packer = zlib.compressobj(9, zlib.DEFLATED, -15, **({"zdict": history} if history else {}))
        packed = packer.compress(body[at:at + chunk_bytes]) + packer.flush()
        out.append(struct.pack("<HH", len(body[at:at + chunk_bytes]), len(packed) + 2) + b"CK" + packed)
    return b"".join(out)


def uncompress(data):
    chunks, at = [data[:8] + (b"bin " if data[8:12] == b"bzip" else b"txt ") + data[12:16]], 20
    while at + 4 <= len(data):
        packed_bytes = int.from_bytes(data[at + 2:at + 4], "little")
        history = chunks[-1] if len(chunks) > 1 else b""
        unpacker = zlib.decompressobj(-15, **({"zdict": history} if history else {}))
        chunks.append(unpacker.decompress(data[at + 6:at + 4 + packed_bytes]))
        at += 4 + packed_bytes
    return b"".join(chunks)


def chunk_fields(data):
    """The total and each chunk's two sizes."""
    fields, at = [(16, 4)], 20
    while at + 4 <= len(data):
        fields += [(at, 2), (at + 2, 2)]
        at += 4 + int.from_bytes(data[at + 2:at + 4], "little")
    return fields


# --- Images -------------------------------------------------------------------------------

SIDE = 8


def pixel(x, y):
    return (x * 32) & 255, (y * 32) & 255, ((x + y) * 16) & 255


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
    return subprocess.run(command, input=bmp_image(24), capture_output=True, check=True).stdout


def image_fields(kind, data):
    """(offset, width, big-endian, chunk whose CRC covers it) of each header field."""
    tables = {"bmp": [(0, 2), (2, 4), (10, 4), (14, 4), (18, 4), (22, 4), (26, 2), (28, 2), (30, 4),
                      (34, 4), (46, 4), (50, 4)],
              "tga": [(0, 1), (1, 1), (2, 1), (3, 2), (5, 2), (7, 1), (12, 2), (14, 2), (16, 1), (17, 1)],
              "dds": [(at, 4) for at in (4, 8, 12, 16, 20, 24, 28, 76, 80, 84, 88, 92, 96, 100, 104,
                                         108, 112)]}
    if kind in tables:
        return [(at, width, False, None) for at, width in tables[kind]]
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


# --- Mutations ----------------------------------------------------------------------------

def interesting(width, current):
    """Values that catch a reader out in a field of `width` bytes: the ends of the signed and
    unsigned ranges, sizes that overflow when added to or multiplied, and the value one off."""
    top = 1 << (8 * width)
    values = {0, 1, top - 1, top // 2 - 1, top // 2, (current + 1) % top, (current - 1) % top}
    if width > 1:
        values |= {0xFF, 0x100}
    if width == 4:
        values |= {0xFFFF, 1 << 16, 1 << 30}
    return sorted(values)


def set_field(rng, data, at, width, big_endian=False, extra=()):
    order = "big" if big_endian else "little"
    current = int.from_bytes(data[at:at + width], order)
    value = rng.choice([value for value in interesting(width, current) + list(extra) if value != current])
    return (data[:at] + value.to_bytes(width, order) + data[at + width:],
            f"{width}-byte field at {at}: {current} -> {value}")


def spot(rng, data, start, width=1):
    last = max(len(data) - width, 0)
    return rng.randint(min(start, last), last)


def flip_bytes(rng, data, start):
    out, spots = bytearray(data), sorted(spot(rng, data, start) for _ in range(rng.randint(1, 4)))
    for at in spots:
        out[at] = rng.randrange(256)
    return bytes(out), "bytes at " + " ".join(map(str, spots))


def flip_bits(rng, data, start):
    out = bytearray(data)
    spots = sorted((spot(rng, data, start), rng.randrange(8)) for _ in range(rng.randint(1, 4)))
    for at, bit in spots:
        out[at] ^= 1 << bit
    return bytes(out), "bits " + " ".join(f"{at}.{bit}" for at, bit in spots)


def field_value(rng, data, start):
    width = rng.choice((1, 2, 4))
    return set_field(rng, data, spot(rng, data, start, width), width, rng.random() < 0.25)


def truncate(rng, data, start):
    near = min(len(data), 64)
    cut = rng.choice((rng.randrange(len(data)), rng.randrange(near), len(data) - 1 - rng.randrange(near)))
    return data[:cut], f"cut to {cut} of {len(data)} bytes"


def delete_span(rng, data, start):
    at, count = spot(rng, data, start), rng.randint(1, 64)
    return data[:at] + data[at + count:], f"{count} bytes deleted at {at}"


def repeat_span(rng, data, start):
    at, count, times = spot(rng, data, start), rng.randint(1, 64), rng.choice((1, 2, 16, 256))
    span = data[at:at + count]
    return (data[:at] + span * (times + 1) + data[at + count:],
            f"{len(span)} bytes at {at} repeated {times} more times")


NUMBER = re.compile(rb"-?\d+(?:\.\d+)?(?:[eE][-+]?\d+)?")
NUMBERS = [b"0", b"1", b"-1", b"2", b"255", b"256", b"65535", b"65536", b"1073741824", b"2147483647",
           b"2147483648", b"4294967295", b"4294967296", b"99999999999999999999", b"0.0", b"-0.0",
           b"1e38", b"-1e38", b"3.5e38", b"1e-45", b"nan", b"inf", b"-inf", b"1" + b"0" * 60 + b".0",
           b"0." + b"0" * 60 + b"1", b"-", b".", b"1.2.3", b"0x10", b""]
PUNCTUATION = b';,{}"<>[]'


def change_number(rng, data, start):
    match = rng.choice(list(NUMBER.finditer(data, start)))
    old = match.group()
    whole = old.lstrip(b"-").isdigit()
    new = rng.choice(NUMBERS + ([b"%d" % (int(old) + 1), b"%d" % (int(old) - 1)] if whole else []))
    return (data[:match.start()] + new + data[match.end():],
            f"number at {match.start()}: {old.decode()} -> {new.decode()[:20] or 'nothing'}")


def change_punctuation(rng, data, start):
    spots = [at for at in range(start, len(data)) if data[at] in PUNCTUATION]
    action = rng.choice(("deleted", "doubled", "replaced", "inserted"))
    mark = bytes((rng.choice(PUNCTUATION),))
    at = rng.choice(spots) if action != "inserted" else spot(rng, data, start)
    old = data[at:at + 1]
    new = {"deleted": b"", "doubled": old * 2, "replaced": mark, "inserted": mark + old}[action]
    shown = mark if action in ("replaced", "inserted") else old
    return data[:at] + new + data[at + 1:], f"{shown.decode('latin-1')} {action} at {at}"


def change_token(rng, data, start):
    at, width = rng.choice(binary_fields(data))
    # A token's code may become any other code, not only an interesting number.
    return set_field(rng, data, at, width, extra=TOKEN_IDS if width == 2 else ())


GENERIC = {"byte": flip_bytes, "bit": flip_bits, "field": field_value, "truncate": truncate,
           "delete": delete_span, "repeat": repeat_span}
TEXT_MUTATIONS = {**GENERIC, "number": change_number, "punctuation": change_punctuation}
BINARY_MUTATIONS = {**GENERIC, "token": change_token}


def on_file(mutation):
    return lambda rng, source: mutation(rng, source.data, source.start)


def recompressed(mutations):
    """A change to the unpacked file, packed again as a sound compressed file."""
    def mutate(rng, source):
        name = rng.choice(sorted(mutations))
        plain, detail = mutations[name](rng, source.plain, 16)
        chunk_bytes = rng.choice(CHUNK_SIZES)
        return compress(plain, chunk_bytes), f"{name}: {detail}, packed in chunks of {chunk_bytes}"
    return mutate


def chunk_size(rng, source):
    at, width = rng.choice(chunk_fields(source.data))
    return set_field(rng, source.data, at, width)


DDS_FOURCCS = [int.from_bytes(code, "little")
               for code in (b"DXT1", b"DXT2", b"DXT3", b"DXT4", b"DXT5", b"DX10", b"ATI2")]
# Where each format keeps its width and height: offsets, bytes each, whether big-endian.
DIMENSIONS = {"bmp": (18, 22, 4, False), "tga": (12, 14, 2, False), "dds": (16, 12, 4, False),
              "png": (16, 20, 4, True)}


def fixed_crc(data, chunk):
    """The PNG chunk at `chunk` with its CRC made true again: decoders check it before its fields."""
    end = chunk + 8 + int.from_bytes(data[chunk:chunk + 4], "big")
    return data[:end] + struct.pack(">I", zlib.crc32(data[chunk + 4:end])) + data[end + 4:]


def image_header(rng, source):
    at, width, big_endian, crc_chunk = rng.choice(image_fields(source.kind, source.data))
    extra = DDS_FOURCCS if source.kind == "dds" and at == 84 else ()
    data, detail = set_field(rng, source.data, at, width, big_endian, extra)
    return (data if crc_chunk is None else fixed_crc(data, crc_chunk)), detail


def image_size(rng, source):
    """Width and height at one value together: a decoder that checks each alone may still find
    their product past its buffer."""
    data = source.data
    if source.kind == "jpg":   # the frame header's height, then its width
        frame = re.search(rb"\xff[\xc0-\xc2]", data).start()
        across, down, width, big_endian = frame + 7, frame + 5, 2, True
    else:
        across, down, width, big_endian = DIMENSIONS[source.kind]
    order = "big" if big_endian else "little"
    current = int.from_bytes(data[across:across + width], order)
    value = rng.choice([value for value in interesting(width, current) if value != current])
    for at in (across, down):
        data = data[:at] + value.to_bytes(width, order) + data[at + width:]
    return (fixed_crc(data, 8) if source.kind == "png" else data), f"{value} by {value} pixels"


IMAGE_KINDS = ("bmp", "tga", "dds", "png", "jpg")
FAMILIES = ([("text", name, on_file(f)) for name, f in TEXT_MUTATIONS.items()] +
            [("binary", name, on_file(f)) for name, f in BINARY_MUTATIONS.items()] +
            [(packed, name, f) for packed, inner in (("tzip", TEXT_MUTATIONS), ("bzip", BINARY_MUTATIONS))
             for name, f in (("content", recompressed(inner)), ("chunk", chunk_size),
                             ("byte", on_file(flip_bytes)), ("truncate", on_file(truncate)))] +
            [(kind, name, f) for kind in IMAGE_KINDS
             for name, f in [("header", image_header), ("size", image_size)] +
             [(n, on_file(g)) for n, g in GENERIC.items()]])


# --- Sources and cases --------------------------------------------------------------------

@dataclass
class Source:
    name: str
    kind: str            # text, binary, tzip, bzip, or the image's format
    data: bytes          # the file as the loader reads it
    plain: bytes = b""   # the same unpacked
    folder: Path = None  # where the textures it names lie
    start: int = 16      # the changes, truncation aside, leave the .x header alone


@dataclass
class Case:
    name: str
    source: Source
    mutation: str
    detail: str
    data: bytes
    outcome: str = ""
    note: str = ""
    files: list = field(default_factory=list)
    finding: Path = None


def mesh_sources():
    """Every .x file of the sample scene and of the bundled ones that loads, with the second try
    where Wine's D3DX alone refuses it, as it is and in the other formats: each text file also
    made binary, each text or binary one also compressed."""
    rows = [line.split("\t") for line in (DATA / "expected.tsv").read_text().splitlines()[1:]]
    second_tries = [line.split("\t")[0] for line in (DATA / "second_try.tsv").read_text().splitlines()[1:]]
    paths = sorted(REPO.glob("objektumok/*/*.x")) + [DATA / row[0] for row in rows if row[1] == "0x00000000"] + \
        [DATA / path for path in second_tries if (DATA / path).exists()]
    kinds = {b"txt ": "text", b"bin ": "binary", b"tzip": "tzip", b"bzip": "bzip"}
    sources = []
    for path in paths:
        data = path.read_bytes()
        if len(data) > MAX_SOURCE_BYTES:
            continue
        name, kind = path.relative_to(REPO).as_posix(), kinds[data[8:12]]
        plain = uncompress(data) if kind.endswith("zip") else data
        sources.append(Source(name, kind, data, plain, path.parent))
        if kind == "text":
            binary = binary_from_text(data)
            sources.append(Source(name + " made binary", "binary", binary, binary, path.parent))
    for k, source in enumerate(list(sources)):
        chunk_bytes = CHUNK_SIZES[k % len(CHUNK_SIZES)]
        if source.kind in ("text", "binary"):
            sources.append(Source(f"{source.name} compressed in chunks of {chunk_bytes}",
                                  "tzip" if source.kind == "text" else "bzip",
                                  compress(source.data, chunk_bytes), source.data, source.folder))
    return sources


def image_sources():
    made = [("bmp", "24-bit", bmp_image(24)), ("bmp", "8-bit with a palette", bmp_image(8)),
            ("tga", "24-bit", tga_image(False)), ("tga", "run-length", tga_image(True)),
            ("dds", "DXT1", dds_image(True)), ("dds", "A8R8G8B8 with mipmaps", dds_image(False)),
            ("png", "RGB", png_image(False)), ("png", "with a palette", png_image(True)),
            ("jpg", "baseline", jpg_image(False)), ("jpg", "progressive", jpg_image(True))]
    return [Source(f"{detail} {kind}", kind, data, start=0) for kind, detail, data in made]


def make_case(seed, number, by_kind):
    # Seeded by the campaign's seed and the case's number alone: any case can be made again.
    rng = random.Random(f"{seed}/{number}")
    kind, mutation, mutate = FAMILIES[number % len(FAMILIES)]
    source = rng.choice(by_kind[kind])
    data, detail = mutate(rng, source)
    return Case(str(number), source, mutation, detail, data)


# A square of two triangles whose one material names the image beside it.
SQUARE = ("xof 0303txt 0032\nMesh {\n4;\n0.0;0.0;0.0;,\n1.0;0.0;0.0;,\n1.0;1.0;0.0;,\n0.0;1.0;0.0;;\n"
          "2;\n3;0,1,2;,\n3;0,2,3;;\nMeshMaterialList {\n1;\n2;\n0,\n0;;\nMaterial {\n"
          "1.0;1.0;1.0;1.0;;\n8.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\nTextureFilename { \"%s\"; }\n}\n}\n"
          "MeshTextureCoords {\n4;\n0.0;0.0;,\n1.0;0.0;,\n1.0;1.0;,\n0.0;1.0;;\n}\n}\n")


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")   # Wine's Z: drive is the Linux root


class Scratch:
    """The folder the cases are written to: one subfolder per source folder, holding a copy of the
    textures found there, the cases made from its files beside them; the images' cases in one."""

    def __init__(self, root):
        self.root, self.groups = Path(root), {}

    def group(self, source):
        if source.folder is None:
            return "images"
        if source.folder not in self.groups:
            self.groups[source.folder] = name = f"g{len(self.groups)}"
            copy_textures(source.folder, self.root / name)
        return self.groups[source.folder]

    def write(self, case):
        """Writes the case's files; returns the .x file's path."""
        group = self.group(case.source)
        model = f"{group}/c{case.name}.x"
        files = {model: case.data}
        if group == "images":
            image = f"c{case.name}.{case.source.kind}"
            files = {model: (SQUARE % image).encode(), f"{group}/{image}": case.data}
        for name, data in files.items():
            (self.root / name).parent.mkdir(parents=True, exist_ok=True)
            (self.root / name).write_bytes(data)
        case.files, case.data = list(files), b""
        return self.root / model

    def remove(self, case):
        for name in case.files:
            (self.root / name).unlink(missing_ok=True)


def copy_textures(folder, target):
    for path in folder.rglob("*"):
        if path.is_file() and path.suffix.lower() != ".x":
            (target / path.relative_to(folder)).parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(path, target / path.relative_to(folder))


# --- Running ------------------------------------------------------------------------------

def runner_environment():
    """The runner's path and the environment to run it in: the build the tests use, and a
    virtual display of its own for each start, as the tests have."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    build = Path(env.get("VIEWER_BUILD_DIR", REPO / "build"))
    env.setdefault("CRASH_GUARD_EXE", str(build / "crash_guard.exe"))
    # wine-run.sh's own prefix, one for each Direct3D 9
    suffix = "-dxvk" if env.get("PELGRAV_D3D9") == "dxvk" else ""
    env.setdefault("WINEPREFIX", str(REPO / "build" / f"wineprefix{suffix}"))
    return Path(env.get("CAMPAIGN_RUNNER_EXE", build / "tests" / "campaign_runner.exe")), env


def read_lines(stream, lines):
    for line in stream:
        lines.put(line.split())
    lines.put(None)


def stop(process, env):
    """Ends a runner that went silent: its process group (Wine, the guard, the display) and the
    prefix's server with whatever it still runs."""
    os.killpg(process.pid, signal.SIGKILL)
    process.wait()
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)


def run_runner(runner, env, list_file, first, timeout):
    """The runner's lines from case `first` on, and how it ended: "" when it ended well, else the
    crash guard's line or why it counts as stuck."""
    command = [str(WINE_RUN), str(runner), windows_path(list_file), str(first), str(timeout)]
    with tempfile.TemporaryFile() as errors:
        process = subprocess.Popen(command, cwd=REPO, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=errors, text=True,
                                   start_new_session=True)
        lines, said, wait = queue.Queue(), [], STARTUP_SECONDS
        threading.Thread(target=read_lines, args=(process.stdout, lines), daemon=True).start()
        while True:
            try:
                words = lines.get(timeout=wait)
            except queue.Empty:
                stop(process, env)
                return said, f"the runner said nothing for {wait} s"
            if words is None:
                break
            said.append(words)
            wait = timeout + SILENCE_MARGIN
        try:
            status = process.wait(timeout=wait)
        except subprocess.TimeoutExpired:
            stop(process, env)
            return said, f"the runner did not end within {wait} s of its last line"
        errors.seek(0)
        guard = [line for line in errors.read().decode(errors="replace").splitlines()
                 if "crash_guard" in line]
        return said, guard[-1] if guard else "" if status == 0 else f"the runner ended with status {status}"


def settle(cases, said, ending, timeout):
    """Gives each case the runner reached its outcome; returns the number of the one it reached
    last. The case running when the runner died, or the last one when it died while ending, is
    the one that crashed or hung it."""
    current, done = None, False
    for words in said:
        index = int(words[1]) if len(words) > 1 and words[1].isdigit() else None
        if words[0] == "start" and index is not None:
            current = index
        elif words[0] == "case" and index is not None:
            loaded = words[2:] == ["loaded", "0"]
            cases[index].outcome, cases[index].note = "loaded" if loaded else "refused", " ".join(words[2:])
        elif words[0] == "crash" and index is not None:
            cases[index].outcome, cases[index].note = "crashed", "exception " + words[2].upper()
        elif words[0] == "hang" and index is not None:
            cases[index].outcome, cases[index].note = "hung", f"no answer within {timeout} s"
        done = done or words == ["done"]
    if current is None:
        sys.exit(f"campaign: the runner started no case: {' '.join(map(' '.join, said))} {ending}")
    culprit = cases[current]
    if (ending or not done) and culprit.outcome not in ("crashed", "hung"):
        later = " (after its load)" if culprit.outcome else ""
        culprit.outcome = "crashed" if "crash_guard" in ending else "hung"
        culprit.note = (ending or "the runner ended before it said done") + later
    return current


def run_cases(cases, scratch, runner, env, timeout, keep):
    """Runs the cases in order in one runner, and in a new one from the next case after each
    crash or hang; `keep` is given each such case with those run before it in the same runner."""
    list_file = scratch.root / "cases.txt"
    list_file.write_text("".join(windows_path(scratch.write(case)) + "\n" for case in cases))
    first = 0
    while first < len(cases):
        said, ending = run_runner(runner, env, list_file, first, timeout)
        last = settle(cases, said, ending, timeout)
        if cases[last].outcome in ("crashed", "hung"):
            keep(cases[last], cases[max(first, last - CASES_BEFORE):last])
        first = last + 1
    for case in cases:
        scratch.remove(case)


def keep_finding(scratch, findings, seed, case, before):
    """Copies the case and those before it, with the textures they name, into a folder of its
    own, with the list that runs them again in the same order and what each one is."""
    folder = findings / f"seed{seed}-case{case.name}-{case.outcome}"
    shutil.rmtree(folder, ignore_errors=True)
    for run in before + [case]:
        group = scratch.group(run.source)
        if not (folder / group).exists() and run.source.folder is not None:
            copy_textures(run.source.folder, folder / group)
        for name in run.files:
            (folder / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(scratch.root / name, folder / name)
    runs = before + [case]
    (folder / "cases.txt").write_text("".join(windows_path(folder / run.files[0]) + "\n" for run in runs))
    (folder / "cases.tsv").write_text("".join(
        "\t".join((run.name, run.source.kind, run.mutation, run.source.name, run.detail, run.outcome,
                   run.note)) + "\n" for run in runs))
    case.finding = folder


# --- The campaign -------------------------------------------------------------------------

OUTCOMES = ("loaded", "refused", "crashed", "hung")


def report(cases, seconds):
    counts = Counter((case.source.kind, case.mutation, case.outcome) for case in cases)
    print(f"{len(cases)} cases in {seconds:.0f} s")
    print(f"{'format':8} {'mutation':12}" + "".join(f"{outcome:>9}" for outcome in OUTCOMES))
    for kind in dict.fromkeys(kind for kind, _, _ in FAMILIES):
        for name in [name for family_kind, name, _ in FAMILIES if family_kind == kind] + [None]:
            row = [sum(n for (k, m, o), n in counts.items() if k == kind and name in (None, m) and o == outcome)
                   for outcome in OUTCOMES]
            if any(row):
                print(f"{kind:8} {name or 'all':12}" + "".join(f"{n:9}" for n in row))
    for case in cases:
        if case.outcome in ("crashed", "hung"):
            print(f"{case.outcome} case {case.name}: {case.source.kind} {case.mutation} of {case.source.name}: "
                  f"{case.detail}; {case.note}; kept in {case.finding}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cases", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--findings", type=Path, default=REPO / "build" / "campaign-findings")
    parser.add_argument("--timeout", type=float, default=10, help="seconds one case may take")
    args = parser.parse_args()
    runner, env = runner_environment()
    sources = mesh_sources() + image_sources()
    by_kind = {kind: [source for source in sources if source.kind == kind] for kind, _, _ in FAMILIES}
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="campaign-") as root:
        scratch = Scratch(root)

        def keep(case, before):
            keep_finding(scratch, args.findings.resolve(), args.seed, case, before)

        # The unmutated sources first: a case is worth something only if its source loads.
        baselines = [Case(f"base{k}", source, "none", "unmutated", source.data)
                     for k, source in enumerate(sources)]
        run_cases(baselines, scratch, runner, env, args.timeout, keep)
        failed = [case for case in baselines if case.outcome != "loaded"]
        for case in failed:
            print(f"campaign: the unmutated {case.source.name} ({case.source.kind}) did not load: "
                  f"{case.outcome} {case.note}", file=sys.stderr)
        if failed:
            return 2
        print(f"campaign: all {len(baselines)} unmutated sources load with no box", file=sys.stderr)
        cases = []
        for start in range(0, args.cases, BATCH):
            batch = [make_case(args.seed, n, by_kind) for n in range(start, min(args.cases, start + BATCH))]
            run_cases(batch, scratch, runner, env, args.timeout, keep)
            cases += batch
            bad = sum(case.outcome in ("crashed", "hung") for case in cases)
            print(f"campaign: {len(cases)} of {args.cases} cases, {bad} crashed or hung, "
                  f"{time.monotonic() - started:.0f} s", file=sys.stderr)
    report(cases, time.monotonic() - started)
    return 1 if any(case.outcome in ("crashed", "hung") for case in cases) else 0


if __name__ == "__main__":
    sys.exit(main())
