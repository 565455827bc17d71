"""End-to-end harness: runs the real programs under a private Xvfb, D-Bus (and optionally openbox, PulseAudio)."""

# Everything a Session starts carries QX_E2E_SESSION=<its directory> and QX_E2E_OWNER=<pid:start> of the Python
# process that owns the session in its environment; teardown ends the processes it started by their process ids and
# then, also by id, any process still carrying that mark (for example a helper a program started detached). Nothing is
# ever ended by name.
#
# Nothing outlives the harness: every child is told by the kernel to die with its parent (PR_SET_PDEATHSIG), so a
# harness killed outright takes its children with it; SIGTERM, SIGINT and the interpreter's exit close every open
# session properly; and a session that starts sweeps away what a dead harness left behind (its folder, and marked
# processes such as a detached helper, which the parent-death signal does not reach).

import array
import atexit
import ctypes
import math
import os
import re
import select
import shlex
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

SOURCE_DIR = Path(os.environ.get("QX_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD_DIR = Path(os.environ.get("QX_BUILD_DIR", SOURCE_DIR / "build" / "dev"))

LIBFAKETIME = "/usr/$LIB/faketime/libfaketime.so.1"  # ld.so expands $LIB, as the faketime wrapper does
SCREEN = "1024x768x24"
START_TIMEOUT = 15.0

# Inherited variables that would let a child reach the developer's own desktop, bus, sound server or settings.
_SCRUBBED = (
    "DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS", "DBUS_SYSTEM_BUS_ADDRESS",
    "SESSION_MANAGER", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "XDG_CONFIG_DIRS",
    "XDG_DATA_DIRS", "XDG_CACHE_HOME", "XDG_STATE_HOME", "PULSE_SERVER", "PULSE_COOKIE", "LC_ALL", "LD_PRELOAD",
    "FAKETIME", "QUADRANTIX_CONFIG", "QUADRANTIX_TRACE", "QT_QPA_PLATFORMTHEME", "QT_SCALE_FACTOR",
    "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_STYLE_OVERRIDE",
)


class HarnessError(AssertionError):
    """Raised when the harness itself cannot do what a test asked (a program does not start, no window appears)."""


DIR_PREFIX = "qx-e2e-"
_PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


def _die_with_parent():
    """A preexec_fn: the child gets SIGKILL when the harness process ends, however it ends."""
    expected = os.getpid()

    def arrange():
        _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)
        if os.getppid() != expected:  # the harness died before the line above: nobody would send the signal
            os._exit(111)

    return arrange


def popen(argv, **kwargs):
    """subprocess.Popen for a child that dies with this process (see _die_with_parent)."""
    return subprocess.Popen(argv, preexec_fn=_die_with_parent(), **kwargs)


def _run_each(steps):
    """Runs every step, each in its own `finally`: one that fails does not skip the others; the first error
    propagates once all have run."""
    if not steps:
        return
    try:
        steps[0]()
    finally:
        _run_each(steps[1:])


def _start_time(pid):
    """The kernel's start time of `pid` (clock ticks since boot), or None once it has ended: with the pid it tells a
    process apart from a later one that was given the same number."""
    try:
        with open(f"/proc/{pid}/stat") as handle:
            fields = handle.read().rsplit(")", 1)[1].split()
    except (FileNotFoundError, ProcessLookupError, IndexError):
        return None
    return None if fields[0] == "Z" else fields[19]


def _owner_id():
    """This process as the owner of a session: its pid and start time."""
    return f"{os.getpid()}:{_start_time(os.getpid())}"


def _owner_alive(owner):
    pid, _, start = owner.partition(":")
    return pid.isdigit() and _start_time(int(pid)) == start


_open_sessions = []
_guards_installed = False


def _close_open_sessions():
    _run_each([session.close for session in list(reversed(_open_sessions))])


def _on_signal(signum, frame):
    try:
        _close_open_sessions()
    finally:
        # Then die of the signal, as the process would have without this handler.
        signal.signal(signum, signal.SIG_DFL)
        os.kill(os.getpid(), signum)


def _install_guards():
    """Closes every open session at the interpreter's exit and on SIGTERM or SIGINT (unless the program has handlers
    of its own for them)."""
    global _guards_installed
    if _guards_installed:
        return
    _guards_installed = True
    atexit.register(_close_open_sessions)
    for signum, default in ((signal.SIGTERM, signal.SIG_DFL), (signal.SIGINT, signal.default_int_handler)):
        try:
            if signal.getsignal(signum) is default:
                signal.signal(signum, _on_signal)
        except ValueError:  # not the main thread: atexit and the parent-death signal still hold
            pass


def sweep_stale_runs(tmp=None):
    """Ends the marked processes of sessions whose owner has died and removes the folders such sessions left.
    Returns [(pid, command line)] of the processes ended. Runs of a live harness (another test) are left alone."""
    ended = []
    for mark in sorted(_stale_marks()):
        try:
            ended += _end_marked_processes(mark)
        except TimeoutError as error:  # a process that cannot be ended must not stop this session from starting
            print(f"harness: {error}", file=sys.stderr)
    in_use = {marks.get("QX_E2E_SESSION") for _, _, marks in _marked()}
    root = Path(tmp or tempfile.gettempdir())
    for folder in root.glob(DIR_PREFIX + "*"):
        try:
            if not folder.is_dir() or folder.is_symlink() or folder.stat().st_uid != os.getuid():
                continue
            if (folder / "kept").exists() or str(folder) in in_use:  # kept on purpose (QX_E2E_KEEP), or running
                continue
            owner_file = folder / "owner"
            if owner_file.exists():
                stale = not _owner_alive(owner_file.read_text().strip())
            else:
                # A session just starting, or one of a harness that writes no owner: only an old, unused one is stale.
                stale = time.time() - folder.stat().st_mtime > 3600
        except OSError:
            continue
        if stale:
            shutil.rmtree(folder, ignore_errors=True)
    return ended


def program_path(name):
    """A program in <build>/bin by name, or a path as given."""
    path = Path(name)
    if path.is_absolute() or "/" in str(name):
        return path
    return BUILD_DIR / "bin" / name


def wait_until(predicate, timeout=10.0, interval=0.02, message=None):
    """Polls predicate() until it returns something true and returns that; raises TimeoutError after `timeout`."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError(message or f"condition not met within {timeout:g} s: {predicate}")
        time.sleep(interval)


def write_ini(path, content):
    """Writes a settings file: `content` is the file's text or {section: {key: value}}. Returns the path."""
    if isinstance(content, dict):
        lines = []
        for section, values in content.items():
            lines.append(f"[{section}]")
            lines.extend(f"{key}={value}" for key, value in values.items())
            lines.append("")
        content = "\n".join(lines)
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(content, encoding="utf-8")
    return path


def faketime_env(when):
    """Environment that fakes the time of day from the program's start on: when = 'YYYY-MM-DD hh:mm:ss' (local time
    of the session's TZ), optionally followed by ' x10' to run faster, or any raw FAKETIME value ('+2d', '@...').

    libfaketime is preloaded directly instead of through the `faketime` wrapper, which would fork and leave the
    program under a different process id. The monotonic clock is never faked, so timers and uptime stay real."""
    value = when if when[:1] in "@+-" else "@" + when
    return {
        "LD_PRELOAD": LIBFAKETIME,
        "FAKETIME": value,
        "FAKETIME_DONT_FAKE_MONOTONIC": "1",
        "ASAN_OPTIONS": "verify_asan_link_order=0",
    }


@dataclass(frozen=True)
class Geometry:
    x: int
    y: int
    width: int
    height: int

    def center(self):
        return self.x + self.width // 2, self.y + self.height // 2


@dataclass(frozen=True)
class TraceLine:
    ns: int
    event: str
    args: tuple

    def lag_ms(self):
        """For `shown <epoch_seconds> <face>`: how long after the real second boundary the second was on screen."""
        return (self.ns - int(self.args[0]) * 1_000_000_000) / 1e6


def read_trace(path):
    lines = []
    try:
        text = Path(path).read_text(encoding="utf-8", errors="replace")
    except FileNotFoundError:
        return lines
    for raw in text.splitlines():
        parts = raw.split()
        if len(parts) >= 2 and parts[0].isdigit():
            lines.append(TraceLine(int(parts[0]), parts[1], tuple(parts[2:])))
    return lines


def row_spans(rects):
    """{row: (first x, end x)} of a shape given as rectangles (x, y, w, h); gaps inside a row are ignored."""
    rows = {}
    for x, y, w, h in rects:
        for row in range(y, y + h):
            lo, hi = rows.get(row, (x, x + w))
            rows[row] = (min(lo, x), max(hi, x + w))
    return rows


def ellipse_deviation(rects, width, height):
    """Largest distance in pixels between the outline of a shape and the ellipse inscribed in (0, 0, width, height).

    Each row's span ends are measured against the curve (first-order distance), and rows missing at the top or
    bottom count as vertical distance. Qt's own QRegion::Ellipse lies up to about 1.2 px inside the ideal curve."""
    rows = row_spans(rects)
    if not rows:
        return math.inf
    a, b = width / 2, height / 2

    def distance(x, y):
        dx, dy = x - a, y - b
        f = (dx / a) ** 2 + (dy / b) ** 2 - 1
        gradient = math.hypot(2 * dx / a**2, 2 * dy / b**2)
        return abs(f) / gradient if gradient else math.inf

    worst = max(min(rows), height - 1 - max(rows))
    for row, (lo, hi) in rows.items():
        worst = max(worst, distance(lo, row + 0.5), distance(hi, row + 0.5))
    return worst


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


class Session:
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

    def start_system_bus(self):
        """A private dbus-daemon standing for the system bus: programs started from now on reach it through
        DBUS_SYSTEM_BUS_ADDRESS (the machine's own is never used). Returns its address."""
        socket = self.dir / "system-bus.sock"
        self.system_bus = self._spawn("system-dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                                      "--print-address=1", f"--address=unix:path={socket}"],
                                      stdout=subprocess.PIPE)
        address = _read_line(self.system_bus.stdout.fileno(), START_TIMEOUT,
                             "the system dbus-daemon did not print its address", self.system_bus)
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = address
        return address

    def start_logind_mock(self):
        """python3-dbusmock's logind on the private system bus (started if need be); returns a LogindMock."""
        if self.system_bus is None:
            self.start_system_bus()
        return LogindMock(self)

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

    # --- X11 ---------------------------------------------------------------------------------------------------------

    def run(self, argv, check=True, timeout=20.0):
        """Runs a helper command on this session's display and bus; returns CompletedProcess (text)."""
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout,
                                stdin=subprocess.DEVNULL, preexec_fn=_die_with_parent())
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(map(str, argv))} failed ({result.returncode}): {result.stderr.strip()}")
        return result

    def xdotool(self, *args):
        return self.run(["xdotool", *map(str, args)]).stdout

    def screenshot(self, path=None):
        """The whole screen as a PIL image (RGB); also saved to `path` when given."""
        from PIL import Image  # python3-pil; imported here so that the benchmark does not need it

        target = Path(path) if path else self.dir / "screen.png"
        self.run(["import", "-window", "root", str(target)])
        with Image.open(target) as image:
            return image.convert("RGB")

    def pixel(self, x, y):
        """(r, g, b) of one screen pixel, from a fresh screenshot."""
        return self.screenshot().getpixel((x, y))

    def geometry(self, window):
        """Position on the screen and size of a window's own area (without a window manager's frame)."""
        values = {}
        for line in self.run(["xwininfo", "-id", str(window)]).stdout.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return Geometry(int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                        int(values["Width"]), int(values["Height"]))

    def shape_rects(self, window):
        """The window's X11 bounding shape as [(x, y, w, h)] relative to the window (its whole area if unshaped)."""
        out = self.run([str(BUILD_DIR / "bin" / "qx_xshape"), str(window)]).stdout
        return [tuple(int(v) for v in line.split()) for line in out.splitlines() if line.strip()]

    def window_name(self, window):
        return self.xdotool("getwindowname", window).rstrip("\n")

    def window_property(self, window, name):
        """xprop's text for one property of a window, e.g. 'WM_CLASS(STRING) = "quadrantix", "quadrantix"'."""
        return self.run(["xprop", "-id", str(window), name]).stdout.strip()

    def stacking(self):
        """Managed windows bottom to top (needs wm=True)."""
        out = self.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"]).stdout
        return [int(word.strip(","), 16) for word in out.split("#", 1)[-1].split() if word.startswith("0x")]

    def mouse_move(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)

    def mouse_down(self, button=1):
        self.xdotool("mousedown", button)

    def mouse_up(self, button=1):
        self.xdotool("mouseup", button)

    def click(self, x, y, button=1, repeat=1):
        self.mouse_move(x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def drag(self, x0, y0, x1, y1, button=1, steps=8):
        """Press at (x0, y0), move in steps, release at (x1, y1)."""
        self.mouse_move(x0, y0)
        self.mouse_down(button)
        for i in range(1, steps + 1):
            self.mouse_move(x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        self.mouse_up(button)

    def context_menu(self, app, x, y, *keys):
        """Right-clicks at (x, y), waits for `app` to trace the pop-up menu it opens, then types `keys` into it."""
        menus = len(app.trace("menu"))
        self.mouse_move(x, y)
        self.xdotool("click", 3)
        wait_until(lambda: len(app.trace("menu")) > menus, 5, message=f"{app.name}: no menu opened at {x}, {y}")
        for key in keys:
            self.key(key)

    def key(self, *keys, window=None):
        """Sends keys (xdotool names: 'Escape', 'ctrl+q', 'F2') to the focused window or to `window`."""
        args = ["key"] + (["--window", str(window)] if window else []) + list(keys)
        self.xdotool(*args)

    def type_text(self, text, window=None):
        args = ["type"] + (["--window", str(window)] if window else []) + ["--delay", "20", "--", text]
        self.xdotool(*args)


class LogindMock:
    """python3-dbusmock's logind template on the session's private system bus, which records the calls it gets."""

    NAME = "org.freedesktop.login1"
    PATH = "/org/freedesktop/login1"

    def __init__(self, session):
        self.session = session
        self.popen = session._spawn("logind-mock", ["/usr/bin/python3", "-m", "dbusmock", "--template", "logind"])

        def ready():
            if self.popen.poll() is not None:
                raise HarnessError("the logind mock ended at start:\n"
                                   + _tail((session.dir / "logind-mock.log").read_text(errors="replace")))
            out = self._send(["--dest=org.freedesktop.DBus", "/", "org.freedesktop.DBus.NameHasOwner",
                              f"string:{self.NAME}"], check=False)
            return "boolean true" in out

        wait_until(ready, START_TIMEOUT, 0.05, "the logind mock did not take its name")

    def _send(self, args, check=True):
        result = self.session.run(["dbus-send", "--system", "--print-reply", *args], check=check)
        return result.stdout

    def calls(self):
        """[(method, (arguments...))] the mock received, in order; arguments as dbus-send prints them ('true')."""
        out = self._send([f"--dest={self.NAME}", self.PATH, "org.freedesktop.DBus.Mock.GetCalls"])
        calls = []
        for match in re.finditer(r'string "([^"]*)"\s*array \[(.*?)\]', out, re.S):
            arguments = tuple(value for value in re.findall(r"variant\s+\w+\s+(\S+)", match.group(2)))
            calls.append((match.group(1), arguments))
        return calls


class PulseAudio:
    """A private PulseAudio with one null sink 'ci', started without DISPLAY (session.pulse when pulse=True).

    The session's programs reach it through XDG_RUNTIME_DIR/PULSE_SERVER; SDL_AUDIODRIVER=pulseaudio is set."""

    RATE = 44100
    CHANNELS = 2

    def __init__(self, session):
        self.session = session
        self._recorders = []
        env = {k: v for k, v in session.env.items() if k not in ("DISPLAY", "PULSE_SERVER")}
        self.popen = popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--load=module-native-protocol-unix", f"--load=module-null-sink sink_name=ci rate={self.RATE}"],
            env=env, stdin=subprocess.DEVNULL, stdout=session._log("pulseaudio"), stderr=subprocess.STDOUT,
            cwd=session.dir)
        session.env["PULSE_SERVER"] = f"unix:{session.env['XDG_RUNTIME_DIR']}/pulse/native"
        session.env["SDL_AUDIODRIVER"] = "pulseaudio"

        def ready():
            if self.popen.poll() is not None:
                raise HarnessError("pulseaudio ended at start:\n"
                                   + _tail((session.dir / "pulseaudio.log").read_text(errors="replace")))
            return session.run(["pactl", "info"], check=False).returncode == 0

        wait_until(ready, START_TIMEOUT, 0.05, "pulseaudio did not answer")

    def record(self, settle=2.5):
        """Starts recording the sink's monitor and returns a Recording once the sink has settled.

        `settle` follows recipes.md: without a low-latency listener the null sink buffers about 2 s, and sound
        started earlier is cut."""
        recording = Recording(self, settle)
        self._recorders.append(recording)
        return recording

    def pids(self):
        return [self.popen.pid] + [r.popen.pid for r in self._recorders]

    def close(self):
        _run_each([lambda r=r: _end_process(r.popen) for r in self._recorders] + [lambda: _end_process(self.popen)])


@dataclass(frozen=True)
class Segment:
    start: float  # seconds from the start of the recording
    end: float
    peak_rms: float  # of 16-bit samples, 0..32767

    @property
    def duration(self):
        return self.end - self.start


class Recording:
    """`parec` of ci.monitor (s16le, 44.1 kHz, stereo, 20 ms latency) into the session directory."""

    def __init__(self, pulse, settle):
        self.pulse = pulse
        self.path = pulse.session.dir / f"capture-{len(pulse._recorders) + 1}.raw"
        self.popen = popen(
            ["parec", "-d", "ci.monitor", "--format=s16le", f"--rate={pulse.RATE}", f"--channels={pulse.CHANNELS}",
             "--latency-msec=20", "--raw", str(self.path)],
            env=pulse.session.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=pulse.session._log(self.path.stem))
        self.start_monotonic = time.monotonic()
        wait_until(lambda: self.path.exists() and self.path.stat().st_size > 0, START_TIMEOUT, 0.02,
                   "parec recorded nothing")
        # A bounded settle, not a wait for the program: the null sink buffers its first couple of seconds and cuts
        # sound that starts meanwhile, and nothing tells when it is done.
        time.sleep(settle)

    def stop(self):
        """Ends the recording and returns the raw bytes."""
        _end_process(self.popen)
        return self.path.read_bytes()

    def segments(self, threshold=1000.0, window_ms=50, min_gap_ms=100, data=None):
        """Stops (if needed) and returns the stretches where the RMS over `window_ms` windows exceeds `threshold`;
        stretches closer than `min_gap_ms` are joined."""
        if data is None:
            data = self.stop()
        return sound_segments(rms_windows(data, self.pulse.RATE, self.pulse.CHANNELS, window_ms), window_ms,
                              threshold, min_gap_ms)


def rms_windows(data, rate=44100, channels=2, window_ms=50):
    """RMS of raw s16le audio over consecutive windows of `window_ms`."""
    samples = array.array("h")
    samples.frombytes(data[: len(data) // 2 * 2])
    if sys.byteorder != "little":
        samples.byteswap()
    step = rate * window_ms // 1000 * channels
    return [math.sqrt(sum(v * v for v in samples[i:i + step]) / step) for i in range(0, len(samples) - step + 1, step)]


def sound_segments(rms, window_ms, threshold, min_gap_ms=100):
    segments = []
    start = None
    peak = 0.0
    for i, value in enumerate(rms + [0]):
        if value > threshold:
            if start is None:
                start, peak = i, 0.0
            peak = max(peak, value)
        elif start is not None:
            segments.append([start, i, peak])
            start = None
    joined = []
    for seg in segments:
        if joined and (seg[0] - joined[-1][1]) * window_ms < min_gap_ms:
            joined[-1][1] = seg[1]
            joined[-1][2] = max(joined[-1][2], seg[2])
        else:
            joined.append(seg)
    return [Segment(s * window_ms / 1000, e * window_ms / 1000, p) for s, e, p in joined]


def percentile(values, fraction):
    """Nearest-rank percentile (fraction 0..1) of a non-empty list."""
    ordered = sorted(values)
    return ordered[max(0, math.ceil(fraction * len(ordered)) - 1)]


def median(values):
    return statistics.median(values)


# --- process helpers ---------------------------------------------------------------------------------------------

# What AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer print when they find something.
_SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                    "SUMMARY: UndefinedBehaviorSanitizer")


def _sanitizer_findings(apps):
    """For each program whose stderr holds a sanitizer report: its name, pid and the report's first lines."""
    findings = []
    for app in apps:
        text = app.stderr()
        if any(mark in text for mark in _SANITIZER_MARKS):
            start = min(text.find(mark) for mark in _SANITIZER_MARKS if mark in text)
            findings.append(f"{app.name} pid {app.pid}:\n" + "\n".join(text[start:].splitlines()[:40]))
            print(f"harness: sanitizer report of {app.name} pid {app.pid}:\n{text[start:]}", file=sys.stderr)
    return findings


def _tail(text, lines=30):
    return "\n".join(text.splitlines()[-lines:])


def _read_line(fd, timeout, message, popen):
    """One newline-terminated line from a child's pipe, without blocking past `timeout`."""
    data = b""
    deadline = time.monotonic() + timeout
    while not data.endswith(b"\n"):
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            raise HarnessError(f"{message} within {timeout:g} s")
        ready, _, _ = select.select([fd], [], [], remaining)
        if ready:
            chunk = os.read(fd, 256)
            if not chunk:
                raise HarnessError(f"{message}: it ended (exit {popen.poll()})")
            data += chunk
    return data.decode().strip()


def _end_process(popen, timeout=5.0):
    def end():
        if popen.poll() is None:
            try:
                popen.send_signal(signal.SIGTERM)
                popen.wait(timeout)
            except subprocess.TimeoutExpired:
                popen.kill()
                popen.wait(timeout)

    _run_each([end] + [stream.close for stream in (popen.stdout, popen.stderr) if stream])


def _marked():
    """(pid, command line, {QX_E2E_* variable: value}) of every live process that carries a session's mark."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as handle:
                environ = handle.read()
            if b"QX_E2E_SESSION=" not in environ:
                continue
            with open(f"/proc/{entry}/cmdline", "rb") as handle:
                cmdline = handle.read().replace(b"\0", b" ").decode(errors="replace").strip()
        except OSError:
            continue
        if not cmdline:  # zombies have an empty command line and are already ended
            continue
        marks = {}
        for item in environ.split(b"\0"):
            if item.startswith(b"QX_E2E_"):
                key, _, value = item.decode(errors="replace").partition("=")
                marks[key] = value
        yield int(entry), cmdline, marks


def marked_processes(mark):
    """(pid, command line) of every process whose environment has QX_E2E_SESSION=<mark>."""
    return [(pid, cmdline) for pid, cmdline, marks in _marked() if marks.get("QX_E2E_SESSION") == str(mark)]


def _stale_marks():
    """Session marks of running processes whose session is over: its owner has died or, for a process that does not
    name its owner, the session's folder is gone."""
    stale = set()
    for _, _, marks in _marked():
        mark = marks.get("QX_E2E_SESSION", "")
        owner = marks.get("QX_E2E_OWNER")
        if owner is None:
            owner_file = Path(mark) / "owner"
            try:
                owner = owner_file.read_text().strip()
            except OSError:
                if not Path(mark).exists():
                    stale.add(mark)
                continue
        if not _owner_alive(owner):
            stale.add(mark)
    return stale


def _end_marked_processes(mark):
    found = marked_processes(mark)
    for pid, _ in found:
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    # SIGKILL is delivered asynchronously: make sure they are gone before the caller checks.
    wait_until(lambda: not any(pid_alive(pid) for pid, _ in found), 5, 0.01, f"could not end {found}")
    return found


def pid_alive(pid):
    """True while `pid` exists and is not a zombie."""
    try:
        with open(f"/proc/{pid}/stat") as handle:
            return handle.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (FileNotFoundError, ProcessLookupError):
        return False
