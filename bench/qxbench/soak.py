"""The soak: one clock process through a simulated day, its private memory and descriptors sampled around every sound.

libfaketime reads the program's time from a file (FAKETIME_TIMESTAMP_FILE, re-read at every call with
FAKETIME_NO_CACHE=1) that the soak rewrites to jump the clock to just before each event of the day. The file holds a
whole number of seconds to add to the real clock, so the program's seconds begin where the real ones do and its
timers, which follow the real monotonic clock (FAKETIME_DONT_FAKE_MONOTONIC=1), wake on its boundaries; file times
are left real (NO_FAKE_STAT=1), as they would be over a real day. The sounds go to a private PulseAudio whose sink is
recorded, so SDL really opens a device and the recording tells when each sound ended.

Each sound event is sampled before it began, at its peak (every 50 ms while it lasts) and 15 s after its sound
ended (the device closes after 10 s of silence and gives back what was decoded), once the sound server has seen the
program's stream go. The chimes of most boundaries are played in quick runs: the clock lands just before each
boundary, its first stroke is heard, and the clock moves on to the next, which cuts the rest of the sequence; a run
is sampled before its first stroke and 15 s after its last. A few chimes, Big Ben and the alarm are measured one by
one and played to their end."""

import calendar
import os
import sys
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path

from harness import (LIBFAKETIME, HarnessError, Session, rms_windows, sound_segments,  # tests/e2e/harness
                     wait_until)

LIMIT_KIB = 1024  # memory back within 1 MiB after each sound; the day's growth under 1 MiB
AFTER_S = 15.0  # the after-sample, this long after a sound ended
LEAD_S = 2  # the clock lands between LEAD_S and LEAD_S - 1 seconds before an event's boundary
DAY = calendar.timegm((2026, 12, 9, 0, 0, 0))  # the simulated day, in the session's time zone (UTC)
HOUR = 3600

ALARM_AT = (7, 45)
ALARM_MESSAGE = "Sveglia"
SETTINGS = (
    "[Opzioni]\nBig Ben=1\nAvvio=Analogico\nSegnale orario=1\nAllarme=1\nTimer vita=0\nEsegui auto=0\n"
    f"[Allarme]\nOre={ALARM_AT[0]:02d}\nMinuti={ALARM_AT[1]:02d}\nMessaggio={ALARM_MESSAGE}\n"
)

# The faces' window sizes (the analog window, the star "Digitale", the oval "Mini", the large face "Quadrantix").
ANALOG_SIZE, STAR_SIZE, OVAL_SIZE, LARGE_SIZE = (218, 215), (195, 200), (97, 152), (662, 263)
# Places in the large face's countdown dialog and the alarm window, from their top-left corners.
DIALOG_MESSAGE_OPTION, DIALOG_MESSAGE_FIELD, DIALOG_START = (215, 126), (250, 153), (204, 204)
ALARM_OK = (155, 116)


# --- figures and verdict ----------------------------------------------------------------------------------------------

@dataclass(frozen=True)
class Sample:
    anon_kib: int  # RssAnon of /proc/PID/status
    fds: int  # entries of /proc/PID/fd


@dataclass
class Event:
    name: str
    judged: bool  # a sound: its memory must come back within LIMIT_KIB
    before: Sample | None = None
    peak_kib: int | None = None
    after: Sample | None = None
    heard_s: float | None = None  # seconds of sound in the recording
    closed_s: float | None = None  # the device closed this long after the sound ended
    after_s: float | None = None  # the after-sample was taken this long after the sound ended
    notes: list = field(default_factory=list)

    def change_kib(self):
        return None if self.before is None or self.after is None else self.after.anon_kib - self.before.anon_kib


def failures(events, start, end):
    """What breaks the soak's rules: a sound whose memory is not back within LIMIT_KIB of what it was before (or that
    was not measured), a day that grew by LIMIT_KIB or more, or by any descriptor."""
    found = []
    for event in events:
        if not event.judged:
            continue
        change = event.change_kib()
        if change is None:
            found.append(f"{event.name}: not measured")
        elif change > LIMIT_KIB:
            found.append(f"{event.name}: {mib(change, sign=True)} MiB {AFTER_S:g} s after the sound")
    if start is None or end is None:
        found.append("the day was not measured to its end")
    else:
        if end.anon_kib - start.anon_kib >= LIMIT_KIB:
            found.append(f"the day grew by {mib(end.anon_kib - start.anon_kib, sign=True)} MiB")
        if end.fds > start.fds:
            more = end.fds - start.fds
            found.append(f"the day ended with {more} more descriptor{'s' if more > 1 else ''}")
    return found


def mib(kib, sign=False):
    return "-" if kib is None else f"{kib / 1024:{'+' if sign else ''}.2f}"


def _seconds(value):
    return "-" if value is None else f"{value:.1f}"


def format_report(events, start, end, error=None):
    head = ("event", "before MiB", "peak MiB", "after MiB", "change MiB", "fds before/after", "heard s",
            "closed s", "after s", "")
    rows = []
    for e in events:
        fds = "-" if e.before is None or e.after is None else f"{e.before.fds} / {e.after.fds}"
        change = e.change_kib()
        verdict = "" if not e.judged else ("not measured" if change is None else
                                          "ok" if change <= LIMIT_KIB else "NOT BACK")
        rows.append((e.name, mib(e.before and e.before.anon_kib), mib(e.peak_kib), mib(e.after and e.after.anon_kib),
                     mib(change, sign=True), fds, _seconds(e.heard_s), _seconds(e.closed_s), _seconds(e.after_s),
                     verdict))
    widths = [max(len(row[i]) for row in rows + [head]) for i in range(len(head))]
    lines = ["  ".join(h.ljust(w) for h, w in zip(head, widths)).rstrip(), "  ".join("-" * w for w in widths)]
    lines += ["  ".join(c.ljust(w) if i in (0, len(head) - 1) else c.rjust(w)
                        for i, (c, w) in enumerate(zip(row, widths))).rstrip() for row in rows]
    lines += [f"  {e.name}: {note}" for e in events for note in e.notes]
    lines.append("")
    if start is not None and end is not None:
        lines.append(f"day: {mib(start.anon_kib)} MiB private and {start.fds} descriptors at its start, "
                     f"{mib(end.anon_kib)} MiB and {end.fds} at its end: growth {mib(end.anon_kib - start.anon_kib, True)}"
                     f" MiB, {end.fds - start.fds:+d} descriptor{'' if abs(end.fds - start.fds) == 1 else 's'}")
    if error:
        lines.append(f"FAILED: {error}")
    found = failures(events, start, end)
    if found or error:
        lines += [f"FAIL: {reason}" for reason in found]
    else:
        lines.append(f"PASS: memory back within {mib(LIMIT_KIB)} MiB {AFTER_S:g} s after every sound; the day grew by "
                     f"less than {mib(LIMIT_KIB)} MiB and by no descriptor")
    lines.append("")
    lines.append(
        "private = RssAnon; peak sampled every 50 ms from before the clock jumped to after the after-sample; heard s:"
        " sound in the sink's recording; closed s and after s: when the sound server saw the stream go and when the"
        " after-sample was taken, counted from the end of the sound heard. Rows without a verdict hold no sound of"
        " their own.")
    return "\n".join(lines)


# --- the process and its sound -------------------------------------------------------------------------------------

def sample(pid):
    with open(f"/proc/{pid}/status") as handle:
        status = dict(line.split(":", 1) for line in handle if ":" in line)
    # libfaketime opens its file at each reading of the clock: a listing may catch that descriptor in passing.
    fds = min(len(os.listdir(f"/proc/{pid}/fd")) for _ in range(3))
    return Sample(int(status["RssAnon"].split()[0]), fds)


class PeakWatch:
    """The highest private memory of a process, read every 50 ms on a thread of its own until stop()."""

    def __init__(self, pid):
        self.pid = pid
        self.peak_kib = sample(pid).anon_kib
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        while not self._stop.wait(0.05):
            try:
                self.peak_kib = max(self.peak_kib, sample(self.pid).anon_kib)
            except (OSError, KeyError, ValueError):
                return  # the process ended

    def stop(self):
        self._stop.set()
        self._thread.join()
        return self.peak_kib


def chime_sounds(moment):
    """The sounds the clock makes at a boundary of the day: at hh:00 one stroke per hour of the twelve (none at
    midnight, which is hour 0), at hh:30 as many strokes and the half-hour sound, at noon Big Ben."""
    hour, minute = moment % 86400 // HOUR, moment % HOUR // 60
    ora12 = hour - 12 if hour >= 13 else hour
    if minute == 0:
        return ["BigBen.wav"] if ora12 == 12 else ["Ora.wav"] * ora12
    return ["Ora.wav"] * ora12 + ["Mezzora.wav"] if minute == 30 else []


def clock_text(moment):
    return time.strftime("%H:%M", time.gmtime(moment))


class Soak:
    def __init__(self, session, program):
        self.s = session
        self.recording = session.pulse.record()
        self.stamp = session.dir / "faketime"
        self.offset = 0
        self.jump(DAY - 20)  # the program starts at 23:59:40 of the day before
        env = {"LD_PRELOAD": LIBFAKETIME, "FAKETIME_TIMESTAMP_FILE": str(self.stamp), "FAKETIME_NO_CACHE": "1",
               "FAKETIME_DONT_FAKE_MONOTONIC": "1", "NO_FAKE_STAT": "1"}
        self.app = session.start(program, config=SETTINGS, env=env)
        self.app.wait_trace("face", lambda line: line.args == ("Analogico",), timeout=30)
        self.analog = self.window_of_size(ANALOG_SIZE)
        self.events = []

    # --- the clock ---

    def jump(self, moment):
        """Sets the program's clock to between `moment` and a second after it, in whole seconds from the real one."""
        self.offset = int(moment) - int(time.time())
        new = self.stamp.with_name(self.stamp.name + ".new")
        new.write_text(f"{self.offset:+d}\n")
        os.replace(new, self.stamp)  # never a half-written file: an empty one would mean the real time

    def jump_before(self, boundary):
        self.jump(boundary - LEAD_S)

    def sounds_since(self, boundary):
        return [line for line in self.app.trace("sound") if line.ns >= boundary * 1_000_000_000]

    def wait_sounds(self, boundary, count, timeout):
        """The sound lines traced from `boundary` on, once there are `count` of them."""
        def enough():
            lines = self.sounds_since(boundary)
            return lines if len(lines) >= count else None

        return wait_until(enough, timeout, 0.05, f"{clock_text(boundary)}: fewer than {count} sounds within {timeout:g} s")

    def wait_shown(self, moment, timeout=10):
        self.app.wait_trace("shown", lambda line: int(line.args[0]) >= moment, timeout=timeout)

    # --- the sound server and the recording ---

    def device_open(self):
        """Whether the program has a stream on the sound server (its only client that plays)."""
        return bool(self.s.run(["pactl", "list", "short", "sink-inputs"], check=False).stdout.strip())

    def last_heard(self, since):
        """(monotonic time the last sound heard since `since` ended, seconds of sound heard), or (None, 0).

        The recording's bytes are timed from its end, which parec keeps within its 20 ms latency of now: its start
        lost the couple of seconds the sink buffered before it settled."""
        rate = self.s.pulse.RATE * self.s.pulse.CHANNELS * 2
        with open(self.recording.path, "rb") as handle:
            now = time.monotonic()
            size = handle.seek(0, os.SEEK_END) // 4 * 4
            offset = max(0, size - int((now - since) * rate) // 4 * 4)
            handle.seek(offset)
            data = handle.read(size - offset)
        # The null sink is digital silence between sounds: a low threshold keeps the bells' fading tails.
        segments = sound_segments(rms_windows(data, self.s.pulse.RATE, self.s.pulse.CHANNELS, 50), 50, 20, 100)
        if not segments:
            return None, 0.0
        return now - len(data) / rate + segments[-1].end, sum(segment.duration for segment in segments)

    # --- windows ---

    def window_of_size(self, size, timeout=10):
        def find():
            for window in self.app.windows():
                try:
                    g = self.s.geometry(window)
                except HarnessError:
                    continue  # gone meanwhile
                if (g.width, g.height) == size:
                    return window
            return None

        return wait_until(find, timeout, 0.1, f"no window of {size[0]} x {size[1]} within {timeout:g} s")

    def fake_ns(self):
        """The program's clock now."""
        return time.time_ns() + self.offset * 1_000_000_000

    def show_face(self, menu_at, key, face, size):
        """Opens `face` from the menu of the face shown, and waits until it shows its time; returns its geometry."""
        since = self.fake_ns()
        self.s.context_menu(self.app, *menu_at, key)
        self.app.wait_trace("face", lambda line: line.args == (face,) and line.ns >= since, 5)
        window = self.window_of_size(size)
        self.app.wait_trace("shown", lambda line: line.args[1:2] == (face,) and line.ns >= since, 5)
        return self.s.geometry(window)

    def large_button(self, g, number):
        self.s.click(g.x + (number - 1) * 55 + 27, g.y + 28)

    def large_mode(self, g, *keys):
        menus = len(self.app.trace("menu"))
        self.large_button(g, 1)
        wait_until(lambda: len(self.app.trace("menu")) > menus and len(self.app.windows()) >= 2, 5,
                   message="the large face's mode menu did not open")
        for key in keys:
            self.s.key(key)

    # --- measuring ---

    def measure(self, name, drive, judged=True, settle=3.0):
        """Samples, runs drive() (which makes the event happen and returns notes), then samples again: for a sound,
        once the device has closed and AFTER_S after the end of the sound heard; otherwise after `settle`."""
        print(f"   soak: {name} ...", file=sys.stderr, flush=True)
        event = Event(name, judged)
        self.events.append(event)
        event.before = sample(self.app.pid)
        watch = PeakWatch(self.app.pid)
        began = time.monotonic()
        try:
            event.notes += drive() or []
            if judged:
                try:
                    wait_until(lambda: not self.device_open(), 120, 0.25)
                    closed = time.monotonic()
                except TimeoutError:
                    closed = None
                    event.notes.append("the sound device was still open 120 s after the event")
                time.sleep(0.5)  # the recording's own latency
                end, event.heard_s = self.last_heard(began)
                if end is None:
                    event.notes.append("no sound heard in the recording")
                    end = closed if closed is not None else time.monotonic()
                if closed is not None:
                    event.closed_s = closed - end
                time.sleep(max(0.0, end + AFTER_S - time.monotonic()))
                event.after = sample(self.app.pid)
                event.after_s = time.monotonic() - end
            else:
                time.sleep(settle)
                event.after = sample(self.app.pid)
        finally:
            event.peak_kib = watch.stop()
        if not self.app.alive():
            raise HarnessError(f"quadrantix ended during '{name}' (exit {self.app.returncode})")
        return event

    def seen_open(self):
        """Whether the sound server has, or gets within a few seconds, a stream of the program."""
        try:
            return wait_until(self.device_open, 5, 0.1)
        except TimeoutError:
            return False

    def opened_device(self, notes):
        if not self.seen_open():
            notes.append("the sound server never saw a stream of the program")

    def full_chime(self, boundary):
        """The chime of one boundary, played to its end."""
        def drive():
            notes = []
            expected = chime_sounds(boundary)
            self.jump_before(boundary)
            self.wait_sounds(boundary, 1, LEAD_S + 10)
            self.opened_device(notes)
            # Big Ben is one sound; the strokes come one per tick, each played to its end (2 s or so).
            lines = self.wait_sounds(boundary, len(expected), LEAD_S + 3 * len(expected) + 10)
            names = [Path(line.args[-1]).name for line in lines]
            if names != expected:
                notes.append(f"played {names}, not {expected}")
            return notes

        count = len(chime_sounds(boundary))
        what = "Big Ben" if chime_sounds(boundary) == ["BigBen.wav"] else f"{count} sound{'s' if count > 1 else ''}"
        return self.measure(f"{clock_text(boundary)} chime, whole ({what})", drive)

    def quick_chimes(self, boundaries):
        """The chimes of several boundaries one after another, each cut after its first sound."""
        samples = []

        def drive():
            notes = []
            silent = []
            for boundary in boundaries:
                samples.append(sample(self.app.pid).anon_kib)
                self.jump_before(boundary)
                if chime_sounds(boundary):
                    self.wait_sounds(boundary, 1, LEAD_S + 10)
                else:  # midnight: the clock must stay silent
                    self.wait_shown(boundary + 2)
                    if self.sounds_since(boundary):
                        notes.append(f"{clock_text(boundary)} sounded, although it makes no sound")
                    silent.append(clock_text(boundary))
            self.jump(boundaries[-1] + 60)  # cut the last sequence short too
            if any(chime_sounds(b) for b in boundaries) and not self.seen_open():
                notes.append("the sound server never saw a stream of the program")
            if len(silent) == len(boundaries):
                notes.append("no sound, as designed: midnight is hour 0 of the twelve")
            else:
                notes.append(f"{len(boundaries)} boundaries, the first sound of each heard; private at each jump "
                             f"{mib(min(samples))} to {mib(max(samples))} MiB")
            return notes

        if len(boundaries) == 1:
            name = f"{clock_text(boundaries[0])}, " + ("first sound" if chime_sounds(boundaries[0]) else "silent")
        else:
            name = f"{clock_text(boundaries[0])} to {clock_text(boundaries[-1])} chimes, first sound of each"
        return self.measure(name, drive, judged=any(chime_sounds(b) for b in boundaries))

    def alarm(self):
        boundary = DAY + ALARM_AT[0] * HOUR + ALARM_AT[1] * 60

        def drive():
            notes = []
            began = time.monotonic()
            self.jump_before(boundary)
            window = self.app.window(name="^Quadrantix - Allarme!$", timeout=LEAD_S + 15)
            melody = self.app.wait_trace("sound", lambda line: line.ns >= boundary * 1_000_000_000, timeout=5)
            notes.append(f"melody {Path(melody.args[-1]).name}")
            self.opened_device(notes)
            # Some of the melody, then OK, as a user would.
            try:
                wait_until(lambda: self.last_heard(began)[1] >= 3.0, 15, 0.5)
            except TimeoutError:
                notes.append("less than 3 s of the melody heard before OK")
            g = self.s.geometry(window)
            self.s.click(g.x + ALARM_OK[0], g.y + ALARM_OK[1])
            wait_until(lambda: not self.app.windows("^Quadrantix - Allarme!$"), 5, message="OK did not close the alarm")
            return notes

        return self.measure(f"{clock_text(boundary)} alarm, opened and closed with OK", drive)

    def faces_and_counts(self):
        """Each face in turn, then the stopwatch and a countdown on the large face, and back to the analog face."""
        def drive():
            g = self.s.geometry(self.analog)
            g = self.show_face(g.center(), "d", "Digitale", STAR_SIZE)
            g = self.show_face((g.x + 97, g.y + 40), "m", "Mini", OVAL_SIZE)
            g = self.show_face((g.x + 48, g.y + 30), "q", "Quadrantix", LARGE_SIZE)

            self.large_mode(g, "c", "Return")  # "&Cronometro"
            starts = len(self.app.trace("crono-start"))
            self.large_button(g, 2)  # "Avvia"
            wait_until(lambda: len(self.app.trace("crono-start")) > starts, 5, message="the stopwatch did not start")
            time.sleep(3.0)  # three seconds of hundredths
            self.large_button(g, 4)  # "Ferma"
            self.large_button(g, 5)  # "Azzera"

            ends = len(self.app.trace("countdown-end"))
            self.large_mode(g, "c", "c", "Return")  # "&Conto alla rovescia": the second item starting with C
            dialog = self.app.window(name="^Quadrantix - Conto alla rovescia$", timeout=10)
            d = self.s.geometry(dialog)
            self.s.type_text("00:00:02")
            self.s.click(d.x + DIALOG_MESSAGE_OPTION[0], d.y + DIALOG_MESSAGE_OPTION[1])
            self.s.click(d.x + DIALOG_MESSAGE_FIELD[0], d.y + DIALOG_MESSAGE_FIELD[1])
            self.s.type_text("Pasta pronta")
            self.s.click(d.x + DIALOG_START[0], d.y + DIALOG_START[1])
            wait_until(lambda: len(self.app.trace("countdown-end")) > ends, 10, message="the countdown did not end")
            box = self.app.window(name="^Fine conto alla rovescia$", timeout=10)
            self.s.xdotool("windowfocus", "--sync", box)
            self.s.key("Return")
            wait_until(lambda: not self.app.windows("^Fine conto alla rovescia$"), 5,
                       message="Return did not close the countdown's message")

            since = self.fake_ns()
            self.large_button(g, 7)  # "Analogico"
            self.app.wait_trace("face", lambda line: line.args == ("Analogico",) and line.ns >= since, 5)
            self.analog = self.window_of_size(ANALOG_SIZE)
            return ["the star, the oval and the large face shown in turn; the stopwatch ran 3 s; a countdown of 2 s "
                    "ended with its message, closed"]

        return self.measure("faces, stopwatch and countdown", drive, judged=False)


def run(build_dir):
    """Runs the soak; returns (events, start sample, end sample, error or None)."""
    program = Path(build_dir) / "bin" / "quadrantix"
    if not program.exists():
        return [], None, None, f"{program} not built yet"
    events, start, end = [], None, None
    try:
        with Session(pulse=True, env={"QT_XCB_NO_MITSHM": "1"}) as s:
            soak = Soak(s, program)
            events = soak.events
            time.sleep(5.0)  # let start-up work, and what waits for the first paint, die down
            start = sample(soak.app.pid)
            half = [DAY + n * 1800 for n in range(48)]  # 00:00 .. 23:30
            at = {clock_text(b): b for b in half}
            soak.quick_chimes([at["00:00"]])
            soak.full_chime(at["00:30"])
            soak.full_chime(at["01:00"])
            soak.quick_chimes([b for b in half if at["01:30"] <= b <= at["07:30"]])
            soak.alarm()
            soak.jump(DAY + 7 * HOUR + 50 * 60)
            soak.faces_and_counts()
            soak.quick_chimes([b for b in half if at["08:00"] <= b <= at["11:30"]])
            soak.full_chime(at["12:00"])
            soak.quick_chimes([b for b in half if at["12:30"] <= b <= at["23:00"]])
            soak.full_chime(at["23:30"])
            # The day ends: midnight passes silently and the date turns over.
            soak.jump(DAY + 86400 - LEAD_S)
            soak.wait_shown(DAY + 86400 + 3)
            time.sleep(2.0)
            end = sample(soak.app.pid)
            if soak.sounds_since(DAY + 86400):
                events[-1].notes.append("the next midnight sounded")
    except (HarnessError, TimeoutError, OSError) as error:
        return events, start, end, str(error).splitlines()[0]
    return events, start, end, None


def report(build_dir):
    """Prints the soak's table and verdict; returns True when it passed."""
    print("== soak: one clock through a simulated day (faked clock, sound to a private PulseAudio)")
    began = time.monotonic()
    events, start, end, error = run(build_dir)
    if error and not events and start is None:
        print(f"skipped: {error}\n" if "not built" in error else f"FAILED: {error}\n")
        return "not built" in error
    print(format_report(events, start, end, error))
    print(f"(the soak took {time.monotonic() - began:.0f} s)\n")
    return not error and not failures(events, start, end)
