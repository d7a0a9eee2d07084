"""The console and HUD as a user sees them: the frame rate, typing, loading models, quitting."""

import unittest

from viewer import (FRAME_RATE_TEXT, LOADED_TEXT, MISSING_MESH_CAPTION, NOT_LOADED_TEXT, Console, Viewer,
                    console_line, differs, stage_scene)

CUBE = r"objektumok\kocka\kocka_00.x"
MISSING = r"objektumok\nincs.x"


class ConsoleTest(unittest.TestCase):
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

    def test_a_missing_model_shows_the_loaders_box_then_the_failure_text(self):
        self.console.run("#load x " + MISSING)
        self.viewer.wait_for_message_box(MISSING_MESH_CAPTION)
        self.viewer.close_message_box(MISSING_MESH_CAPTION)
        self.console.wait_for_line(1, MISSING + NOT_LOADED_TEXT, [MISSING + LOADED_TEXT])

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
