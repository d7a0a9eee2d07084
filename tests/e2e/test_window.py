"""The main window: where it appears, what it shows, and how destroying it ends the run."""

import shutil
import unittest

from viewer import SKY, WINDOW_TITLE, Viewer, near, stage_scene


class MainWindow(unittest.TestCase):
    def setUp(self):
        self.workdir = stage_scene()
        self.viewer = Viewer(self.workdir).start()
        self.window = self.viewer.wait_for_window()

    def tearDown(self):
        self.viewer.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)

    def test_window_has_its_title_size_and_position(self):
        self.assertEqual(self.viewer.window_title(self.window), WINDOW_TITLE)
        g = self.viewer.geometry(self.window)
        # A 640x480 window at (100, 100): the client area lies inside the border and caption.
        self.assertEqual((g["WIDTH"], g["HEIGHT"]), (634, 455))
        self.assertTrue(100 <= g["X"] <= 110 and 100 <= g["Y"] <= 130, g)

    def test_sky_fills_the_top_of_the_picture(self):
        shot = self.viewer.wait_until_drawing(self.window)
        self.assertTrue(near(shot.region_mean(200, 2, 430, 20), SKY, tolerance=4))

    def test_destroying_the_window_ends_the_run_with_exit_code_0(self):
        self.viewer.wait_until_drawing(self.window)
        self.assertTrue(self.viewer.close_window())   # finds the window by its class name
        self.assertEqual(self.viewer.wait_exit(timeout=30), 0)


if __name__ == "__main__":
    unittest.main()
