"""The large digital face "Quadrantix" end to end: the real clock under Xvfb, with a faked time of day."""

import calendar
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, wait_until  # noqa: E402

LARGE = {"Opzioni": {"Avvio": "Quadrantix", "Big Ben": "1", "Allarme": "0"}}
PICTURE_TOP = 56  # the face picture starts under the toolbar
LARGE_CELLS = [88, 152, 232, 296, 376, 440]  # left edges; all 59 px high from y 88 of the window
SMALL_CELLS = [512, 544]  # 25 x 28 px from y 120
CELL_TOP = 88
# Middle of each segment of a large digit picture, from its top-left corner (the 1 is narrower and not used here).
SEGMENTS = {"a": (28, 4), "b": (45, 16), "c": (43, 41), "d": (24, 54), "e": (6, 41), "f": (8, 16), "g": (26, 28)}
LIT = {"0": "abcdef", "2": "abdeg", "3": "abcdg", "4": "bcfg", "5": "acdfg", "6": "acdefg", "8": "abcdefg",
       "9": "abcdfg"}


def button_centre(g, number):
    """Centre of toolbar button `number` (1..12): twelve equal buttons across the 662 px window."""
    return g.x + (number - 1) * 55 + 27, g.y + 28


def dark(pixel):
    return sum(pixel) < 330  # the ink of a lit segment; unlit ghosts stay close to the panel's (165, 173, 156)


class LargeFaceTest(unittest.TestCase):
    def open_face(self, s, **start):
        app = s.start("quadrantix", **start)
        app.wait_trace("mapped", lambda line: line.args == ("Digitale",))
        win = app.window(name="^Quadrantix$")
        return app, win, s.geometry(win)

    def choose_mode(self, s, app, g, key):
        s.click(*button_centre(g, 1))
        menu = app.wait_trace("menu")
        self.assertEqual(" ".join(menu.args).split("|"),
                         ["&Cronometro", "&Conto alla rovescia", "&Ora corrente", "&Timer esecuzione Windows",
                          "&Quanti secondi mancano al terzo millennio?"])
        wait_until(lambda: len(app.windows()) >= 2, 5, message="the mode menu did not appear")
        s.key(key)

    def test_fresh_store_opens_this_face_centred_and_shaped(self):
        with Session() as s:
            app, win, g = self.open_face(s)  # no settings file at all
            self.assertEqual(app.wait_trace("face").args, ("Quadrantix",))
            self.assertEqual((g.width, g.height), (662, 263))
            self.assertEqual((g.x, g.y), ((1024 - 666) // 2 + 2, (768 - 288) // 2 + 23), "centred as if framed")
            rects = s.shape_rects(win)
            self.assertEqual(min(r[0] for r in rects), 0)
            self.assertEqual(min(r[1] for r in rects), 0)
            self.assertEqual(max(r[0] + r[2] for r in rects), 662)
            self.assertEqual(max(r[1] + r[3] for r in rects), 194, "the toolbar and the face picture only")
            self.assertEqual(sum(w * h for _, _, w, h in rects), 662 * 194, f"one full rectangle: {rects}")
            self.assertTrue(s.settings_path().exists(), "first-run values written")

    def test_current_time_in_digit_pictures_and_italian_date(self):
        # Time runs ten times slower, so the face shows 09:05:03 for ten real seconds.
        with Session(env={"LANG": "it_IT.UTF-8"}) as s:
            app, win, g = self.open_face(s, config=LARGE, faketime="2026-12-09 09:05:02 x0.1")
            self.choose_mode(s, app, g, "o")
            labels = app.wait_trace("labels")
            self.assertEqual(" ".join(labels.args).split("|"), ["mercoledì", "09 dicembre", "2026"])
            second = calendar.timegm((2026, 12, 9, 9, 5, 3))
            app.wait_trace("shown", lambda line: int(line.args[0]) >= second, timeout=20)
            shot = s.screenshot(s.dir / "time.png")

            def at(x, y):
                return shot.getpixel((g.x + x, g.y + y))

            for digit, left in zip("090503", LARGE_CELLS):
                for segment, (dx, dy) in SEGMENTS.items():
                    self.assertEqual(dark(at(left + dx, CELL_TOP + dy)), segment in LIT[digit],
                                     f"digit {digit} at x {left}: segment {segment} {at(left + dx, CELL_TOP + dy)}")
            # The weekday, date and year labels are drawn at the right of the panel, where the hidden small cells lie.
            for top in (96, 112, 128):
                self.assertTrue(any(dark(at(x, top + y)) for x in range(504, 569) for y in range(13)), f"label {top}")
            self.assertTrue(app.alive())

    def test_millennium_blanks_leading_zeros(self):
        with Session() as s:
            app, win, g = self.open_face(s, config=LARGE, faketime="2000-12-31 23:58:59 x0.1")
            self.choose_mode(s, app, g, "q")
            second = calendar.timegm((2000, 12, 31, 23, 59, 0))
            app.wait_trace("shown", lambda line: int(line.args[0]) >= second, timeout=20)
            shot = s.screenshot(s.dir / "millennium.png")

            def ink(left, top, width, height):
                return sum(dark(shot.getpixel((g.x + left + x, g.y + top + y))) for x in range(width)
                           for y in range(height))

            for left in LARGE_CELLS:
                self.assertEqual(ink(left, CELL_TOP, 53, 59), 0, f"large cell at {left} blank with 60 s left")
            for left in SMALL_CELLS:
                self.assertGreater(ink(left, 120, 25, 28), 20, f"small cell at {left} shows its digit")
            for x in (216, 360):
                self.assertEqual(ink(x - 2, CELL_TOP, 5, 56), 0, "no colons in this mode")

    def test_buttons_switch_to_the_other_faces_and_exit(self):
        with Session() as s:
            app, win, g = self.open_face(s, config=LARGE)

            def faces():
                return [line.args[0] for line in app.trace("face")]

            # Buttons 8 and 9 open the faces "Digitale" and "Mini"; their menus come back with "&Quadrantix".
            for step, (number, face, size) in enumerate(((8, "Digitale", (195, 200)), (9, "Mini", (97, 152)))):
                large = app.window(name="^Quadrantix$")
                g = s.geometry(large)
                s.click(*button_centre(g, number))
                wait_until(lambda: faces()[-1:] == [face], 5, message=f"button {number} did not show {face}")
                small = app.window(name="^Form1$")
                wait_until(lambda: (s.geometry(small).width, s.geometry(small).height) == size, 5)
                wait_until(lambda: not app.windows("^Quadrantix$"), 5, message="the large face did not close")
                f = s.geometry(small)
                s.context_menu(app, f.x + f.width // 2, f.y + 30 + step, "q")
                wait_until(lambda: faces()[-1:] == ["Quadrantix"], 5, message=f"{face}: back to the large face")

            g = s.geometry(app.window(name="^Quadrantix$"))
            s.click(*button_centre(g, 7))
            wait_until(lambda: faces()[-1:] == ["Analogico"], 5, message="button 7 did not show the analog face")
            self.assertEqual(faces(), ["Quadrantix", "Digitale", "Quadrantix", "Mini", "Quadrantix", "Analogico"])
            wait_until(lambda: not app.windows("^Quadrantix$") or s.geometry(app.window()).width != 662, 5,
                       message="the large face did not close")
            self.assertEqual(s.geometry(app.window()).width, 218, "the analog window is on show")

        with Session() as s:
            app, win, g = self.open_face(s, config=LARGE)
            s.click(*button_centre(g, 12))
            app.wait_trace("mapped", lambda line: line.args == ("fine",), timeout=5)
            self.assertEqual(app.wait(10), 0, "button 12 ends the program through the closing splash")

    def test_dragging_the_face_picture_moves_the_window(self):
        with Session() as s:
            app, win, g = self.open_face(s, config=LARGE)
            s.drag(g.x + 40, g.y + PICTURE_TOP + 100, g.x + 10, g.y + PICTURE_TOP + 60, button=2)
            wait_until(lambda: (s.geometry(win).x, s.geometry(win).y) == (g.x - 30, g.y - 40), 5,
                       message="the window did not follow the drag")


if __name__ == "__main__":
    unittest.main()
