"""The processes the end-to-end tests start: programs run to their end or their timeout with
everything they started, the time a process has run, and a test run once more when Wine's server
spins under it."""

import contextlib
import functools
import os
import signal
import subprocess
import sys
import unittest


def end_group(process):
    """Ends `process` and everything in its process group, even once the process itself has gone:
    under Wine, a script's Windows program and what that program started outlive the script."""
    for signal_number in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, signal_number)
        except ProcessLookupError:
            return
        try:
            process.wait(timeout=10)
            return
        except subprocess.TimeoutExpired:
            pass


def run_program(command, timeout, **options):
    """subprocess.run for a program that may start others, in a process group of its own: when it
    times out, or anything else cuts the wait short, the whole group is ended, not the first
    process alone (which left Windows helpers running for good)."""
    process = subprocess.Popen(command, start_new_session=True, **options)
    try:
        output, errors = process.communicate(timeout=timeout)
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise
    return subprocess.CompletedProcess(command, process.returncode, output, errors)


class WineServerSpun(TimeoutError):
    """Wine's server spun on a core while the viewer waited on it. Wine 10's has been seen to, about
    once in a hundred start-ups that close a box, with either Direct3D 9, and for good: every
    process of the run then waits on it, the viewer in the middle of a window call."""


class ViewerTestCase(unittest.TestCase):
    """A test of the running viewer. Where Wine's server spins under it, the test, its set-up
    included, runs once more from the start; a second spin fails it."""

    def __init_subclass__(cls, **kwargs):
        super().__init_subclass__(**kwargs)
        set_up = cls.setUp
        cls.setUp = once_more_if_wine_server_spins(set_up, set_up)
        for name, test in list(vars(cls).items()):
            if name.startswith("test") and callable(test):
                setattr(cls, name, once_more_if_wine_server_spins(test, set_up_and(set_up, test)))

    @contextlib.contextmanager
    def subTest(self, *args, **params):
        """As unittest's, but a spin of Wine's server leaves the whole test, to run it once more:
        unittest would record it against the subtest and go on with a viewer that can't move."""
        spun = None
        with super().subTest(*args, **params):
            try:
                yield
            except WineServerSpun as error:
                spun = error
        if spun:
            raise spun


def set_up_and(set_up, test):
    def run(self):
        set_up(self)
        return test(self)
    return run


def once_more_if_wine_server_spins(step, again):
    @functools.wraps(step)
    def run(self):
        try:
            return step(self)
        except WineServerSpun as spun:
            print(f"\n{self.id()}: {spun}\nRunning it once more.", file=sys.stderr, flush=True)
            self.doCleanups()
            return again(self)
    return run


def cpu_ticks(pid):
    """The time `pid` has run, in the kernel's clock ticks, or None once it has gone."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])   # user and system time
    except OSError:
        return None
