"""How each program starts: --help and --version without a display, one copy per session, the toolkit's own
arguments ignored, and never brought back by a session manager."""

import os
import re
import signal
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, TestSessionManager, program_path, wait_until, write_ini  # noqa: E402
from programs import PROGRAMS, end_cleanly, strangers  # noqa: E402

NAMES = {"quadrantix": "Quadrantix", "quadrasogno": "Quadrasogno", "horacumul": "Horacumul"}


def started(app, program):
    if program.shows_window:
        app.window(program.window or None, timeout=20)
    else:
        app.wait_trace("started", timeout=20)


class StartTest(unittest.TestCase):
    def test_help_and_version_need_no_display(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QUADRANTIX_TRACE")}
        for program in PROGRAMS:
            for args, expected in ((["--help"], rf"^Uso: {program.name} \[--help\] \[--version\]\n\n\S"),
                                   (["-h"], rf"^Uso: {program.name} "),
                                   (["--version"], rf"^{NAMES[program.name]} \d+\.\d+\.\d+\n$"),
                                   (["-platform", "offscreen", "--version", "--help"], rf"^{NAMES[program.name]} ")):
                with self.subTest(program.name, args=args):
                    result = subprocess.run([str(program_path(program.name)), *args], env=env, capture_output=True,
                                            text=True, timeout=20, stdin=subprocess.DEVNULL)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertRegex(result.stdout, expected)
                    self.assertEqual(result.stderr, "")

    def test_a_second_start_hands_over_and_a_crashed_copy_blocks_nothing(self):
        for program in PROGRAMS:
            with self.subTest(program.name), Session(wm=True) as s:
                path = write_ini(s.dir / "shared.ini", program.config)
                env = {"QUADRANTIX_CONFIG": str(path)}
                first = s.start(program.name, env=env)
                started(first, program)
                second = s.start(program.name, env=env)
                self.assertEqual(second.wait(10), 0, second.stderr())
                self.assertEqual(len(second.trace("handed-over")), 1)
                self.assertEqual(second.trace("started"), [], "the second copy ran")
                self.assertTrue(first.alive(), "the first copy ended")
                self.assertEqual(strangers(s), [])

                # Killed, the first copy holds nothing: the next start runs.
                first.popen.send_signal(signal.SIGKILL)
                first.popen.wait(10)
                third = s.start(program.name, env=env)
                started(third, program)
                self.assertEqual(third.trace("handed-over"), [])
                end_cleanly(self, third)

    def test_a_second_clock_brings_the_face_back(self):
        with Session(wm=True) as s:
            path = write_ini(s.dir / "shared.ini", {"Opzioni": {"Big Ben": "1", "Avvio": "Nessuno"}})
            env = {"QUADRANTIX_CONFIG": str(path)}
            clock = s.start("quadrantix", env=env)
            clock.wait_trace("started", timeout=20)
            self.assertEqual(clock.trace("mapped"), [], "Avvio names no face: none shows")
            second = s.start("quadrantix", env=env)
            self.assertEqual(second.wait(10), 0)
            clock.wait_trace("mapped", lambda line: line.args[:1] == ("Orologio",), timeout=10)
            end_cleanly(self, clock)

    def test_the_toolkits_arguments_are_ignored(self):
        with Session() as s:
            for program in PROGRAMS:
                with self.subTest(program.name):
                    app = s.start(program.name, ["-platform", "offscreen", "-display", ":999"],
                                  config=program.config)
                    started(app, program)
                    self.assertEqual(app.wait_trace("started").args, ("xcb",), "the X display of the session")
                    end_cleanly(self, app)

    def test_the_clock_asks_a_session_manager_never_to_restart_it(self):
        with Session() as s, TestSessionManager(s) as manager:
            clock = s.start("quadrantix", config={"Opzioni": {"Big Ben": "1", "Avvio": "Analogico"}},
                            env=manager.env)
            clock.wait_trace("started", timeout=20)
            manager.wait_registered()
            manager.logout()
            wait_until(lambda: "saved 1" in manager.said, 10, message=f"never saved: {manager.said}")
            self.assertIn("property RestartStyleHint 3", manager.said, "never to be restarted in a later session")
            self.assertFalse([x for x in manager.said if re.match(r"property RestartStyleHint [^3]", x)], manager.said)


if __name__ == "__main__":
    unittest.main()
