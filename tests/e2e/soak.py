"""A long run of the real viewer under random keys, mouse motion, wheel and console commands
(loads of models that exist and that don't), closing message boxes as they come. It checks
that the viewer never crashes or hangs and that its memory stays flat once warmed up.

    python3 tests/e2e/soak.py --seconds 600
"""

import argparse
import random
import subprocess
import time

from viewer import Viewer, differs, stage_scene, viewer_exe

KEYS = ["w", "a", "s", "d", "space", "Control_L", "Shift_L", "q", "e", "v"]
MODELS = [r"objektumok\kocka\kocka_00.x", r"objektumok\torony\torony.x", r"objektumok\fa\fa.x",
          r"objektumok\kerites\kerites.x", r"objektumok\nincs\nincs.x"]
MESSAGE_BOX_CAPTIONS = ["Nem találom az x filet!", "Nincs meg a textúra file! :("]
INPUT_LINE = (0, 398, 300, 416)


def resident_kilobytes():
    """The resident memory of the viewer's process, as Linux counts it."""
    # The Windows process itself, not the shell script that started it.
    pids = subprocess.run(["pgrep", "-f", "^" + str(viewer_exe())], capture_output=True, text=True).stdout.split()
    with open(f"/proc/{pids[0]}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


class Soak:
    def __init__(self, viewer, window, seed):
        self.viewer, self.window = viewer, window
        self.random = random.Random(seed)
        self.boxes_closed = 0
        self.commands = 0

    def close_message_boxes(self):
        for caption in MESSAGE_BOX_CAPTIONS:
            box = self.viewer.find_window(caption)
            if box:
                self.viewer.close_message_box(box)
                self.boxes_closed += 1

    def step(self):
        action = self.random.random()
        if action < 0.5:
            self.viewer.hold_key(self.window, self.random.choice(KEYS), seconds=self.random.uniform(0.05, 0.4))
        elif action < 0.8:
            self.viewer.move_mouse(self.random.randint(-80, 80), self.random.randint(-40, 40))
        elif action < 0.9:
            self.viewer.wheel(self.window, self.random.choice([-1, 1]))
        else:
            self.command(f"#load x {self.random.choice(MODELS)}")
        self.close_message_boxes()

    def command(self, text):
        self.viewer.hold_key(self.window, "Return")
        self.viewer.type_text(self.window, text)
        self.viewer.hold_key(self.window, "Return")
        self.commands += 1

    def assert_responsive(self):
        """Opening the console must draw the prompt within a few seconds: the loop is alive."""
        closed = self.viewer.screenshot(self.window)
        self.viewer.hold_key(self.window, "Return")
        self.viewer.wait_for_picture(self.window, lambda shot: differs(closed, shot, INPUT_LINE, at_least=5),
                                     timeout=10, what="the console prompt")
        self.viewer.hold_key(self.window, "Return")


def run(seconds, seed=1):
    """Soaks the viewer for `seconds`; returns a summary, raising on a crash or a hang."""
    workdir = stage_scene()
    with Viewer(workdir) as viewer:
        window = viewer.wait_for_window()
        viewer.wait_until_drawing(window)
        viewer.xdotool("mousemove", "--window", window, 300, 200)
        soak = Soak(viewer, window, seed)
        start = time.monotonic()
        memory = []
        next_check = start
        while time.monotonic() - start < seconds:
            soak.step()
            if viewer.process.poll() is not None:
                raise AssertionError(f"the viewer ended with exit code {viewer.process.returncode}")
            if time.monotonic() >= next_check:
                soak.close_message_boxes()
                soak.assert_responsive()
                memory.append(resident_kilobytes())
                next_check += max(seconds / 10, 5)
        viewer.hold_key(window, "Escape")
        exit_code = viewer.wait_exit(timeout=30)
    return {"seconds": seconds, "commands": soak.commands, "boxes closed": soak.boxes_closed,
            "memory samples (KiB)": memory, "exit code": exit_code}


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("--seed", type=int, default=1)
    arguments = parser.parse_args()
    for key, value in run(arguments.seconds, arguments.seed).items():
        print(f"{key}: {value}")
