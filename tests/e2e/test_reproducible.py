"""The release archive comes out the same, byte for byte, from the same sources built in folders
of other names at other times: anyone can rebuild it and compare it with the published one."""

import hashlib
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from viewer import REPO


class Reproducible(unittest.TestCase):
    def pack_a_copy_of_the_tree(self, name):
        """Copies the sources, git history included, with the files dated now, into a folder
        called `name`, and packs the release there with the command a user runs."""
        folder = Path(tempfile.mkdtemp(prefix="viewer-reproducible-"))
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        tree = folder / name
        shutil.copytree(REPO, tree, copy_function=shutil.copy,
                        ignore=lambda where, names: [n for n in names if where == str(REPO) and n.startswith("build")])
        subprocess.run([tree / "scripts" / "package.sh"], stdout=subprocess.DEVNULL, check=True, timeout=500)
        archive, = (tree / "build" / "package").glob("*.zip")
        return hashlib.sha256(archive.read_bytes()).hexdigest()

    def test_two_builds_in_other_folders_at_other_times_pack_the_same_bytes(self):
        self.assertEqual(self.pack_a_copy_of_the_tree("pelgrav"), self.pack_a_copy_of_the_tree("another-name"))


if __name__ == "__main__":
    unittest.main()
