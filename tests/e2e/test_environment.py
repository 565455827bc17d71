"""Each program in a hostile session: no sound device, no session or system bus, no window manager, no display, no
HOME, a read-only or full settings folder. It runs or says one clear line; nothing hangs; nothing is left running."""

import os
import pwd
import shutil
import signal
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, program_path, wait_until, write_ini  # noqa: E402
from programs import PROGRAMS, built, end_cleanly, in_namespace, namespace_available, strangers  # noqa: E402

NAMESPACES = namespace_available()


class EnvironmentTest(unittest.TestCase):
    def each_program(self):
        for program in PROGRAMS:
            if not built(program):
                self.skipTest(f"{program.name} not built")
            yield program

    def assert_runs(self, s, app, program):
        self.assert_started(app, program)
        self.assertEqual(strangers(s), [], "processes started by the program")
        end_cleanly(self, app)
        self.assertEqual(strangers(s), [], "processes left behind")

    def assert_started(self, app, program):
        if program.shows_window:
            app.window(program.window or None, timeout=20)
        else:
            app.wait_trace("started", timeout=20)

    def assert_says_one_line(self, s, app, expected, timeout=15):
        code = app.wait(timeout)
        lines = app.stderr().splitlines()
        self.assertEqual(code, 1, app.stderr())
        self.assertEqual(len(lines), 1, app.stderr())
        self.assertIn(expected, lines[0])
        self.assertEqual(strangers(s), [], "processes left behind")

    # --- the program runs ---------------------------------------------------------------------------------------

    def test_no_sound_device_no_window_manager(self):
        # A session has neither: PULSE_SERVER points at nothing, there is no sound card, and no window manager.
        for program in self.each_program():
            with self.subTest(program.name), Session() as s:
                self.assert_runs(s, s.start(program.name, config=program.config), program)

    def test_no_session_bus_starts_none(self):
        for program in self.each_program():
            with self.subTest(program.name), Session() as s:
                app = s.start("/usr/bin/env", ["-u", "DBUS_SESSION_BUS_ADDRESS", program_path(program.name)],
                              config=program.config)
                self.assert_runs(s, app, program)

    def test_no_system_bus(self):
        for program in self.each_program():
            with self.subTest(program.name), Session() as s:
                env = {"DBUS_SYSTEM_BUS_ADDRESS": f"unix:path={s.dir}/no-system-bus"}
                self.assert_runs(s, s.start(program.name, config=program.config, env=env), program)

    # --- the program says one line ------------------------------------------------------------------------------

    def assert_runs_without_display(self, s, app, expected):
        """The accumulator needs no display: it says so when one was named, and runs on without it."""
        app.wait_trace("started", timeout=20)
        self.assertEqual(app.trace("started")[0].args, ("offscreen",))
        if expected:
            self.assertIn(expected, app.stderr())
        end_cleanly(self, app)
        self.assertEqual(strangers(s), [], "processes left behind")

    def test_no_display(self):
        for program in self.each_program():
            with self.subTest(program.name, display="unset"), Session() as s:
                app = s.start("/usr/bin/env", ["-u", "DISPLAY", program_path(program.name)], config=program.config)
                if program.needs_display:
                    self.assert_says_one_line(s, app, "DISPLAY")
                else:
                    self.assert_runs_without_display(s, app, None)
            with self.subTest(program.name, display="no server"), Session() as s:
                app = s.start(program.name, config=program.config, env={"DISPLAY": ":" + str(os.getpid() % 500 + 300)})
                if program.needs_display:
                    self.assert_says_one_line(s, app, "schermo")
                else:
                    self.assert_runs_without_display(s, app, "schermo")

    def test_display_that_does_not_answer(self):
        # The X server is stopped: it accepts the connection and never answers.
        for program in self.each_program():
            with self.subTest(program.name), Session() as s:
                s.xvfb.send_signal(signal.SIGSTOP)
                try:
                    start = time.monotonic()
                    app = s.start(program.name, config=program.config)
                    if program.needs_display:
                        self.assert_says_one_line(s, app, "non risponde", timeout=20)
                    else:
                        self.assert_runs_without_display(s, app, "non risponde")
                    self.assertLess(time.monotonic() - start, 15)
                finally:
                    s.xvfb.send_signal(signal.SIGCONT)

    # --- home and settings folders ------------------------------------------------------------------------------

    @unittest.skipUnless(NAMESPACES, "no user and mount namespaces here")
    def test_home_unset_uses_the_password_database_and_writes_nowhere_else(self):
        # In the namespace the program is uid 0, whose home from the password database is hidden behind a folder of
        # this session's, so that nothing reaches the machine's real home.
        pw_home = pwd.getpwuid(0).pw_dir
        at_root = [Path("/.config"), Path("/.local")]
        before = [p.exists() for p in at_root]
        for program in self.each_program():
            with self.subTest(program.name), Session() as s:
                home = s.dir / "pw-home"
                home.mkdir()
                script = ('mount --bind "$1" "$2"; '
                          'exec env -u HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u QUADRANTIX_CONFIG "$3"')
                app = s.start(*in_namespace(script, home, pw_home, program_path(program.name)))
                self.assert_started(app, program)
                if program.writes_store:
                    wait_until(lambda: (home / ".config/Quadrantix/Quadrantix.ini").exists(), 10, 0.05,
                               "no settings in the home folder of the password database")
                if program.name == "quadrantix":
                    wait_until(lambda: (home / ".local/share/applications/quadrantix.desktop").exists(), 10, 0.05)
                end_cleanly(self, app)
                self.assertEqual(strangers(s), [])
        made = [p for p, existed in zip(at_root, before) if p.exists() and not existed]
        for path in made:  # a faulty program's folders at the root, made by this test: take them away again
            shutil.rmtree(path, ignore_errors=True)
        self.assertEqual(made, [], "folders made at the root")

    @unittest.skipUnless(NAMESPACES, "no user and mount namespaces here")
    def test_read_only_settings_folder(self):
        for program in self.each_program():
            with self.subTest(program.name), Session() as s:
                folder = s.dir / "ro" / "Quadrantix"
                # No Big Ben: the first run wants to write, and cannot.
                store = write_ini(folder / "Quadrantix.ini", "[Opzioni]\nAvvio=Analogico\nTimer vita=4242\n")
                before = store.read_bytes()
                script = 'mount --bind "$1" "$1"; mount -o remount,bind,ro "$1"; exec env QUADRANTIX_CONFIG="$2" "$3"'
                app = s.start(*in_namespace(script, folder, store, program_path(program.name)))
                app.wait_trace("started", timeout=20)
                self.assert_runs(s, app, program)
                self.assertEqual(store.read_bytes(), before)
                self.assertEqual(sorted(p.name for p in folder.iterdir()), ["Quadrantix.ini"])

    @unittest.skipUnless(NAMESPACES, "no user and mount namespaces here")
    def test_full_settings_file_system(self):
        for program in self.each_program():
            with self.subTest(program.name), Session() as s:
                folder = s.dir / "full"
                folder.mkdir()
                source = write_ini(s.dir / "store.ini", "[Opzioni]\nAvvio=Analogico\nTimer vita=4242\n")
                # A small tmpfs holding the store, the rest filled up; the program's writes meet ENOSPC.
                script = ('mount -t tmpfs -o size=256k none "$1"; mkdir "$1/Quadrantix"; '
                          'cp "$2" "$1/Quadrantix/Quadrantix.ini"; dd if=/dev/zero of="$1/filler" bs=4k 2>/dev/null '
                          '|| true; exec env QUADRANTIX_CONFIG="$1/Quadrantix/Quadrantix.ini" "$3"')
                app = s.start(*in_namespace(script, folder, source, program_path(program.name)))
                app.wait_trace("started", timeout=20)
                # The tmpfs lives in the program's mount namespace: look at it through the program's root.
                inside = Path(f"/proc/{app.pid}/root") / str(folder).lstrip("/") / "Quadrantix"
                self.assertEqual((inside / "Quadrantix.ini").read_bytes(), source.read_bytes())
                self.assertEqual(sorted(p.name for p in inside.iterdir()),
                                 ["Quadrantix.ini"] + (["Quadrantix.ini.lock"] if program.writes_store else []))
                self.assert_runs(s, app, program)


if __name__ == "__main__":
    unittest.main()
