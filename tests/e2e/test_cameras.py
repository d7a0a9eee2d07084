"""Steering the view as a user does: keys, mouse and wheel, switching cameras, quitting."""

import shutil
import time
import unittest

from viewer import Viewer, differs, stage_scene

BELOW_FRAME_RATE = (0, 40, 634, 455)   # all of the picture but the changing read-out


class Cameras(unittest.TestCase):
    def setUp(self):
        self.workdir = stage_scene()
        self.viewer = Viewer(self.workdir).start()
        self.window = self.viewer.wait_for_window()
        self.viewer.wait_until_drawing(self.window)
        self.viewer.xdotool("mousemove", "--window", self.window, 300, 200)
        time.sleep(0.5)
        self.start = self.shot()

    def tearDown(self):
        self.viewer.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)

    def shot(self):
        return self.viewer.screenshot(self.window)

    def assertPictureChanged(self, what):
        self.assertTrue(differs(self.start, self.shot(), BELOW_FRAME_RATE, at_least=500), what)

    def test_holding_w_moves_towards_the_houses(self):
        self.viewer.hold_key(self.window, "w", seconds=0.5)
        self.assertPictureChanged("W did not move the view")

    def test_mouse_motion_turns_the_view(self):
        self.viewer.move_mouse(150, 0)
        self.assertPictureChanged("the mouse did not turn the view")

    def test_the_wheel_moves_the_eye(self):
        self.viewer.wheel(self.window, -1)
        self.assertPictureChanged("the wheel did not move the eye")

    def test_v_switches_to_the_free_camera_and_back_to_the_same_orbit_view(self):
        self.viewer.hold_key(self.window, "v")
        self.assertPictureChanged("V did not switch the camera")
        self.viewer.hold_key(self.window, "v")
        back = self.shot()
        self.assertFalse(differs(self.start, back, BELOW_FRAME_RATE, at_least=20),
                         "the orbit view did not come back as it was")

    def test_escape_ends_the_run_with_exit_code_0(self):
        self.viewer.hold_key(self.window, "Escape")
        self.assertEqual(self.viewer.wait_exit(timeout=20), 0)


if __name__ == "__main__":
    unittest.main()
