"""The options dialog end to end: opened from the faces' menu and toolbar, one at most, Escape and OK."""

import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, wait_until  # noqa: E402

FIRST_RUN = {"Allarme": "0", "Big Ben": "1", "Segnale orario": "1", "Timer vita": "0", "Esegui auto": "0"}
ANALOG = {"Opzioni": dict(FIRST_RUN, Avvio="Analogico"), "Allarme": {"Ore": "07", "Minuti": "45", "Messaggio": "Su!"}}
LARGE = {"Opzioni": dict(FIRST_RUN, Avvio="Quadrantix")}

# _MOTIF_WM_HINTS bits: functions and decorations of the minimise and maximise boxes.
MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE = 1 << 3, 1 << 4
MWM_DECOR_MINIMIZE, MWM_DECOR_MAXIMIZE = 1 << 5, 1 << 6


class OptionsDialogTest(unittest.TestCase):
    opened = 0

    def open_from_menu(self, s, app, face):
        # Somewhere new each time: xdotool's --sync waits for the pointer to move.
        self.opened += 1
        g = s.geometry(face)
        s.mouse_move(g.x + 60 + self.opened, g.y + 150)
        s.mouse_down(3)
        app.wait_trace("menu")
        s.mouse_up(3)
        s.key("o")  # "&Opzioni"
        return app.window(name="^Opzioni$")

    def test_one_dialog_from_the_menu_escape_leaves_the_store_and_ok_saves(self):
        with Session(wm=True) as s:
            app = s.start("quadrantix", config=ANALOG)
            face = app.window(name="^Quadrantix$")
            settings = s.dir / "quadrantix-1.ini"
            before = settings.read_bytes()

            dialog = self.open_from_menu(s, app, face)
            g = s.geometry(dialog)
            self.assertEqual((g.width, g.height), (344, 347))
            hints = s.window_property(dialog, "_MOTIF_WM_HINTS").split("=", 1)[1]
            flags, functions, decorations = (int(v, 16) for v in hints.replace(" ", "").split(",")[:3])
            if flags & 1:
                self.assertFalse(functions & (MWM_FUNC_MINIMIZE | MWM_FUNC_MAXIMIZE), hints)
            self.assertTrue(flags & 2, "decorations are given")
            self.assertFalse(decorations & (MWM_DECOR_MINIMIZE | MWM_DECOR_MAXIMIZE), hints)
            self.assertIn("_NET_WM_WINDOW_TYPE_UTILITY", s.window_property(dialog, "_NET_WM_WINDOW_TYPE"),
                          "no task bar button")

            # Opened again: the same dialog comes to the front, no second one.
            self.assertEqual(self.open_from_menu(s, app, face), dialog)
            self.assertEqual(app.windows("^Opzioni$"), [dialog])
            self.assertEqual(len(app.trace("mapped")), 2, "the face and one dialog")

            s.xdotool("windowactivate", "--sync", dialog)
            s.key("Escape")
            wait_until(lambda: not app.windows("^Opzioni$"), 10, message="Escape did not close the dialog")
            self.assertEqual(settings.read_bytes(), before, "nothing written")

            dialog = self.open_from_menu(s, app, face)
            s.xdotool("windowactivate", "--sync", dialog)
            s.key("Return")  # "&OK" has the focus when the dialog opens
            wait_until(lambda: not app.windows("^Opzioni$"), 10, message="OK did not close the dialog")
            text = settings.read_text()
            for line in ("Ore=07", "Minuti=45", "Avvio=Analogico", "Esegui auto=0", "Messaggio=Su!"):
                self.assertIn(line, text)
            self.assertIn("[Opzioni]", text)
            self.assertRegex(text, r"\[Opzioni\][^\[]*\nMessaggio=\n", "the reminder, written by OK")
            self.assertFalse((Path(s.env["XDG_CONFIG_HOME"]) / "autostart" / "quadrantix.desktop").exists())
            self.assertTrue(app.alive())

    def test_toolbar_button_ten_opens_the_dialog(self):
        with Session() as s:
            app = s.start("quadrantix", config=LARGE)
            app.wait_trace("mapped", lambda line: line.args == ("Digitale",))
            g = s.geometry(app.window(name="^Quadrantix$"))
            s.click(g.x + 9 * 55 + 27, g.y + 28)
            app.window(name="^Opzioni$")


class SystemInformationTest(unittest.TestCase):
    """The timer page's "Informazioni sul computer in uso" starts the system information, as the about window does."""

    def press_the_button(self, s, app):
        app.wait_trace("mapped", lambda line: line.args == ("Digitale",))
        g = s.geometry(app.window(name="^Quadrantix$"))
        s.click(g.x + 9 * 55 + 27, g.y + 28)  # toolbar button 10, "Opzioni"
        dialog = app.window(name="^Opzioni$")
        s.xdotool("windowactivate", "--sync", dialog)
        s.key("Tab", "Tab", "Right", "Right")  # from "&OK" over "&Annulla" to the tabs, then to "Timer"
        d = s.geometry(dialog)
        s.screenshot(s.dir / "timer-page.png")
        s.click(d.x + 6 + 2 + 58 + 105, d.y + 6 + 22 + 206 + 13)  # "Informazioni sul computer in uso"
        return dialog

    def test_a_program_on_the_path_is_started(self):
        with Session(wm=True) as s:
            tools = s.dir / "tools"
            tools.mkdir()
            marker = s.dir / "hardinfo-ran"
            program = tools / "hardinfo"
            program.write_text(f"#!/bin/sh\ntouch '{marker}'\n")
            program.chmod(0o755)
            app = s.start("quadrantix", config=LARGE, env={"PATH": f"{tools}:{os.environ['PATH']}"})
            self.press_the_button(s, app)
            line = app.wait_trace("sysinfo", timeout=10)
            self.assertEqual(line.args, (str(program),))
            wait_until(marker.exists, 10, message="the system-information program did not run")
            self.assertEqual(app.windows("^Informazioni su Quadrantix$"), [], "the about window is not shown")
            self.assertTrue(app.alive())

    def test_none_on_the_path_says_so(self):
        with Session(wm=True) as s:
            empty = s.dir / "empty"
            empty.mkdir()
            app = s.start("quadrantix", config=LARGE, env={"PATH": str(empty)})
            dialog = self.press_the_button(s, app)
            self.assertEqual(app.wait_trace("sysinfo", timeout=10).args, ("-",))
            face = app.window(name="^Quadrantix$")

            def box():
                return [w for w in app.windows("^Quadrantix$") if w != face]

            wait_until(box, 10, message="no message box over the dialog")
            s.screenshot(s.dir / "message.png")
            self.assertEqual(app.windows("^Informazioni su Quadrantix$"), [], "the about window is not shown")
            self.assertEqual(app.windows("^Opzioni$"), [dialog])
            self.assertTrue(app.alive())


if __name__ == "__main__":
    unittest.main()
