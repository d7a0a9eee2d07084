"""The campaign's families of changes to compressed .x files: their content and their sizes."""

from campaign_mutations import BINARY_MUTATIONS, TEXT_MUTATIONS, flip_bytes, on_file, set_field, truncate
from campaign_xfile import CHUNK_SIZES, chunk_fields, compress


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


# (format, family, change) of each family of changes to compressed files; the content's changes
# are those of the format packed: text in tzip, binary in bzip.
COMPRESSED_FAMILIES = [
    (packed, name, f) for packed, inner in (("tzip", TEXT_MUTATIONS), ("bzip", BINARY_MUTATIONS))
    for name, f in (("content", recompressed(inner)), ("chunk", chunk_size),
                    ("byte", on_file(flip_bytes)), ("truncate", on_file(truncate)))]
