#!/usr/bin/env python3
"""Fails when a program links a library it has no use for: the screensaver draws the faces and reads the store, so it
links neither the sound library nor the bus (shut-down, session end); the hidden accumulator links no widgets and no
sound. Reads the dynamic section of each built program (readelf -d)."""

import re
import subprocess
import sys
from pathlib import Path

FORBIDDEN = {
    "quadrasogno": [r"libSDL2", r"libQt6DBus", r"libdbus"],
    "horacumul": [r"libSDL2", r"libQt6Widgets"],
}


def needed(binary):
    out = subprocess.run(["readelf", "-d", str(binary)], capture_output=True, text=True, check=True).stdout
    return re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", out)


def main():
    bin_dir = Path(sys.argv[1])
    problems = []
    for program, patterns in FORBIDDEN.items():
        libraries = needed(bin_dir / program)
        for library in libraries:
            if any(re.match(pattern, library) for pattern in patterns):
                problems.append(f"{program} links {library}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
