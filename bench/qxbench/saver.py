"""How fast the screensaver ends: from a key press (idle, and while it sprinkles) or a movement of the pointer to the
program's end."""

import os
import select
import subprocess
import time
from pathlib import Path

from harness import HarnessError, Session, median  # tests/e2e/harness

from .scenarios import SAVER_FACES, faked, saver_settings

RUNS = 3


class Typist:
    """One xdotool reading commands from its standard input, so that a key goes out the moment it is written, without
    the start-up of a new xdotool in the measurement."""

    def __init__(self, session):
        self.popen = subprocess.Popen(["xdotool", "-"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                      stderr=subprocess.DEVNULL, env=session.env, text=True)
        self.send("getmouselocation")
        self.popen.stdout.readline()  # it answers: it is ready

    def send(self, command):
        self.popen.stdin.write(command + "\n")
        self.popen.stdin.flush()

    def close(self):
        self.popen.stdin.close()
        self.popen.wait(5)


def ended_within(pid, timeout):
    """Waits for the process to end, without polling; returns the monotonic ns of its end."""
    fd = os.pidfd_open(pid)
    try:
        ready, _, _ = select.select([fd], [], [], timeout)
        if not ready:
            raise HarnessError(f"pid {pid} still running after {timeout} s")
        return time.monotonic_ns()
    finally:
        os.close(fd)


def between(app, first, last):
    """Milliseconds from the program's first trace line `first` to its line `last` (both in its own clock)."""
    a, b = app.trace(first), app.trace(last)
    return (b[0].ns - a[0].ns) / 1e6 if a and b else None


def one_way_out(session, program, face, when, action):
    """Starts the face at `when` and ends it by `action` ('key', 'key while sprinkling', 'pointer'); returns
    (ms from the input sent to the process gone, ms from the input seen by the program to the end of its main)."""
    app = session.start(program, config=saver_settings(face), env=faked(f"2026-12-09 {when}"))
    app.window()
    app.wait_trace("grab", lambda line: line.args == ("1",))
    typist = Typist(session)
    try:
        if action == "key while sprinkling":
            app.wait_trace("frame", lambda line: int(line.args[0]) > 50_000, timeout=10)
        if action == "pointer":
            # The first movement only records where the pointer is; the second one must come as an event of its own.
            typist.send("mousemove 310 310")  # away from where the last run left the pointer
            app.wait_trace("pointer", timeout=5)
            sent = time.monotonic_ns()
            typist.send("mousemove 312 310")
        else:
            sent = time.monotonic_ns()
            typist.send("key Escape")
        gone = ended_within(app.pid, 5)
    finally:
        typist.close()
    inside = between(app, "moved" if action == "pointer" else "key", "ended")
    return (gone - sent) / 1e6, inside


def report(build_dir):
    print("== screensaver: the ways out")
    program = Path(build_dir).resolve() / "bin" / "quadrasogno"
    if not program.exists():
        print("skipped: quadrasogno not built yet\n")
        return
    actions = (("key", "12:00:05"), ("key while sprinkling", "12:00:29"), ("pointer", "12:00:05"))
    head = f"{'face':<12}" + "".join(f"{name + ' ms':>28}" for name, _ in actions)
    print(head)
    print("-" * len(head))
    for face in SAVER_FACES:
        cells = []
        with Session(env={"QT_XCB_NO_MITSHM": "1"}) as s:
            for name, when in actions:
                try:
                    runs = [one_way_out(s, program, face, when, name) for _ in range(RUNS)]
                except (HarnessError, TimeoutError, OSError) as error:
                    cells.append(f"FAILED: {str(error).splitlines()[0]}"[:27])
                    continue
                total = median([r[0] for r in runs])
                inside = [r[1] for r in runs if r[1] is not None]
                cells.append(f"{total:.1f} / {median(inside):.1f}" if inside else f"{total:.1f} / -")
        print(f"{face:<12}" + "".join(f"{c:>28}" for c in cells))
    print(f"\nMedian of {RUNS} runs, release build under Xvfb: input sent by xdotool to the process gone / input seen "
          "by the program to the end of its main (its own trace). The sprinkling column presses the key about a "
          "quarter of the way through the points.\n")
