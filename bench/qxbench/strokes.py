"""How soon after the hour the clock's first stroke starts, and how often it wakes between chimes."""

import os
import subprocess
import tempfile
import time
from pathlib import Path

from . import measure

LIBFAKETIME = "/usr/$LIB/faketime/libfaketime.so.1"


def first_stroke(build_dir, runs=3):
    """Starts the clock a few seconds before 15:00 (faked) and reads, from its trace, how many milliseconds after the
    minute boundary each run's first stroke began. Returns the offsets, or a reason it could not measure."""
    program = Path(build_dir) / "bin" / "quadrantix"
    if not program.exists():
        return None, "quadrantix not built yet"
    offsets = []
    for _ in range(runs):
        with tempfile.TemporaryDirectory() as tmp:
            tmp = Path(tmp)
            (tmp / "q.ini").write_text("[Opzioni]\nBig Ben=1\nAvvio=\nSegnale orario=1\n")
            env = measure.private_env(tmp) if hasattr(measure, "private_env") else dict(os.environ)
            env.update({"QUADRANTIX_CONFIG": str(tmp / "q.ini"), "QUADRANTIX_TRACE": str(tmp / "trace"),
                        "QT_QPA_PLATFORM": "offscreen", "SDL_AUDIODRIVER": "dummy", "LD_PRELOAD": LIBFAKETIME,
                        "FAKETIME": "@2026-12-09 14:59:58", "FAKETIME_DONT_FAKE_MONOTONIC": "1",
                        "XDG_DATA_HOME": str(tmp), "XDG_RUNTIME_DIR": str(tmp)})
            proc = subprocess.Popen([str(program)], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            try:
                deadline = time.monotonic() + 15
                stroke = None
                while stroke is None and time.monotonic() < deadline and proc.poll() is None:
                    time.sleep(0.1)
                    trace = (tmp / "trace").read_text() if (tmp / "trace").exists() else ""
                    stroke = next((line.split() for line in trace.splitlines() if " sound " in line), None)
            finally:
                proc.terminate()
                proc.wait(5)
            if stroke is None:
                return None, "no stroke traced"
            offsets.append((int(stroke[2]) % 60_000_000_000) / 1e6)
    return offsets, None


def report(build_dir):
    offsets, problem = first_stroke(build_dir)
    print("== chimes")
    if problem:
        print(f"skipped: {problem}\n")
        return
    print("first stroke of 15:00 starts " + ", ".join(f"{o:.1f}" for o in offsets)
          + " ms after the minute boundary (clock time; goal: within 500 ms)\n")
