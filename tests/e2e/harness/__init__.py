"""End-to-end harness: runs the real programs under a private Xvfb, D-Bus (and optionally openbox, PulseAudio).

The package's modules: processes (starting and ending processes, files, waiting, the clean-up after a dead run),
session (Session and the App it starts), x11 (the display: geometry, shapes, screenshots, pointer and keys), dbus (the
private system bus and the logind mock), sound (the private PulseAudio and what its recordings hold), traces (the
programs' trace files), stats, and xsmp (the test session manager). Tests and the benchmark import the names below
from the package."""

from .dbus import LogindMock
from .processes import (BUILD_DIR, DIR_PREFIX, LIBFAKETIME, SCREEN, SOURCE_DIR, START_TIMEOUT, HarnessError, _read_line,
                        faketime_env, marked_processes, pid_alive, popen, program_path, sweep_stale_runs, wait_until,
                        write_ini)
from .session import App, Session
from .sound import PulseAudio, Recording, Segment, rms_windows, sound_segments
from .stats import median, percentile
from .traces import TraceLine, read_trace
from .x11 import Geometry, ellipse_deviation, row_spans
from .xsmp import TestSessionManager

__all__ = [
    "App", "BUILD_DIR", "DIR_PREFIX", "Geometry", "HarnessError", "LIBFAKETIME", "LogindMock", "PulseAudio",
    "Recording", "SCREEN", "SOURCE_DIR", "START_TIMEOUT", "Segment", "Session", "TestSessionManager", "TraceLine",
    "ellipse_deviation",
    "faketime_env", "marked_processes", "median", "percentile", "pid_alive", "popen", "program_path", "read_trace",
    "rms_windows", "row_spans", "sound_segments", "sweep_stale_runs", "wait_until", "write_ini",
]
