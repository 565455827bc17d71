"""Chimes and alarm end to end: the real clock under Xvfb with a faked time of day and a private PulseAudio sink."""

import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, wait_until  # noqa: E402

MESSAGE = "Sveglia! Riunione alle 8"


def heard(segments):
    """Seconds of sound in a recording's segments."""
    return sum(seg.duration for seg in segments)


def alarm_config(ore, minuti, segnale):
    return {
        "Opzioni": {"Avvio": "Analogico", "Big Ben": "1", "Segnale orario": segnale, "Allarme": "1"},
        "Allarme": {"Ore": ore, "Minuti": minuti, "Messaggio": MESSAGE},
    }


class TimeEventsTest(unittest.TestCase):
    def test_alarm_opens_with_its_message_and_plays_until_ok(self):
        with Session(pulse=True) as s:
            recording = s.pulse.record()
            app = s.start("quadrantix", config=alarm_config("07", "45", "0"), faketime="2026-12-09 07:44:58")
            win = app.window(name="^Quadrantix - Allarme!$", timeout=20)
            opened = time.monotonic() - recording.start_monotonic
            self.assertEqual(" ".join(app.wait_trace("alarm").args), MESSAGE)
            self.assertEqual(app.wait_trace("shown").args[1], "Analogico")

            # Let the melody be heard for a while: until the recording holds 2.5 s of it.
            wait_until(lambda: heard(recording.segments(threshold=300, data=recording.path.read_bytes())) >= 2.5, 15,
                       0.25, "the melody was not heard")
            g = s.geometry(win)
            s.click(g.x + 155, g.y + 116)  # "&OK"
            closed = time.monotonic() - recording.start_monotonic
            wait_until(lambda: not app.windows("^Quadrantix - Allarme!$"), 5, message="OK did not close the alarm")
            time.sleep(1.5)  # what is measured: the silence after OK, which must last
            segments = recording.segments(threshold=300)

            # The recording's time runs some hundred milliseconds off the test's: compare lengths, not moments. Nothing
            # else sounds in this test (no chimes at 07:45).
            self.assertGreater(heard(segments), 0.6 * (closed - opened), f"melody not heard: {segments}")
            end = time.monotonic() - recording.start_monotonic
            self.assertLess(segments[-1].end, end - 1.0, f"still playing after OK: {segments}")
            self.assertTrue(app.alive())

    def test_noon_alarm_opens_only_after_big_ben_has_ended(self):
        with Session(pulse=True) as s:
            recording = s.pulse.record()
            app = s.start("quadrantix", config=alarm_config("12", "00", "1"), faketime="2026-12-09 11:59:57")
            app.window(name="^Quadrantix - Allarme!$", timeout=90)
            opened = time.monotonic() - recording.start_monotonic
            alarm = app.wait_trace("alarm")
            # The trace's clock is the faked wall clock: the time of day the window opened at.
            opened_at = alarm.ns // 1_000_000_000 % 86400 - 12 * 3600
            time.sleep(3.0)  # some of the melody
            segments = recording.segments(threshold=300)

            # Big Ben, then silence, then the melody: the longest quiet stretch before the window was seen is the one
            # between them. (The window shows a little after its melody has begun.) Big Ben's own pauses are shorter.
            gaps = [(b.start - a.end, a.end, b.start) for a, b in zip(segments, segments[1:]) if b.start <= opened + 0.5]
            self.assertTrue(gaps, f"Big Ben, then the melody: {segments} (window seen at {opened:.2f} s)")
            quiet, big_ben_end, melody_start = max(gaps)
            report = f"{segments} (window seen at {opened:.2f} s)"
            self.assertGreater(big_ben_end - segments[0].start, 45, f"Big Ben heard to its end before the alarm: {report}")
            self.assertGreater(quiet, 1.0, f"silence between Big Ben and the melody: {report}")
            self.assertLess(opened - melody_start, 5, f"the melody comes with the window: {report}")
            self.assertGreaterEqual(opened_at, 50, f"the alarm of 12:00 opened at 12:00:{opened_at:02d}")
            self.assertLess(opened_at, 60, "still in its minute")
            self.assertTrue(app.alive())

    def test_three_separate_strokes_at_three(self):
        with Session(pulse=True) as s:
            recording = s.pulse.record()
            config = {"Opzioni": {"Avvio": "Analogico", "Big Ben": "1", "Segnale orario": "1", "Allarme": "0"}}
            app = s.start("quadrantix", config=config, faketime="2026-12-09 14:59:58")
            # A slow start (the sanitizer build on a busy machine) may put the first second on screen past 15:00:00.
            app.wait_trace("shown", lambda line: int(line.args[0]) % 86400 >= 15 * 3600, timeout=30)

            def strokes_done():
                segs = recording.segments(threshold=1000, data=recording.path.read_bytes())
                done = len(segs) >= 3 and time.monotonic() - recording.start_monotonic > segs[-1].end + 2.5
                return segs if done else None

            try:
                segments = wait_until(strokes_done, 20, 0.25)
            except TimeoutError:
                self.fail(f"three strokes were not heard: {recording.segments(threshold=1000)}")
            self.assertEqual(len(segments), 3, segments)
            gaps = [b.start - a.start for a, b in zip(segments, segments[1:])]
            for gap in gaps:
                self.assertAlmostEqual(gap, 2.0, delta=0.6, msg=f"strokes one after another: {segments}")

    def test_without_any_sound_device_nothing_hangs(self):
        # No PulseAudio in this session and no sound card on the machine: SDL finds no device at all.
        with Session() as s:
            app = s.start("quadrantix", config=alarm_config("15", "00", "1"), faketime="2026-12-09 14:59:58")
            app.window(name="^Quadrantix - Allarme!$", timeout=20)
            # The hands go on ticking after the silent strokes and the silent melody.
            last = app.wait_trace("shown", lambda line: int(line.args[0]) % 86400 >= 15 * 3600 + 5, timeout=15)
            self.assertTrue(app.alive())
            self.assertLess(last.lag_ms(), 500)


if __name__ == "__main__":
    unittest.main()
