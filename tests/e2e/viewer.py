"""Drives the real viewer under Wine on a virtual display of its own, as a person would:
keys, text and mouse through the X server's test input (xdotool), screenshots through
ImageMagick, message boxes closed by a small Windows helper, every wait with a timeout."""

import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

# The harness's other parts, each in a file of its own; the tests take their names from here.
from console import (LOADED_TEXT, MISSING_MESH_CAPTION, MISSING_TEXTURE_CAPTION,  # noqa: F401
                     NOT_LOADED_TEXT, Console)
from pictures import (BELOW_FRAME_RATE, FRAME_RATE_TEXT, SCENE, SCREEN_HEIGHT, SCREEN_WIDTH,  # noqa: F401
                      SKY, Screenshot, console_line, differs, frame_rate, looks_green, near, parse_ppm)
from processes import ViewerTestCase, WineServerSpun, cpu_ticks, end_group, run_program  # noqa: F401

REPO = Path(__file__).resolve().parents[2]
WINE_RUN = REPO / "scripts" / "wine-run.sh"
SAMPLE_DATA = REPO / "objektumok"
WINDOW_TITLE = "Pelgrav D3D ablaka!!"


def build_dir():
    return Path(os.environ.get("VIEWER_BUILD_DIR", REPO / "build"))


def wine_prefix(env, name="wineprefix"):
    """The prefix of this name in the build folder for the Direct3D 9 chosen in env, named as
    scripts/wine-run.sh wants it; by default the one it uses itself."""
    suffix = "-dxvk" if env.get("PELGRAV_D3D9") == "dxvk" else ""
    return build_dir() / f"{name}{suffix}"


def viewer_exe():
    return Path(os.environ.get("VIEWER_EXE", build_dir() / "pelgrav.exe"))


def close_window_exe():
    return Path(os.environ.get("CLOSE_WINDOW_EXE", build_dir() / "tests" / "close_window.exe"))


def window_rect_exe():
    return Path(os.environ.get("WINDOW_RECT_EXE", build_dir() / "tests" / "window_rect.exe"))


def wait_until(condition, timeout, what, interval=0.2):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(interval)
    raise TimeoutError(f"timed out after {timeout} s waiting for {what}")


def wait_until_or_none(condition, timeout, interval=0.2):
    """As wait_until, but None rather than an error when the time is up."""
    try:
        return wait_until(condition, timeout, "", interval)
    except TimeoutError:
        return None


class Viewer:
    """One run of the viewer in a working directory, on its own Xvfb display."""

    @classmethod
    def started_for(cls, test, workdir, **options):
        """A viewer started for a unittest test, stopped whatever happens after: a failing setUp
        gets no tearDown, and would leave the display and Wine running."""
        viewer = cls(workdir, **options)
        test.addCleanup(viewer.stop)
        return viewer.start()

    def __init__(self, workdir, log_dir=None, exe=None, d3d9=None):
        """d3d9 chooses the Direct3D 9 to draw with, as PELGRAV_D3D9 does for scripts/wine-run.sh."""
        self.workdir = Path(workdir)
        self.exe = Path(exe or viewer_exe())
        self.log_path = Path(log_dir or workdir) / "viewer.log"
        if not log_dir and os.environ.get("VIEWER_LOG_DIR"):
            # Every run's output (Wine's, the crash guard's) kept past the test, one file a run.
            self.log_path = Path(os.environ["VIEWER_LOG_DIR"]) / f"viewer-{time.time_ns()}.log"
        self.env = dict(os.environ)
        if d3d9:
            self.env["PELGRAV_D3D9"] = d3d9
        self.env.setdefault("WINEPREFIX", str(wine_prefix(self.env)))
        self.xvfb = None
        self.process = None
        self.log = None

    # Lifecycle

    def start(self):
        try:
            return self._start()
        except BaseException:
            self.stop()
            raise

    def _start(self):
        display_read, display_write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(display_write), "-screen", "0", f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24",
             "-nolisten", "tcp"],
            pass_fds=(display_write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(display_write)
        with os.fdopen(display_read) as display:
            self.env["DISPLAY"] = ":" + display.readline().strip()
        self.log = open(self.log_path, "w")
        # Output goes to a file: Wine's services may hold on to the pipes of whoever starts them.
        # A process group of its own: stop() ends this run's viewer, never another one.
        self.process = subprocess.Popen([str(WINE_RUN), str(self.exe)], cwd=self.workdir, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        return self

    def stop(self):
        """Ends the viewer, Wine's server and the display: every step is taken whatever the one
        before it did, and the first failure is raised once all have been taken."""
        failures = []
        for step in (self._end_viewer, self._end_wine_server, self._end_display):
            try:
                step()
            except Exception as failure:   # noqa: BLE001 - raised below, after the other steps
                failures.append(failure)
        if self.log:
            self.log.close()
        self.xvfb = self.process = self.log = None
        if failures:
            raise failures[0]

    def _end_viewer(self):
        if self.process:
            end_group(self.process)

    def _end_wine_server(self):
        # Kill, then wait until the server is gone: the next start must not find it dying.
        for argument in ("-k", "-w"):
            subprocess.run(["wineserver", argument], env=self.env, check=False, stderr=subprocess.DEVNULL, timeout=60)

    def _end_display(self):
        if not self.xvfb:
            return
        self.xvfb.terminate()
        try:
            self.xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.xvfb.kill()
            self.xvfb.wait()

    def program_pid(self):
        """The Windows program this run started, as Linux numbers it, or None: the one process of
        this run's group that Wine shows under the program's name."""
        name = self.exe.name.lower().encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                if os.getpgid(int(pid)) != self.process.pid:
                    continue
                with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                    first = cmdline.read().split(b"\0")[0]
            except OSError:
                continue   # ended meanwhile
            if first.lower().replace(b"\\", b"/").endswith(b"/" + name):
                return int(pid)
        return None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def wait_exit(self, timeout=20):
        return self.process.wait(timeout=timeout)

    def wait_until(self, condition, timeout, what, interval=0.2, on_timeout=None, ending_meets=False):
        """wait_until for what only the running viewer can bring: gives up at once when the viewer
        has ended (unless `ending_meets`: then its end will do), and either error ends with the end
        of the viewer's output (Wine's, DXVK's), which goes with the working directory.
        `on_timeout` may add to a timeout's error."""
        def met():
            if self.process.poll() is not None:
                if ending_meets:
                    return True
                raise RuntimeError(f"the viewer ended, exit code {self.process.returncode}, before {what}"
                                   f"{self.output_end()}")
            return condition()
        try:
            return wait_until(met, timeout, what, interval)
        except TimeoutError as error:
            extra = on_timeout() if on_timeout else ""
            if self.wine_server_spins():
                raise WineServerSpun(f"{error}{extra}; Wine's server spins while the viewer waits"
                                     f"{self.output_end()}") from None
            raise TimeoutError(f"{error}{extra}{self.output_end()}") from None

    def within(self, condition, timeout, ending_meets=False):
        """As wait_until, but None rather than an error when the time is up; a spinning Wine
        server still raises."""
        try:
            return self.wait_until(condition, timeout, "", interval=0.3, ending_meets=ending_meets)
        except WineServerSpun:
            raise
        except TimeoutError:
            return None

    def wine_server_spins(self, seconds=1.0):
        """Whether this run's Wine server keeps running (a third of a core at least, on a machine
        that is busy too) while the viewer does not run at all."""
        servers = [pid for pid in filter(str.isdigit, os.listdir("/proc")) if self.runs_wine_server(pid)]
        viewer = self.program_pid()
        if not servers or not viewer:
            return False
        before = [cpu_ticks(pid) for pid in [viewer, *servers]]
        time.sleep(seconds)
        after = [cpu_ticks(pid) for pid in [viewer, *servers]]
        if None in before + after:
            return False
        busy = [(b - a) / (os.sysconf("SC_CLK_TCK") * seconds) for a, b in zip(before, after)]
        return busy[0] < 0.05 and max(busy[1:]) > 0.3

    def runs_wine_server(self, pid):
        try:
            with open(f"/proc/{pid}/comm") as comm, open(f"/proc/{pid}/environ", "rb") as environ:
                return (comm.read().startswith("wineserver") and
                        f"WINEPREFIX={self.env['WINEPREFIX']}".encode() in environ.read().split(b"\0"))
        except OSError:
            return False

    def output_end(self, lines=15):
        try:
            output = self.log_path.read_text(errors="replace").splitlines()[-lines:]
        except OSError:
            output = []
        if not output:
            return "; the viewer printed nothing"
        return "; the viewer's output ends:\n" + "\n".join("    " + line for line in output)

    def close_window(self, caption=None):
        """Asks a window to close as the system would: the main window (which has no close box
        of its own), or every message box with this caption, which answers as its OK button
        does. No key is pressed, so none is left held for the viewer or the next program."""
        arguments = [caption] if caption else []
        # Under Wine 10 a helper's start has been seen to hang for good while a box was up: one
        # that hangs counts as a request not taken, and the caller may ask again.
        try:
            return run_program([str(WINE_RUN), str(close_window_exe()), *arguments], 15, env=self.env,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL).returncode == 0
        except subprocess.TimeoutExpired:
            return False

    # Windows

    def xdotool(self, *args, timeout=20):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                              timeout=timeout).stdout

    def find_window(self, title):
        # xdotool's pattern meets the names as bytes of another encoding than ours: search by the
        # ASCII start of the title, then compare whole titles.
        ascii_start = re.match(r"[\x00-\x7f]*", title).group()
        ids = self.xdotool("search", "--name", "^" + re.escape(ascii_start)).split()
        return next((i for i in ids if self.window_title(i) == title), None)

    def wait_for_window(self, title=WINDOW_TITLE, timeout=60):
        return self.wait_until(lambda: self.find_window(title), timeout, f"window {title!r}")

    def window_rects(self):
        """Where Windows puts the main window: {"window": (left, top, right, bottom), "client": ...}
        in screen coordinates."""
        output = run_program([str(WINE_RUN), str(window_rect_exe())], 60, env=self.env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True).stdout
        return {name: tuple(map(int, numbers.split()))
                for name, numbers in re.findall(r"^(window|client) ([-\d ]+)$", output, re.MULTILINE)}

    def geometry(self, window):
        shell = self.xdotool("getwindowgeometry", "--shell", window)
        return {k: int(v) for k, v in re.findall(r"(\w+)=(\d+)", shell)}

    def window_title(self, window):
        return self.xdotool("getwindowname", window).rstrip("\n")

    # Input, through the X server's test input to the focused window, as a keyboard gives it:
    # text sent straight to a window can lose its Shift state under Wine, and a release sent to
    # a window that is gone stays pressed in Wine's key state.

    def focus(self, window):
        """Gives `window` the keyboard focus, unless it has it. Wine answers a change of focus by
        releasing the pointer grab it holds for the acquired mouse. A click or wheel step that the
        X server still sends to the grab window after Wine has let go of it is dropped, and never
        reaches DirectInput. --sync waits for the X server only: after a change, give Wine a
        moment to handle it."""
        if self.xdotool("getwindowfocus").strip() == str(window):
            return
        self.xdotool("windowfocus", "--sync", window)
        time.sleep(0.5)

    def hold_key(self, window, key, seconds=0.2):
        """DirectInput reads the key state once a frame: hold the key for a few frames."""
        self.focus(window)
        self.xdotool("keydown", key)
        time.sleep(seconds)
        self.xdotool("keyup", key)
        time.sleep(0.1)

    def type_text(self, window, text):
        self.focus(window)
        self.xdotool("type", "--delay", "60", text, timeout=20 + len(text))

    def pointer(self):
        """Where the pointer stands on the screen, as (x, y)."""
        location = self.xdotool("getmouselocation", "--shell")
        return tuple(int(re.search(rf"^{axis}=(\d+)", location, re.MULTILINE).group(1)) for axis in "XY")

    def move_mouse(self, dx, dy):
        self.xdotool("mousemove_relative", "--", dx, dy)
        time.sleep(0.3)

    def wheel(self, window, steps):
        button = 4 if steps > 0 else 5
        self.focus(window)
        self.xdotool("click", "--repeat", abs(steps), "--delay", "50", button)
        time.sleep(0.3)

    # Message boxes

    def wait_for_message_box(self, caption, timeout=20):
        """A box can come up a while after the key that caused it."""
        return self.wait_for_window(caption, timeout)

    def close_message_box(self, caption, timeout=40):
        """Closes the box with this caption and waits until it is gone. A box that has only just
        come up may not have taken the request yet: it is asked again every few seconds."""
        def closed():
            self.close_window(caption)
            return wait_until_or_none(lambda: not self.find_window(caption), 3)
        wait_until(closed, timeout, f"the box {caption!r} to close", interval=0)

    # Pictures

    def screenshot(self, window):
        """The client area of `window`; the window's own image is black under Xvfb, so the
        whole screen is captured and cropped."""
        g = self.geometry(window)
        crop = f"{g['WIDTH']}x{g['HEIGHT']}+{g['X']}+{g['Y']}"
        data = subprocess.run(["import", "-window", "root", "-crop", crop, "-depth", "8", "ppm:-"], env=self.env,
                              capture_output=True, check=True, timeout=30).stdout
        return parse_ppm(data)

    def wait_until_drawing(self, window, timeout=60):
        """The window exists before the device and the scene are ready: wait for the sky."""
        return self.wait_for_picture(window, lambda s: near(s.pixel(s.width // 2, 2), SKY), timeout,
                                     what="the first frames")

    def wait_until_still(self, window, region=BELOW_FRAME_RATE, timeout=20):
        """Waits until two screenshots in a row agree in `region`: the view has stopped moving."""
        shots = [self.screenshot(window)]

        def still():
            shots.append(self.screenshot(window))
            return shots[-1] if not differs(shots[-2], shots[-1], region, at_least=1) else None
        return self.wait_until(still, timeout, "the view to stand still", interval=0.3)

    def wait_for_picture(self, window, condition, timeout=30, what="the picture"):
        """The first screenshot that meets `condition`. When none does in time, the last one is
        kept (in VIEWER_LOG_DIR, or else the build folder) and named in the error."""
        shots = []

        def met():
            shots[:] = [self.screenshot(window)]
            return shots[0] if condition(shots[0]) else None

        def keep_last():
            if not shots:
                return ""
            folder = Path(os.environ.get("VIEWER_LOG_DIR", build_dir() / "e2e-timeouts"))
            folder.mkdir(parents=True, exist_ok=True)
            kept = folder / f"timeout-{time.time_ns()}.png"
            shots[0].save(kept)
            return f"; the last picture is {kept}"
        return self.wait_until(met, timeout, what, interval=0.5, on_timeout=keep_last)


def stage_scene(without=(), test=None):
    """A fresh working directory holding the sample data, less the relative paths in `without`;
    removed when `test` ends, if given."""
    workdir = Path(tempfile.mkdtemp(prefix="viewer-e2e-"))
    if test:
        test.addCleanup(shutil.rmtree, workdir, ignore_errors=True)
    shutil.copytree(SAMPLE_DATA, workdir / "objektumok")
    for relative in without:
        (workdir / relative).unlink()
    return workdir
