"""The console and HUD as a user sees them: the frame rate, typing, loading models, quitting."""

import shutil
import time
import unittest

from viewer import Viewer, differs, stage_scene

FRAME_RATE_TEXT = (0, 0, 150, 30)
INPUT_LINE = (0, 398, 300, 416)      # line 0, the lowest
RESULT_LINE = (0, 385, 634, 402)     # line 1, just above it
PICTURE_MIDDLE = (200, 150, 434, 330)
MISSING_MESH_CAPTION = "Nem találom az x filet!"


class Console(unittest.TestCase):
    def setUp(self):
        self.workdir = stage_scene()
        self.viewer = Viewer(self.workdir).start()
        self.window = self.viewer.wait_for_window()
        self.viewer.wait_until_drawing(self.window)

    def tearDown(self):
        self.viewer.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)

    def shot(self):
        return self.viewer.screenshot(self.window)

    def submit(self, text):
        self.viewer.hold_key(self.window, "Return")
        self.viewer.type_text(self.window, text)
        self.viewer.hold_key(self.window, "Return")
        time.sleep(1)

    def test_frame_rate_is_read_out_in_the_top_left_corner(self):
        text = self.shot().crop(*FRAME_RATE_TEXT).read_text(darkest=160, alphabet="fps:0123456789 ")
        self.assertRegex(text, r"^fps: \d+$")

    def test_enter_opens_the_console_with_its_prompt(self):
        closed = self.shot()
        self.viewer.hold_key(self.window, "Return")
        opened = self.shot()
        self.assertTrue(differs(closed, opened, INPUT_LINE, at_least=5), "no prompt appeared")
        # Only the prompt: nothing drawn right of it.
        self.assertFalse(differs(closed, opened, (30, 398, 300, 416), at_least=1))

    def test_loading_the_cube_draws_it_and_reports_success(self):
        # Turn the orbit camera 110 degrees left, towards the origin where models stand.
        self.viewer.xdotool("mousemove", "--window", self.window, 300, 200)
        for _ in range(11):
            self.viewer.move_mouse(-100, 0)
        before = self.shot()
        self.submit(r"#load x objektumok\kocka\kocka_00.x")
        after = self.shot()
        self.assertTrue(differs(before, after, PICTURE_MIDDLE), "the cube did not appear")
        text = after.crop(*RESULT_LINE).read_text()
        self.assertIn("kocka", text)
        self.assertIn("nevű modell sikeresen", text)

    def test_a_missing_model_shows_the_loaders_box_then_the_failure_text(self):
        self.viewer.hold_key(self.window, "Return")
        self.viewer.type_text(self.window, r"#load x objektumok\nincs.x")
        self.viewer.hold_key(self.window, "Return")
        box = self.viewer.wait_for_window(MISSING_MESH_CAPTION, timeout=20)
        self.viewer.close_message_box(box)
        text = self.viewer.wait_for_picture(
            self.window, lambda s: "nem" in s.crop(*RESULT_LINE).read_text(), timeout=20,
            what="the failure text").crop(*RESULT_LINE).read_text()
        self.assertIn("incs.x nevű modell nem", text)
        self.assertIn("hibás", text)

    def test_exit_command_ends_the_run_with_exit_code_0(self):
        self.submit("#exit")
        self.assertEqual(self.viewer.wait_exit(timeout=20), 0)

    def test_escape_with_the_console_open_ends_the_run_with_exit_code_0(self):
        self.viewer.hold_key(self.window, "Return")
        self.viewer.type_text(self.window, "abc")
        self.viewer.hold_key(self.window, "Escape")
        self.assertEqual(self.viewer.wait_exit(timeout=20), 0)


if __name__ == "__main__":
    unittest.main()
