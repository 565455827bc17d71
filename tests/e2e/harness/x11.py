"""The session's X display: window geometry and shapes, screenshots, the pointer and the keyboard."""

import math
import subprocess
from dataclasses import dataclass
from pathlib import Path

from .processes import BUILD_DIR, HarnessError, _die_with_parent, wait_until


@dataclass(frozen=True)
class Geometry:
    x: int
    y: int
    width: int
    height: int

    def center(self):
        return self.x + self.width // 2, self.y + self.height // 2


def row_spans(rects):
    """{row: (first x, end x)} of a shape given as rectangles (x, y, w, h); gaps inside a row are ignored."""
    rows = {}
    for x, y, w, h in rects:
        for row in range(y, y + h):
            lo, hi = rows.get(row, (x, x + w))
            rows[row] = (min(lo, x), max(hi, x + w))
    return rows


def ellipse_deviation(rects, width, height):
    """Largest distance in pixels between the outline of a shape and the ellipse inscribed in (0, 0, width, height).

    Each row's span ends are measured against the curve (first-order distance), and rows missing at the top or
    bottom count as vertical distance. Qt's own QRegion::Ellipse lies up to about 1.2 px inside the ideal curve."""
    rows = row_spans(rects)
    if not rows:
        return math.inf
    a, b = width / 2, height / 2

    def distance(x, y):
        dx, dy = x - a, y - b
        f = (dx / a) ** 2 + (dy / b) ** 2 - 1
        gradient = math.hypot(2 * dx / a**2, 2 * dy / b**2)
        return abs(f) / gradient if gradient else math.inf

    worst = max(min(rows), height - 1 - max(rows))
    for row, (lo, hi) in rows.items():
        worst = max(worst, distance(lo, row + 0.5), distance(hi, row + 0.5))
    return worst


class X11Display:
    """What a Session does on its X display: helper commands, pictures, windows, the pointer and the keyboard."""

    def run(self, argv, check=True, timeout=20.0):
        """Runs a helper command on this session's display and bus; returns CompletedProcess (text)."""
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout,
                                stdin=subprocess.DEVNULL, preexec_fn=_die_with_parent())
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(map(str, argv))} failed ({result.returncode}): {result.stderr.strip()}")
        return result

    def xdotool(self, *args):
        return self.run(["xdotool", *map(str, args)]).stdout

    def screenshot(self, path=None):
        """The whole screen as a PIL image (RGB); also saved to `path` when given."""
        from PIL import Image  # python3-pil; imported here so that the benchmark does not need it

        target = Path(path) if path else self.dir / "screen.png"
        self.run(["import", "-window", "root", str(target)])
        with Image.open(target) as image:
            return image.convert("RGB")

    def pixel(self, x, y):
        """(r, g, b) of one screen pixel, from a fresh screenshot."""
        return self.screenshot().getpixel((x, y))

    def geometry(self, window):
        """Position on the screen and size of a window's own area (without a window manager's frame)."""
        values = {}
        for line in self.run(["xwininfo", "-id", str(window)]).stdout.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return Geometry(int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                        int(values["Width"]), int(values["Height"]))

    def shape_rects(self, window):
        """The window's X11 bounding shape as [(x, y, w, h)] relative to the window (its whole area if unshaped)."""
        out = self.run([str(BUILD_DIR / "bin" / "qx_xshape"), str(window)]).stdout
        return [tuple(int(v) for v in line.split()) for line in out.splitlines() if line.strip()]

    def window_name(self, window):
        return self.xdotool("getwindowname", window).rstrip("\n")

    def window_property(self, window, name):
        """xprop's text for one property of a window, e.g. 'WM_CLASS(STRING) = "quadrantix", "quadrantix"'."""
        return self.run(["xprop", "-id", str(window), name]).stdout.strip()

    def stacking(self):
        """Managed windows bottom to top (needs wm=True)."""
        out = self.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"]).stdout
        return [int(word.strip(","), 16) for word in out.split("#", 1)[-1].split() if word.startswith("0x")]

    def mouse_move(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def mouse_down(self, button=1):
        self.xdotool("mousedown", button)

    def mouse_up(self, button=1):
        self.xdotool("mouseup", button)

    def click(self, x, y, button=1, repeat=1):
        self.mouse_move(x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def drag(self, x0, y0, x1, y1, button=1, steps=8):
        """Press at (x0, y0), move in steps, release at (x1, y1)."""
        self.mouse_move(x0, y0)
        self.mouse_down(button)
        for i in range(1, steps + 1):
            self.mouse_move(x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        self.mouse_up(button)

    def context_menu(self, app, x, y, *keys):
        """Right-clicks at (x, y), waits for `app` to trace the pop-up menu it opens, then types `keys` into it."""
        menus = len(app.trace("menu"))
        self.mouse_move(x, y)
        self.xdotool("click", 3)
        wait_until(lambda: len(app.trace("menu")) > menus, 5, message=f"{app.name}: no menu opened at {x}, {y}")
        for key in keys:
            self.key(key)

    def key(self, *keys, window=None):
        """Sends keys (xdotool names: 'Escape', 'ctrl+q', 'F2') to the focused window or to `window`."""
        args = ["key"] + (["--window", str(window)] if window else []) + list(keys)
        self.xdotool(*args)

    def type_text(self, text, window=None):
        args = ["type"] + (["--window", str(window)] if window else []) + ["--delay", "20", "--", text]
        self.xdotool(*args)
