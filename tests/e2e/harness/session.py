"""A private desktop session (Xvfb, a session bus, optionally openbox and PulseAudio) and the programs run in it."""

import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from .dbus import SystemBus
from .processes import (_SCRUBBED, DIR_PREFIX, SCREEN, START_TIMEOUT, HarnessError, _end_marked_processes, _end_process,
                        _install_guards, _open_sessions, _owner_id, _read_line, _run_each, _sanitizer_findings, _tail,
                        faketime_env, popen, program_path, sweep_stale_runs, wait_until, write_ini)
from .sound import PulseAudio
from .traces import read_trace
from .x11 import X11Display


class App:
    """A program started by a Session."""

    def __init__(self, session, name, popen, stdout_path, stderr_path, trace_path, spawn_ns):
        self.session = session
        self.name = name
        self.popen = popen
        self.pid = popen.pid
        self.stdout_path = stdout_path
        self.stderr_path = stderr_path
        self.trace_path = trace_path
        self.spawn_ns = spawn_ns  # CLOCK_REALTIME (real, not faked) just before the program was started

    def alive(self):
        return self.popen.poll() is None

    @property
    def returncode(self):
        return self.popen.poll()

    def wait(self, timeout=10.0):
        """Waits for the program to end by itself and returns its exit code."""
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{self.name} (pid {self.pid}) still running after {timeout:g} s") from None

    def terminate(self, timeout=5.0):
        """SIGTERM, then SIGKILL after `timeout`; returns the exit code (negative: the signal)."""
        _end_process(self.popen, timeout)
        return self.popen.returncode

    def stdout(self):
        return Path(self.stdout_path).read_text(encoding="utf-8", errors="replace")

    def stderr(self):
        return Path(self.stderr_path).read_text(encoding="utf-8", errors="replace")

    def trace(self, event=None):
        lines = read_trace(self.trace_path) if self.trace_path else []
        return [line for line in lines if event is None or line.event == event]

    def wait_trace(self, event, predicate=lambda line: True, timeout=START_TIMEOUT):
        """The first trace line of `event` that satisfies predicate, polling until `timeout`."""

        def find():
            if not self.alive():
                raise HarnessError(f"{self.name} ended (exit {self.returncode}) while waiting for trace '{event}'"
                                   f"\n{_tail(self.stderr())}")
            return next((line for line in self.trace(event) if predicate(line)), None)

        return wait_until(find, timeout, 0.02, f"{self.name}: no trace line '{event}' within {timeout:g} s")

    def windows(self, name=None):
        """Visible top-level windows of this process (by _NET_WM_PID), optionally whose title matches regex `name`."""
        args = ["search", "--all", "--onlyvisible", "--pid", str(self.pid)]
        if name is not None:
            args += ["--name", name]  # the pattern comes last: xdotool's --name only says what it is matched against
        result = self.session.run(["xdotool", *args], check=False)
        return [int(word) for word in result.stdout.split()]

    def window(self, name=None, timeout=START_TIMEOUT):
        """Waits for a visible window of this process (title matching regex `name`, if given) and returns its id."""

        def find():
            if not self.alive():
                raise HarnessError(f"{self.name} ended (exit {self.returncode}) before showing a window"
                                   f"\n{_tail(self.stderr())}")
            found = self.windows(name)
            return found[0] if found else None

        what = f"window named /{name}/" if name else "window"
        return wait_until(find, timeout, 0.05, f"{self.name} (pid {self.pid}) showed no {what} within {timeout:g} s"
                          f"\n{_tail(self.stderr())}")


class Session(X11Display, SystemBus):
    """A private desktop for one test: temp HOME and XDG dirs, Xvfb, a session bus, optionally openbox and PulseAudio.

        with Session(wm=True) as s:
            app = s.start("quadrantix", config={"Opzioni": {"Avvio": "Analogico"}}, faketime="2026-12-09 03:00:00")
            win = app.window()
            assert s.pixel(*s.geometry(win).center()) == (0, 0, 0)
    """

    def __init__(self, wm=False, pulse=False, screen=SCREEN, env=None, keep=None, x_reset=False):
        self.wm = wm
        self.x_reset = x_reset  # an X server that resets when its last client leaves, as a greeter's server does
        self.want_pulse = pulse
        self.screen = screen
        self.extra_env = dict(env or {})
        self.keep = keep if keep is not None else bool(os.environ.get("QX_E2E_KEEP"))
        self.dir = None
        self.display = None
        self.env = None
        self.xvfb = None
        self.dbus = None
        self.openbox = None
        self.pulse = None
        self.system_bus = None
        self.apps = []
        self.leaked = []  # (pid, command line) of marked processes teardown found still running
        self._services = []  # Popen objects in start order
        self._files = []
        self._count = 0

    # --- set-up and teardown -------------------------------------------------------------------------------------

    def __enter__(self):
        _install_guards()
        sweep_stale_runs()
        _open_sessions.append(self)
        try:
            self._start()
        except BaseException:
            self.close(failed=True)
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        self.close(failed=exc_type is not None)
        return False

    def _start(self):
        self.dir = Path(tempfile.mkdtemp(prefix=DIR_PREFIX))
        owner = _owner_id()
        (self.dir / "owner").write_text(owner + "\n")
        home = self.dir / "home"
        runtime = self.dir / "run"
        for path in (home, home / ".config", home / ".local" / "share", home / ".cache"):
            path.mkdir(parents=True)
        runtime.mkdir(mode=0o700)
        env = {k: v for k, v in os.environ.items() if k not in _SCRUBBED and not k.startswith("QX_")}
        env.update(
            HOME=str(home),
            XDG_CONFIG_HOME=str(home / ".config"),
            XDG_DATA_HOME=str(home / ".local" / "share"),
            XDG_CACHE_HOME=str(home / ".cache"),
            XDG_RUNTIME_DIR=str(runtime),
            TZ="UTC",
            LANG="C.UTF-8",
            QT_QPA_PLATFORM="xcb",
            QX_E2E_SESSION=str(self.dir),
            QX_E2E_OWNER=owner,
            # No private sound server: point clients at nothing, so that none autospawns one.
            PULSE_SERVER=f"unix:{runtime}/no-pulse",
            # Nor the machine's system bus: a test's countdown must never reach a real logind and shut it down.
            DBUS_SYSTEM_BUS_ADDRESS=f"unix:path={runtime}/no-system-bus",
        )
        env.update(self.extra_env)
        self.env = env
        self._start_xvfb()
        self._start_dbus()
        if self.wm:
            self._start_openbox()
        if self.want_pulse:
            self.pulse = PulseAudio(self)

    def _log(self, name):
        handle = open(self.dir / f"{name}.log", "wb")
        self._files.append(handle)
        return handle

    def _spawn(self, name, argv, env=None, **kwargs):
        log = self._log(name)
        kwargs.setdefault("stdout", log)
        kwargs.setdefault("stderr", log)
        child = popen(argv, env=env or self.env, stdin=subprocess.DEVNULL, cwd=self.dir, **kwargs)
        self._services.append(child)
        return child

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        try:
            self.xvfb = self._spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
                                             "-nolisten", "tcp"] + ([] if self.x_reset else ["-noreset"]),
                                    pass_fds=[write_end])
        finally:
            os.close(write_end)
        try:
            number = _read_line(read_end, START_TIMEOUT, "Xvfb did not report its display number", self.xvfb)
        finally:
            os.close(read_end)
        self.display = f":{number}"
        self.env["DISPLAY"] = self.display
        wait_until(lambda: self.run(["xdpyinfo"], check=False).returncode == 0, START_TIMEOUT, 0.05,
                   f"Xvfb on {self.display} does not answer")

    def _start_dbus(self):
        socket = self.dir / "bus.sock"
        self.dbus = self._spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1",
                                         f"--address=unix:path={socket}"], stdout=subprocess.PIPE)
        address = _read_line(self.dbus.stdout.fileno(), START_TIMEOUT, "dbus-daemon did not print its address",
                             self.dbus)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
    def _start_openbox(self):
        # openbox claims the screen (_NET_SUPPORTING_WM_CHECK) before it has taken over the windows already there, and
        # a window mapped in between is never managed: wait for its --startup command, which runs after that.
        ready = self.dir / "openbox-ready"
        self.openbox = self._spawn("openbox", ["openbox", "--sm-disable", "--startup",
                                               f"touch {shlex.quote(str(ready))}"])

        def managed():
            if self.openbox.poll() is not None:
                raise HarnessError(f"openbox ended at start:\n{_tail((self.dir / 'openbox.log').read_text())}")
            if not ready.exists():
                return False
            out = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).stdout
            return "window id" in out

        wait_until(managed, START_TIMEOUT, 0.05, "openbox did not take over the screen")

    def close(self, failed=False):
        """Ends every process this session started, by process id, and removes its directory (unless kept). Each step
        runs even when an earlier one failed."""
        try:
            if self.dir is None:
                return
            steps = []
            if failed:
                steps.append(self._report_failure)
            steps += [lambda app=app: _end_process(app.popen) for app in reversed(self.apps)]
            if self.pulse:
                steps.append(self.pulse.close)
            steps += [lambda popen=popen: _end_process(popen) for popen in reversed(self._services)]
            steps.append(self._end_leftovers)
            findings = []  # read from the programs' logs before the folder goes
            steps.append(lambda: findings.extend(_sanitizer_findings(self.apps)))
            steps += [handle.close for handle in self._files]
            steps.append(self._remove_dir)
            _run_each(steps)
            if findings and not failed:
                raise HarnessError("sanitizer findings:\n" + "\n".join(findings))
        finally:
            # Only now: a signal that comes while this runs closes the session again, to its end.
            if self in _open_sessions:
                _open_sessions.remove(self)

    def _end_leftovers(self):
        self.leaked = _end_marked_processes(str(self.dir))
        if self.leaked:
            print(f"harness: ended processes left behind: {self.leaked}", file=sys.stderr)

    def _remove_dir(self):
        folder, self.dir = self.dir, None
        if self.keep:
            (folder / "kept").touch()
            print(f"harness: kept {folder}", file=sys.stderr)
        else:
            shutil.rmtree(folder, ignore_errors=True)

    def _report_failure(self):
        try:
            if self.xvfb and self.xvfb.poll() is None:
                self.run(["import", "-window", "root", str(self.dir / "failure.png")], check=False)
        except Exception:  # the report must never hide the real failure
            pass
        for app in self.apps:
            print(f"harness: {app.name} pid {app.pid} exit {app.returncode}; stderr:\n{_tail(app.stderr())}",
                  file=sys.stderr)

    def pids(self):
        """Process ids of everything this session started."""
        return [p.pid for p in self._services] + [a.pid for a in self.apps] + (self.pulse.pids() if self.pulse else [])

    # --- programs --------------------------------------------------------------------------------------------------

    def start(self, program, args=(), env=None, config=None, faketime=None, trace=True):
        """Starts a program (a name in <build>/bin or a path) and returns its App.

        config: settings file text or {section: {key: value}}, passed as QUADRANTIX_CONFIG (None: the program's
        default file in the private XDG_CONFIG_HOME). faketime: see faketime_env(). trace: set QUADRANTIX_TRACE."""
        path = program_path(program)
        if not path.exists():
            raise HarnessError(f"program not built: {path}")
        self._count += 1
        stem = f"{path.name}-{self._count}"
        child_env = dict(self.env)
        if config is not None:
            child_env["QUADRANTIX_CONFIG"] = str(write_ini(self.dir / f"{stem}.ini", config))
        trace_path = None
        if trace:
            trace_path = self.dir / f"{stem}.trace"
            child_env["QUADRANTIX_TRACE"] = str(trace_path)
        if faketime:
            child_env.update(faketime_env(faketime))
        child_env.update(env or {})
        out_path, err_path = self.dir / f"{stem}.out", self.dir / f"{stem}.err"
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            spawn_ns = time.time_ns()
            child = popen([str(path), *args], env=child_env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                          cwd=self.dir)
        app = App(self, path.name, child, out_path, err_path, trace_path, spawn_ns)
        self.apps.append(app)
        return app

    def settings_path(self):
        """Where the programs keep their settings when QUADRANTIX_CONFIG is not given."""
        return Path(self.env["XDG_CONFIG_HOME"]) / "Quadrantix" / "Quadrantix.ini"
