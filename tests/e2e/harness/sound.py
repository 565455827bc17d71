"""A private PulseAudio with a null sink, its recordings, and the sounds found in them."""

import array
import math
import subprocess
import sys
import time
from dataclasses import dataclass

from .processes import START_TIMEOUT, HarnessError, _end_process, _run_each, _tail, popen, wait_until


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
