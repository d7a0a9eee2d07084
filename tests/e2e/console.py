"""The viewer's console as a person works it: Enter opens it, the typed text shows on the input
line, Enter again runs the line. A person who sees that a key did nothing presses it again, and
so does this: a loaded machine can draw frames further apart than a key is held, and the viewer,
which reads the keys once a frame, then never sees the press."""

import sys
import time

from pictures import BELOW_FRAME_RATE, SCREEN_HEIGHT, SCREEN_WIDTH, console_line, differs, similarity

MISSING_MESH_CAPTION = "Nem találom az x filet!"
MISSING_TEXTURE_CAPTION = "Nincs meg a textúra file! :("
LOADED_TEXT = " nevű modell sikeresen betöltve."
NOT_LOADED_TEXT = " nevű modell nem létezik, hibás, vagy egyéb okból nem tölthető be!!"

PROMPT = (0, 398, 24, 416)   # the start of the input line, where the prompt stands
# How long Enter is held, press after press, and how long each press may take to show.
ENTER_HOLDS = (0.2, 0.6, 1.5)
ENTER_WAIT = 6
TYPINGS = 3                  # a line that does not show is cleared and typed again, this often
BACKSPACE_WAIT = 3


def say(what):
    """A try that didn't take, in the test's output: a run that passes after one still tells."""
    print(f"console: {what}", file=sys.stderr, flush=True)


class Console:
    def __init__(self, viewer, window):
        self.viewer, self.window = viewer, window

    def open(self):
        """Opens the console and returns the picture: it stands still from now on, but for the
        frame rate, since an open console freezes the cameras. Open is a picture that stands
        still and shows the prompt: a moving camera changes the picture too."""
        closed = self.viewer.screenshot(self.window)
        return self.press_enter_until(self.still_and(lambda shot: differs(closed, shot, PROMPT, at_least=5)),
                                      "the console's prompt")

    def close_empty(self, opened):
        """Runs the empty line that the console was opened with, which closes it."""
        self.press_enter_until(self.picture_that(lambda shot: differs(opened, shot, PROMPT, at_least=5)),
                               "the console to close")

    def turn_view(self, counts, step=100, down=False):
        """Turns the view by `counts` of mouse motion to the right (left when negative), or with
        `down` downwards (up when negative), wherever the pointer starts. Wine 8 keeps the pointer
        of an acquired mouse in the window; Wine 10 leaves it free, and the screen's edge would
        swallow motion. So whenever the next step could reach the edge, the pointer is put back in
        the middle while the console is open, which holds the cameras still, and an empty line
        closes the console again."""
        step = step if counts > 0 else -step
        axis, size = (1, SCREEN_HEIGHT) if down else (0, SCREEN_WIDTH)
        for _ in range(abs(counts) // abs(step)):
            if not 0 < self.viewer.pointer()[axis] + step < size - 1:
                opened = self.open()
                self.viewer.xdotool("mousemove", SCREEN_WIDTH // 2, SCREEN_HEIGHT // 2)
                time.sleep(0.3)
                self.close_empty(opened)
            self.viewer.move_mouse(*((0, step) if down else (step, 0)))

    def type(self, text, opened, timeout=10):
        """Types after the prompt and returns the picture once the text shows on the input line.
        A line that doesn't show within the timeout (keys lost, or only some of them) is cleared
        with Backspace and typed again; a viewer that has not drawn it after the last try has
        stopped responding."""
        shows = self.still_and(lambda shot: self.input_line_reads(shot, text, opened))
        for _ in range(TYPINGS - 1):
            self.viewer.type_text(self.window, text)
            shot = self.viewer.within(shows, timeout)
            if shot:
                return shot
            say(f"{text!r} did not show on the input line within {timeout} s: cleared, typed again")
            self.clear(opened)
        self.viewer.type_text(self.window, text)
        return self.viewer.wait_until(shows, timeout, f"{text!r} on the input line (typed {TYPINGS} times)")

    def run(self, text):
        opened = self.open()
        self.submit(self.type(text, opened))

    def submit(self, typed):
        """Presses Enter to run the typed line, again while nothing shows that the viewer took it:
        the line gone from the input line, a box of the loader's, or the viewer ending."""
        def taken():
            if not self.viewer.geometry(self.window):
                return True
            if any(self.viewer.find_window(caption) for caption in (MISSING_MESH_CAPTION, MISSING_TEXTURE_CAPTION)):
                return True
            return differs(typed, self.viewer.screenshot(self.window), console_line(0), at_least=20)
        self.press_enter_until(taken, "the typed line to run", ending_meets=True)

    def press_enter_until(self, shown, what, ending_meets=False):
        """Presses Enter until `shown()` gives something, held longer each time it doesn't within
        ENTER_WAIT; returns what it gave. With `ending_meets`, the viewer's end will do."""
        for hold in ENTER_HOLDS[:-1]:
            self.viewer.hold_key(self.window, "Return", hold)
            result = self.viewer.within(shown, ENTER_WAIT, ending_meets=ending_meets)
            if result:
                return result
            say(f"no sign of {what} within {ENTER_WAIT} s: Enter pressed again")
        self.viewer.hold_key(self.window, "Return", ENTER_HOLDS[-1])
        return self.viewer.wait_until(shown, ENTER_WAIT, f"{what} (Enter pressed {len(ENTER_HOLDS)} times)",
                                      ending_meets=ending_meets)

    def clear(self, opened, timeout=60):
        """Deletes the input line back to the prompt, a Backspace at a time, each once the one
        before it has shown: one too many scolds (">Balfasz!!") rather than stopping at the prompt,
        and takes nine more."""
        deadline = time.monotonic() + timeout
        line = self.viewer.screenshot(self.window)
        while differs(opened, line, console_line(0), at_least=1):
            if time.monotonic() > deadline:
                raise TimeoutError(f"timed out after {timeout} s clearing the input line{self.viewer.output_end()}")
            self.viewer.hold_key(self.window, "BackSpace", 0.05)
            changed = self.picture_that(lambda shot, before=line: differs(before, shot, console_line(0), at_least=1))
            line = self.viewer.within(changed, BACKSPACE_WAIT) or self.viewer.screenshot(self.window)

    def input_line_reads(self, shot, text, opened):
        """Whether the input line shows `text` after the prompt: more than the prompt alone, and
        read back near enough that OCR's slips can't hide a line of which only a part arrived.
        OCR reads the prompt and what stands next to it as anything, so its reading is compared
        from the end, as far as the text reaches."""
        if not differs(opened, shot, console_line(0), at_least=20):
            return False
        return similarity(self.line_text(shot, 0, len(text) + 1)[-len(text):], text) >= 0.7

    def picture_that(self, condition):
        """A check for `press_enter_until` and the viewer's waits: the window's picture when it
        meets `condition`."""
        def check():
            shot = self.viewer.screenshot(self.window)
            return shot if condition(shot) else None
        return check

    def still_and(self, condition):
        """As picture_that, for a picture that also stands still: the same as the one before it,
        but for the frame rate."""
        last = []

        def check():
            shot = self.viewer.screenshot(self.window)
            still = last and not differs(last[0], shot, BELOW_FRAME_RATE, at_least=1)
            last[:] = [shot]
            return shot if still and condition(shot) else None
        return check

    def line_text(self, shot, index, characters=None):
        """What line `index` of the picture reads, as far right as `characters` of text reach when
        given: the scene beyond the text only gives OCR noise to read."""
        x0, y0, x1, y1 = console_line(index)
        if characters:
            x1 = x0 + 20 + 8 * characters   # the crop stops at the picture's edge
        return shot.crop(x0, y0, x1, y1).read_text(single_line=True)

    def read_line(self, index, characters=None):
        return self.line_text(self.viewer.screenshot(self.window), index, characters)

    def wait_for_line(self, index, expected, others=(), timeout=20):
        """Waits until line `index` reads as `expected`: nearer to it than to any of `others`, and
        near enough that OCR's slips (a backslash read as a letter) can't hide another text."""
        def read_as_expected():
            text = self.read_line(index, characters=max(map(len, [expected, *others])))
            nearest = max([expected, *others], key=lambda candidate: similarity(text, candidate))
            return text if nearest == expected and similarity(text, expected) >= 0.7 else None
        return self.viewer.wait_until(read_as_expected, timeout, f"{expected!r} on console line {index}",
                                      interval=0.3)
