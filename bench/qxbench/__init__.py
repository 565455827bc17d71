"""Benchmark harness: runs the programs under a private Xvfb and measures what they cost (see bench/run)."""

import sys
import types
from pathlib import Path

# The end-to-end tests' session code (tests/e2e/harness.py), loaded under its own name: this package is "harness" too.
_path = Path(__file__).resolve().parents[2] / "tests" / "e2e" / "harness.py"
e2e = types.ModuleType("e2e_harness")
e2e.__file__ = str(_path)
sys.modules["e2e_harness"] = e2e
exec(compile(_path.read_text(encoding="utf-8"), str(_path), "exec"), e2e.__dict__)
