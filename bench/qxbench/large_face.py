"""What the benchmark reads from the large face's trace: the stopwatch's shown hundredths and the countdown's end."""

import time
from dataclasses import dataclass

from harness import median, percentile, wait_until  # tests/e2e/harness

CS_NS = 10_000_000


def _cs(digits):
    """'HHMMSScc' as the cells show it -> hundredths (hours below 100)."""
    hours, minutes, seconds, cs = int(digits[0:2]), int(digits[2:4]), int(digits[4:6]), int(digits[6:8])
    return ((hours * 60 + minutes) * 60 + seconds) * 100 + cs


@dataclass
class StopwatchFigures:
    readings: int = 0  # readings put on screen in the window
    per_second: float = 0.0
    skipped: int = 0  # hundredths never shown between the first and the last reading
    lags_ms: tuple = ()  # per reading: how long after its hundredth began it was on screen, on the monotonic clock
    last_ms: float | None = None  # the last reading's offset from the monotonic clock (shown minus elapsed), in ms
    last_elapsed_s: float | None = None


def stopwatch_figures(lines, start_ns, end_ns):
    """From `crono-start <zero uptime ns>` and `crono <HHMMSScc> <uptime ns after the paint>` lines whose stamps lie
    in [start_ns, end_ns]."""
    zero = next((int(line.args[0]) for line in lines if line.event == "crono-start"), None)
    shown = [(_cs(line.args[0]), int(line.args[1])) for line in lines
             if line.event == "crono" and start_ns <= line.ns <= end_ns and line.args[0].isdigit()]
    figures = StopwatchFigures()
    if zero is None or len(shown) < 2:
        return figures
    figures.readings = len(shown)
    figures.per_second = len(shown) / ((end_ns - start_ns) / 1e9)
    figures.skipped = sum(max(0, b[0] - a[0] - 1) for a, b in zip(shown, shown[1:]))
    figures.lags_ms = tuple(((uptime - zero) - cs * CS_NS) / 1e6 for cs, uptime in shown)
    cs, uptime = shown[-1]
    figures.last_ms = (cs * CS_NS - (uptime - zero)) / 1e6
    figures.last_elapsed_s = (uptime - zero) / 1e9
    return figures


# The table's lag and seconds-shown columns follow the wall clock's seconds.
OWN_SECONDS = "the digits turn over on the count's own seconds, not the wall clock's: lag and seconds shown do not apply"


def stopwatch_notes(lines, start_ns, end_ns):
    f = stopwatch_figures(lines, start_ns, end_ns)
    if not f.readings:
        return ["no stopwatch readings traced"]
    return [OWN_SECONDS,
        f"stopwatch: {f.readings} readings shown, {f.per_second:.1f} a second, {f.skipped} hundredths skipped",
        f"stopwatch: on screen after its hundredth began (ms, monotonic clock) med {median(f.lags_ms):.2f} / p90 "
        f"{percentile(f.lags_ms, 0.9):.2f} / max {max(f.lags_ms):.2f}",
        f"stopwatch: the reading shown at {f.last_elapsed_s:.2f} s differs from the monotonic clock by "
        f"{f.last_ms:+.2f} ms",
    ]


def countdown_end_delays_ms(lines):
    """Per countdown: how long after its deadline (`countdown <deadline, realtime ns>`) its end action began
    (`countdown-end`), in ms."""
    delays = []
    deadline = None
    for line in lines:
        if line.event == "countdown":
            deadline = int(line.args[0])
        elif line.event == "countdown-end" and deadline is not None:
            delays.append((line.ns - deadline) / 1e6)
            deadline = None
    return delays


def running_countdown_notes(lines, start_ns, end_ns):
    return [OWN_SECONDS]


def countdown_notes(lines, start_ns, end_ns):
    delays = countdown_end_delays_ms(lines)
    if not delays:
        return ["no countdown ended"]
    return [f"countdown: end action after its deadline (ms), {len(delays)} countdowns: med {median(delays):.2f} / "
            f"p90 {percentile(delays, 0.9):.2f} / max {max(delays):.2f}"]


# Places in the large face and its countdown dialog, from their top-left corners.
MODE_BUTTON = (27, 28)
DIALOG_SHUT_DOWN = (215, 78)  # "Arresta il sistema": no box to close (the harness gives the clock no system bus)
DIALOG_START = (204, 204)


def repeat_countdowns(session, app, window, duration, seconds=2):
    """Runs countdowns of `seconds` one after another for `duration`, through the mode menu and the dialog."""
    face = session.geometry(window)
    deadline = time.monotonic() + duration
    while time.monotonic() + seconds + 1 < deadline:
        ended = len(app.trace("countdown-end"))
        session.click(face.x + MODE_BUTTON[0], face.y + MODE_BUTTON[1])
        wait_until(lambda: len(app.windows()) >= 2, 5, message="the mode menu did not appear")
        for key in ("c", "c", "Return"):  # the second item: both begin with C
            session.key(key)
        dialog = session.geometry(app.window(name="Conto alla rovescia", timeout=5))
        session.type_text(f"00:00:{seconds:02d}")
        session.click(dialog.x + DIALOG_SHUT_DOWN[0], dialog.y + DIALOG_SHUT_DOWN[1])
        session.click(dialog.x + DIALOG_START[0], dialog.y + DIALOG_START[1])
        wait_until(lambda: len(app.trace("countdown-end")) > ended, seconds + 5, 0.05, "the countdown did not end")
    remaining = deadline - time.monotonic()
    if remaining > 0:
        time.sleep(remaining)
