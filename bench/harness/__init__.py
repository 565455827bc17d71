"""Benchmark harness: runs the programs under a private Xvfb and measures what they cost (see bench/run)."""

import importlib.util
import sys
from pathlib import Path

# The end-to-end tests' session code (tests/e2e/harness.py), loaded under its own name: this package is "harness" too.
_path = Path(__file__).resolve().parents[2] / "tests" / "e2e" / "harness.py"
_spec = importlib.util.spec_from_file_location("e2e_harness", _path)
e2e = importlib.util.module_from_spec(_spec)
sys.modules["e2e_harness"] = e2e
_spec.loader.exec_module(e2e)
