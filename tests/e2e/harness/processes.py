"""Processes, files and waiting: how the harness starts programs, ends them, and cleans up after a dead run.

Everything a Session starts carries QX_E2E_SESSION=<its directory> and QX_E2E_OWNER=<pid:start> of the Python
process that owns the session in its environment; teardown ends the processes it started by their process ids and
then, also by id, any process still carrying that mark (for example a helper a program started detached). Nothing is
ever ended by name.

Nothing outlives the harness: every child is told by the kernel to die with its parent (PR_SET_PDEATHSIG), so a
harness killed outright takes its children with it; SIGTERM, SIGINT and the interpreter's exit close every open
session properly; and a session that starts sweeps away what a dead harness left behind (its folder, and marked
processes such as a detached helper, which the parent-death signal does not reach)."""

import atexit
import ctypes
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path


SOURCE_DIR = Path(os.environ.get("QX_SOURCE_DIR", Path(__file__).resolve().parents[3]))
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
