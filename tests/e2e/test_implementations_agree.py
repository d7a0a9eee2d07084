"""Wine's own Direct3D 9 and DXVK draw the same pictures of the same views, on the same machine.

Only views that don't depend on the frame rate are compared (motion is per frame, and the two
draw at different rates): the start-up view, the free camera's first view after V, and the view
after a model is loaded from the console. The frame-rate read-out is left out.

The measure: the share of pixels whose largest channel difference exceeds DIFFERENT. Measured on
Debian 13 with Wine 10, DXVK 2.6 and Mesa 25.0, the start-up and free-camera views differ by at
most 2 in any channel (texture filtering's rounding); the loaded model's view has 0.07 % of its
pixels more than 8 apart, along the cube's edges, and none more than 31. DIFFERENT stands well
above the rounding, and BOUND at seven times the edges' share. A real difference on one side, a
material colour wrong (the grass turned red), moves far more (the last test). Subtler faults
hide in the light: a grass 10 % less green moved no pixel by more than 4, and the scene without
its detail texture moved none (a stage whose texture is missing passes the colour on).
"""

import os
import shutil
import unittest
from pathlib import Path

from viewer import (BELOW_FRAME_RATE, LOADED_TEXT, NOT_LOADED_TEXT, Console, Screenshot, Viewer, ViewerTestCase,
                    build_dir, differs, stage_scene)

CUBE = r"objektumok\kocka\kocka_00.x"
GRASS = b"0.850000;0.950000;0.800000;1.000000;;"   # the start-up scene's grass material
RED_GRASS = b"0.950000;0.300000;0.300000;1.000000;;"
DIFFERENT = 8         # a channel difference that texture filtering's rounding stays below
BOUND = 0.005         # the share of such pixels that fails the test


def largest_differences(a, b):
    """Each pixel's largest channel difference."""
    assert (a.width, a.height) == (b.width, b.height), "the two windows differ in size"
    return [max(abs(a.rgb[i] - b.rgb[i]), abs(a.rgb[i + 1] - b.rgb[i + 1]), abs(a.rgb[i + 2] - b.rgb[i + 2]))
            for i in range(0, len(a.rgb), 3)]


def different_share(differences):
    """The share of pixels in which some channel differs by more than DIFFERENT."""
    return sum(1 for d in differences if d > DIFFERENT) / len(differences)


def difference_image(a, b):
    """Each pixel's channel differences, four times brighter, so that small ones show."""
    return Screenshot(a.width, a.height, bytes(min(255, 4 * abs(x - y)) for x, y in zip(a.rgb, b.rgb)))


def views(d3d9, workdir):
    """The three views, each a picture below the frame-rate read-out, as one implementation draws
    them, and the exit code of the run."""
    with Viewer(workdir, d3d9=d3d9) as viewer:
        window = viewer.wait_for_window()
        viewer.wait_until_drawing(window)
        pictures = {"start-up": viewer.wait_until_still(window)}
        viewer.hold_key(window, "v")
        viewer.wait_for_picture(window, lambda shot: differs(pictures["start-up"], shot, BELOW_FRAME_RATE, at_least=500),
                                timeout=10, what="the free camera")
        pictures["free camera"] = viewer.wait_until_still(window)
        viewer.hold_key(window, "v")
        console = Console(viewer, window)
        console.turn_view(-1100)   # towards the origin, where models stand
        viewer.wait_until_still(window)
        console.run("#load x " + CUBE)
        console.wait_for_line(1, CUBE + LOADED_TEXT, [CUBE + NOT_LOADED_TEXT])
        pictures["model loaded"] = viewer.wait_until_still(window)
        viewer.hold_key(window, "Escape")
        code = viewer.wait_exit(timeout=20)
    return {view: picture.crop(*BELOW_FRAME_RATE) for view, picture in pictures.items()}, code


def save_pair(view, ours, theirs):
    """Keeps a disagreeing pair and their difference where the run's logs go."""
    folder = Path(os.environ.get("VIEWER_LOG_DIR", build_dir())) / "d3d9-differences"
    folder.mkdir(parents=True, exist_ok=True)
    name = view.replace(" ", "-")
    ours.save(folder / f"{name}-wined3d.png")
    theirs.save(folder / f"{name}-dxvk.png")
    difference_image(ours, theirs).save(folder / f"{name}-difference.png")
    return folder


class ImplementationsAgree(ViewerTestCase):
    @classmethod
    def setUpClass(cls):
        workdir = stage_scene()
        cls.addClassCleanup(shutil.rmtree, workdir, ignore_errors=True)
        cls.wined3d, cls.wined3d_exit = views("wined3d", workdir)

    def dxvk_views(self, workdir):
        pictures, code = views("dxvk", workdir)
        self.assertEqual((self.wined3d_exit, code), (0, 0), "exit codes on wined3d and on DXVK")
        return pictures

    def test_dxvk_draws_every_view_as_wine_does(self):
        dxvk = self.dxvk_views(stage_scene(test=self))
        for view, ours in self.wined3d.items():
            differences = largest_differences(ours, dxvk[view])
            share, largest = different_share(differences), max(differences)
            print(f"{view}: {share:.3%} of pixels differ by more than {DIFFERENT}, the most by {largest}")
            if share > BOUND:
                folder = save_pair(view, ours, dxvk[view])
                self.fail(f"{view}: {share:.2%} of pixels differ by more than {DIFFERENT} (bound {BOUND:.1%});"
                          f" the pictures are in {folder}")

    def test_a_material_colour_wrong_on_one_side_is_seen(self):
        workdir = stage_scene(test=self)
        scene = workdir / "objektumok" / "haz" / "map02.x"
        text = scene.read_bytes()
        self.assertIn(GRASS, text)
        scene.write_bytes(text.replace(GRASS, RED_GRASS))
        share = different_share(largest_differences(self.wined3d["start-up"], self.dxvk_views(workdir)["start-up"]))
        print(f"start-up with red grass on DXVK: {share:.3%} of pixels differ by more than {DIFFERENT}")
        self.assertGreater(share, BOUND)


if __name__ == "__main__":
    unittest.main()
