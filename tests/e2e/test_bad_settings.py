"""Bad settings: every key each program reads, with every kind of bad value a hand-edited or damaged file holds.

Each program starts, runs across an hour chime and an alarm minute under faketime, does what the values it can read
say (a value that is not exactly right never matches), and ends cleanly. The rows of one program run side by side
in one session, each clock with its own settings file and trace."""

import sys
import time
import unittest
from dataclasses import dataclass
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import Session, wait_until  # noqa: E402
from programs import PROGRAMS, built, end_cleanly, strangers  # noqa: E402

START = "2026-12-09 00:59:56"  # four seconds before the 01:00 events (programs.MINUTE_EPOCH)
SETTLED_AFTER = 10.0           # real seconds after the start at which the faked clock is past 01:00:06
BATCH = 10
MEGABYTE = 1 << 20


@dataclass
class Row:
    name: str
    section: str
    key: str
    lines: bytes       # the key's line(s) in the file, replacing its valid one
    effective: str     # what the store reads for the key


def bad_values(program, section, key, valid):
    """(kind, lines, value read) for one key whose valid value is `valid`."""
    k = key.encode()
    upper_key = key.upper().encode()
    numeric = valid.isdigit()
    big = ("7" if numeric else "m") * MEGABYTE
    out_of_range = program.out_of_range[(section, key)]
    wrong_case = valid.lower() if valid.lower() != valid else valid.upper()
    return [
        ("empty", k + b"=", ""),
        ("1 MB", k + b"=" + big.encode(), big),
        ("non-numeric", k + b"=uno", "uno"),
        ("negative", k + b"=-1", "-1"),
        ("out of range", k + b"=" + out_of_range.encode(), out_of_range),
        ("wrong case of the value", k + b"=" + wrong_case.encode(), wrong_case),
        ("wrong case of the name", upper_key + b"=" + valid.encode(), valid),  # names match without case
        ("control characters", k + b"=" + valid.encode() + b"\x01\x1b[31m\x07", valid + "\x01\x1b[31m\x07"),
        ("invalid UTF-8", k + b"=\xff\xfe" + valid.encode() + b"\xc3(", "\ufffd\ufffd" + valid + "\ufffd("),
        ("duplicates, the bad one last", k + b"=" + valid.encode() + b"\n" + k + b"=x" + valid.encode(), "x" + valid),
        ("duplicates, the good one last", k + b"=x" + valid.encode() + b"\n" + k + b"=" + valid.encode(), valid),
    ]


def settings_file(config, row):
    """The program's valid settings with the row's key written as the row says."""
    lines = []
    for section, values in config.items():
        lines.append(f"[{section}]".encode())
        for key, value in values.items():
            lines.append(row.lines if (section, key) == (row.section, row.key) else f"{key}={value}".encode())
        lines.append(b"")
    return b"\n".join(lines) + b"\n"


def effective_settings(program, row):
    """What the program works with: the file's values, after the first run if the program makes one."""
    values = {(s, k): v for s, kv in program.config.items() for k, v in kv.items()}
    values[(row.section, row.key)] = row.effective
    return program.after_start(values)


class BadSettingsTest(unittest.TestCase):
    def test_every_key_with_every_bad_value(self):
        tried = 0
        for program in PROGRAMS:
            if not built(program):
                self.skipTest(f"{program.name} not built")
            rows = []
            for section, key in program.reads:
                valid = program.config[section][key]
                for kind, lines, effective in bad_values(program, section, key, valid):
                    rows.append(Row(f"{program.name} [{section}] {key}: {kind}", section, key, lines, effective))
            for first in range(0, len(rows), BATCH):
                self.run_batch(program, rows[first:first + BATCH])
            tried += len(rows)
        print(f"bad settings: {tried} bad values tried", file=sys.stderr)

    def run_batch(self, program, rows):
        with Session() as s:
            apps = []
            for i, row in enumerate(rows):
                path = s.dir / f"bad-{i}.ini"
                path.write_bytes(settings_file(program.config, row))
                apps.append(s.start(program.name, env={"QUADRANTIX_CONFIG": str(path)}, faketime=START))
            for row, app in zip(rows, apps):
                with self.subTest(row.name):
                    if program.keeps_running(effective_settings(program, row)):
                        app.wait_trace("started", timeout=30)
                    program.check(self, row.name, app, effective_settings(program, row))
                    wait_until(lambda: time.time() - app.spawn_ns / 1e9 > SETTLED_AFTER or not app.alive(), 30, 0.1)
                    if program.keeps_running(effective_settings(program, row)):
                        self.assertTrue(app.alive(),
                                        f"{row.name}: ended with {app.returncode}\n{app.stderr()[-2000:]}")
                    else:
                        self.assertEqual(app.wait(5), 0, f"{row.name}: does not end at once with status 0")
                    program.check_settled(self, row.name, app, effective_settings(program, row))
            for i, (row, app) in enumerate(zip(rows, apps)):
                with self.subTest(row.name, step="end"):
                    if app.alive():
                        end_cleanly(self, app)
                    if program.check_ended:
                        program.check_ended(self, row.name, s.dir / f"bad-{i}.ini")
            self.assertEqual(strangers(s), [], "processes left behind")


if __name__ == "__main__":
    unittest.main()
