"""The programs that the robustness tables (bad settings, hostile environments) run, and what each reads.

A program that lands later joins the tables by adding one entry here."""

import re
import signal
import subprocess
from dataclasses import dataclass
from pathlib import Path

from harness import marked_processes, pid_alive, program_path


@dataclass(frozen=True)
class Program:
    name: str            # executable in <build>/bin
    reads: tuple         # (section, key) of every setting it reads
    window: str          # regex of the title of a window that shows it runs ("" for any window)
    config: dict         # otherwise valid settings for a run: a first run already made, a face that shows
    out_of_range: dict   # (section, key) -> a value just outside what the key may hold
    after_start: object  # values -> the values the program works with once started (a first run, say)
    check: object        # (testcase, row name, app, values): what must happen around 01:00 with those values
    check_settled: object  # the same, once the faked clock is past 01:00:06: what must not have happened
    keeps_running: object = lambda values: True  # values -> whether the program runs on (or ends at once, status 0)
    check_ended: object = None  # (testcase, row name, settings path): what the file holds once the program ended
    needs_display: bool = True  # without a display: one line and status 1 (else it runs on without one)
    shows_window: bool = True   # a window shows it runs (else the "started" trace does)
    writes_store: bool = True   # writes its settings file at start


CLOCK_CONFIG = {
    "Opzioni": {"Allarme": "1", "Big Ben": "1", "Segnale orario": "1", "Timer vita": "0", "Avvio": "Analogico",
                "Esegui auto": "0"},
    "Allarme": {"Ore": "01", "Minuti": "00", "Messaggio": "Sveglia"},
}

MINUTE_EPOCH = 1796778000  # 2026-12-09 01:00:00 UTC: the hour stroke and the alarm of CLOCK_CONFIG

FIRST_RUN = {("Opzioni", "Allarme"): "0", ("Allarme", "Ore"): "0", ("Allarme", "Minuti"): "0",
             ("Allarme", "Messaggio"): "", ("Opzioni", "Big Ben"): "1", ("Opzioni", "Segnale orario"): "1",
             ("Opzioni", "Timer vita"): "0", ("Opzioni", "Avvio"): "Quadrantix", ("Opzioni", "Esegui auto"): "0"}


def clock_after_start(values):
    """The clock's first run gives each first-run key that is missing its value: absent, or empty where the first-run
    value is not (these files have no line the reader cannot understand); every other key keeps its value."""
    values = dict(values)
    for key, first in FIRST_RUN.items():
        if key not in values or (values[key] == "" and first != ""):
            values[key] = first
    return values


def clock_events(values):
    """(stroke at 01:00, alarm at 01:00, face window) that the clock's values call for: only exact values match."""
    stroke = values[("Opzioni", "Segnale orario")] == "1"
    alarm = (values[("Opzioni", "Allarme")] == "1" and values[("Allarme", "Ore")] == "01"
             and values[("Allarme", "Minuti")] == "00")
    face = {"Analogico": "Orologio", "Quadrantix": "Digitale", "": "Digitale"}.get(values[("Opzioni", "Avvio")])
    return stroke, alarm, face


def trace_text(text):
    """A text as the trace writes it: one line whatever it holds (backslash, line breaks, control characters escaped)."""
    out = []
    for c in text:
        if c == "\\":
            out.append("\\\\")
        elif c == "\n":
            out.append("\\n")
        elif c == "\r":
            out.append("\\r")
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append(f"\\x{ord(c):02x}")
        else:
            out.append(c)
    return "".join(out)


def clock_check(testcase, name, app, values):
    stroke, alarm, face = clock_events(values)
    if face:
        app.wait_trace("mapped", lambda line: line.args[:1] == (face,), timeout=30)
    if stroke:
        hit = app.wait_trace("sound", lambda line: line.args[1] == "Ora.wav", timeout=30)
        testcase.assertEqual(int(hit.args[0]) // 10**9 // 60, MINUTE_EPOCH // 60, f"{name}: the stroke is at 01:00")
    if alarm:
        shown = app.wait_trace("alarm", timeout=30)
        testcase.assertEqual(" ".join(shown.args), " ".join(trace_text(values[("Allarme", "Messaggio")]).split()),
                             f"{name}: the message as stored")


def clock_check_settled(testcase, name, app, values):
    stroke, alarm, face = clock_events(values)
    if not stroke:
        testcase.assertEqual(app.trace("sound"), [], f"{name}: a stroke although the chimes are not exactly on")
    if not alarm:
        testcase.assertEqual(app.trace("alarm"), [], f"{name}: an alarm although its settings do not match")
    if face:  # still ticking after the minute's events
        app.wait_trace("shown", lambda line: int(line.args[0]) >= MINUTE_EPOCH + 6, timeout=15)
    else:
        faces = [line for line in app.trace("mapped") if line.args[:1] in (("Orologio",), ("Digitale",))]
        testcase.assertEqual(faces, [], f"{name}: a face although Avvio names none")


SAVER_CONFIG = {"Opzioni": {"Salvaschermo": "Mini", "Messaggio": "Torno subito"}}
SAVER_FACES = {"": "Analogico", "Analogico": "Analogico", "Digitale": "Digitale", "Mini": "Mini",
               "Quadrantix": "Quadrantix"}


def saver_shows(values):
    """The screensaver shows a face only for one of the exact names (or none at all); otherwise it ends at once."""
    return values[("Opzioni", "Salvaschermo")] in SAVER_FACES


def saver_check(testcase, name, app, values):
    face = SAVER_FACES.get(values[("Opzioni", "Salvaschermo")])
    if face:
        testcase.assertEqual(app.wait_trace("face", timeout=30).args, (face,), f"{name}: the face named")
    else:
        testcase.assertEqual(app.wait(10), 0, f"{name}: ends at once")
        testcase.assertEqual(app.trace("face"), [], f"{name}: no window")


BOOT_ID = Path("/proc/sys/kernel/random/boot_id").read_text().strip()
ACCUMULATOR_CONFIG = {"Opzioni": {"Timer vita": "1000", "Timer vita avvio": BOOT_ID, "Timer vita contati": "5"}}


def accumulator_check_ended(testcase, name, path):
    """Whatever it read, the accumulator leaves a total that is a plain number of seconds."""
    text = path.read_bytes().decode("utf-8", "replace")
    totals = re.findall(r"^timer vita=(.*)$", text, re.M | re.I)  # names without case; the last one counts
    testcase.assertTrue(totals, f"{name}: no total in\n{text[:2000]}")
    testcase.assertRegex(totals[-1], r"^\d+$", f"{name}: the total is a number")


PROGRAMS = [
    Program(
        name="quadrantix",
        reads=(("Opzioni", "Allarme"), ("Allarme", "Ore"), ("Allarme", "Minuti"), ("Allarme", "Messaggio"),
               ("Opzioni", "Big Ben"), ("Opzioni", "Segnale orario"), ("Opzioni", "Avvio")),
        window="",
        config=CLOCK_CONFIG,
        out_of_range={("Opzioni", "Allarme"): "2", ("Allarme", "Ore"): "24", ("Allarme", "Minuti"): "60",
                      ("Opzioni", "Big Ben"): "10", ("Opzioni", "Segnale orario"): "11",
                      ("Opzioni", "Avvio"): "Quadrantix2", ("Allarme", "Messaggio"): "9" * 40},
        after_start=clock_after_start,
        check=clock_check,
        check_settled=clock_check_settled,
    ),
    Program(
        name="quadrasogno",
        reads=(("Opzioni", "Salvaschermo"), ("Opzioni", "Messaggio")),
        window="",
        config=SAVER_CONFIG,
        out_of_range={("Opzioni", "Salvaschermo"): "Mini2", ("Opzioni", "Messaggio"): "9" * 40},
        after_start=lambda values: values,
        check=saver_check,
        check_settled=lambda testcase, name, app, values: None,
        keeps_running=saver_shows,
        writes_store=False,
    ),
    Program(
        name="horacumul",
        reads=(("Opzioni", "Timer vita"), ("Opzioni", "Timer vita avvio"), ("Opzioni", "Timer vita contati")),
        window="",
        config=ACCUMULATOR_CONFIG,
        out_of_range={("Opzioni", "Timer vita"): "18446744073709551616",
                      ("Opzioni", "Timer vita avvio"): "00000000-0000-0000-0000-000000000000",
                      ("Opzioni", "Timer vita contati"): "99999999999"},
        after_start=lambda values: values,
        check=lambda testcase, name, app, values: None,
        check_settled=lambda testcase, name, app, values: None,
        check_ended=accumulator_check_ended,
        needs_display=False,
        shows_window=False,
        writes_store=False,  # only when it brings the total up to date, every ten minutes and at the end
    ),
]


def built(program):
    return program_path(program.name).exists()


def strangers(session):
    """Marked processes of the session that neither the session nor a program it started is: what a program left
    behind (a dbus-launch, a dbus-daemon, a helper). Zombies are not counted."""
    own = set(session.pids())
    return [(pid, cmd) for pid, cmd in marked_processes(str(session.dir)) if pid not in own and pid_alive(pid)]


def end_cleanly(testcase, app, timeout=10.0):
    """SIGTERM, as the end of a session sends it: the program must close by itself with status 0."""
    app.popen.send_signal(signal.SIGTERM)
    try:
        code = app.popen.wait(timeout)
    except subprocess.TimeoutExpired:
        testcase.fail(f"{app.name} (pid {app.pid}) did not end within {timeout:g} s of SIGTERM")
    testcase.assertEqual(code, 0, f"{app.name} ended with {code}\n{app.stderr()[-3000:]}")


def namespace_available():
    """Whether `unshare --user --map-root-user --mount` works here (it lets a test mount a read-only or full file
    system, or hide a folder, for one program without being root and without touching the machine)."""
    try:
        return subprocess.run(["unshare", "--user", "--map-root-user", "--mount", "true"], capture_output=True,
                              timeout=10).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def in_namespace(script, *args):
    """(program, args) for Session.start that runs the shell `script` (which ends by exec'ing the program, so that
    the process id stays the program's) in a private user and mount namespace."""
    return "/usr/bin/unshare", ["--user", "--map-root-user", "--mount", "/bin/sh", "-euc", script, "sh", *map(str, args)]

