"""The main window: where it appears, what it shows, and how destroying it ends the run."""

import unittest

from viewer import SKY, WINDOW_TITLE, Viewer, ViewerTestCase, near, stage_scene


class MainWindow(ViewerTestCase):
    def setUp(self):
        self.viewer = Viewer.started_for(self, stage_scene(test=self))
        self.window = self.viewer.wait_for_window()

    def test_window_has_its_title_size_and_position(self):
        self.assertEqual(self.viewer.window_title(self.window), WINDOW_TITLE)
        rects = self.viewer.window_rects()
        # 640x480 at (100, 100), border and caption included: what these take of it is the
        # system's own, and differs between systems and Wine versions.
        self.assertEqual(rects["window"], (100, 100, 740, 580))
        left, top, right, bottom = rects["client"]
        self.assertTrue(100 <= left < right <= 740 and 100 <= top < bottom <= 580, rects)
        # The X window that screenshots are taken of is that client area.
        g = self.viewer.geometry(self.window)
        self.assertEqual((g["X"], g["Y"], g["X"] + g["WIDTH"], g["Y"] + g["HEIGHT"]), rects["client"])

    def test_the_picture_fills_the_client_area(self):
        shot = self.viewer.wait_until_drawing(self.window)
        # Sky along the whole top edge, and no undrawn (black) pixel along any edge.
        self.assertTrue(near(shot.region_mean(0, 0, shot.width, 2), SKY, tolerance=4))
        edges = [shot.crop(0, 0, None, 1), shot.crop(0, shot.height - 1, None, None),
                 shot.crop(0, 0, 1, None), shot.crop(shot.width - 1, 0, None, None)]
        for edge in edges:
            self.assertFalse(any(edge.pixel(x, y) == (0, 0, 0) for x in range(edge.width) for y in range(edge.height)))

    def test_destroying_the_window_ends_the_run_with_exit_code_0(self):
        self.viewer.wait_until_drawing(self.window)
        self.assertTrue(self.viewer.close_window())   # finds the window by its class name
        self.assertEqual(self.viewer.wait_exit(timeout=30), 0)


if __name__ == "__main__":
    unittest.main()
