"""Self-test of the end-to-end harness against qx_e2e_probe, a shaped window of known colour."""

import calendar
import json
import os
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean of __pycache__
sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
from harness import HarnessError, Session, ellipse_deviation, pid_alive, wait_until  # noqa: E402

PROBE = "qx_e2e_probe"
GREEN = (0x20, 0xA0, 0x60)
BLACK = (0, 0, 0)  # Xvfb's root window


class ProbeSessionTest(unittest.TestCase):
    def test_window_is_found_drawn_shaped_and_dragged_and_all_ends(self):
        with Session() as s:
            app = s.start(PROBE)
            win = app.window()
            self.assertEqual(app.window(name="^QX Probe$"), win)
            self.assertEqual(s.window_name(win), "QX Probe")
            geometry = s.geometry(win)
            self.assertEqual(geometry, harness.Geometry(100, 100, 300, 200))
            mapped = app.wait_trace("mapped")
            self.assertEqual(mapped.args, ("Probe",))
            self.assertGreater(mapped.ns, app.spawn_ns)

            shot = s.screenshot(s.dir / "probe.png")
            self.assertEqual(shot.size, (1024, 768))
            # The probe's white second mark moves along the middle row (y 90..101): look above and below it.
            self.assertEqual(shot.getpixel((geometry.x + 150, geometry.y + 60)), GREEN)
            self.assertEqual(shot.getpixel((geometry.x + 150, geometry.y + 140)), GREEN)
            self.assertEqual(shot.getpixel((geometry.x + 2, geometry.y + 2)), BLACK, "corner outside the ellipse")
            self.assertEqual(shot.getpixel((geometry.x + 150, geometry.y + 2)), GREEN, "top of the ellipse")

            rects = s.shape_rects(win)
            self.assertLessEqual(ellipse_deviation(rects, geometry.width, geometry.height), 1.5)
            self.assertGreater(ellipse_deviation([(0, 0, 300, 200)], 300, 200), 20, "a rectangle is no ellipse")
            self.assertGreater(ellipse_deviation(rects, 300, 240), 5, "another ellipse does not match")

            s.drag(250, 200, 400, 280)
            expected = harness.Geometry(250, 180, 300, 200)
            # The probe may still be working through the motion events when xdotool returns.
            wait_until(lambda: s.geometry(win) == expected, 5, message=f"window at {s.geometry(win)}")
            moved = s.geometry(win)
            self.assertEqual(s.pixel(moved.x + 150, moved.y + 60), GREEN)
            self.assertEqual(s.pixel(100 + 150, 100 + 60), BLACK, "the old place is empty")

            started = s.pids()
            self.assertEqual(len(harness.marked_processes(s.dir)), len(started))
            session_dir = s.dir
        self.assertEqual([pid for pid in started if pid_alive(pid)], [])
        self.assertEqual(harness.marked_processes(session_dir), [])
        self.assertFalse(session_dir.exists())

    def test_each_second_is_traced_soon_after_its_boundary(self):
        with Session() as s:
            app = s.start(PROBE)
            app.window()
            first = app.wait_trace("shown")
            last = app.wait_trace("shown", lambda line: int(line.args[0]) >= int(first.args[0]) + 2, timeout=5)
            shown = app.trace("shown")
            seconds = [int(line.args[0]) for line in shown if line.ns <= last.ns]
            self.assertEqual(seconds, list(range(seconds[0], seconds[0] + len(seconds))), "no second skipped")
            lags = [line.lag_ms() for line in shown]
            self.assertTrue(all(0 <= lag < 1000 for lag in lags), lags)
            self.assertLess(harness.median(lags), 50, lags)

    def test_faketime_sets_the_time_of_day_but_not_the_monotonic_clock(self):
        cases = [
            # name, TZ, faked local time, printed prefix, epoch of the faked time
            ("night in UTC", "UTC", "2026-12-09 03:00:00", "2026-12-09 03:00:0", "2026-12-09 03:00:00 +0000"),
            ("leap day", "UTC", "2028-02-29 23:59:30", "2028-02-29 23:59:3", "2028-02-29 23:59:30 +0000"),
            ("summer in Rome", "Europe/Rome", "2026-07-01 12:00:00", "2026-07-01 12:00:0",
             "2026-07-01 10:00:00 +0000"),
        ]
        with Session() as s:
            for name, tz, when, prefix, epoch_text in cases:
                with self.subTest(name):
                    app = s.start(PROBE, env={"TZ": tz}, faketime=when)
                    out = wait_until(lambda: "monotonic" in app.stdout() and app.stdout(), 10)
                    values = dict(line.split(" ", 1) for line in out.splitlines())
                    self.assertTrue(values["now"].startswith(prefix), values["now"])
                    with open("/proc/uptime") as uptime:  # never faked
                        real = float(uptime.read().split()[0])
                    self.assertLess(abs(int(values["monotonic"]) - real), 60, "monotonic clock was faked")
                    epoch = calendar.timegm(time.strptime(epoch_text, "%Y-%m-%d %H:%M:%S %z"))
                    shown = int(app.wait_trace("shown").args[0])
                    self.assertTrue(epoch < shown <= epoch + 10, (shown, epoch))
                    app.terminate()


class SessionLifecycleTest(unittest.TestCase):
    def test_window_manager_manages_the_window(self):
        with Session(wm=True) as s:
            app = s.start(PROBE)
            win = app.window()
            wait_until(lambda: win in s.stacking(), 5, message="openbox does not list the probe")
            self.assertLessEqual(ellipse_deviation(s.shape_rects(win), 300, 200), 1.5, "openbox kept the shape")
            started = s.pids()
            self.assertEqual(len(started), 4)  # Xvfb, dbus-daemon, openbox, probe
        self.assertEqual([pid for pid in started if pid_alive(pid)], [])

    def test_failure_inside_the_session_still_ends_everything(self):
        started = []
        with self.assertRaises(RuntimeError):
            with Session() as s:
                app = s.start(PROBE)
                app.window()
                started = s.pids()
                session_dir = s.dir
                raise RuntimeError("test failed")
        self.assertEqual(len(started), 3)
        self.assertEqual([pid for pid in started if pid_alive(pid)], [])
        self.assertFalse(session_dir.exists())

    def test_a_detached_child_of_a_program_is_ended_too(self):
        with Session() as s:
            app = s.start("/bin/sh", args=["-c", "setsid sleep 300 </dev/null >/dev/null 2>&1 & echo $!"])
            self.assertEqual(app.wait(), 0)
            orphan = int(wait_until(lambda: app.stdout().strip(), 5))
            self.assertTrue(pid_alive(orphan))
        self.assertFalse(pid_alive(orphan))
        self.assertEqual([pid for pid, _ in s.leaked], [orphan])

    def test_a_program_without_a_window_fails_fast_and_clearly(self):
        with Session() as s:
            app = s.start("/bin/false")
            begun = time.monotonic()
            with self.assertRaisesRegex(HarnessError, "ended .exit 1. before showing a window"):
                app.window(timeout=10)
            self.assertLess(time.monotonic() - begun, 5)
            with self.assertRaisesRegex(HarnessError, "not built"):
                s.start("no_such_program")
            with self.assertRaises(TimeoutError):
                wait_until(lambda: False, 0.1)

    def test_settings_file_is_written_and_passed(self):
        with Session() as s:
            app = s.start("/bin/sh", args=["-c", 'cat "$QUADRANTIX_CONFIG"; echo "$HOME $XDG_RUNTIME_DIR"'],
                          config={"Opzioni": {"Avvio": "Analogico"}, "Sveglia": {"Ora": "07:30"}})
            self.assertEqual(app.wait(), 0)
            lines = app.stdout().splitlines()
            self.assertEqual(lines[:5], ["[Opzioni]", "Avvio=Analogico", "", "[Sveglia]", "Ora=07:30"])
            home, runtime = lines[-1].split()
            self.assertTrue(home.startswith(str(s.dir)))
            self.assertEqual(os.stat(runtime).st_mode & 0o777, 0o700)

    def test_one_failing_close_does_not_skip_the_others(self):
        with self.assertRaisesRegex(OSError, "refused"):
            with Session() as s:
                first, second = s.start(PROBE), s.start(PROBE)
                first.window()
                second.window()
                started = s.pids()
                session_dir = s.dir

                def refuse(signum):
                    raise OSError("refused")

                second.popen.send_signal = refuse  # ended first (last started), and its end fails
        del second.popen.send_signal
        # The probe whose end failed went with the marked processes that teardown sweeps up last.
        self.assertEqual([pid for pid in started if pid_alive(pid)], [])
        self.assertFalse(session_dir.exists())
        second.popen.wait(5)


# A harness process that opens a session with the probe and a detached helper, reports what it started, and then
# waits to be ended by the test.
RUNNER = r"""
import json, sys
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[1])
import harness
with harness.Session() as s:
    s.start("qx_e2e_probe").window()
    helper = s.start("/bin/sh", args=["-c", "setsid sleep 300 </dev/null >/dev/null 2>&1 & echo $!"])
    helper.wait()
    orphan = int(harness.wait_until(lambda: helper.stdout().strip(), 5))
    print(json.dumps({"pids": s.pids(), "orphan": orphan, "dir": str(s.dir)}), flush=True)
    sys.stdin.read()
"""


class HarnessDeathTest(unittest.TestCase):
    def start_runner(self):
        runner = harness.popen([sys.executable, "-c", RUNNER, str(Path(harness.__file__).parents[1])],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.addCleanup(lambda: (runner.kill(), runner.wait(5), runner.stdin.close(), runner.stdout.close()))
        started = json.loads(harness._read_line(runner.stdout.fileno(), 30, "the runner did not report", runner))
        self.assertTrue(all(pid_alive(pid) for pid in started["pids"][:3]), started)  # Xvfb, dbus-daemon, probe
        self.assertTrue(pid_alive(started["orphan"]))
        return runner, started

    def test_sigterm_closes_the_session_and_the_harness_dies_of_it(self):
        runner, started = self.start_runner()
        runner.send_signal(signal.SIGTERM)
        self.assertEqual(runner.wait(20), -signal.SIGTERM)
        everything = started["pids"] + [started["orphan"]]
        self.assertEqual([pid for pid in everything if pid_alive(pid)], [])
        self.assertFalse(Path(started["dir"]).exists())

    def test_sigkill_takes_the_children_along_and_the_next_session_sweeps_the_rest(self):
        runner, started = self.start_runner()
        runner.kill()
        runner.wait(5)
        # The kernel's parent-death signal ends the direct children; nothing of the harness ran.
        wait_until(lambda: not any(pid_alive(pid) for pid in started["pids"]), 5,
                   message=f"children outlived the harness: {[p for p in started['pids'] if pid_alive(p)]}")
        self.assertTrue(Path(started["dir"]).exists())
        self.assertTrue(pid_alive(started["orphan"]), "a detached helper is beyond the parent-death signal")
        with Session():
            self.assertFalse(pid_alive(started["orphan"]), "swept: its session's owner is dead")
            self.assertFalse(Path(started["dir"]).exists(), "swept: the dead run's folder")


if __name__ == "__main__":
    unittest.main(verbosity=2)
