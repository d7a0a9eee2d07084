"""A long run of the real viewer under random keys, mouse motion, wheel and console commands
(loads of models that exist and that don't). Every command is checked for its outcome: a model
that exists gives the success text on line 1; a missing one gives the loader's message box, which
is closed, and then the failure text. The soak fails when fewer than 95 % of the commands show
their outcome, or when the viewer dies, stops responding or grows in memory once every model
has been loaded and reloaded and the memory has settled.

    python3 tests/e2e/soak.py --seconds 600
"""

import argparse
import os
import random
import shutil
import statistics
import sys
import time

from viewer import (LOADED_TEXT, MISSING_MESH_CAPTION, MISSING_TEXTURE_CAPTION, NOT_LOADED_TEXT, Console, Viewer,
                    stage_scene)

KEYS = ["w", "a", "s", "d", "space", "Control_L", "Shift_L", "q", "e", "v"]
MODELS = [r"objektumok\kocka\kocka_00.x", r"objektumok\torony\torony.x", r"objektumok\fa\fa.x",
          r"objektumok\kerites\kerites.x", r"objektumok\nincs\nincs.x"]
MISSING_MODELS = {r"objektumok\nincs\nincs.x"}
OUTCOMES = [model + text for model in MODELS for text in (LOADED_TEXT, NOT_LOADED_TEXT)]
REQUIRED_SHARE = 0.95
# Every model is loaded twice before the soak, so that the registry is full and every later
# command is a reload; the memory still settles over the next few reloads (Wine 10's loader takes
# up to 2 MiB more over them). What counts is how far the median of the second half of the samples
# lies above that of the first: the resident size swings by up to about 1 MiB between samples, up
# and down (one sample 1,268 KiB above its neighbours was seen), and a median passes over such a
# sample while a leak lifts every sample after it. The bound starts at 1 MiB: measured peak to
# peak in one-minute runs on the sample scene, correct viewers rose at most 652 KiB on Wine 8 and
# 240 KiB on Wine 10, while one that leaked the old model on each reload rose 1,088 KiB in 7
# commands on Wine 8, about 140 KiB a command. So a minute may not tell such a leak from the swing; the
# ten-minute soak, with some 50 commands in its second half, does, at 32 KiB a command: there the
# leaking viewer rose 5,548 KiB against 2,560 allowed, while correct ones rose 180 KiB on Wine 8
# and 196 KiB on Wine 10.
ALLOWED_GROWTH_KIB = 1024
ALLOWED_GROWTH_PER_COMMAND_KIB = 32


def resident_kilobytes(viewer):
    """The resident memory of the viewer this soak started, as Linux counts it."""
    pid = viewer.program_pid()   # the Windows process itself, not the scripts that started it
    if pid is None:
        raise AssertionError("the viewer's process was not found to measure")
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


class Soak:
    def __init__(self, viewer, window, seed):
        self.viewer, self.window = viewer, window
        self.console = Console(viewer, window)
        self.random = random.Random(seed)
        self.commands = 0
        self.matched = 0
        self.wrong_boxes = 0
        self.boxes_closed = 0
        self.mismatches = []
        self.last_model = None
        self.started = time.monotonic()

    def step(self):
        action = self.random.random()
        if action < 0.5:
            self.viewer.hold_key(self.window, self.random.choice(KEYS), seconds=self.random.uniform(0.05, 0.4))
        elif action < 0.8:
            self.viewer.move_mouse(self.random.randint(-80, 80), self.random.randint(-40, 40))
        elif action < 0.9:
            self.viewer.wheel(self.window, self.random.choice([-1, 1]))
        else:
            self.load_model()

    def load_model(self, model=None):
        """Loads `model`, or a random one other than the last, so that line 1 still showing the
        last outcome can't pass for this one's."""
        model = model or self.random.choice([m for m in MODELS if m != self.last_model])
        self.last_model = model
        # The typed text not showing within its timeout raises: the viewer has stopped responding.
        self.console.run("#load x " + model)
        self.commands += 1
        missing = model in MISSING_MODELS
        boxes = self.close_boxes(wait_for=MISSING_MESH_CAPTION if missing else None)
        expected = model + (NOT_LOADED_TEXT if missing else LOADED_TEXT)
        shown = self.line_1_reads(expected)
        boxes_right = boxes == ([MISSING_MESH_CAPTION] if missing else [])
        self.wrong_boxes += not boxes_right
        if shown and boxes_right:
            self.matched += 1
            outcome = "shown"
        else:
            self.mismatches.append(f"{model}: boxes {boxes}, line 1 read {self.console.read_line(1)!r}")
            outcome = "MISMATCH " + self.mismatches[-1]
        # As it goes, so that a run cut short still tells how far it came.
        print(f"{time.monotonic() - self.started:6.1f} s  #load x {model}: {outcome}", file=sys.stderr, flush=True)

    def line_1_reads(self, expected):
        """Whether line 1 reads `expected`. Over a few busy parts of the scene OCR can't read the
        line at all, and an orbit camera left alone stays there; so when a first wait fails, the
        view is moved once and the line read again over what lies behind it then."""
        others = [o for o in OUTCOMES if o != expected]
        for _ in range(2):
            try:
                self.console.wait_for_line(1, expected, others, timeout=10)
                return True
            except TimeoutError:
                self.viewer.move_mouse(60, 0)
                self.viewer.hold_key(self.window, "d", seconds=0.4)
        return False

    def close_boxes(self, wait_for=None):
        """Closes the box `wait_for`, which may come up a while after the command, and any other
        box that is up; returns the captions closed."""
        closed = []
        if wait_for:
            try:
                self.viewer.wait_for_message_box(wait_for)
            except TimeoutError:
                pass
        for caption in (MISSING_MESH_CAPTION, MISSING_TEXTURE_CAPTION):
            if self.viewer.find_window(caption):
                self.viewer.close_message_box(caption)
                closed.append(caption)
        self.boxes_closed += len(closed)
        return closed


def run(seconds, seed=1):
    """Soaks the viewer for `seconds`; returns what happened. A crash or a hang raises."""
    workdir = stage_scene()
    try:
        with Viewer(workdir) as viewer:
            return drive(viewer, seconds, seed)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


def drive(viewer, seconds, seed):
    """Loads every model twice, then soaks for `seconds` with the memory sampled from there on."""
    window = viewer.wait_for_window()
    viewer.wait_until_drawing(window)
    soak = Soak(viewer, window, seed)
    for model in MODELS * 2:
        soak.load_model(model)
    start = time.monotonic()
    memory, commands_at_samples = [], []
    next_sample = start
    while time.monotonic() - start < seconds:
        if time.monotonic() >= next_sample:
            # A command at every sample, so that the viewer proves it still responds.
            soak.load_model()
            memory.append(resident_kilobytes(viewer))
            commands_at_samples.append(soak.commands)
            next_sample += max(seconds / 10, 5)
        else:
            soak.step()
        if viewer.process.poll() is not None:
            raise AssertionError(f"the viewer ended with exit code {viewer.process.returncode}")
    viewer.hold_key(window, "Escape")
    exit_code = viewer.wait_exit(timeout=30)
    return {"seconds": seconds, "commands typed": soak.commands, "outcomes matched": soak.matched,
            "commands with the wrong boxes": soak.wrong_boxes, "boxes closed": soak.boxes_closed, "memory samples (KiB)": memory,
            "commands typed at each sample": commands_at_samples, "exit code": exit_code,
            "mismatches": soak.mismatches}


def failures(summary):
    """What in a soak's summary counts against the viewer; empty when it passed."""
    found = []
    if summary["exit code"] != 0:
        found.append(f"exit code {summary['exit code']}")
    commands, matched = summary["commands typed"], summary["outcomes matched"]
    wrong_boxes = summary["commands with the wrong boxes"]
    if wrong_boxes:
        found.append(f"{wrong_boxes} commands brought the wrong message boxes")
    # OCR misreads about one line in thirty over a busy part of the scene: a short run may lose one.
    # A box is no OCR: a wrong one counts in full, above.
    allowed_misses = max(1, int((1 - REQUIRED_SHARE) * commands))
    if commands == 0 or commands - matched - wrong_boxes > allowed_misses:
        found.append(f"only {matched} of {commands} commands showed their outcome")
    memory, typed = summary["memory samples (KiB)"], summary["commands typed at each sample"]
    half = len(memory) // 2
    if os.environ.get("PELGRAV_D3D9") == "dxvk":
        # DXVK's own memory still grows, by about 400 KiB a reload, after a minute of them: a bare
        # program making the same calls grows as the viewer does (bench/RESULTS.md), so the
        # memory is judged there, against it, and not here.
        print("memory not judged on DXVK: see bench/RESULTS.md", file=sys.stderr)
    elif half == 0:
        found.append("too few memory samples to judge")
    else:
        growth = round(statistics.median(memory[half:]) - statistics.median(memory[:half]))
        allowed = ALLOWED_GROWTH_KIB + ALLOWED_GROWTH_PER_COMMAND_KIB * (typed[-1] - typed[half - 1])
        if growth > allowed:
            found.append(f"memory rose by {growth} KiB over the second half, past {allowed} KiB")
    return found


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("--seed", type=int, default=1)
    arguments = parser.parse_args()
    summary = run(arguments.seconds, arguments.seed)
    for key, value in summary.items():
        print(f"{key}: {value}")
    problems = failures(summary)
    print("verdict:", "; ".join(problems) if problems else "passed")
    sys.exit(1 if problems else 0)
