"""Steering the view as a user does: keys, mouse and wheel, switching cameras, quitting."""

import unittest

from viewer import BELOW_FRAME_RATE, MISSING_MESH_CAPTION, SCENE, Console, Viewer, ViewerTestCase, differs, stage_scene


class Cameras(ViewerTestCase):
    def setUp(self):
        self.viewer = Viewer.started_for(self, stage_scene(test=self))
        self.window = self.viewer.wait_for_window()
        self.viewer.wait_until_drawing(self.window)
        self.start = self.viewer.wait_until_still(self.window)

    def shot(self):
        return self.viewer.screenshot(self.window)

    def assertPictureChanged(self, what, region=BELOW_FRAME_RATE):
        self.viewer.wait_for_picture(self.window, lambda shot: differs(self.start, shot, region, at_least=500),
                                     timeout=10, what=what)

    def test_holding_w_moves_towards_the_houses(self):
        self.viewer.hold_key(self.window, "w", seconds=0.5)
        self.assertPictureChanged("W did not move the view")

    def test_mouse_motion_turns_the_view(self):
        self.viewer.move_mouse(150, 0)
        self.assertPictureChanged("the mouse did not turn the view")

    def test_a_move_right_after_the_window_is_active_again_turns_the_view(self):
        # The box takes the activation; when it goes, the mouse is acquired anew.
        Console(self.viewer, self.window).run(r"#load x objektumok\nincs.x")
        self.viewer.wait_for_message_box(MISSING_MESH_CAPTION)
        self.viewer.close_message_box(MISSING_MESH_CAPTION)
        self.viewer.move_mouse(150, 0)
        self.assertPictureChanged("the mouse did not turn the view", SCENE)

    def test_the_wheel_moves_the_eye(self):
        self.viewer.wheel(self.window, -1)
        self.assertPictureChanged("the wheel did not move the eye")

    def test_v_switches_to_the_free_camera_and_back_to_the_same_orbit_view(self):
        self.viewer.hold_key(self.window, "v")
        self.assertPictureChanged("V did not switch the camera")
        self.viewer.hold_key(self.window, "v")
        self.viewer.wait_for_picture(self.window, lambda shot: not differs(self.start, shot, BELOW_FRAME_RATE, at_least=20),
                                     timeout=10, what="the orbit view as it was")

    def test_escape_ends_the_run_with_exit_code_0(self):
        self.viewer.hold_key(self.window, "Escape")
        self.assertEqual(self.viewer.wait_exit(timeout=20), 0)


if __name__ == "__main__":
    unittest.main()
