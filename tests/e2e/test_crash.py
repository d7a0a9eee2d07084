"""A program that crashes ends at once and says so, whichever way the project runs it: the Wine
runner (the run command's, the tests', the benchmarks') and the harness (the soak's too). On
DXVK, so does a program that loads Wine's own Direct3D 9 instead."""

import os
import subprocess
import tempfile
import unittest
from pathlib import Path

from viewer import WINE_RUN, Viewer, ViewerTestCase, build_dir, run_program

CRASH_LINE = "crash_guard: the program crashed"
# Long enough for Wine to start from cold; a crash that hangs would take far longer.
SECONDS_TO_END = 30


def fault_exe():
    return Path(os.environ.get("FAULT_EXE", build_dir() / "tests" / "fault.exe"))


def run_fault(*arguments, dll_overrides=None):
    env = dict(os.environ)
    if dll_overrides:
        env["WINEDLLOVERRIDES"] = dll_overrides
    return run_program([str(WINE_RUN), str(fault_exe()), *arguments], SECONDS_TO_END, stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)


class Crash(ViewerTestCase):
    def check_runner(self, *arguments):
        run = run_fault(*arguments)
        self.assertNotEqual(run.returncode, 0, run.stderr)
        self.assertIn(CRASH_LINE, run.stderr)
        self.assertIn("page fault on write access", run.stderr)

    def test_the_wine_runner_ends_a_crashed_program_with_its_fault(self):
        self.check_runner()

    def test_the_wine_runner_ends_a_program_that_crashed_after_writing_over_its_heap(self):
        self.check_runner("heap")

    @unittest.skipUnless(os.environ.get("PELGRAV_D3D9") == "dxvk", "only a run on DXVK refuses Wine's own")
    def test_on_dxvk_a_program_that_loads_wines_own_direct3d_9_is_ended(self):
        self.assertEqual(run_fault("d3d9").returncode, 0)
        # A run told to take Wine's own Direct3D 9 whatever the prefix holds, as a wrong override would.
        run = run_fault("d3d9", dll_overrides="mscoree,mshtml,winedbg.exe=;d3d9=b")
        self.assertEqual(run.returncode, 3, run.stderr)
        self.assertIn("crash_guard: the program loaded Wine's own d3d9.dll", run.stderr)

    def test_the_harness_sees_the_crash_as_the_program_ending_with_its_fault(self):
        with tempfile.TemporaryDirectory() as folder:
            viewer = Viewer.started_for(self, folder, exe=fault_exe())
            self.assertNotEqual(viewer.wait_exit(timeout=SECONDS_TO_END), 0)
            viewer.stop()
            self.assertIn(CRASH_LINE, viewer.log_path.read_text(errors="replace"))


if __name__ == "__main__":
    unittest.main()
