"""Benchmark harness: runs the programs under a private Xvfb and measures what they cost (see bench/run).

The sessions are the end-to-end tests' (the `harness` package in tests/e2e), imported like any other package."""

import sys
from pathlib import Path

_E2E = str(Path(__file__).resolve().parents[2] / "tests" / "e2e")
if _E2E not in sys.path:
    sys.path.append(_E2E)
