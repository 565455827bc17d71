"""The countdown end to end: the dialog driven with xdotool, and its end action against a logind mock on a private
system bus, with a message box, and with no logind at all."""

import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, wait_until  # noqa: E402

LARGE = {"Opzioni": {"Avvio": "Quadrantix", "Big Ben": "1", "Allarme": "0"}}
# Places in the countdown dialog, from its top-left corner.
OPTIONS = {"Arresta": (215, 78), "Riavvia": (215, 102), "Messaggio": (215, 126)}
MESSAGE_FIELD = (250, 153)
START = (204, 204)


def button_centre(g, number):
    return g.x + (number - 1) * 55 + 27, g.y + 28


class CountdownTest(unittest.TestCase):
    def open_face(self, s):
        app = s.start("quadrantix", config=LARGE)
        app.wait_trace("mapped", lambda line: line.args == ("Digitale",))
        win = app.window(name="^Quadrantix$")
        return app, s.geometry(win)

    def start_countdown(self, s, app, g, time_text, action, message=None):
        """Chooses the countdown from the mode menu and fills and starts its dialog, as a user does."""
        s.click(*button_centre(g, 1))
        app.wait_trace("menu")
        wait_until(lambda: len(app.windows()) >= 2, 5, message="the mode menu did not appear")
        s.key("c")  # "&Cronometro" and "&Conto alla rovescia" share their key: the second press moves on
        s.key("c")
        s.key("Return")
        dialog = app.window(name="^Quadrantix - Conto alla rovescia$", timeout=10)
        d = s.geometry(dialog)
        s.type_text(time_text)  # the dialog opens with the time field ready, its placeholder selected
        s.click(d.x + OPTIONS[action][0], d.y + OPTIONS[action][1])
        if message is not None:
            s.click(d.x + MESSAGE_FIELD[0], d.y + MESSAGE_FIELD[1])
            s.type_text(message)
        s.click(d.x + START[0], d.y + START[1])
        wait_until(lambda: not app.windows("Conto alla rovescia"), 5, message="the dialog did not close")
        return app.wait_trace("countdown", timeout=5)

    def face_goes_on(self, app, after_ns):
        """The face still ticks: a new second is shown well after the countdown ended."""
        app.wait_trace("shown", lambda line: line.ns > after_ns + 1_500_000_000, timeout=10)
        self.assertTrue(app.alive())

    def test_shut_down_and_restart_ask_logind_once_each(self):
        for action, method in (("Arresta", "PowerOff"), ("Riavvia", "Reboot")):
            with self.subTest(action=action), Session() as s:
                logind = s.start_logind_mock()
                app, g = self.open_face(s)
                self.start_countdown(s, app, g, "00:00:02", action)
                self.assertEqual(logind.calls(), [], "nothing before the end")
                ended = app.wait_trace("countdown-end", timeout=10)
                wait_until(logind.calls, 5, message=f"logind received no {method}")
                self.face_goes_on(app, ended.ns)
                self.assertEqual(logind.calls(), [(method, ("true",))], "exactly one request, interactive")

    def test_message_shows_in_a_box_titled_fine_conto_alla_rovescia(self):
        with Session() as s:
            logind = s.start_logind_mock()
            app, g = self.open_face(s)
            self.start_countdown(s, app, g, "00:00:02", "Messaggio", "Pasta pronta <b>ora</b>")
            app.window(name="^Fine conto alla rovescia$", timeout=10)
            self.assertEqual(" ".join(app.wait_trace("countdown-message").args), "Pasta pronta <b>ora</b>")
            self.face_goes_on(app, app.wait_trace("countdown-end").ns)
            self.assertEqual(logind.calls(), [])

    def test_with_no_logind_at_all_the_face_goes_on(self):
        # A system bus without logind, then no system bus at all (the harness points the clock at nothing).
        for with_bus in (True, False):
            with self.subTest(system_bus=with_bus), Session() as s:
                if with_bus:
                    s.start_system_bus()
                app, g = self.open_face(s)
                self.start_countdown(s, app, g, "00:00:01", "Arresta")
                self.assertEqual(app.wait_trace("power", timeout=10).args, ("PowerOff",))
                self.face_goes_on(app, app.wait_trace("countdown-end").ns)
                # And a second countdown still works.
                self.start_countdown(s, app, g, "00:00:00", "Riavvia")
                app.wait_trace("power", lambda line: line.args == ("Reboot",), timeout=10)
                self.assertTrue(app.alive())

    def test_an_invalid_time_is_refused_and_nothing_starts(self):
        with Session() as s:
            app, g = self.open_face(s)
            s.click(*button_centre(g, 1))
            app.wait_trace("menu")
            wait_until(lambda: len(app.windows()) >= 2, 5, message="the mode menu did not appear")
            for key in ("c", "c", "Return"):
                s.key(key)
            dialog = app.window(name="^Quadrantix - Conto alla rovescia$", timeout=10)
            s.type_text("-1:00:00")
            s.key("Return")  # the start button is the dialog's default
            # The box carries the program's title, as the face does: two windows of that name.
            wait_until(lambda: len(app.windows("^Quadrantix$")) == 2, 5, message="no 'Inserire un tempo valido' box")
            s.screenshot(s.dir / "invalid.png")
            self.assertEqual(app.windows("^Quadrantix - Conto alla rovescia$"), [dialog], "the dialog stays open")
            s.key("Return")  # OK
            wait_until(lambda: len(app.windows("^Quadrantix$")) == 1, 5, message="OK did not close the box")
            self.assertEqual(app.trace("countdown"), [], "nothing started")


if __name__ == "__main__":
    unittest.main()
