"""The faces "Digitale" (the star, window `Mini`) and "Mini" (the oval, window `Orologino`) end to end: the real
clock under Xvfb with a faked time of day."""

import calendar
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, ellipse_deviation, row_spans, wait_until  # noqa: E402

STAR_FACE = {"Opzioni": {"Avvio": "Digitale", "Big Ben": "1"}}
OVAL_FACE = {"Opzioni": {"Avvio": "Mini", "Big Ben": "1"}}
ITALIAN = {"LANG": "it_IT.UTF-8"}

# The star's corners in the window's own pixels: those of the framed window less the 3-pixel frame and the title bar
# ending 21 pixels down.
STAR = [(97, -1), (132, 64), (197, 99), (132, 134), (97, 199), (62, 134), (-3, 99), (62, 64)]
STAR_DIGITS = [40, 67, 102, 130]  # left edges of the four digit pictures, 25 x 28 from y 86
DIGIT_TOP = 86
# Middle of each segment of a small digit picture, from its top-left corner.
SEGMENTS = {"a": (13, 2), "b": (21, 8), "c": (20, 19), "d": (11, 25), "e": (3, 19), "f": (4, 8), "g": (12, 13)}
LIT = {"0": "abcdef", "2": "abdeg", "3": "abcdg", "5": "acdfg", "9": "abcdfg"}
# The five boxes: (left, top, width, height) in the window; each toggle shows its own.
BOXES = {"Secondi": [(160, 90, 20, 17)], "Giorno": [(78, 42, 40, 17), (64, 62, 67, 16)],
         "Mese e anno": [(65, 120, 67, 15), (77, 138, 40, 17)]}
TOGGLE_KEYS = {"Secondi": "s", "Mese e anno": "m", "Giorno": "g"}
OVAL = (2, 10, 92, 70)  # the ellipse's box in the window's own pixels
PANEL = (165, 173, 156)


def dark(pixel):
    return sum(pixel) < 330  # the ink of a lit segment; unlit ghosts stay close to the panel's colour


def black(pixel):
    return max(pixel) < 40


def star_span(y):
    """The star's first and end x on the row whose middle is y + 0.5, in the window's own pixels."""
    row = y + 0.5
    xs = []
    for (x0, y0), (x1, y1) in zip(STAR, STAR[1:] + STAR[:1]):
        if min(y0, y1) <= row < max(y0, y1):
            xs.append(x0 + (row - y0) * (x1 - x0) / (y1 - y0))
    return (max(min(xs), 0), min(max(xs), 195)) if xs else None


class SmallFacesTest(unittest.TestCase):
    def open_face(self, s, config, title="^Form1$", **start):
        app = s.start("quadrantix", config=config, **start)
        win = app.window(name=title)
        return app, win, s.geometry(win)

    def test_star_shows_the_time_in_digit_pictures_and_has_the_star_shape(self):
        for start, shown in (("09:05:02", "0905"), ("23:59:30", "2359")):
            with self.subTest(shown), Session(env=ITALIAN) as s:
                app, win, g = self.open_face(s, STAR_FACE, faketime=f"2026-12-09 {start}")
                self.assertEqual(app.wait_trace("face").args, ("Digitale",))
                self.assertEqual((g.x, g.y, g.width, g.height), (583, 369, 195, 200), "8745, 5535 twips")
                line = app.wait_trace("shown", lambda l: l.args[1:] == ("Digitale", f"{shown[:2]}:{shown[2:]}"))
                self.assertEqual(time.strftime("%H%M", time.gmtime(int(line.args[0]))), shown)
                shot = s.screenshot(s.dir / f"star-{shown}.png")

                def at(x, y):
                    return shot.getpixel((g.x + x, g.y + y))

                for digit, left in zip(shown, STAR_DIGITS):
                    for segment, (dx, dy) in SEGMENTS.items():
                        self.assertEqual(dark(at(left + dx, DIGIT_TOP + dy)), segment in LIT[digit],
                                         f"digit {digit} at x {left}: segment {segment} {at(left + dx, DIGIT_TOP + dy)}")
                for boxes in BOXES.values():
                    for left, top, _, height in boxes:
                        self.assertFalse(black(at(left + 1, top + height // 2)), "no box when the face opens")

                # The window's shape is the star, row by row; outside it the screen shows through.
                # Where an edge runs nearly across, a row may end anywhere between its neighbours' ends.
                rows = row_spans(s.shape_rects(win))
                for y in range(2, 198):
                    self.assertIn(y, rows, f"row {y} of the star")
                    near = [star_span(r) for r in (y - 1, y, y + 1) if star_span(r)]
                    for end, name in ((0, "starts"), (1, "ends")):
                        ends = [span[end] for span in near]
                        self.assertTrue(min(ends) - 1.5 <= rows[y][end] <= max(ends) + 1.5,
                                        f"row {y} {name} at {rows[y][end]}, not {ends[1]:.1f}")
                self.assertEqual(at(10, 10), (0, 0, 0), "between the points the screen shows")

    def test_star_toggles_in_any_combination_and_reset_after_a_switch(self):
        with Session(env=ITALIAN) as s:
            app, win, g = self.open_face(s, STAR_FACE)
            picture = (g.x + 97, g.y + 40)  # on the star's upper point

            def shown_boxes():
                shot = s.screenshot()
                return {name for name, boxes in BOXES.items()
                        if all(black(shot.getpixel((g.x + x + 1, g.y + y + h // 2))) for x, y, _, h in boxes)}

            expected = set()
            for step, toggle in enumerate(("Secondi", "Giorno", "Mese e anno", "Secondi", "Giorno")):
                # (xdotool waits long for a move to where the pointer already is)
                s.context_menu(app, picture[0], picture[1] + step, "v", TOGGLE_KEYS[toggle])
                expected ^= {toggle}
                wait_until(lambda: shown_boxes() == expected, 5,
                           message=f"after {toggle}: boxes {shown_boxes()}, not {expected}")

            # To the oval face and back: the star opens again with no box.
            s.context_menu(app, picture[0], picture[1] - 1, "m")
            wait_until(lambda: s.geometry(app.window(name="^Form1$")).width == 97, 5, message="the oval did not open")
            oval = app.window(name="^Form1$")
            o = s.geometry(oval)
            s.context_menu(app, o.x + 48, o.y + 30, "d")
            wait_until(lambda: s.geometry(app.window(name="^Form1$")).width == 195, 5, message="the star is back")
            self.assertEqual([line.args[0] for line in app.trace("face")], ["Digitale", "Mini", "Digitale"])
            wait_until(lambda: shown_boxes() == set(), 5, message="the toggles were not reset")

    def test_oval_shows_the_time_seconds_and_the_date_as_tooltip(self):
        # Time runs ten times slower, so that the face shows 09:05:07 for ten real seconds.
        with Session(env=ITALIAN) as s:
            app, win, g = self.open_face(s, OVAL_FACE, faketime="2026-12-09 09:05:06 x0.1")
            self.assertEqual(app.wait_trace("face").args, ("Mini",))
            self.assertEqual((g.x, g.y, g.width, g.height), (639, 491, 97, 152), "9585, 7365 twips")
            second = calendar.timegm((2026, 12, 9, 9, 5, 7))
            line = app.wait_trace("shown", lambda l: int(l.args[0]) == second, timeout=20)
            self.assertEqual(line.args[1:], ("Mini", "09:05", "07"), "hh, the system's separator, mm; ss")
            shot = s.screenshot(s.dir / "oval.png")
            label1 = [shot.getpixel((g.x + x, g.y + y)) for x in range(31, 68) for y in range(26, 42)]
            label2 = [shot.getpixel((g.x + x, g.y + y)) for x in range(40, 57) for y in range(45, 61)]
            for name, pixels in (("hours and minutes", label1), ("seconds", label2)):
                self.assertTrue(any(dark(p) for p in pixels), f"{name} written on the panel")
                self.assertTrue(any(p == PANEL for p in pixels), f"{name} on the panel's colour")

            rects = [(x - OVAL[0], y - OVAL[1], w, h) for x, y, w, h in s.shape_rects(win)]
            self.assertLessEqual(ellipse_deviation(rects, OVAL[2], OVAL[3]), 1.5)
            self.assertEqual(shot.getpixel((g.x + 3, g.y + 12)), (0, 0, 0), "outside the oval the screen shows")
            self.assertEqual(shot.getpixel((g.x + 48, g.y + 120)), (0, 0, 0), "below it too")

            # Resting the pointer on the face shows the date of the opening.
            s.mouse_move(g.x + 20, g.y + 45)
            s.mouse_move(g.x + 22, g.y + 46)
            tip = app.wait_trace("tooltip", timeout=10)
            self.assertEqual(" ".join(tip.args), "mercoledì 09 dicembre 2026")

            # Dragging with the middle button moves the oval with its shape.
            s.drag(g.x + 70, g.y + 20, g.x + 40, g.y - 20, button=2)  # above the tooltip
            wait_until(lambda: (s.geometry(win).x, s.geometry(win).y) == (g.x - 30, g.y - 40), 5,
                       message="the window did not follow the drag")
            self.assertEqual(s.shape_rects(win), [(x + OVAL[0], y + OVAL[1], w, h) for x, y, w, h in rects])

    def test_oval_stays_above_a_window_activated_later(self):
        with Session(wm=True) as s:
            app, win, g = self.open_face(s, OVAL_FACE)
            wait_until(lambda: win in s.stacking(), 5, message="the window manager does not list the oval")
            self.assertIn("_NET_WM_STATE_ABOVE", s.window_property(win, "_NET_WM_STATE"))
            # It accepts the focus, for the keyboard's way to its menu, but only a click gives it: not its showing.
            active = s.run(["xdotool", "getactivewindow"], check=False).stdout.strip()
            self.assertNotEqual(active, str(win), "showing the oval does not activate it")

            probe = s.start("qx_e2e_probe")
            other = probe.window()
            s.xdotool("windowmove", "--sync", other, g.x - 100, g.y - 20)
            s.xdotool("windowactivate", "--sync", other)
            wait_until(lambda: s.run(["xdotool", "getactivewindow"]).stdout.strip() == str(other), 5,
                       message="the other window did not become active")
            stacking = s.stacking()
            self.assertGreater(stacking.index(win), stacking.index(other), f"oval above: {stacking}")
            # On screen too: the middle of the oval shows its panel, not the other window over it.
            wait_until(lambda: s.pixel(g.x + 30, g.y + 62) == PANEL, 5,
                       message=f"the oval is covered: {s.pixel(g.x + 30, g.y + 62)}")
            self.assertTrue(app.alive())

    def test_start_face_from_avvio(self):
        with Session() as s:
            for face, size in (("Digitale", (195, 200)), ("Mini", (97, 152))):
                with self.subTest(face):
                    app, win, g = self.open_face(s, {"Opzioni": {"Avvio": face, "Big Ben": "1"}})
                    self.assertEqual([line.args[0] for line in app.trace("face")], [face])
                    self.assertEqual((g.width, g.height), size)
                    app.terminate()


if __name__ == "__main__":
    unittest.main()
