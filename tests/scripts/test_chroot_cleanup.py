"""An interrupted run of scripts/test-on-debian.sh leaves nothing behind: no bind mount under its
chroot (a later `rm -rf build` would go through it into the host's /dev) and no process inside.
Needs root; run as  CHROOT_RELEASE=trixie python3 tests/scripts/test_chroot_cleanup.py"""

import os
import queue
import signal
import subprocess
import tempfile
import threading
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
RELEASE = os.environ.get("CHROOT_RELEASE", "trixie")
ROOT = str(REPO / "build" / f"debian-{RELEASE}")
# A pipeline and a sleeper in the background, both still running when the signal comes.
LEAVES_PROCESSES = "sleep 600 | cat & sleep 600 & echo ready inside; wait"


def end_with_term(run):
    """Ends a run that outlived the test through its own cleanup, not around it as SIGKILL would."""
    if run.poll() is None:
        run.terminate()
        try:
            run.wait(timeout=60)
        except subprocess.TimeoutExpired:
            run.kill()


def mounts_under(root):
    with open("/proc/self/mountinfo") as mountinfo:
        # The mount point is the fifth field, with a space written as \040.
        points = [line.split()[4].encode().decode("unicode_escape") for line in mountinfo]
    return [point for point in points if point.startswith(root + "/")]


def processes_inside(root):
    """Processes whose root is the chroot, asked of each thread: a process whose first thread has
    ended shows no root of its own while its other threads run on."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            tasks = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue   # ended meanwhile
        for task in tasks:
            try:
                if os.readlink(f"/proc/{pid}/task/{task}/root") == root:
                    found.append(int(pid))
                    break
            except OSError:
                pass   # ended meanwhile, or the thread that has ended
    return found


class InterruptedRun(unittest.TestCase):
    def run_until_ready(self, script):
        run = subprocess.Popen([str(script), RELEASE, "bash", "-c", LEAVES_PROCESSES], stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.addCleanup(run.stdout.close)
        self.addCleanup(end_with_term, run)
        # Whatever a failed clean-up left inside holds the pipe that the reader below waits on.
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in processes_inside(ROOT)])
        lines = queue.Queue()

        def read_until_end():
            for line in run.stdout:
                lines.put(line)
            lines.put("")   # the script has ended
        threading.Thread(target=read_until_end, daemon=True).start()
        seen = []
        while not seen or seen[-1].strip() != "ready inside":
            try:
                line = lines.get(timeout=300)   # the first run makes the chroot
            except queue.Empty:
                line = ""
            if not line:
                self.fail(f"the command inside never started; the script said: {''.join(seen)}")
            seen.append(line)
        return run

    def check_interrupt(self, signal_number, script=REPO / "scripts" / "test-on-debian.sh"):
        run = self.run_until_ready(script)
        self.assertTrue(processes_inside(ROOT), "nothing was left running inside to clean up")
        self.assertTrue(mounts_under(ROOT), "nothing was mounted to clean up")
        run.send_signal(signal_number)
        exit_code = run.wait(timeout=60)
        self.assertEqual(mounts_under(ROOT), [])
        self.assertEqual(processes_inside(ROOT), [])
        self.assertEqual(exit_code, 128 + signal_number)

    def test_term_leaves_no_mount_and_no_process(self):
        self.check_interrupt(signal.SIGTERM)

    def test_int_leaves_no_mount_and_no_process(self):
        self.check_interrupt(signal.SIGINT)

    def test_a_symlinked_checkout_leaves_nothing_either(self):
        with tempfile.TemporaryDirectory() as folder:
            link = Path(folder) / "checkout"
            link.symlink_to(REPO)
            self.check_interrupt(signal.SIGTERM, link / "scripts" / "test-on-debian.sh")


if __name__ == "__main__":
    # A job started in the background without job control inherits SIGINT ignored, and a script
    # that starts with a signal ignored can't trap it: give the script SIGINT as a terminal would.
    if signal.getsignal(signal.SIGINT) == signal.SIG_IGN:
        signal.signal(signal.SIGINT, signal.default_int_handler)
    unittest.main()
