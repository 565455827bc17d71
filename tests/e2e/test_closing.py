"""The windows every face reaches, end to end: the about window, the closing splash that every exit goes through,
and the screensaver launch from each face."""

import os
import shutil
import stat
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import BUILD_DIR, Session, ellipse_deviation, marked_processes, wait_until  # noqa: E402

SCREEN = (1024, 768)
SPLASH = (226, 230)
SPLASH_SHAPE = (1, 0, 226, 228)  # the ellipse's box in the splash's own pixels
GREEN = (0, 255, 0)
LABEL1 = (41, 75, 145, 81)   # "Chiusura in corso"
LABEL2 = (8, 87, 212, 57)    # "Arrivederci"

# A stand-in for the screensaver: it notes that it ran and the face it would read from the settings at its start.
STAND_IN = """#!/bin/sh
echo "ran $(grep '^Salvaschermo=' "$QUADRANTIX_CONFIG")" >> "$QX_SAVER_LOG"
"""


def greens(picture, box):
    left, top, width, height = box
    return sum(picture.getpixel((x, y)) == GREEN for x in range(left, left + width) for y in range(top, top + height))


def clock_folder(s, name, with_screensaver):
    """A folder with the clock in it (hard-linked, or copied across file systems) and, if asked, the stand-in."""
    folder = s.dir / name
    folder.mkdir()
    program = folder / "quadrantix"
    try:
        os.link(BUILD_DIR / "bin" / "quadrantix", program)
    except OSError:
        shutil.copy2(BUILD_DIR / "bin" / "quadrantix", program)
    if with_screensaver:
        saver = folder / "quadrasogno"
        saver.write_text(STAND_IN)
        saver.chmod(saver.stat().st_mode | stat.S_IXUSR)
    return program


class ClosingTest(unittest.TestCase):
    def open_face(self, s, face, program="quadrantix", **start):
        app = s.start(program, config={"Opzioni": {"Avvio": face, "Big Ben": "1"}}, **start)
        app.wait_trace("face")
        win = app.window(name="^Form1$" if face in ("Digitale", "Mini") else "^Quadrantix$")
        return app, win, s.geometry(win)

    def open_about(self, s, app, point):
        s.context_menu(app, *point, "i")
        return app.window(name="^Informazioni su Quadrantix$", timeout=5)

    def test_about_window_title_version_and_a_single_instance(self):
        with Session() as s:
            app, win, g = self.open_face(s, "Mini")
            about = self.open_about(s, app, (g.x + 48, g.y + 30))
            self.assertEqual(s.window_name(about), "Informazioni su Quadrantix")
            self.assertEqual(" ".join(app.wait_trace("about").args), "Versione 1.0.0")
            a = s.geometry(about)
            self.assertEqual((a.width, a.height), (382, 237))
            self.assertIn("_NET_WM_WINDOW_TYPE_UTILITY", s.window_property(about, "_NET_WM_WINDOW_TYPE"),
                          "a tool window: no task bar button")

            # Choosing the item again brings the one window forward; no second one opens.
            self.open_about(s, app, (g.x + 48, g.y + 31))
            wait_until(lambda: len(app.trace("menu")) == 2, 5)
            self.assertEqual(app.windows("^Informazioni su Quadrantix$"), [about])
            self.assertEqual([line.args for line in app.trace("mapped")].count(("frmAbout",)), 1)
            self.assertEqual(len(app.trace("about")), 1)

    def test_splash_blinks_closes_in_says_goodbye_and_ends_the_program(self):
        with Session() as s:
            app, win, g = self.open_face(s, "Mini")
            s.context_menu(app, g.x + 48, g.y + 30, "e")
            app.wait_trace("mapped", lambda line: line.args == ("fine",), timeout=5)
            splash = app.window()
            sg = s.geometry(splash)
            self.assertEqual((sg.width, sg.height), SPLASH)
            self.assertEqual(((SCREEN[0] - sg.width) // 2, (SCREEN[1] - sg.height) // 2), (sg.x, sg.y), "centred")
            rects = [(x - SPLASH_SHAPE[0], y - SPLASH_SHAPE[1], w, h) for x, y, w, h in s.shape_rects(splash)]
            self.assertLessEqual(ellipse_deviation(rects, SPLASH_SHAPE[2], SPLASH_SHAPE[3]), 1.5)
            self.assertFalse(app.windows("^Form1$"), "the face has closed")

            shot_path = s.dir / "splash.png"

            def grab():
                """The splash window alone: much quicker than the whole screen, so that each half second is seen."""
                from PIL import Image
                s.run(["import", "-window", str(splash), str(shot_path)])
                with Image.open(shot_path) as image:
                    return image.convert("RGB")

            def after(tick, shows, what):
                """Waits for the splash's tick `tick` and for the window to show it (shows(picture) true), before
                the next tick; returns the tick's trace line."""
                line = app.wait_trace("splash", lambda l: l.args[0] == str(tick), timeout=8)
                wait_until(lambda: shows(grab()), 0.4, message=f"after tick {tick}: {what}")
                self.assertEqual(len(app.trace("splash")), tick + 1, f"seen before tick {tick + 1}: {what}")
                return line.args

            self.assertEqual(after(0, lambda shot: greens(shot, LABEL1) > 200, "Chiusura in corso"),
                             ("0", "1", "1", "0"))
            logo = grab().getpixel((113, 20))
            self.assertTrue(logo[0] > 150 and logo[1] > 80, f"the logo's mark at the top: {logo}")
            for tick in range(1, 9):
                visible = tick % 2 == 0
                args = after(tick, lambda shot: (greens(shot, LABEL1) > 200) == visible, "the text blinks")
                self.assertEqual(args, (str(tick), "1" if visible else "0", "1", "0"))
            points = ((113, 20), (113, 115), (40, 115), (190, 115), (113, 200))
            args = after(9, lambda shot: all(shot.getpixel(point) == (0, 0, 0) for point in points),
                         "the black covers the splash")
            self.assertEqual(args, ("9", "0", "0", "0"))
            args = after(10, lambda shot: greens(shot, LABEL2) > 300, "Arrivederci")
            self.assertEqual(args, ("10", "0", "0", "1"))

            self.assertEqual(app.wait(5), 0, "the program ends with the splash")
            ticks = app.trace("splash")
            self.assertEqual([t.args[0] for t in ticks], [str(n) for n in range(12)])
            steps = [(b.ns - a.ns) / 1e9 for a, b in zip(ticks, ticks[1:])]
            self.assertTrue(all(0.4 < step < 0.7 for step in steps), f"a tick every half second: {steps}")
            closed = (ticks[-1].ns - ticks[0].ns) / 1e9
            self.assertTrue(5.4 < closed < 5.9, f"closed {closed:.2f} s after opening")
            self.assertFalse([p for p in marked_processes(str(s.dir)) if p[0] == app.pid], "process gone")

    def test_exit_with_the_about_window_open_ends_when_that_window_closes(self):
        with Session() as s:
            app, win, g = self.open_face(s, "Digitale")
            about = self.open_about(s, app, (g.x + 97, g.y + 40))
            a = s.geometry(about)
            s.context_menu(app, g.x + 97, g.y + 41, "e")
            app.wait_trace("splash", lambda line: line.args[0] == "11", timeout=10)
            wait_until(lambda: not app.windows("^Quadrantix$"), 5, message="the splash did not close")
            self.assertTrue(app.alive(), "the about window keeps the program running")
            self.assertEqual(app.windows("^Informazioni su Quadrantix$"), [about])
            s.click(a.x + 324, a.y + 188)  # "OK"
            self.assertEqual(app.wait(5), 0, "closing the last window ends the program")

    def test_screensaver_launch_from_each_face(self):
        with Session() as s:
            program = clock_folder(s, "clock", with_screensaver=True)
            log = s.dir / "saver.log"
            env = {"QX_SAVER_LOG": str(log)}
            for count, face in enumerate(("Analogico", "Digitale", "Mini", "Quadrantix"), start=1):
                with self.subTest(face):
                    app, win, g = self.open_face(s, face, program=program, env=env)
                    if face == "Quadrantix":
                        s.click(g.x + 10 * 55 + 27, g.y + 28)  # toolbar button 11
                    else:
                        centre = {"Analogico": (60, 150), "Digitale": (97, 40), "Mini": (48, 30)}[face]
                        s.context_menu(app, g.x + centre[0], g.y + centre[1], "Down", "Return")
                    self.assertEqual(" ".join(app.wait_trace("screensaver", timeout=5).args), f"{face} started")
                    wait_until(lambda: log.exists() and len(log.read_text().splitlines()) == count, 5,
                               message="the program beside the clock did not run")
                    self.assertEqual(log.read_text().splitlines()[-1], f"ran Salvaschermo={face}",
                                     "the face is stored before the screensaver starts")
                    self.assertTrue(app.alive())
                    self.assertEqual(s.geometry(win).width, g.width, "the face stays open")
                    app.terminate()

    def test_screensaver_launch_without_the_program_only_writes_the_setting(self):
        with Session() as s:
            program = clock_folder(s, "alone", with_screensaver=False)
            app, win, g = self.open_face(s, "Mini", program=program)
            s.context_menu(app, g.x + 48, g.y + 30, "Down", "Return")
            self.assertEqual(app.wait_trace("screensaver", timeout=5).args, ("Mini", "absent"))
            settings = Path(s.dir, "quadrantix-1.ini").read_text()
            self.assertIn("Salvaschermo=Mini", settings)
            self.assertTrue(app.alive())
            self.assertEqual(app.windows("^Form1$"), [win])


if __name__ == "__main__":
    unittest.main()
