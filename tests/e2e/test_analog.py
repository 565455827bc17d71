"""The clock's start-up and its analog face, end to end: the real program under Xvfb with a faked time of day."""

import math
import time
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, ellipse_deviation, wait_until  # noqa: E402

ANALOG = {"Opzioni": {"Avvio": "Analogico", "Big Ben": "1"}}
CENTRE = (109, 107.5)          # hub, in the window's own pixels
ELLIPSE = (10, 10, 197, 196)   # the window's shape in its own pixels
GREEN, WHITE, FACE = (0, 255, 0), (255, 255, 255), (0, 102, 102)


def hand_point(angle, length, side=0.0):
    """A point `length` px out along a hand at `angle` (clockwise from 3 o'clock), `side` px to its right."""
    a = math.radians(angle)
    return (CENTRE[0] + length * math.cos(a) - side * math.sin(a),
            CENTRE[1] + length * math.sin(a) + side * math.cos(a))


def close_to(colour, expected, tolerance=40):
    return all(abs(c - e) <= tolerance for c, e in zip(colour, expected))


class AnalogFaceTest(unittest.TestCase):
    def shown_at(self, s, when, expected_second):
        """Starts the clock a second before `when` with time running ten times slower, so that the face shows
        `when` for ten real seconds; returns (app, window, geometry, screenshot) taken while it does."""
        app = s.start("quadrantix", config=ANALOG, faketime=f"2026-12-09 {when} x0.1")
        win = app.window()
        shown = app.wait_trace("shown", lambda line: line.args[0] == str(expected_second), timeout=20)
        self.assertEqual(shown.args[2], time.strftime("%d", time.gmtime(expected_second)), "day, two digits")
        geometry = s.geometry(win)
        shot = s.screenshot(s.dir / f"analog-{expected_second}.png")
        return app, win, geometry, shot

    def test_hands_at_three_half_past_six_and_midnight(self):
        # (start, shown second as UTC epoch of 2026-12-09 in the session's zone, hands: angle -> colour)
        import calendar
        day = calendar.timegm((2026, 12, 9, 0, 0, 0))
        cases = [
            ("02:59:59", day + 3 * 3600, {270: GREEN, 0: WHITE}, [90, 180], True),
            ("06:29:59", day + 6 * 3600 + 30 * 60, {270: GREEN, 90: WHITE, 105: WHITE}, [0, 180], False),
            ("23:59:59", day + 86400, {270: GREEN}, [0, 90, 180], True),
        ]
        for start, second, hands, empty, minute_at_12 in cases:
            with self.subTest(start=start), Session(env={"TZ": "UTC"}) as s:
                app, win, g, shot = self.shown_at(s, start, second)

                def at(angle, length, side=0.0):
                    x, y = hand_point(angle, length, side)
                    return shot.getpixel((g.x + int(x), g.y + int(y)))

                # Sample away from the hub and from the date disc and its label, which lie over the hands at 12.
                for angle, colour in hands.items():
                    for length in ((20, 50) if colour == GREEN else (15, 25, 37)):
                        around = [at(angle, length, side) for side in (-1, 0, 1)]
                        self.assertTrue(any(close_to(p, colour) for p in around),
                                        f"{start}: hand at {angle} deg, {length} px: {around}")
                # Beside the second hand at 12 lies the minute hand (and at midnight the hour hand), wider and white.
                if minute_at_12:
                    self.assertTrue(close_to(at(270, 20, 1), WHITE) or close_to(at(270, 20, -1), WHITE),
                                    f"{start}: minute hand at 12")
                for angle in empty:
                    self.assertEqual(at(angle, 45), FACE, f"{start}: nothing at {angle} deg")
                # The date label: white digits on the pink disc.
                label = [shot.getpixel((g.x + x, g.y + y)) for x in range(101, 116) for y in range(63, 76)]
                self.assertTrue(any(close_to(p, WHITE, 60) for p in label))
                self.assertTrue(any(close_to(p, (252, 62, 157)) for p in label))
                # Shaped as the ellipse around the dial; outside it the screen shows through.
                self.assertEqual(g.width, 218)
                self.assertEqual(g.height, 215)
                rects = [(x - ELLIPSE[0], y - ELLIPSE[1], w, h) for x, y, w, h in s.shape_rects(win)]
                self.assertLessEqual(ellipse_deviation(rects, ELLIPSE[2], ELLIPSE[3]), 1.5)
                self.assertEqual(shot.getpixel((g.x + 3, g.y + 3)), (0, 0, 0))

    def test_menu_drag_and_close(self):
        with Session() as s:
            app = s.start("quadrantix", config=ANALOG)
            win = app.window()
            g = s.geometry(win)
            self.assertEqual((g.x, g.y), (569, 364), "opens where the face has always opened")

            # Drag with the middle button: the pressed point stays under the pointer.
            s.drag(g.x + 60, g.y + 150, g.x + 20, g.y + 110, button=2)
            wait_until(lambda: s.geometry(win) == g.__class__(g.x - 40, g.y - 40, g.width, g.height), 5,
                       message="window did not follow the drag")

            g = s.geometry(win)
            s.mouse_move(g.x + 60, g.y + 150)
            s.mouse_down(3)
            menu = app.wait_trace("menu")
            self.assertEqual(" ".join(menu.args).split("|"),
                             ["&Attiva salvaschermo", "&Digitale", "&Quadrantix", "&Mini", "&Opzioni",
                              "&Info su Quadrantix", "&Chiudi"])
            menu_window = wait_until(lambda: [w for w in app.windows() if w != win], 5, "no menu appeared")[0]
            s.mouse_up(3)
            m = s.geometry(menu_window)
            s.click(m.x + 30, m.y + m.height - 10)  # the last item, "&Chiudi"
            self.assertEqual(app.wait(10), 0)

    def test_start_face_from_avvio(self):
        cases = [
            ("absent", {"Opzioni": {}}, "Quadrantix"),
            ("empty", {"Opzioni": {"Avvio": "", "Big Ben": "1"}}, "Quadrantix"),
            ("Analogico", {"Opzioni": {"Avvio": "Analogico", "Big Ben": "1"}}, "Analogico"),
            ("analogico in lower case names no face", {"Opzioni": {"Avvio": "analogico", "Big Ben": "1"}}, None),
        ]
        with Session() as s:
            for name, config, face in cases:
                with self.subTest(name):
                    app = s.start("quadrantix", config=config)
                    app.wait_trace("started")
                    faces = [line.args[0] for line in app.trace("face")]
                    self.assertEqual(faces, [face] if face else [])
                    if face:
                        app.window(name="^Quadrantix$")
                    self.assertTrue(app.alive(), "the clock keeps running, hidden if no face is shown")
                    settings = Path(s.dir, f"quadrantix-{len(s.apps)}.ini").read_text()
                    self.assertIn("Big Ben=1", settings, "first-run values written at start")
                    app.terminate()


if __name__ == "__main__":
    unittest.main()
