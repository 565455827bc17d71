"""Horacumul end to end: the real program under a private X server and bus, ended in each way a log-on ends."""

import configparser
import signal
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import BUILD_DIR, Session, TestSessionManager, wait_until, write_ini  # noqa: E402

BOOT_ID = Path("/proc/sys/kernel/random/boot_id").read_text().strip()


def uptime():
    """Seconds since the machine started, as CLOCK_BOOTTIME counts them (/proc/uptime is never faked)."""
    return float(Path("/proc/uptime").read_text().split()[0])


def lifetime(path):
    """(total, boot, counted) as the store holds them; counted as a number when it is one."""
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str.lower
    parser.read(path, encoding="utf-8")
    options = parser["Opzioni"] if parser.has_section("Opzioni") else {}
    counted = options.get("timer vita contati", "")
    return int(options.get("timer vita", "0")), options.get("timer vita avvio", ""), \
        int(counted) if counted.isdigit() else counted


def store(total, boot="", counted=""):
    return {"Opzioni": {"Big Ben": "1", "Timer vita": str(total), "Timer vita avvio": boot,
                        "Timer vita contati": str(counted)}}


class HoracumulCase(unittest.TestCase):
    def start(self, s, config=None, **kwargs):
        app = s.start("horacumul", config=config, **kwargs)
        app.wait_trace("started")
        return app

    def assertAddedUptime(self, path, before_total, first_counted, low, high, what):
        """The total rose by the seconds from `first_counted` to the uptime of the update, which fell in [low, high]."""
        total, boot, counted = lifetime(path)
        self.assertEqual(boot, BOOT_ID, what)
        self.assertGreaterEqual(counted, int(low), what)
        self.assertLessEqual(counted, int(high), what)
        self.assertEqual(total - before_total, counted - first_counted, what)


class HoracumulTest(HoracumulCase):
    def test_each_ending_signal_adds_the_uptime_not_yet_counted(self):
        with Session() as s:
            for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
                with self.subTest(signal=sig.name):
                    app = self.start(s, config=store(500))
                    self.assertEqual(app.windows(), [], "no window is ever shown")
                    low = uptime()
                    app.popen.send_signal(sig)
                    self.assertEqual(app.wait(10), 0, "a clean end")
                    high = uptime()
                    self.assertAddedUptime(s.dir / f"horacumul-{len(s.apps)}.ini", 500, 0, low, high,
                                           "no record of this boot: the whole uptime")
                    self.assertEqual(len(app.trace("unloaded")), 1, "the unload step ran once")

    def test_stopped_twice_in_one_boot_the_second_adds_only_the_time_since(self):
        with Session() as s:
            path = s.dir / "shared.ini"
            first_counted = int(uptime()) - 100
            write_ini(path, store(7000, BOOT_ID, first_counted))  # one settings file for both runs
            env = {"QUADRANTIX_CONFIG": str(path)}
            app = self.start(s, env=env)
            low = uptime()
            app.terminate()
            high = uptime()
            self.assertAddedUptime(path, 7000, first_counted, low, high, "the seconds since the record of this boot")
            total1, _, counted1 = lifetime(path)
            self.assertLess(total1 - 7000, 130, "not the whole uptime again")

            wait_until(lambda: uptime() >= counted1 + 2.2, 10)
            app = self.start(s, env=env)
            low = uptime()
            app.terminate()
            high = uptime()
            self.assertAddedUptime(path, total1, counted1, low, high, "the second run")
            total2, _, counted2 = lifetime(path)
            self.assertGreaterEqual(total2 - total1, 2)
            self.assertLess(total2 - total1, 30, "only the seconds since the first run")

    def test_two_copies_at_once_count_each_second_once(self):
        with Session() as s:
            path = write_ini(s.dir / "shared.ini", store(40, BOOT_ID, int(uptime()) - 30))
            first_counted = lifetime(path)[2]
            # One accumulator runs per session: the second copy is another session's (its own runtime folder).
            other_session = s.dir / "run-2"
            other_session.mkdir(mode=0o700)
            env = {"QUADRANTIX_CONFIG": str(path)}
            apps = [self.start(s, env=env), self.start(s, env={**env, "XDG_RUNTIME_DIR": str(other_session)})]
            wait_until(lambda: uptime() >= first_counted + 32, 10)
            low = uptime()
            for app in apps:
                app.popen.send_signal(signal.SIGTERM)
            for app in apps:
                self.assertEqual(app.wait(10), 0)
            high = uptime()
            self.assertAddedUptime(path, 40, first_counted, low, high, "two copies, one count")

    def test_the_arithmetic_of_the_total_with_a_faked_uptime(self):
        # With the monotonic clocks faked too, an absolute faked date sets the uptime: 1970-01-01 01:02:05.4 is an
        # uptime of 3725.4 s. Time runs ten thousand times slower, so it does not move while the test runs.
        cases = [
            ("0 and 1 h 2 min 5.4 s give 3725", 0, "@1970-01-01 01:02:05.4 x0.0001", 3725),
            ("1000 and 999 ms stay 1000", 1000, "@1970-01-01 00:00:00.999 x0.0001", 1000),
            ("3 000 000 000 ms add 3 000 000 s", 0, "@1970-02-04 17:20:00 x0.0001", 3_000_000),
        ]
        with Session() as s:
            for name, total, fake, expected in cases:
                with self.subTest(name):
                    app = self.start(s, config=store(total), faketime=fake,
                                     env={"FAKETIME_DONT_FAKE_MONOTONIC": "0", "TZ": "UTC"})
                    app.terminate()
                    self.assertEqual(app.returncode, 0)
                    new_total, boot, _ = lifetime(s.dir / f"horacumul-{len(s.apps)}.ini")
                    self.assertEqual(new_total, expected, name)
                    self.assertEqual(boot, BOOT_ID)

    def test_a_total_that_is_no_number_counts_as_zero_and_is_replaced(self):
        with Session() as s:
            app = self.start(s, config=store("dodici", BOOT_ID, 5))
            low = uptime()
            app.terminate()
            high = uptime()
            self.assertAddedUptime(s.dir / "horacumul-1.ini", 0, 0, low, high, "the whole boot, from 0")

    def test_the_end_of_the_x_server_adds_the_time(self):
        with Session() as s:
            app = self.start(s, config=store(10))
            self.assertEqual(app.trace("started")[0].args, ("xcb",))
            low = uptime()
            s.xvfb.terminate()
            s.xvfb.wait(10)
            app.wait(10)
            high = uptime()
            self.assertAddedUptime(s.dir / "horacumul-1.ini", 10, 0, low, high, "the X connection lost")

    def test_an_x_server_that_resets_when_its_last_client_leaves_never_fails_a_start(self):
        # Each start is alone on the server, so the display check's connection is its only client: were it closed
        # before the toolkit connected, the server would be resetting just then.
        with Session(x_reset=True) as s:
            for start in range(1, 16):
                with self.subTest(start=start):
                    app = s.start("horacumul", config=store(0))
                    self.assertEqual(app.wait_trace("started").args, ("xcb",))
                    self.assertEqual(app.terminate(), 0)
            for start in range(1, 4):
                with self.subTest(program="quadrantix", start=start):
                    app = s.start("quadrantix", config={"Opzioni": {"Avvio": "Mini", "Big Ben": "1"}})
                    app.window()
                    self.assertEqual(app.terminate(), 0)

    def test_without_a_display_it_runs_on_and_ends_with_a_signal(self):
        with Session() as s:
            env = {k: v for k, v in s.env.items() if k != "DISPLAY"}
            env.pop("QT_QPA_PLATFORM")
            config = write_ini(s.dir / "nodisplay.ini", store(0))
            env["QUADRANTIX_CONFIG"] = str(config)
            env["QUADRANTIX_TRACE"] = str(s.dir / "nodisplay.trace")
            popen = subprocess.Popen([str(BUILD_DIR / "bin" / "horacumul")], env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=s.dir)
            try:
                wait_until(lambda: "started" in (s.dir / "nodisplay.trace").read_text()
                           if (s.dir / "nodisplay.trace").exists() else False, 15)
                self.assertIn("started offscreen", (s.dir / "nodisplay.trace").read_text())
                low = uptime()
                popen.send_signal(signal.SIGTERM)
                self.assertEqual(popen.wait(10), 0)
                high = uptime()
            finally:
                if popen.poll() is None:
                    popen.kill()
                    popen.wait()
            self.assertAddedUptime(config, 0, 0, low, high, "no display")


class LogindTest(HoracumulCase):
    """A logind of python3-dbusmock on a private system bus announces the shut-down."""

    def test_a_shutdown_waits_for_the_update_and_one_called_off_is_held_again(self):
        with Session() as s:
            bus_path = s.dir / "system.sock"
            bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                    f"--address=unix:path={bus_path}"], stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=s.env)
            address = f"unix:path={bus_path}"
            mock = None
            try:
                wait_until(bus_path.exists, 10)
                env = dict(s.env, DBUS_SYSTEM_BUS_ADDRESS=address)
                mock = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, env=env)

                def call(*args):
                    return subprocess.run(["dbus-send", f"--bus={address}", "--print-reply", *args],
                                          capture_output=True, text=True, env=env, timeout=10)

                wait_until(lambda: "true" in call("--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus.NameHasOwner",
                                                  "string:org.freedesktop.login1").stdout, 15)

                def inhibitors():
                    return call("--dest=org.freedesktop.login1", "/org/freedesktop/login1",
                                "org.freedesktop.login1.Manager.ListInhibitors").stdout

                def announce(starting):
                    call("--dest=org.freedesktop.login1", "/org/freedesktop/login1",
                         "org.freedesktop.DBus.Mock.EmitSignal", "string:org.freedesktop.login1.Manager",
                         "string:PrepareForShutdown", "string:b", f"array:boolean:{'true' if starting else 'false'}")

                app = self.start(s, config=store(20), env={"DBUS_SYSTEM_BUS_ADDRESS": address})
                app.wait_trace("inhibitor")
                held = inhibitors()
                self.assertIn('"shutdown"', held)
                self.assertIn('"Horacumul"', held)
                self.assertIn('"delay"', held)

                low = uptime()
                announce(True)
                app.wait_trace("shutdown")
                wait_until(lambda: '"Horacumul"' not in inhibitors(), 10, message="the inhibitor was not let go")
                high = uptime()
                self.assertAddedUptime(s.dir / "horacumul-1.ini", 20, 0, low, high, "before the shut-down")
                self.assertTrue(app.alive(), "the program waits for the end of the session")

                announce(False)
                wait_until(lambda: '"Horacumul"' in inhibitors(), 10, message="no new inhibitor after the call-off")
                total, _, counted = lifetime(s.dir / "horacumul-1.ini")
                app.terminate()
                self.assertEqual(app.returncode, 0)
                new_total, _, new_counted = lifetime(s.dir / "horacumul-1.ini")
                self.assertEqual(new_total - total, new_counted - counted, "the final update adds only what is new")
            finally:
                for popen in (mock, bus):
                    if popen and popen.poll() is None:
                        popen.terminate()
                        popen.wait(10)


class SessionManagerTest(HoracumulCase):
    """A minimal X11 session manager of our own logs the user off as a desktop does: save for a shut-down, then die."""

    def test_log_off_through_the_session_manager_and_no_restart_asked(self):
        with Session() as s, TestSessionManager(s) as manager:
            app = self.start(s, config=store(30), env=manager.env)
            manager.wait_registered()
            low = uptime()
            manager.logout()
            self.assertEqual(app.wait(10), 0, f"ended by the session manager: {manager.said}")
            high = uptime()
            self.assertIn("saved 1", manager.said)
            self.assertIn("property RestartStyleHint 3", manager.said, "never to be restarted in a later session")
            self.assertEqual(len(app.trace("commit")), 1, "the update ran when asked to save")
            self.assertEqual(len(app.trace("unloaded")), 1)
            self.assertAddedUptime(s.dir / "horacumul-1.ini", 30, 0, low, high, "at the log-off")


if __name__ == "__main__":
    unittest.main()
