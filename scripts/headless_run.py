"""Runs the viewer on a virtual display, saves a screenshot of its window, and ends it with
Escape, as a user would."""

import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from viewer import REPO, Viewer, build_dir, frame_rate, wine_prefix  # noqa: E402

SHOT = build_dir() / "screenshot.png"
# A prefix of its own, never the tests' nor a user's: the run's end ends its prefix's Wine
# server, and with it every program in that prefix.
os.environ["WINEPREFIX"] = str(wine_prefix(os.environ, "wineprefix-headless"))

with Viewer(REPO, log_dir=build_dir()) as viewer:
    window = viewer.wait_for_window()
    viewer.wait_until_drawing(window)
    viewer.wait_until_still(window)
    # The read-out shows 0 until its first frames have been timed, and a first run's are slow.
    viewer.wait_for_picture(window, frame_rate, timeout=60, what="a figure on the frame-rate read-out").save(SHOT)
    viewer.hold_key(window, "Escape")
    code = viewer.wait_exit(timeout=30)
print(f"Screenshot of the viewer: {SHOT}")
print(f"The viewer ended with exit code {code}.")
sys.exit(code)
