"""The options dialog end to end: opened from the faces' menu and toolbar, one at most, Escape and OK."""

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


if __name__ == "__main__":
    unittest.main()
