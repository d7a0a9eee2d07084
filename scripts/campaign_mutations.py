"""The campaign's generic mutations of any file, and those of text and binary .x files."""

import re

from campaign_xfile import TOKEN_IDS, binary_fields


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


def put(data, at, width, value, big_endian=False):
    """`data` with `value` in the field of `width` bytes at `at`."""
    return data[:at] + value.to_bytes(width, "big" if big_endian else "little") + data[at + width:]


def set_field(rng, data, at, width, big_endian=False, extra=(), values=None):
    """The field at `at` set to another value: one of `values` when given, else an interesting
    one or one of `extra`."""
    order = "big" if big_endian else "little"
    current = int.from_bytes(data[at:at + width], order)
    choices = values if values is not None else interesting(width, current) + list(extra)
    value = rng.choice([value for value in choices if value != current] or [current ^ 1])
    return put(data, at, width, value, big_endian), f"{width}-byte field at {at}: {current} -> {value}"


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


# --- Text .x files ------------------------------------------------------------------------

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


# --- Binary .x files ----------------------------------------------------------------------

def change_token(rng, data, start):
    at, width = rng.choice(binary_fields(data))
    # A token's code may become any other code, not only an interesting number.
    return set_field(rng, data, at, width, extra=TOKEN_IDS if width == 2 else ())


GENERIC = {"byte": flip_bytes, "bit": flip_bits, "field": field_value, "truncate": truncate,
           "delete": delete_span, "repeat": repeat_span}
TEXT_MUTATIONS = {**GENERIC, "number": change_number, "punctuation": change_punctuation}
BINARY_MUTATIONS = {**GENERIC, "token": change_token}


def on_file(mutation):
    """A family that makes the change to the source's file as the loader reads it."""
    return lambda rng, source: mutation(rng, source.data, source.start)
