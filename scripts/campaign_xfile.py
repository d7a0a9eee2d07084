"""The campaign's .x formats: the binary token format and the compressed (tzip, bzip) format."""

import re
import struct
import zlib

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
#
# After the 16-byte header ("xof 0303tzip0032" or "bzip") comes a DWORD, the size of the whole
# file unpacked with its header counted, then the chunks: a WORD unpacked size (at most 32 KiB),
# a WORD packed size, and the packed bytes, "CK" and then raw deflate data.

CHUNK_SIZES = (32768, 4096, 200)   # the compressor's own, and smaller ones for more chunks
HISTORY_BYTES = 32768              # how far deflate may look back
TOTAL_AT = 16                      # the unpacked total's offset; the first chunk follows it
FIRST_CHUNK_AT = 20


def deflate(data, history=b"", flush=zlib.Z_FINISH):
    """Raw deflate data of `data`, which may refer back into `history`; Z_SYNC_FLUSH leaves the
    stream without a final block."""
    packer = zlib.compressobj(9, zlib.DEFLATED, -15, **({"zdict": history} if history else {}))
    return packer.compress(data) + packer.flush(flush)


def history_before(body, at):
    """The unpacked bytes a chunk starting at `at` of the body may refer back into."""
    return body[max(0, at - HISTORY_BYTES):at]


def pieces_of(body, chunk_bytes):
    return [(at, body[at:at + chunk_bytes]) for at in range(0, len(body), chunk_bytes)]


def assemble(plain, packed_chunks, total=None):
    """A compressed file: `plain`'s header with tzip or bzip, the total (the unpacked size with
    the header counted, unless given), then each (unpacked size, deflate data) as a chunk."""
    packed_format = b"bzip" if plain[8:12] == b"bin " else b"tzip"
    out = [plain[:8] + packed_format + plain[12:16], struct.pack("<I", len(plain) if total is None else total)]
    for unpacked_bytes, packed in packed_chunks:
        out.append(struct.pack("<HH", unpacked_bytes, len(packed) + 2) + b"CK" + packed)
    return b"".join(out)


def compress(plain, chunk_bytes, refer_back=None):
    """The file as the format's compressor writes it. A chunk of the compressor's full 32 KiB goes
    on from the one before it; Wine's loader refuses smaller chunks that do, so by default those
    are packed each on its own. refer_back=True makes every chunk after the first refer back into
    the last 32 KiB unpacked before it, whatever its size."""
    body = plain[16:]
    if refer_back is None:
        refer_back = chunk_bytes == CHUNK_SIZES[0]
    return assemble(plain, [(len(piece), deflate(piece, history_before(body, at) if refer_back else b""))
                            for at, piece in pieces_of(body, chunk_bytes)])


def uncompress(data):
    """The compressed file unpacked, with the txt or bin header it stands for; each chunk unpacked
    with what came before it as its history, as a chunk may refer back into it."""
    body, at = b"", FIRST_CHUNK_AT
    while at + 4 <= len(data):
        packed_bytes = int.from_bytes(data[at + 2:at + 4], "little")
        history = history_before(body, len(body))
        unpacker = zlib.decompressobj(-15, **({"zdict": history} if history else {}))
        body += unpacker.decompress(data[at + 6:at + 4 + packed_bytes])
        at += 4 + packed_bytes
    return data[:8] + (b"bin " if data[8:12] == b"bzip" else b"txt ") + data[12:16] + body


def chunk_fields(data):
    """The total and each chunk's two sizes."""
    fields, at = [(TOTAL_AT, 4)], FIRST_CHUNK_AT
    while at + 4 <= len(data):
        fields += [(at, 2), (at + 2, 2)]
        at += 4 + int.from_bytes(data[at + 2:at + 4], "little")
    return fields


def deflate_spans(data):
    """(start, end) of each chunk's deflate data, the "CK" before it left out, as far as the
    chunks lie within the file."""
    spans, at = [], FIRST_CHUNK_AT
    while at + 4 <= len(data):
        end = at + 4 + int.from_bytes(data[at + 2:at + 4], "little")
        if end > len(data):
            break
        if end > at + 6:
            spans.append((at + 6, end))
        at = end
    return spans
