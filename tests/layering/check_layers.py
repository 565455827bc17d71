#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder above its own, or connects a signal without a context.

The folders are layered one way: platform <- core <- events, faces <- options, saver; lifetime uses platform and core
only, and options uses lifetime for its read-out of the total; assets (the pictures) may be used from core up. The
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
    "options": {"faces", "events", "lifetime", "core", "platform", "assets"},
    "saver": {"faces", "core", "platform", "assets"},
    "lifetime": {"core", "platform"},
}
# Headers of core/ that need no widgets, the only ones the hidden lifetime accumulator may use.
CORE_WITHOUT_WIDGETS = {"core/settings_store.h", "core/settings_keys.h"}
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


def contextless_connects(root, path):
    text = path.read_text(encoding="utf-8", errors="replace")
    problems = []
    for pattern in CONTEXTLESS:
        for match in pattern.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            problems.append(f"{path.relative_to(root)}:{line}: a connection without a context object")
    return problems


def check(root):
    problems = []
    for path in sorted(root.rglob("*")):
        rel = path.relative_to(root)
        if path.suffix not in SOURCES or rel.parts[0] in ("build", ".git") or not path.is_file():
            continue
        problems += layer_violations(root, path)
        problems += contextless_connects(root, path)
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
