"""The campaign's families of .x files: changes to compressed ones (their sizes, chunks and
deflate data), and files written from nothing for Wine's reader and the viewer's second try."""

import zlib

from campaign_mutations import BINARY_MUTATIONS, TEXT_MUTATIONS, flip_bytes, on_file, set_field, truncate
from campaign_xfile import (CHUNK_SIZES, assemble, chunk_fields, compress, deflate, deflate_spans,
                            history_before, pieces_of)
from campaign_xfile_limits import BINARY_FAMILIES as BINARY_LIMITS
from campaign_xfile_limits import FAMILIES as LIMITS
from campaign_xfile_second_try import FAMILIES as SECOND_TRY


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


def flip_deflate_bits(rng, data):
    """1 to 4 bits flipped in one chunk's deflate data, its sizes and "CK" left alone. Half of the
    flips fall in the first 16 bytes, where the block header and its code lengths lie."""
    spans = deflate_spans(data)
    if not spans:
        return data, "no deflate data to change"
    number = rng.randrange(len(spans))
    start, end = spans[number]
    out, flips = bytearray(data), set()
    for _ in range(rng.randint(1, 4)):
        near_start = rng.random() < 0.5
        at = rng.randrange(start, min(end, start + 16) if near_start else end)
        flips.add((at, rng.randrange(8)))
    for at, bit in sorted(flips):
        out[at] ^= 1 << bit
    return bytes(out), (f"chunk {number} of {len(spans)}: deflate bits " +
                        " ".join(f"{at - start}.{bit}" for at, bit in sorted(flips)))


def deflate_bits(rng, source):
    return flip_deflate_bits(rng, source.data)


def unfinished(piece, history, how):
    """Deflate data of `piece` that ends with no final block: cut with a sync flush, that and the
    empty stored block's marker after it dropped, or a final empty block with its final bit
    cleared."""
    packer = zlib.compressobj(9, zlib.DEFLATED, -15, **({"zdict": history} if history else {}))
    synced = packer.compress(piece) + packer.flush(zlib.Z_SYNC_FLUSH)
    if how == "sync flush":
        return synced
    if how == "sync marker cut":
        return synced[:-4] if synced.endswith(b"\0\0\xff\xff") else synced
    # The final block alone after the sync flush starts on a byte: its first bit is BFINAL.
    final = bytearray(packer.flush(zlib.Z_FINISH))
    final[0] &= 0xFE
    return synced + bytes(final)


def no_final_block(rng, source):
    """The unpacked file packed again, with one chunk, the last or every one ending with no final
    block; the sizes are true to the data."""
    plain = source.plain
    body = plain[16:]
    chunk_bytes = rng.choice(CHUNK_SIZES)
    pieces = pieces_of(body, chunk_bytes)
    which = rng.choice(("every", "last", "one"))
    chosen = {len(pieces) - 1} if which == "last" else \
        {rng.randrange(len(pieces))} if which == "one" else set(range(len(pieces)))
    how = rng.choice(("sync flush", "sync marker cut", "final bit dropped"))
    refer_back = chunk_bytes == CHUNK_SIZES[0]
    packed = []
    for number, (at, piece) in enumerate(pieces):
        history = history_before(body, at) if refer_back else b""
        packed.append((len(piece), unfinished(piece, history, how) if number in chosen else deflate(piece, history)))
    shown = f"chunk {min(chosen)}" if len(chosen) < len(pieces) else "every chunk"
    return assemble(plain, packed), f"{how} in {shown} of {len(pieces)}, chunks of {chunk_bytes}"


HISTORY_CHUNK_SIZES = (32768, 16384, 8192, 4096, 1000, 200)


def referring_back(rng, source):
    """The unpacked file packed in chunks that each refer back into the last 32 KiB unpacked
    before them, whatever their size: half of them left sound, half then changed in their
    deflate data, a chunk's size, the total or their length."""
    chunk_bytes = rng.choice(HISTORY_CHUNK_SIZES + (rng.randint(1, 32768),))
    data = compress(source.plain, chunk_bytes, refer_back=True)
    detail = f"chunks of {chunk_bytes} referring back"
    if rng.random() < 0.5:
        return data, detail
    change = rng.choice(("deflate bits", "size", "byte", "truncate"))
    if change == "deflate bits":
        data, more = flip_deflate_bits(rng, data)
    elif change == "size":
        at, width = rng.choice(chunk_fields(data))
        data, more = set_field(rng, data, at, width)
    elif change == "byte":
        data, more = flip_bytes(rng, data, 20)
    else:
        data, more = truncate(rng, data, 20)
    return data, f"{detail}, then {change}: {more}"


# (format, family, change) of each family of changes to compressed files; the content's changes
# are those of the format packed: text in tzip, binary in bzip.
COMPRESSED_FAMILIES = [
    (packed, name, f) for packed, inner in (("tzip", TEXT_MUTATIONS), ("bzip", BINARY_MUTATIONS))
    for name, f in (("content", recompressed(inner)), ("chunk", chunk_size),
                    ("byte", on_file(flip_bytes)), ("truncate", on_file(truncate)),
                    ("deflate-bit", deflate_bits), ("no-final", no_final_block),
                    ("history", referring_back))]


def made(family):
    """A family of files written from nothing, in the source's format; the source only gives the
    folder the file is put in."""
    return lambda rng, source: family(rng, source.kind == "binary")


def made_packed(families):
    """A file of one of `families`, compressed: text ones in tzip, binary ones in bzip."""
    def mutate(rng, source):
        name = rng.choice(sorted(families))
        plain, detail = families[name](rng, source.kind == "bzip")
        chunk_bytes = rng.choice(CHUNK_SIZES)
        return compress(plain, chunk_bytes), f"{name}: {detail}, packed in chunks of {chunk_bytes}"
    return mutate


MADE_TEXT = {**LIMITS, **SECOND_TRY}
MADE_BINARY = {**LIMITS, **BINARY_LIMITS, **SECOND_TRY}
# (format, family, change) of each family of files written from nothing.
MADE_FAMILIES = ([("text", name, made(f)) for name, f in MADE_TEXT.items()] +
                 [("binary", name, made(f)) for name, f in MADE_BINARY.items()] +
                 [("tzip", "made", made_packed(MADE_TEXT)), ("bzip", "made", made_packed(MADE_BINARY))])
