"""The start-up scene as the user sees it, and the viewer without it."""

import re
import unittest

from viewer import (MISSING_MESH_CAPTION, SKY, Viewer, ViewerTestCase, looks_green, near, stage_scene,
                    wait_until_or_none)

GROUND = (0.5, 0.88)   # where the start-up view shows the ground, as fractions of the picture


def looks_red(color):
    r, g, b = color
    return r > g + 40 and r > b + 40


class StartupScene(ViewerTestCase):
    def test_ground_buildings_and_sky_stand_where_the_start_up_view_puts_them(self):
        viewer = Viewer.started_for(self, stage_scene(test=self))
        window = viewer.wait_for_window()
        viewer.wait_for_picture(window, lambda s: looks_green(s.at(*GROUND)),
                                what="the ground in the lower part of the picture")
        # The first pictures can come while the system still places the window.
        shot = viewer.wait_until_still(window)
        self.assertTrue(looks_green(shot.region_mean(*shot.box(0.39, 0.84, 0.61, 0.96))))
        # The red brick house straight ahead, under its red roof, with sky above.
        wall = shot.region_mean(*shot.box(0.38, 0.33, 0.46, 0.44))
        self.assertTrue(looks_red(wall), wall)
        self.assertTrue(looks_red(shot.at(0.5, 0.24)))
        self.assertTrue(near(shot.at(0.5, 0.13), SKY))


class MissingStartupScene(ViewerTestCase):
    def test_the_loader_names_the_missing_file_and_the_viewer_runs_on_with_sky_only(self):
        viewer = Viewer.started_for(self, stage_scene(without=["objektumok/haz/map02.x"], test=self))
        box = viewer.wait_for_message_box(MISSING_MESH_CAPTION)
        # OCR reads the backslashes as other letters, and may read the zero as an o.
        name = r"^objektumok.haz.map[0oO]?2\.x$"
        # The box can be on the screen a moment before its text is drawn in it.
        reads = []

        def read_name():
            reads.append(viewer.screenshot(box).read_text(darkest=200))
            return re.search(name, reads[-1])

        wait_until_or_none(read_name, timeout=10, interval=0.5)
        self.assertRegex(reads[-1], name)
        viewer.close_message_box(MISSING_MESH_CAPTION)
        window = viewer.wait_for_window()
        shot = viewer.wait_until_drawing(window)
        # Nothing but sky below the frame-rate read-out.
        self.assertTrue(near(shot.region_mean(0, 40, shot.width, shot.height), SKY, tolerance=2))
        self.assertTrue(near(shot.at(*GROUND), SKY))


if __name__ == "__main__":
    unittest.main()
