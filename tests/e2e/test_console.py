"""The console and HUD as a user sees them: the frame rate, typing, loading models, quitting."""

import shutil
import struct
import unittest
import zlib

from viewer import (FRAME_RATE_TEXT, LOADED_TEXT, MISSING_MESH_CAPTION, MISSING_TEXTURE_CAPTION, NOT_LOADED_TEXT, REPO,
                    Console, Viewer, ViewerTestCase, console_line, differs, stage_scene)

CUBE = r"objektumok\kocka\kocka_00.x"
MISSING = r"objektumok\nincs.x"
BROKEN = "objektumok\\hibas\\"
# The sample cube written as Wine's D3DX alone refuses it (tests/data/masodik), with the sample
# cube's orange and black texture.
SECOND_TRY = r"objektumok\masodik\kocka.x"


def write_broken_files(workdir):
    """Writes one file of each kind that used to take the viewer down inside the platform's own
    loaders, and returns the models whose mesh must be refused and those whose texture must be."""
    folder = workdir / "objektumok" / "hibas"
    folder.mkdir()
    cube = (workdir / "objektumok" / "kocka" / "kocka_00.x").read_bytes()
    body = cube[len(b"xof 0303txt 0032"):]
    packer = zlib.compressobj(wbits=-zlib.MAX_WBITS)
    packed = packer.compress(body) + packer.flush()
    meshes = {
        # A text file whose header says it is compressed.
        "tzip.x": b"xof 0303tzip0032" + body,
        # One chunk that unpacks to a byte more than it states.
        "blokk.x": b"xof 0303tzip0032" + struct.pack("<IHH", 16 + len(body), len(body) - 1, 2 + len(packed))
                   + b"CK" + packed,
        # A binary name longer than the file.
        "nev.x": b"xof 0303bin 0032" + struct.pack("<HI", 1, 0x10000) + b"Mesh",
    }
    images = {
        # 65536 pixels on a side, and eight bytes of them.
        "nagy.bmp": struct.pack("<2sIHHI", b"BM", 62, 0, 0, 54)
                    + struct.pack("<IiiHHIIiiII", 40, 65536, 65536, 1, 24, 0, 0, 0, 0, 0, 0) + bytes(8),
        # 16384 pixels on a side in 32-bit RGBA, and sixteen bytes of them.
        "nagy.dds": b"DDS " + struct.pack("<7I44x8I", 124, 0x1007, 16384, 16384, 0, 0, 0,
                                          32, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
                    + struct.pack("<I16x", 0x1000) + bytes(16),
    }
    for name, data in {**meshes, **images}.items():
        (folder / name).write_bytes(data)
    textured = {image.replace(".", "_") + ".x": image for image in images}
    for model, image in textured.items():
        (folder / model).write_bytes(cube.replace(b'"kocka.bmp"', f'"{image}"'.encode()))
    return [BROKEN + name for name in meshes], [BROKEN + model for model in textured]


def write_second_try_model(workdir):
    folder = workdir / "objektumok" / "masodik"
    folder.mkdir()
    shutil.copy(REPO / "tests" / "data" / "masodik" / "kocka.x", folder)
    shutil.copy(workdir / "objektumok" / "kocka" / "kocka.bmp", folder)


def orange(color):
    """The texture's orange, unlike the grey of the white material alone."""
    r, g, b = color
    return r > b + 40


class ConsoleTest(ViewerTestCase):
    def setUp(self):
        self.viewer = Viewer.started_for(self, stage_scene(test=self))
        self.window = self.viewer.wait_for_window()
        self.viewer.wait_until_drawing(self.window)
        self.console = Console(self.viewer, self.window)

    def shot(self):
        return self.viewer.screenshot(self.window)

    def test_frame_rate_is_read_out_in_the_top_left_corner(self):
        text = self.shot().crop(*FRAME_RATE_TEXT).read_text(darkest=160, alphabet="fps:0123456789 ")
        self.assertRegex(text, r"^fps: \d+$")

    def test_enter_opens_the_console_with_its_prompt_alone(self):
        closed = self.shot()
        opened = self.console.open()
        self.assertTrue(differs(closed, opened, console_line(0), at_least=5), "no prompt appeared")
        # Only the prompt: nothing drawn right of it.
        self.assertFalse(differs(closed, opened, (30, 398, 300, 416), at_least=1))

    def test_loading_the_cube_draws_it_and_reports_success(self):
        # Turn the orbit camera 110 degrees left, towards the origin where models stand: motion
        # alone, so the turn is the same wherever the pointer stood and however fast the frames come.
        self.console.turn_view(-1100)
        before = self.viewer.wait_until_still(self.window)
        self.console.run("#load x " + CUBE)
        self.console.wait_for_line(1, CUBE + LOADED_TEXT, [CUBE + NOT_LOADED_TEXT])
        self.assertIsNone(self.viewer.find_window(MISSING_MESH_CAPTION))
        after = self.shot()
        self.assertTrue(differs(before, after, after.box(0.32, 0.33, 0.68, 0.72)), "the cube did not appear")

    def test_a_model_that_wines_loader_alone_refuses_draws_with_its_texture(self):
        write_second_try_model(self.viewer.workdir)
        self.console.turn_view(-1100)
        before = self.viewer.wait_until_still(self.window)
        self.console.run("#load x " + SECOND_TRY)
        self.console.wait_for_line(1, SECOND_TRY + LOADED_TEXT, [SECOND_TRY + NOT_LOADED_TEXT])
        self.assertIsNone(self.viewer.find_window(MISSING_MESH_CAPTION))
        self.assertIsNone(self.viewer.find_window(MISSING_TEXTURE_CAPTION))
        shot = self.shot()
        region = shot.box(0.32, 0.33, 0.68, 0.72)
        before, after = before.crop(*region), shot.crop(*region)
        drawn = [after.pixel(x, y) for y in range(after.height) for x in range(after.width)
                 if after.pixel(x, y) != before.pixel(x, y)]
        self.assertGreater(len(drawn), 50, "the model did not appear")
        self.assertGreater(sum(map(orange, drawn)), len(drawn) // 4, "the model is drawn without its texture")

    def test_a_missing_model_shows_the_loaders_box_then_the_failure_text(self):
        self.console.run("#load x " + MISSING)
        self.viewer.wait_for_message_box(MISSING_MESH_CAPTION)
        self.viewer.close_message_box(MISSING_MESH_CAPTION)
        self.console.wait_for_line(1, MISSING + NOT_LOADED_TEXT, [MISSING + LOADED_TEXT])

    def test_broken_files_are_refused_with_their_box_and_the_viewer_stays_up(self):
        refused, textured = write_broken_files(self.viewer.workdir)
        # A refused mesh fails to load; a refused texture leaves its model loaded, untextured.
        loads = [(model, MISSING_MESH_CAPTION, NOT_LOADED_TEXT, LOADED_TEXT) for model in refused] + \
                [(model, MISSING_TEXTURE_CAPTION, LOADED_TEXT, NOT_LOADED_TEXT) for model in textured]
        for model, caption, outcome, other in loads:
            with self.subTest(model=model):
                self.console.run("#load x " + model)
                self.viewer.wait_for_message_box(caption)
                self.viewer.close_message_box(caption)
                self.console.wait_for_line(1, model + outcome, [model + other])
        self.viewer.hold_key(self.window, "Escape")
        self.assertEqual(self.viewer.wait_exit(timeout=20), 0)

    def test_a_line_that_is_no_command_is_answered_and_kept_above_it(self):
        self.console.run("#load y kocka")
        self.console.wait_for_line(1, "Command not found!", ["#load y kocka"])
        self.console.wait_for_line(2, "#load y kocka", ["Command not found!"])

    def test_exit_command_ends_the_run_with_exit_code_0(self):
        self.console.run("#exit")
        self.assertEqual(self.viewer.wait_exit(timeout=20), 0)

    def test_escape_with_the_console_open_ends_the_run_with_exit_code_0(self):
        opened = self.console.open()
        self.console.type("abc", opened)
        self.viewer.hold_key(self.window, "Escape")
        self.assertEqual(self.viewer.wait_exit(timeout=20), 0)


if __name__ == "__main__":
    unittest.main()
