"""The Windows release as a user gets it: the archive, unpacked into an empty folder, runs from
there, and the program needs no DLL but Windows' own and the D3DX runtime that its note names."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

from viewer import REPO, Viewer, ViewerTestCase, build_dir, looks_green

VERSION = os.environ.get("VIEWER_VERSION", "")
OBJDUMP = os.environ.get("OBJDUMP", "x86_64-w64-mingw32-objdump")
WINDRES = os.environ.get("WINDRES", "x86_64-w64-mingw32-windres")
TOP = f"pelgrav-{VERSION}-win64"


class Release(ViewerTestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = Path(tempfile.mkdtemp(prefix="viewer-release-"))
        subprocess.run([sys.executable, str(REPO / "scripts" / "pack_release.py"), str(build_dir()),
                        str(cls.folder / "package")], check=True, capture_output=True, timeout=120)
        cls.archive = cls.folder / "package" / f"{TOP}.zip"
        cls.home = cls.folder / "unpacked" / TOP
        with zipfile.ZipFile(cls.archive) as archive:
            archive.extractall(cls.folder / "unpacked")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_archive_holds_the_program_its_scene_and_what_a_user_reads(self):
        with zipfile.ZipFile(self.archive) as archive:
            names = set(archive.namelist())
        for name in ["pelgrav.exe", "objektumok/haz/map02.x", "objektumok/haz/Detail.bmp",
                     "objektumok/kocka/kocka_00.x", "README.md", "LICENSE", "DIRECTX-RUNTIME.txt"]:
            self.assertIn(f"{TOP}/{name}", names)

    def test_unpacked_into_an_empty_folder_it_shows_the_start_up_scene_and_ends_with_escape(self):
        with Viewer(self.home, log_dir=self.folder, exe=self.home / "pelgrav.exe") as viewer:
            window = viewer.wait_for_window()
            viewer.wait_for_picture(window, lambda shot: looks_green(shot.at(0.5, 0.88)),
                                    what="the ground of the start-up scene")
            viewer.hold_key(window, "Escape")
            self.assertEqual(viewer.wait_exit(timeout=30), 0)

    def test_the_program_imports_only_windows_own_dlls_and_the_d3dx_runtime(self):
        dump = subprocess.run([OBJDUMP, "-p", str(self.home / "pelgrav.exe")], capture_output=True, text=True,
                              check=True, timeout=60).stdout
        imported = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
        note = (self.home / "DIRECTX-RUNTIME.txt").read_text()
        named = {name.lower() for name in re.findall(r"^ +(\S+\.dll) ", note, re.MULTILINE)}
        self.assertIn("d3dx9_30.dll", imported)
        self.assertLessEqual(imported, named, "a DLL the note does not name")

    def test_the_program_carries_the_version_that_its_properties_show(self):
        resource = subprocess.run([WINDRES, "-i", str(self.home / "pelgrav.exe"), "-O", "rc"], capture_output=True,
                                  text=True, check=True, timeout=60).stdout
        numbers = VERSION.replace(".", ", ") + ", 0"
        for line in [f"FILEVERSION {numbers}", f"PRODUCTVERSION {numbers}",
                     f'VALUE "FileVersion", "{VERSION}"', f'VALUE "ProductVersion", "{VERSION}"']:
            self.assertIn(line, resource)


if __name__ == "__main__":
    unittest.main()
