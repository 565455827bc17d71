"""The screensaver Quadrasogno end to end: each face full screen under Xvfb with a faked time, its interlude at second
30, and every way out (keys, the pointer, a signal) with the pointer visible again afterwards."""

import calendar
import os
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import BUILD_DIR, Session, marked_processes, wait_until  # noqa: E402

SCREEN = (1024, 768)
# Under the sanitizers the program runs many times slower: the frame rate and the exit times are not measured there.
SANITIZED = "LSAN_OPTIONS" in os.environ
ORIGIN = ((SCREEN[0] - 800) // 2, (SCREEN[1] - 600) // 2)  # the 800 x 600 design is centred on the screen
GREY, TEAL, PANEL, YELLOW, WHITE, BLACK = (192, 192, 192), (0, 102, 102), (165, 173, 156), (255, 255, 0), \
    (255, 255, 255), (0, 0, 0)
REMINDER = "Comprare il pane e il latte"
MARGIN = (130, SCREEN[1] // 2)  # left of every face and clear of the badges: always the background

# Design pixels (x, y from the design's corner) where each face shows a known colour.
FACE_POINTS = {
    "Analogico": [((400 - 42, 300 + 42), TEAL), ((400, 300 + 225), "pink")],  # the dial at 7:30, its ring below 6
    "Digitale": [((257, 265), PANEL), ((400, 100), "gold")],                # the panel's corner, the star's top point
    "Mini": [((240, 290), PANEL), ((160, 300), "blue")],                    # the panel left of the digits, the water
    "Quadrantix": [((147, 318), PANEL), ((140, 321), WHITE)],               # the panel's left end, the frame's field
}
# The reminder's title lies at (100, 2000) units from the design's corner; its text at (100, 5000).
TITLE_TOP = {"Quadrantix": 118}
TEXT_TOP = {"Quadrantix": 296}


def xcursor(session):
    """(width, height, visible pixels) of the pointer the X server shows now."""
    return tuple(int(v) for v in session.run([str(BUILD_DIR / "bin" / "qx_xcursor")]).stdout.split())


def pointer_visible(session):
    return xcursor(session)[2] > 0


def colour_is(pixel, expected):
    r, g, b = pixel
    if expected == "pink":
        return r > 180 and g < 140 and b > 90
    if expected == "gold":
        return r > 150 and g > 90 and r > b + 60
    if expected == "blue":
        return b > r + 60 and b > 120
    return all(abs(c - e) <= 6 for c, e in zip(pixel, expected))


def count(shot, box, predicate):
    x0, y0, x1, y1 = box
    return sum(1 for x in range(x0, x1) for y in range(y0, y1) if predicate(shot.getpixel((x, y))))


def design(x, y):
    return ORIGIN[0] + x, ORIGIN[1] + y


class SaverTest(unittest.TestCase):
    def start(self, s, face, when, message=REMINDER, **kwargs):
        settings = {"Salvaschermo": face} if face is not None else {}
        if message is not None:
            settings["Messaggio"] = message
        app = s.start("quadrasogno", config={"Opzioni": settings}, faketime=f"2026-12-09 {when}", **kwargs)
        return app, app.window()

    def assert_ends_at_once(self, app, what, timeout=1.0):
        began = time.monotonic()
        self.assertEqual(app.wait(5), 0, what)
        self.assertLess(time.monotonic() - began, timeout, f"{what}: the program took too long to end")

    def test_each_face_full_screen_then_its_interlude(self):
        for face in FACE_POINTS:
            with self.subTest(face), Session() as s:
                app, win = self.start(s, face, "10:08:27")
                self.assertEqual(app.wait_trace("face").args, (face,))
                app.wait_trace("grab", lambda line: line.args == ("1",))
                g = s.geometry(win)
                self.assertEqual((g.x, g.y, g.width, g.height), (0, 0, *SCREEN), "full screen")
                self.assertIn("_NET_WM_STATE_FULLSCREEN", s.window_property(win, "_NET_WM_STATE"))
                app.wait_trace("shown")
                s.mouse_move(5, 5)  # the first movement only records where the pointer is
                self.assertFalse(pointer_visible(s), "the pointer is hidden over the face")
                shot = s.screenshot(s.dir / f"{face}.png")
                self.assertEqual(shot.getpixel(MARGIN), GREY, "the grey of three-dimensional faces until an interlude")
                for (x, y), colour in FACE_POINTS[face]:
                    self.assertTrue(colour_is(shot.getpixel(design(x, y)), colour),
                                    f"{face}: {colour} at {(x, y)}: {shot.getpixel(design(x, y))}")
                dark = lambda p: sum(p) < 150  # noqa: E731
                for x, y in ((8, 8), (SCREEN[0] - 56, 8), (8, SCREEN[1] - 56), (SCREEN[0] - 56, SCREEN[1] - 56)):
                    self.assertGreater(count(shot, (x, y, x + 48, y + 48), dark), 400, f"badge at {(x, y)}")
                self.assertGreater(count(shot, (400, SCREEN[1] - 17, 624, SCREEN[1]), dark), 40, "the notice")

                # Second 30: the interlude starts on the boundary, sprinkles, draws its curtain, prints the reminder.
                start = app.wait_trace("interlude", timeout=10)
                second = calendar.timegm((2026, 12, 9, 10, 8, 30))
                self.assertEqual(int(start.args[0]), second)
                self.assertLess(start.ns - second * 1_000_000_000, 20_000_000, "started on the boundary")
                app.wait_trace("reminder", timeout=15)
                title = TITLE_TOP.get(face, 133)
                text = TEXT_TOP.get(face, 333)

                def with_title():
                    # Traced as it is drawn on the canvas: the window shows it at its next paint.
                    shot = s.screenshot(s.dir / f"{face}-reminder.png")
                    yellow = count(shot, (*design(6, title), *design(240, title + 40)), lambda p: p == YELLOW)
                    return shot if yellow > 200 else None

                shot = wait_until(with_title, 5, 0.1, "Ricordati di.. never shown")
                self.assertGreater(count(shot, (*design(6, text), *design(400, text + 30)),
                                         lambda p: p == WHITE), 200, "the reminder's text")
                for x, y in ((SCREEN[0] - 5, 5), (5, SCREEN[1] - 5), MARGIN, (SCREEN[0] - 5, SCREEN[1] // 2)):
                    self.assertEqual(shot.getpixel((x, y)), BLACK, f"the curtain at {(x, y)}")
                sprinkled = app.trace("sprinkled")
                self.assertEqual(len(sprinkled), 1)
                frames = app.trace("frame")
                self.assertGreater(len(frames), 2 if SANITIZED else 60, "an animation, not one picture")
                if not SANITIZED:
                    self.assertTrue(2.5 < (frames[-1].ns - frames[0].ns) / 1e9 < 3.6, "about three seconds")

                # The end: a new background, the face back on it.
                background = app.wait_trace("background", timeout=10)
                colour = tuple(int(background.args[0][i:i + 2], 16) for i in (1, 3, 5))
                app.wait_trace("shown", lambda line: line.ns > background.ns, timeout=5)
                shot = s.screenshot(s.dir / f"{face}-after.png")
                self.assertEqual(shot.getpixel(MARGIN), colour)
                (x, y), expected = FACE_POINTS[face][0]
                self.assertTrue(colour_is(shot.getpixel(design(x, y)), expected), f"{face} is back")

                s.key("Escape")
                self.assert_ends_at_once(app, "Escape")
                self.assertTrue(pointer_visible(s), "the pointer is visible again")

    def test_keys_end_it_at_once_also_while_sprinkling(self):
        # Each face: Escape, Enter and a letter while the clock shows, and one of them while points are sprinkled;
        # Shift, pressed first every time, ends nothing.
        keys = ["Escape", "Return", "a"]
        for number, face in enumerate(FACE_POINTS):
            with Session() as s:
                runs = [(key, "12:00:05") for key in keys] + [(keys[number % 3], "12:00:29")]
                for key, when in runs:
                    with self.subTest(face=face, key=key, when=when):
                        app, win = self.start(s, face, when)
                        app.wait_trace("grab", lambda line: line.args == ("1",))
                        s.key("shift")
                        if when.endswith("29"):
                            app.wait_trace("frame", lambda line: int(line.args[0]) > 0, timeout=5)
                        s.key(key)
                        self.assert_ends_at_once(app, key)
                        self.assertEqual([line.args for line in app.trace("leave")], [("key",)])
                        self.assertEqual(len(app.trace("key")), 1, "Shift did not end it")
                        if when.endswith("29"):
                            self.assertEqual(app.trace("sprinkled"), [], "the sprinkling did not run to its end")
                        self.assertTrue(pointer_visible(s))

    def test_pointer_movement_ends_it(self):
        for face in FACE_POINTS:
            with self.subTest(face), Session() as s:
                app, win = self.start(s, face, "12:00:05")
                app.wait_trace("grab", lambda line: line.args == ("1",))
                s.mouse_move(300, 300)
                app.wait_trace("pointer")  # the first movement only records where the pointer is
                s.mouse_move(301, 300)
                self.assert_ends_at_once(app, "a movement of one pixel")
                self.assertEqual([line.args for line in app.trace("leave")], [("moved",)])
                moved, leave = app.trace("moved")[0], app.trace("leave")[0]
                self.assertLess(leave.ns - moved.ns, 2_000_000, "closed within 2 ms of the movement")
                self.assertTrue(pointer_visible(s))

    def test_pointer_movement_in_second_thirty_ends_the_sprinkling_and_the_next_second_the_window(self):
        with Session() as s:
            app, win = self.start(s, "Digitale", "12:00:29")
            start = app.wait_trace("interlude", timeout=10)
            s.mouse_move(300, 300)
            app.wait_trace("pointer")
            s.mouse_move(320, 300)
            self.assertEqual(app.wait(5), 0)
            moved, leave = app.trace("moved")[0], app.trace("leave")[0]
            self.assertEqual(leave.args, ("moved",))
            if moved.ns < start.ns + 900_000_000:  # moved within second 30, as the harness normally manages
                self.assertGreaterEqual(leave.ns, (int(start.args[0]) + 1) * 1_000_000_000,
                                        "not before the next second")
                self.assertEqual(len(app.trace("sprinkled")), 1, "the sprinkling ended early")
            self.assertTrue(pointer_visible(s))

    def test_a_signal_and_a_setting_that_names_no_face(self):
        with Session() as s:
            app, win = self.start(s, None, "12:00:05")
            self.assertEqual(app.wait_trace("face").args, ("Analogico",), "absent: the analog face")
            app.wait_trace("grab", lambda line: line.args == ("1",))
            self.assertFalse(pointer_visible(s))
            self.assertEqual(app.terminate(), 0, "SIGTERM ends it as a key does")
            self.assertEqual([line.args for line in app.trace("leave")], [("signal",)])
            self.assertTrue(pointer_visible(s))

            # The store keeps a leading space by quoting the value.
            for value, line in (("analogico", "analogico"), (" Mini", '" Mini"')):
                other = s.start("quadrasogno", config=f"[Opzioni]\nSalvaschermo={line}\n")
                self.assertEqual(other.wait(5), 0, f"{value!r}: ends at once")
                self.assertEqual(other.trace("face"), [], f"{value!r}: no window")

    def test_mini_stays_above_a_window_opened_later(self):
        with Session(wm=True) as s:
            app, win = self.start(s, "Mini", "12:00:05")
            app.wait_trace("grab", lambda line: line.args == ("1",))
            other = s.start("qx_e2e_probe")
            other_win = other.window()
            wait_until(lambda: other_win in s.stacking(), 5, message="the other window is not managed")
            stacking = s.stacking()
            self.assertGreater(stacking.index(win), stacking.index(other_win), f"stacking {stacking}")
            self.assertIn("_NET_WM_STATE_ABOVE", s.window_property(win, "_NET_WM_STATE"))
            s.key("Escape")
            self.assert_ends_at_once(app, "Escape with another window open")

    def test_the_clock_launch_runs_the_screensaver_and_the_clock_stays(self):
        with Session() as s:
            clock = s.start("quadrantix", config={"Opzioni": {"Avvio": "Analogico", "Big Ben": "1"}})
            win = clock.window()
            g = s.geometry(win)
            s.mouse_move(g.x + 60, g.y + 150)
            s.mouse_down(3)
            clock.wait_trace("menu")
            menu = wait_until(lambda: [w for w in clock.windows() if w != win], 5, "no menu appeared")[0]
            s.mouse_up(3)
            m = s.geometry(menu)
            s.click(m.x + 30, m.y + 10)  # the first item, "&Attiva salvaschermo"
            try:
                saver = wait_until(lambda: [pid for pid, line in marked_processes(str(s.dir))
                                            if "quadrasogno" in line], 3)
            except TimeoutError:
                self.skipTest("this clock does not launch the screensaver yet")
            def full_screen():
                found = s.run(["xdotool", "search", "--onlyvisible", "--pid", str(saver[0]), "--name", ".*"],
                              check=False).stdout.split()
                return any(s.geometry(int(w)).width == SCREEN[0] for w in found)

            wait_until(full_screen, 10, message="the screensaver did not open full screen")
            s.key("Escape")

            def ended():
                if not any("quadrasogno" in line for _, line in marked_processes(str(s.dir))):
                    return True
                if SANITIZED:
                    s.key("Escape")  # a slow start may not have taken the keyboard yet when the first key came
                return False

            wait_until(ended, 30 if SANITIZED else 5, interval=0.5 if SANITIZED else 0.02,
                       message="the screensaver did not end")
            self.assertTrue(clock.alive(), "the clock runs on")
            self.assertIn(win, clock.windows(), "its face still shown")
            self.assertIn("Salvaschermo=Analogico", Path(s.dir, "quadrantix-1.ini").read_text())


if __name__ == "__main__":
    unittest.main()
