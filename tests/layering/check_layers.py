#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder above its own, connects a signal without a context, or
reads a real clock outside platform/.

The folders are layered one way: platform <- core <- events, faces, options; faces <- saver; lifetime uses platform and
core only, and options uses lifetime for its read-out of the total; assets (the pictures) may be used from core up. The
programs (app/), tests, tools and benchmarks stand above every layer. The build enforces the same through each
library's include path; this check also covers headers that no source of their own folder happens to include."""

import re
import sys
from pathlib import Path

# Folder -> the folders whose headers it may include (itself always).
ALLOWED = {
    "platform": set(),
    "assets": set(),
    "core": {"platform", "assets"},
    "events": {"core", "platform", "assets"},
    "faces": {"core", "platform", "assets"},
    "options": {"lifetime", "core", "platform", "assets"},  # the faces' pictures come from the program, not faces/
    "saver": {"faces", "core", "platform", "assets"},
    "lifetime": {"core", "platform"},
}
# Headers of core/ that need no widgets, the only ones the hidden lifetime accumulator may use.
CORE_WITHOUT_WIDGETS = {"core/settings_store.h", "core/settings_keys.h", "core/setting_values.h"}
SOURCES = (".h", ".cpp")

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# connect(sender, &Class::signal, <functor>) with no receiver between the signal and the functor: the functor would
# outlive the object it captures. QTimer::singleShot(ms, <functor>) likewise.
CONTEXTLESS = [
    re.compile(r"\bconnect\(\s*[^,()]+(?:\([^()]*\))?\s*,\s*&[\w:]+\s*,\s*\["),
    re.compile(r"\bsingleShot\(\s*[^,()]+\s*,\s*\["),
]


def layer_violations(root, path):
    folder = path.relative_to(root).parts[0]
    allowed = ALLOWED.get(folder)
    if allowed is None:
        return []
    problems = []
    text = path.read_text(encoding="utf-8", errors="replace")
    for match in INCLUDE.finditer(text):
        header = match.group(1)
        target = header.split("/", 1)[0]
        line = text.count("\n", 0, match.start()) + 1
        where = f"{path.relative_to(root)}:{line}"
        if "/" not in header:
            continue  # a header beside the file, in its own folder
        if target != folder and target not in allowed:
            problems.append(f"{where}: {folder}/ must not include {header}")
        elif folder == "lifetime" and target == "core" and header not in CORE_WITHOUT_WIDGETS:
            problems.append(f"{where}: lifetime/ must not include the widget part of core ({header})")
    return problems


def call_arguments(text, open_paren):
    """The top-level arguments of the call whose '(' is at `open_paren`, as texts; None when it does not close."""
    depth, start, args = 0, open_paren + 1, []
    for i in range(open_paren, len(text)):
        c = text[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth == 0:
                args.append(text[start:i].strip())
                return args
        elif c == "," and depth == 1:
            args.append(text[start:i].strip())
            start = i + 1
    return None


CONNECT = re.compile(r"\bconnect\(")


def contextless_connects(root, path):
    text = path.read_text(encoding="utf-8", errors="replace")
    problems = []
    found = set()
    for pattern in CONTEXTLESS:
        for match in pattern.finditer(text):
            found.add(text.count("\n", 0, match.start()) + 1)
    # connect(sender, &Class::signal, f) with three arguments has no receiver, whatever f is: a free function, a
    # stored functor or a lambda held in a variable would all be called after the objects they use are gone.
    for match in CONNECT.finditer(text):
        args = call_arguments(text, match.end() - 1)
        if args and len(args) == 3 and args[1].startswith("&"):
            found.add(text.count("\n", 0, match.start()) + 1)
    for line in sorted(found):
        problems.append(f"{path.relative_to(root)}:{line}: a connection without a context object")
    return problems


# The real clocks are read in platform/ alone; everything above receives a Clock, so tests can drive time by hand.
REAL_CLOCK = re.compile(r"\b(QDateTime::currentDateTime(?:Utc)?|QDateTime::currentM?[Ss]e?c?s?SinceEpoch|"
                        r"QDateTime::currentSecsSinceEpoch|QTime::currentTime|QDate::currentDate|"
                        r"(?:system_clock|steady_clock|high_resolution_clock)::now|clock_gettime|gettimeofday|"
                        r"QElapsedTimer|QDeadlineTimer)\b")


def real_clock_calls(root, path):
    if path.relative_to(root).parts[0] not in ALLOWED or path.relative_to(root).parts[0] == "platform":
        return []
    text = path.read_text(encoding="utf-8", errors="replace")
    problems = []
    for match in REAL_CLOCK.finditer(text):
        line = text.count("\n", 0, match.start()) + 1
        problems.append(f"{path.relative_to(root)}:{line}: {match.group(1)} outside platform/ (take a Clock)")
    return problems


def check(root):
    problems = []
    for path in sorted(root.rglob("*")):
        rel = path.relative_to(root)
        if path.suffix not in SOURCES or rel.parts[0] in ("build", ".git") or not path.is_file():
            continue
        problems += layer_violations(root, path)
        problems += contextless_connects(root, path)
        problems += real_clock_calls(root, path)
    return problems


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[2])
    problems = check(root)
    for p in problems:
        print(p)
    print(f"{0 if problems else 1} passed, {1 if problems else 0} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
