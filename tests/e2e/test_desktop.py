"""The clock on a desktop as its users have it, end to end under openbox: the window manager's close, a fast drag,
the keyboard's way to the menus, alarms above a full-screen window, and the sound fonts a machine may or may not
have."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, wait_until  # noqa: E402
from programs import in_namespace, namespace_available  # noqa: E402
from harness import program_path  # noqa: E402

NAMESPACES = namespace_available()

# Each face, the title of its window and a point of its picture (in the window) that takes a click.
FACES = {
    "Analogico": ("^Quadrantix$", (108, 60)),
    "Digitale": ("^Form1$", (97, 40)),
    "Mini": ("^Form1$", (48, 30)),
    "Quadrantix": ("^Quadrantix$", (330, 120)),
}
MESSAGE = "Sveglia!"


def alarm_config(ore, minuti, face="Analogico"):
    return {
        "Opzioni": {"Avvio": face, "Big Ben": "0", "Segnale orario": "0", "Allarme": "1"},
        "Allarme": {"Ore": ore, "Minuti": minuti, "Messaggio": MESSAGE},
    }


def open_face(s, face, **start):
    app = s.start("quadrantix", config={"Opzioni": {"Avvio": face, "Big Ben": "0"}}, **start)
    app.wait_trace("face")
    title, point = FACES[face]
    win = app.window(name=title)
    return app, win, s.geometry(win), point


def focus(s, win, g, point):
    """A click on the face's picture, which the window manager answers by giving it the focus."""
    s.click(g.x + point[0], g.y + point[1])
    wait_until(lambda: s.run(["xdotool", "getwindowfocus"]).stdout.strip() == str(win), 5,
               message="the face did not get the focus")


# Two monitors on one virtual screen: a smaller one on the left at the origin and the primary one on its right.
VIRTUAL = "1824x768x24"
LEFT = (0, 0, 800, 600)
PRIMARY = (800, 0, 1024, 768)


def two_monitors(s):
    s.run(["xrandr", "--setmonitor", "right", "1024/271x768/203+800+0", "screen"])
    s.run(["xrandr", "--setmonitor", "left", "800/211x600/158+0+0", "none"])
    s.run(["xrandr", "--output", "screen", "--primary"])


def inside(g, box):
    x, y, w, h = box
    return x <= g.x and y <= g.y and g.x + g.width <= x + w and g.y + g.height <= y + h


class MonitorsTest(unittest.TestCase):
    def test_every_face_opens_on_the_primary_monitor_where_its_place_is_measured_from(self):
        with Session(wm=True, screen=VIRTUAL) as s:
            two_monitors(s)
            for face in FACES:
                with self.subTest(face):
                    app, win, g, point = open_face(s, face)
                    self.assertTrue(inside(g, PRIMARY), f"{face} at {g}, not on the primary monitor")
                    s.screenshot(s.dir / f"two-monitors-{face}.png")
                    if face == "Analogico":
                        self.assertEqual((g.x, g.y), (800 + 569, 364), "8535, 5460 twips from the primary's corner")
                    app.terminate()

    def test_the_screensaver_covers_both_monitors_and_ends_on_a_movement_over_either(self):
        with Session(wm=True, screen=VIRTUAL) as s:
            two_monitors(s)
            # A window of another program on the left monitor, which the screensaver must hide as well.
            other = s.start("qx_e2e_probe")
            other.window(name="^QX Probe$")
            for where in ("left", "primary"):
                with self.subTest(where):
                    s.mouse_move(1300, 700)
                    # Started at second 5 of a minute: at seconds 0 and 30 an interlude hides the clock and holds a
                    # movement until it ends.
                    app = s.start("quadrasogno", config={"Opzioni": {"Salvaschermo": "Analogico"}},
                                  faketime="2026-12-09 10:10:05")
                    app.wait_trace("grab", timeout=10)
                    app.wait_trace("shown", timeout=10)
                    shot = s.screenshot(s.dir / f"saver-two-monitors-{where}.png")
                    left = [shot.getpixel((x, y)) for x in range(0, 800, 37) for y in range(0, 600, 29)]
                    self.assertEqual(set(left), {(0, 0, 0)}, "the other monitor is black")
                    primary = {shot.getpixel((x, y)) for x in range(800, 1824, 41) for y in range(0, 768, 31)}
                    self.assertGreater(len(primary), 3, "the face is on the primary monitor")
                    if where == "left":
                        s.mouse_move(300, 300)
                        s.mouse_move(320, 310)
                    else:
                        s.mouse_move(1400, 400)
                        s.mouse_move(1420, 410)
                    self.assertEqual(app.wait(5), 0, "a movement ends the screensaver")


    def test_a_face_left_on_a_removed_monitor_moves_to_the_primary_one(self):
        with Session(wm=True, screen=VIRTUAL) as s:
            two_monitors(s)
            app, win, g, point = open_face(s, "Analogico")
            s.drag(g.x + point[0], g.y + point[1], 300, 200)
            wait_until(lambda: inside(s.geometry(win), LEFT), 5, message=f"not dragged: {s.geometry(win)}")
            dragged = s.geometry(win)
            s.run(["xrandr", "--delmonitor", "left"])
            wait_until(lambda: inside(s.geometry(win), PRIMARY), 5,
                       message=f"still off the primary monitor: {s.geometry(win)}")
            self.assertEqual((s.geometry(win).x, s.geometry(win).y), (800 + dragged.x, dragged.y),
                             "at the same place on the primary monitor as it had on the removed one")


# Run in a user and mount namespace: the usual folder of General MIDI fonts is replaced by one holding `$2` (a shell
# command run inside it), and the clock `$3` starts with no SDL_SOUNDFONTS.
FONTS = "/usr/share/sounds/sf2"
ONLY = ('mkdir -p "$1/keep"; mount --bind ' + FONTS + ' "$1/keep"; mount -t tmpfs none ' + FONTS + '; '
        'cd ' + FONTS + '; eval "$2"; cd /; exec env -u SDL_SOUNDFONTS "$3"')


def stream_of(s, app):
    """The sound server's properties of the program's playing stream, as pactl lists them."""
    out = s.run(["pactl", "list", "sink-inputs"]).stdout
    return out if f'application.process.id = "{app.pid}"' in out or "Quadrantix" in out else ""


@unittest.skipUnless(NAMESPACES, "no user and mount namespaces here")
class SoundFontTest(unittest.TestCase):
    def alarm(self, fonts, played):
        with Session(pulse=True) as s:
            recording = s.pulse.record()
            program, args = in_namespace(ONLY, s.dir, fonts, program_path("quadrantix"))
            app = s.start(program, args=args, config=alarm_config("07", "45"), faketime="2026-12-09 07:44:58")
            app.wait_trace("alarm", timeout=20)
            line = app.wait_trace("sound", timeout=10)
            self.assertEqual(Path(line.args[0]).name, played)
            props = wait_until(lambda: stream_of(s, app), 5, message="no stream of the clock's")
            self.assertIn('media.role = "alarm"', props)
            self.assertIn('media.name = "Quadrantix"', props)
            self.assertIn('application.name = "Quadrantix"', props)
            wait_until(lambda: sum(seg.duration for seg in recording.segments(
                threshold=300, data=recording.path.read_bytes())) >= 2.0, 15, 0.25, f"{played} was not heard")
            app.terminate()

    def test_the_melody_with_the_font_found_only_through_debians_default_link(self):
        self.alarm('ln -s "$1/keep/TimGM6mb.sf2" default-GM.sf2', "Allarme.mid")

    def test_a_tone_of_ours_with_no_font_at_all(self):
        self.alarm("true", "Allarme.wav")


class DesktopTest(unittest.TestCase):
    def test_the_window_managers_close_ends_each_face_through_the_splash(self):
        with Session(wm=True) as s:
            for face in FACES:
                with self.subTest(face):
                    app, win, g, point = open_face(s, face)
                    focus(s, win, g, point)
                    s.key("alt+F4")
                    app.wait_trace("mapped", lambda line: line.args == ("fine",), timeout=5)
                    self.assertEqual(app.wait(15), 0, "the program ends with the splash")
                    self.assertEqual([t.args[0] for t in app.trace("splash")], [str(n) for n in range(12)])

    def test_the_menu_key_and_shift_f10_open_each_faces_menu_at_the_face(self):
        with Session(wm=True) as s:
            for face in FACES:
                for key in ("Menu", "shift+F10"):
                    with self.subTest(face=face, key=key):
                        app, win, g, point = open_face(s, face)
                        focus(s, win, g, point)
                        s.key(key)
                        menu = app.wait_trace("menu", timeout=5)
                        self.assertEqual(len(app.trace("menu")), 1, "one menu")
                        s.key("Escape")
                        self.assertTrue(app.alive())
                        app.terminate()
                        del menu

    def test_a_fast_drag_ends_exactly_at_the_pointer(self):
        with Session(wm=True) as s:
            for face in ("Analogico", "Digitale", "Quadrantix"):
                with self.subTest(face):
                    app, win, g, point = open_face(s, face)
                    x0, y0 = g.x + point[0], g.y + point[1]
                    s.mouse_move(x0, y0)
                    s.mouse_down()
                    # Twenty motions in one go: they reach the program queued back to back, before the window
                    # manager has moved the window for the first of them.
                    steps = []
                    for i in range(1, 21):
                        steps += ["mousemove", x0 - 7 * i, y0 + 3 * i]
                    s.xdotool(*steps)
                    s.mouse_up()
                    x1, y1 = x0 - 140, y0 + 60
                    wait_until(lambda: s.geometry(win).x == x1 - point[0] and s.geometry(win).y == y1 - point[1], 5,
                               message=f"the face ended at {s.geometry(win)}, the pointer at {x1}, {y1}")
                    app.terminate()

    def test_the_alarm_comes_above_a_full_screen_window_opened_before_it(self):
        with Session(wm=True) as s:
            app = s.start("quadrantix", config=alarm_config("07", "45"), faketime="2026-12-09 07:44:56")
            app.wait_trace("shown")
            deadline = time.monotonic() + 20
            full = s.start("qx_e2e_probe", args=["--fullscreen"])
            probe = full.window(name="^QX Probe$")
            wait_until(lambda: s.run(["xdotool", "getwindowfocus"]).stdout.strip() == str(probe), 5,
                       message="the full-screen window did not get the focus")
            self.assertIn("_NET_WM_STATE_FULLSCREEN", s.window_property(probe, "_NET_WM_STATE"))
            # The user clicks on in the full-screen window while the alarm opens and a moment after: each click keeps
            # the focus there (a window manager that prevents focus stealing also refuses the new window the focus
            # so close to the user's input). The alarm must come in front once the user stops.
            s.mouse_move(1000, 740)
            seen = None
            while time.monotonic() < deadline and (seen is None or time.monotonic() < seen + 0.3):
                s.xdotool("click", 1)
                time.sleep(0.05)
                if seen is None and app.windows("^Quadrantix - Allarme!$"):
                    seen = time.monotonic()
            alarm = app.window(name="^Quadrantix - Allarme!$", timeout=20)
            wait_until(lambda: s.stacking()[-1] == alarm, 5,
                       message=f"the alarm is not on top: {s.stacking()} (alarm {alarm}, full screen {probe})")
            self.assertIn("_NET_WM_STATE_ABOVE", s.window_property(alarm, "_NET_WM_STATE"))
            g = s.geometry(alarm)
            shot = s.screenshot(s.dir / "alarm-over-full-screen.png")
            self.assertNotEqual(shot.getpixel((g.x + g.width // 2, g.y + 10)), (0x20, 0xa0, 0x60),
                                "the alarm is seen, not the full-screen window")


if __name__ == "__main__":
    unittest.main()
