"""The programs' trace files (QUADRANTIX_TRACE): one event a line."""

from dataclasses import dataclass
from pathlib import Path


@dataclass(frozen=True)
class TraceLine:
    ns: int
    event: str
    args: tuple

    def lag_ms(self):
        """For `shown <epoch_seconds> <face>`: how long after the real second boundary the second was on screen."""
        return (self.ns - int(self.args[0]) * 1_000_000_000) / 1e6


def read_trace(path):
    lines = []
    try:
        text = Path(path).read_text(encoding="utf-8", errors="replace")
    except FileNotFoundError:
        return lines
    for raw in text.splitlines():
        parts = raw.split()
        if len(parts) >= 2 and parts[0].isdigit():
            lines.append(TraceLine(int(parts[0]), parts[1], tuple(parts[2:])))
    return lines
