"""The pictures the end-to-end tests take of the viewer: screenshots, the places in them that
the tests name (the frame-rate read-out, the console's lines), and reading their text back."""

import difflib
import re
import subprocess
import tempfile
from pathlib import Path

SKY = (100, 200, 255)
SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768   # each test's virtual display
BELOW_FRAME_RATE = (0, 40, None, None)   # all of the picture but the changing read-out
FRAME_RATE_TEXT = (0, 0, 150, 30)


class Screenshot:
    """An RGB picture of part of the screen; pixel() takes coordinates within it. The viewer
    stretches one picture over whatever client area the system gives its window, so a place in
    the scene is best named by fractions of the width and height (at(), box())."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    def at(self, fx, fy):
        """The pixel at fractions (fx, fy) of the width and height."""
        return self.pixel(round(fx * (self.width - 1)), round(fy * (self.height - 1)))

    def box(self, fx0, fy0, fx1, fy1):
        """The region (x0, y0, x1, y1) that spans these fractions of the width and height."""
        return (round(fx0 * self.width), round(fy0 * self.height), round(fx1 * self.width), round(fy1 * self.height))

    def region_mean(self, x0, y0, x1, y1):
        total, count = [0, 0, 0], 0
        for y in range(y0, y1):
            for x in range(x0, x1):
                for c, v in enumerate(self.pixel(x, y)):
                    total[c] += v
                count += 1
        return tuple(t / count for t in total)

    def differing_pixels(self, other, enough=None):
        """How many pixels differ from `other`'s, counted no further than `enough` when given: the
        waits compare pictures several times a second, on machines that may be busy."""
        if self.rgb == other.rgb:
            return 0
        count = 0
        for i in range(0, len(self.rgb), 3):
            if self.rgb[i:i + 3] != other.rgb[i:i + 3]:
                count += 1
                if count == enough:
                    break
        return count

    def crop(self, x0, y0, x1, y1):
        """Region (x0, y0, x1, y1); None as x1 or y1 reaches the right or bottom edge."""
        x1 = self.width if x1 is None else min(x1, self.width)
        y1 = self.height if y1 is None else min(y1, self.height)
        rows = [self.rgb[3 * (y * self.width + x0):3 * (y * self.width + x1)] for y in range(y0, y1)]
        return Screenshot(x1 - x0, y1 - y0, b"".join(rows))

    def text_mask(self, darkest=None):
        """Black where the text is, white elsewhere. With `darkest`, text is whatever is darker
        than it in every channel; without it, whatever is much darker than the brightest pixel
        near it, which finds the black text over sky, grass and walls alike."""
        if darkest is not None:
            return bytes(0 if max(self.rgb[i:i + 3]) < darkest else 255 for i in range(0, len(self.rgb), 3))
        grey = [(r * 299 + g * 587 + b * 114) // 1000
                for r, g, b in zip(self.rgb[0::3], self.rgb[1::3], self.rgb[2::3])]
        around = local_maximum(grey, self.width, self.height, radius=3)
        return bytes(0 if g < 0.6 * a else 255 for g, a in zip(grey, around))

    def read_text(self, darkest=None, alphabet=None, single_line=False):
        """The dark text in the picture, read back with OCR (Hungarian letters included)."""
        image = f"P5 {self.width} {self.height} 255\n".encode() + self.text_mask(darkest)
        with tempfile.TemporaryDirectory() as folder:
            upscaled = Path(folder) / "text.png"
            subprocess.run(["convert", "pgm:-", "-bordercolor", "white", "-border", "10", "-resize", "300%",
                            str(upscaled)], input=image, check=True)
            limit = ["-c", f"tessedit_char_whitelist={alphabet}"] if alphabet else []
            layout = "7" if single_line else "6"
            return subprocess.run(["tesseract", str(upscaled), "-", "-l", "hun", "--psm", layout, *limit],
                                  capture_output=True, text=True, check=True, timeout=60).stdout.strip()

    def save(self, path):
        header = f"P6 {self.width} {self.height} 255\n".encode()
        subprocess.run(["convert", "ppm:-", str(path)], input=header + self.rgb, check=True)


def local_maximum(values, width, height, radius):
    """Each value replaced by the largest within `radius` of it, row and column alike."""
    rows = [max(values[y * width + max(0, x - radius):y * width + min(width, x + radius + 1)])
            for y in range(height) for x in range(width)]
    return [max(rows[max(0, y - radius) * width + x:min(height, y + radius + 1) * width:width])
            for y in range(height) for x in range(width)]


def parse_ppm(data):
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height, maxval = (int(g) for g in match.groups())
    assert maxval == 255, "expected 8 bits a channel"
    return Screenshot(width, height, data[match.end():match.end() + 3 * width * height])


def frame_rate(shot):
    """The figure the frame-rate read-out shows, or None where it can't be read."""
    text = shot.crop(*FRAME_RATE_TEXT).read_text(darkest=160, alphabet="fps:0123456789 ")
    match = re.fullmatch(r"fps: (\d+)", text)
    return int(match.group(1)) if match else None


def looks_green(color):
    r, g, b = color
    return g > r + 20 and g > b + 20


def near(color, expected, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(color, expected))


def differs(a, b, region, at_least=50):
    """Whether two pictures differ in at least `at_least` pixels of region (x0, y0, x1, y1)."""
    return a.crop(*region).differing_pixels(b.crop(*region), enough=at_least) >= at_least


def console_line(index):
    """Console line `index` in the client area as (x0, y0, x1, y1), to the right edge whatever
    the client's width: line 0 is the input line, and each older line stands 13 pixels higher."""
    top = 400 - 13 * index
    return (0, top - 2, None, top + 16)


# The picture between the frame-rate read-out and the console's two lowest lines, which the
# runs write to.
SCENE = (0, BELOW_FRAME_RATE[1], None, console_line(1)[1])


def similarity(a, b):
    return difflib.SequenceMatcher(None, a, b).ratio()
