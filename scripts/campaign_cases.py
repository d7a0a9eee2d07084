"""The campaign's sources, its table of families by format, its cases and the folder they go to."""

import random
import shutil
from dataclasses import dataclass, field
from pathlib import Path

from campaign_image_families import IMAGE_FAMILIES
from campaign_images import made_images
from campaign_mutations import BINARY_MUTATIONS, GENERIC, TEXT_MUTATIONS, on_file
from campaign_xfile import CHUNK_SIZES, binary_from_text, compress, uncompress
from campaign_xfile_families import COMPRESSED_FAMILIES, MADE_FAMILIES

REPO = Path(__file__).resolve().parent.parent
DATA = REPO / "tests" / "data" / "x"
MAX_SOURCE_BYTES = 200_000    # larger files load slowly and add little

IMAGE_KINDS = ("bmp", "tga", "dds", "png", "jpg")
# (format, family, change) of every family: case i takes family i modulo their number, so each
# is run about as often, and the report counts each.
FAMILIES = ([("text", name, on_file(f)) for name, f in TEXT_MUTATIONS.items()] +
            [("binary", name, on_file(f)) for name, f in BINARY_MUTATIONS.items()] +
            COMPRESSED_FAMILIES + MADE_FAMILIES +
            [(kind, name, f) for kind in IMAGE_KINDS
             for name, f in [*IMAGE_FAMILIES[kind].items(), *((n, on_file(g)) for n, g in GENERIC.items())]])


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
    paths = (sorted(REPO.glob("objektumok/*/*.x")) + [DATA / row[0] for row in rows if row[1] == "0x00000000"] +
             [DATA / path for path in second_tries if (DATA / path).exists()])
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
    return [Source(f"{detail} {kind}", kind, data, start=0) for kind, detail, data in made_images()]


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
