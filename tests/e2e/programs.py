"""The programs that the robustness tables (bad settings, hostile environments) run, and what each reads.

A program that lands later joins the tables by adding one entry here."""

import signal
import subprocess
from dataclasses import dataclass

from harness import marked_processes, pid_alive, program_path


@dataclass(frozen=True)
class Program:
    name: str      # executable in <build>/bin
    reads: tuple   # (section, key) of every setting it reads
    window: str    # regex of the title of a window that shows it runs ("" for any window)
    config: dict   # otherwise valid settings for a run: a first run already made, a face that shows


CLOCK_CONFIG = {
    "Opzioni": {"Allarme": "1", "Big Ben": "1", "Segnale orario": "1", "Timer vita": "0", "Avvio": "Analogico",
                "Esegui auto": "0"},
    "Allarme": {"Ore": "01", "Minuti": "00", "Messaggio": "Sveglia"},
}

PROGRAMS = [
    Program(
        name="quadrantix",
        reads=(("Opzioni", "Allarme"), ("Allarme", "Ore"), ("Allarme", "Minuti"), ("Allarme", "Messaggio"),
               ("Opzioni", "Big Ben"), ("Opzioni", "Segnale orario"), ("Opzioni", "Avvio")),
        window="",
        config=CLOCK_CONFIG,
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

