"""Runs one scenario under a private Xvfb and D-Bus and measures CPU, wake-ups, memory, start-up and second lag."""

import math
import os
import subprocess
import textwrap
import time
from dataclasses import dataclass, field
from pathlib import Path

from harness import HarnessError, Session, median, percentile, read_trace, wait_until  # tests/e2e/harness

CLK_TCK = os.sysconf("SC_CLK_TCK")


@dataclass
class Result:
    scenario: object
    skipped: str | None = None
    error: str | None = None
    startup_ms: float | None = None
    startup_source: str = ""  # "trace" or "window"
    cpu_percent: float | None = None
    x_cpu_percent: float | None = None
    main_wakeups: float | None = None
    thread_wakeups: dict = field(default_factory=dict)  # thread name -> wake-ups per second
    rss_mib: float | None = None
    anon_mib: float | None = None
    lags_ms: list = field(default_factory=list)
    x_lags_ms: list = field(default_factory=list)  # drawing reaching the X server after each second boundary
    minute_lags_ms: list = field(default_factory=list)  # of the shown seconds that began a minute
    seconds: dict = field(default_factory=dict)  # face -> (shown, expected)
    interlude: dict = field(default_factory=dict)  # see interlude_figures()
    notes: list = field(default_factory=list)


@dataclass
class Sample:
    """Counters of one process at one moment."""

    wall_ns: int
    cpu_ns: int  # on-CPU time of the live threads (schedstat, nanoseconds)
    cpu_ticks_ns: int  # utime+stime of the whole process (/proc/PID/stat, 10 ms steps, includes ended threads)
    switches: dict  # tid -> (name, voluntary + nonvoluntary context switches)


def _read(path):
    with open(path) as handle:
        return handle.read()


def sample(pid):
    fields = _read(f"/proc/{pid}/stat").rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])  # utime, stime
    cpu_ns = 0
    switches = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        base = f"/proc/{pid}/task/{tid}"
        try:
            cpu_ns += int(_read(f"{base}/schedstat").split()[0])
            status = dict(line.split(":", 1) for line in _read(f"{base}/status").splitlines() if ":" in line)
            # A wake-up is a sleep ended: being preempted by other load on the machine is not one.
            count = int(status["voluntary_ctxt_switches"])
            switches[int(tid)] = (_read(f"{base}/comm").strip(), count)
        except (FileNotFoundError, ProcessLookupError):
            continue  # the thread ended meanwhile
    return Sample(time.time_ns(), cpu_ns, ticks * 1_000_000_000 // CLK_TCK, switches)


def cpu_percent(before, after):
    wall = after.wall_ns - before.wall_ns
    precise = after.cpu_ns - before.cpu_ns
    coarse = after.cpu_ticks_ns - before.cpu_ticks_ns
    # schedstat misses threads that ended within the window; the tick counters do not, but are coarse.
    used = coarse if coarse - precise > 2 * 1_000_000_000 // CLK_TCK else precise
    return 100.0 * used / wall


def wakeups(pid, before, after):
    """(main thread's wake-ups per second, {other thread name: wake-ups per second})."""
    seconds = (after.wall_ns - before.wall_ns) / 1e9
    main = None
    others = {}
    for tid, (name, count) in after.switches.items():
        delta = count - before.switches.get(tid, (name, 0))[1]
        if tid == pid:
            main = delta / seconds
        else:
            others[name] = others.get(name, 0.0) + delta / seconds
    return main, others


def memory_mib(pid):
    status = dict(line.split(":", 1) for line in _read(f"/proc/{pid}/status").splitlines() if ":" in line)
    kib = lambda key: int(status[key].split()[0]) if key in status else math.nan  # noqa: E731
    return kib("VmRSS") / 1024, kib("RssAnon") / 1024


def shown_seconds(trace_lines, start_ns, end_ns):
    """Lags (ms) of the seconds shown in the window and, per face, (seconds shown, seconds expected).

    A second is expected when its boundary falls in the window at least a second before its end."""
    expected = set(range(math.ceil(start_ns / 1e9), math.floor(end_ns / 1e9)))
    lags = []
    faces = {}
    for line in trace_lines:
        if line.event != "shown" or not line.args:
            continue
        second = int(line.args[0])
        face = line.args[1] if len(line.args) > 1 else "?"
        faces.setdefault(face, set())
        if second in expected:
            faces[face].add(second)
            lags.append(line.lag_ms())
    return lags, {face: (len(seen), len(expected)) for face, seen in faces.items()}


def interlude_figures(trace_lines):
    """What the trace tells of the first interlude: how long after its second's boundary it started, and the points,
    duration and frame rate of its sprinkling (frames are the window's paints while points were being added)."""
    starts = [line for line in trace_lines if line.event == "interlude"]
    if not starts:
        return {}
    start = starts[0]
    figures = {"start_lag_ms": (start.ns - int(start.args[0]) * 1_000_000_000) / 1e6}
    frames = [line for line in trace_lines if line.event == "frame" and line.ns >= start.ns]
    sprinkled = [line for line in trace_lines if line.event == "sprinkled" and line.ns >= start.ns]
    if sprinkled:
        figures["points"] = int(sprinkled[0].args[0])
        figures["sprinkle_ms"] = float(sprinkled[0].args[1])
        frames = [line for line in frames if line.ns <= sprinkled[0].ns]
    if len(frames) > 1:
        figures["frames"] = len(frames)
        figures["fps"] = (len(frames) - 1) / ((frames[-1].ns - frames[0].ns) / 1e9)
        gaps = [(b.ns - a.ns) / 1e6 for a, b in zip(frames, frames[1:])]
        figures["longest_frame_ms"] = max(gaps)
    return figures


def minute_lags(trace_lines, start_ns, end_ns):
    """Lags (ms) of the shown seconds that began a minute, when the faces' minute digits change."""
    firsts = [line for line in trace_lines if line.event == "shown" and line.args and int(line.args[0]) % 60 == 0]
    return shown_seconds(firsts, start_ns, end_ns)[0]


def x_lags(stamps_ns, start_ns, end_ns):
    """For each second boundary in the window, how long after it (ms) the first drawing reached the X server, when
    one did within that second."""
    lags = []
    for second in range(math.ceil(start_ns / 1e9), math.floor(end_ns / 1e9)):
        boundary = second * 1_000_000_000
        first = next((t for t in stamps_ns if boundary <= t < boundary + 1_000_000_000), None)
        if first is not None:
            lags.append((first - boundary) / 1e6)
    return lags


def peer_window(session, app, name):
    """The top-level window of a program that sets no _NET_WM_PID: the session's only program, found by title."""
    def find():
        if not app.alive():
            raise HarnessError(f"{app.name} ended (exit {app.returncode}) before showing a window")
        found = session.run(["xdotool", "search", "--onlyvisible", "--name", name], check=False).stdout.split()
        return int(found[0]) if found else None

    return wait_until(find, 15, 0.05, f"{app.name} showed no window named /{name}/")


def run_scenario(build_dir, scenario, duration=None, settle=None):
    result = Result(scenario)
    program = Path(build_dir) / "bin" / scenario.program  # a peer's absolute path stays as it is
    if not program.exists():
        result.skipped = f"{program} not built yet"
        return result
    duration = scenario.duration if duration is None else duration
    settle = scenario.settle if settle is None else settle
    env = dict(scenario.env)
    if scenario.fake_second is not None:
        env.update(LD_PRELOAD="/usr/$LIB/faketime/libfaketime.so.1", FAKETIME_DONT_FAKE_MONOTONIC="1",
                   FAKETIME=f"+{(scenario.fake_second - int(time.time()) % 60) % 60}")
    try:
        with Session(env={"QT_XCB_NO_MITSHM": "1"}) as s:
            app = s.start(program, args=scenario.args, config=scenario.settings, env=env)
            if scenario.peer:
                window = peer_window(s, app, scenario.window_name)
            else:
                window = app.window(scenario.window_name)
            found_ns = time.time_ns()
            clock_offset_ns = 0  # how far the program's clock is set from the real one
            try:
                mapped = app.wait_trace("mapped", timeout=2)
                # The harness may see the window a moment before the program has traced it, on a busy machine.
                clock_offset_ns = mapped.ns - found_ns
                if not 0 <= mapped.ns - app.spawn_ns <= time.time_ns() - app.spawn_ns:
                    raise TimeoutError  # the program's clock is faked, so its trace stamps are not real time
                result.startup_ms = (mapped.ns - app.spawn_ns) / 1e6
                result.startup_source = "trace"
            except TimeoutError:
                result.startup_ms = (found_ns - app.spawn_ns) / 1e6
                result.startup_source = "window"
                result.notes.append("no real-time 'mapped' trace line: start-up measured to the window appearing")
            for action in scenario.actions:
                s.xdotool(*[str(arg).replace("{window}", str(window)) for arg in action])
            time.sleep(settle)  # let start-up work and the actions' effects die down before measuring

            damage = subprocess.Popen([str(Path(build_dir) / "bin" / "qx_xdamage"), str(window)], env=s.env,
                                      stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                      text=True)
            damage.stdout.readline()  # "ready": watching from here on
            app_before, x_before = sample(app.pid), sample(s.xvfb.pid)
            if scenario.driver:  # the measuring window itself
                scenario.driver(s, app, window, duration)
            else:
                time.sleep(duration)
            app_after, x_after = sample(app.pid), sample(s.xvfb.pid)
            damage.terminate()
            stamps = [int(line) for line in damage.communicate(timeout=10)[0].split() if line.isdigit()]
            if not app.alive():
                raise HarnessError(f"{scenario.program} ended during the measurement (exit {app.returncode})")

            result.cpu_percent = cpu_percent(app_before, app_after)
            result.x_cpu_percent = cpu_percent(x_before, x_after)
            result.main_wakeups, result.thread_wakeups = wakeups(app.pid, app_before, app_after)
            result.rss_mib, result.anon_mib = memory_mib(app.pid)
            # A faked clock (faketime) runs at the real pace from another moment: its seconds are picked in its own
            # time, to within the few milliseconds the offset is known to, and their lags measured in it exactly.
            offset = clock_offset_ns if result.startup_source == "window" else 0
            # The X server's times are real: a program whose clock is set to another moment (an absolute FAKETIME)
            # has seconds that begin at another fraction of a real second, known only to a few milliseconds.
            if env.get("FAKETIME", "").startswith("@"):
                result.notes.append("faked clock: no X lag")
            else:
                result.x_lags_ms = x_lags(stamps, app_before.wall_ns, app_after.wall_ns)
            trace_lines = read_trace(app.trace_path)
            result.lags_ms, result.seconds = shown_seconds(trace_lines, app_before.wall_ns + offset,
                                                           app_after.wall_ns + offset)
            if scenario.interlude:
                result.interlude = interlude_figures(trace_lines)
                if not result.interlude:
                    result.notes.append("no interlude in the trace")
            result.minute_lags_ms = minute_lags(trace_lines, app_before.wall_ns + offset, app_after.wall_ns + offset)
            if not result.seconds and not scenario.peer:
                result.notes.append("no 'shown' trace lines")
            if scenario.analyse:
                result.notes += scenario.analyse(read_trace(app.trace_path), app_before.wall_ns, app_after.wall_ns)
    except (HarnessError, TimeoutError, OSError) as error:
        result.error = str(error).splitlines()[0]
    return result


# --- the table ------------------------------------------------------------------------------------------------------

def _num(value, digits=1):
    return "-" if value is None or (isinstance(value, float) and math.isnan(value)) else f"{value:.{digits}f}"


def format_table(results, duration_note):
    head = ("scenario", "start ms", "CPU %", "X CPU %", "main wk/s", "other wk/s", "RSS MiB", "anon MiB",
            "lag ms med / p90 / max", "seconds shown")
    rows = []
    notes = []
    for r in results:
        name = r.scenario.name
        if r.skipped or r.error:
            rows.append((name, "skipped: " + r.skipped if r.skipped else "FAILED: " + r.error))
            continue
        lag = "-"
        if r.lags_ms:
            lag = f"{_num(median(r.lags_ms), 2)} / {_num(percentile(r.lags_ms, 0.9), 2)} / {_num(max(r.lags_ms), 2)}"
        if r.seconds:
            shown = min(r.seconds.values())
            seconds = f"{shown[0]}/{shown[1]}"
        else:
            seconds = "-"
        rows.append((name, _num(r.startup_ms, 0) + ("*" if r.startup_source == "window" else ""),
                     _num(r.cpu_percent, 3), _num(r.x_cpu_percent, 3), _num(r.main_wakeups),
                     _num(sum(r.thread_wakeups.values())), _num(r.rss_mib), _num(r.anon_mib), lag, seconds))
        threads = ", ".join(f"{n} {_num(v)}" for n, v in sorted(r.thread_wakeups.items(), key=lambda kv: -kv[1]))
        notes.append(f"  {name}: other threads' wake-ups/s: {threads or 'none'}")
        if len(r.seconds) > 1:
            notes.append(f"  {name}: seconds shown per face: "
                         + ", ".join(f"{face} {a}/{b}" for face, (a, b) in sorted(r.seconds.items())))
        if r.interlude:
            i = r.interlude
            notes.append(f"  {name}: started {_num(i['start_lag_ms'], 2)} ms after the boundary; "
                         f"{i.get('points', '-')} points in {_num(i.get('sprinkle_ms'), 0)} ms, "
                         f"{i.get('frames', '-')} frames at {_num(i.get('fps'))} fps "
                         f"(longest frame {_num(i.get('longest_frame_ms'))} ms)")
        if r.minute_lags_ms:
            notes.append(f"  {name}: lag ms at the minute boundaries: "
                         + ", ".join(_num(lag, 2) for lag in r.minute_lags_ms))
        notes.extend(f"  {name}: {note}" for note in r.notes)

    widths = [max([len(head[i])] + [len(row[i]) for row in rows if len(row) == len(head)]) for i in range(len(head))]
    widths[0] = max([widths[0]] + [len(row[0]) for row in rows])
    lines = ["  ".join(h.ljust(w) for h, w in zip(head, widths)).rstrip()]
    lines.append("  ".join("-" * w for w in widths))
    for row in rows:
        if len(row) == len(head):
            lines.append("  ".join(c.ljust(w) if i == 0 else c.rjust(w) for i, (c, w) in enumerate(zip(row,
                                                                                                          widths))))
        else:
            lines.append(f"{row[0].ljust(widths[0])}  {row[1]}")
    lines.append("")
    lines.append(textwrap.fill(
        f"Measured over {duration_note}, under Xvfb with QT_XCB_NO_MITSHM=1. CPU % is of one core (on-CPU time from"
        " schedstat); wake-ups are voluntary + involuntary context switches; lag is how long after the real second"
        " boundary the new second was on screen (`shown` trace lines); seconds shown counts the boundaries in the"
        " window that the face showing fewest showed. start* = to the window appearing (no trace line).", 118))
    lines.extend(notes)
    return "\n".join(lines)


# --- beside the desk clocks Debian ships ------------------------------------------------------------------------------

# (column, figure of a result, how it is printed, whether only peers that show seconds set the best); smaller is
# better for every one.
_COMPARED_FIGURES = (
    ("CPU %", lambda r: r.cpu_percent, 3, True),
    ("wk/s", lambda r: None if r.main_wakeups is None else r.main_wakeups + sum(r.thread_wakeups.values()), 1, True),
    ("anon MiB", lambda r: r.anon_mib, 1, False),
    ("RSS MiB", lambda r: r.rss_mib, 1, False),
    ("start ms", lambda r: r.startup_ms, 0, False),
    ("X lag ms", lambda r: median(r.x_lags_ms) if r.x_lags_ms else None, 2, True),
)


def format_comparison(results, ours):
    """Our chosen scenarios and the peers, each figure with its ratio to the best peer's (x1.0 = as good)."""
    measured = [r for r in results if not r.skipped and not r.error]
    peers = [r for r in measured if r.scenario.peer]
    rows = [r for r in measured if r.scenario.name in ours] + peers
    if not peers or not rows:
        return "(no comparison: the peers or our scenarios were not measured; install-deps test installs the peers)"
    best = {}
    for column, figure, _, seconds_only in _COMPARED_FIGURES:
        values = [figure(r) for r in peers if figure(r) is not None and (r.scenario.shows_seconds or not seconds_only)]
        best[column] = min(values) if values else None
    head = ["program"] + [column for column, _, _, _ in _COMPARED_FIGURES]
    table = []
    for r in rows:
        cells = [r.scenario.name]
        for column, figure, digits, _ in _COMPARED_FIGURES:
            value = figure(r)
            cell = _num(value, digits)
            if value is not None and best[column]:
                cell += f" (x{value / best[column]:.2g})"
            cells.append(cell)
        table.append(cells)
    widths = [max(len(row[i]) for row in table + [head]) for i in range(len(head))]
    lines = ["| " + " | ".join(h.ljust(w) for h, w in zip(head, widths)) + " |",
             "|" + "|".join("-" * (w + 2) for w in widths) + "|"]
    lines += ["| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |" for row in table]
    lines.append("")
    lines.append(textwrap.fill(
        "Each figure with its ratio to the best peer's (smaller is better). wk/s: wake-ups per second of all the"
        " process's threads; start: from exec to the window on screen (ours: to the first paint traced); X lag: the"
        " median time from each second's boundary to the first drawing the X server received in that second"
        " (qx_xdamage). oclock shows no seconds: it redraws once a minute, so it has no X lag in a 20 s window, and"
        " CPU, wake-ups and X lag are set against the best peer that shows seconds.", 118))
    return "\n".join(lines)
