"""Self-test of the harness's private PulseAudio: a known pattern of tones is found again in the recording."""

import math
import struct
import sys
import unittest
import wave
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean of __pycache__
sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, pid_alive  # noqa: E402


def write_pattern(path, parts, rate=44100):
    """A stereo 16-bit WAV of (seconds, frequency or 0 for silence) parts."""
    frames = bytearray()
    for seconds, frequency in parts:
        for i in range(int(seconds * rate)):
            value = int(12000 * math.sin(2 * math.pi * frequency * i / rate)) if frequency else 0
            frames += struct.pack("<hh", value, value)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(bytes(frames))


class PulseAudioTest(unittest.TestCase):
    def test_recording_finds_each_tone_with_its_length(self):
        with Session(pulse=True) as s:
            self.assertNotIn("DISPLAY", Path(f"/proc/{s.pulse.popen.pid}/environ").read_bytes().decode())
            sound = s.dir / "pattern.wav"
            write_pattern(sound, [(0.3, 880), (0.5, 0), (0.6, 440)])
            recording = s.pulse.record()
            s.run(["paplay", str(sound)])
            segments = recording.segments(threshold=2000)
            self.assertEqual(len(segments), 2, segments)
            first, second = segments
            self.assertAlmostEqual(first.duration, 0.3, delta=0.1)
            self.assertAlmostEqual(second.duration, 0.6, delta=0.1)
            self.assertAlmostEqual(second.start - first.end, 0.5, delta=0.1)
            self.assertAlmostEqual(first.peak_rms, 12000 / math.sqrt(2), delta=800)
            started = s.pids()
        self.assertEqual([pid for pid in started if pid_alive(pid)], [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
