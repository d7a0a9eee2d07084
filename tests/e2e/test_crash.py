"""A program that crashes ends at once and says so, whichever way the project runs it: the Wine
runner (the run command's, the tests', the benchmarks') and the harness (the soak's too)."""

import os
import subprocess
import tempfile
import unittest
from pathlib import Path

from viewer import WINE_RUN, Viewer, build_dir

CRASH_LINE = "crash_guard: the program crashed"
# Long enough for Wine to start from cold; a crash that hangs would take far longer.
SECONDS_TO_END = 30


def fault_exe():
    return Path(os.environ.get("FAULT_EXE", build_dir() / "tests" / "fault.exe"))


class Crash(unittest.TestCase):
    def check_runner(self, *arguments):
        run = subprocess.run([str(WINE_RUN), str(fault_exe()), *arguments], stdin=subprocess.DEVNULL,
                             capture_output=True, text=True, timeout=SECONDS_TO_END, env=dict(os.environ))
        self.assertNotEqual(run.returncode, 0, run.stderr)
        self.assertIn(CRASH_LINE, run.stderr)
        self.assertIn("page fault on write access", run.stderr)

    def test_the_wine_runner_ends_a_crashed_program_with_its_fault(self):
        self.check_runner()

    def test_the_wine_runner_ends_a_program_that_crashed_after_writing_over_its_heap(self):
        self.check_runner("heap")

    def test_the_harness_sees_the_crash_as_the_program_ending_with_its_fault(self):
        with tempfile.TemporaryDirectory() as folder:
            viewer = Viewer.started_for(self, folder, exe=fault_exe())
            self.assertNotEqual(viewer.wait_exit(timeout=SECONDS_TO_END), 0)
            viewer.stop()
            self.assertIn(CRASH_LINE, viewer.log_path.read_text(errors="replace"))


if __name__ == "__main__":
    unittest.main()
