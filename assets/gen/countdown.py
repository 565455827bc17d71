#!/usr/bin/env python3
"""Writes countdown_strip.svg, the decorative strip of the countdown dialog (40 x 227, at the dialog's left).

A graphite band like the clock's casing: an hourglass at the top, and below it a liquid-crystal window in which
the small digits of the clock count down from 4 to 0, darkening as they near the end.
"""
import sys

sys.dont_write_bytecode = True  # keep the assets folder free of caches
from lcd import DIGITS, INK, SMALL, path, segments, slanted  # noqa: E402
from svgkit import document, linear, num, rounded_rect_path, write_all  # noqa: E402

W, H = 40, 227
PANEL = (6, 70, 34, 221)  # the liquid-crystal window


def digit(d, x, y, opacity):
    shapes = segments(SMALL)
    lit = "".join(path(slanted(shapes[n], SMALL, 0)) for n in "afbgecd" if n in DIGITS[d])
    ghost = "".join(path(slanted(shapes[n], SMALL, 0)) for n in "afbgecd" if n not in DIGITS[d])
    out = f'<g transform="translate({num(x)} {num(y)})" fill="{INK}">'
    if ghost:
        out += f'<path fill-opacity="0.06" d="{ghost}"/>'
    out += (f'<path fill-opacity="{num(opacity * 0.11)}" transform="translate({SMALL.shadow} {SMALL.shadow})" '
            f'd="{lit}"/><path fill-opacity="{num(opacity)}" d="{lit}"/></g>')
    return out


def hourglass(cx, top, bottom):
    """A wooden-capped hourglass, sand running into the lower bulb."""
    w = 11.5
    mid = (top + bottom) / 2
    glass = (f"M{num(cx - w + 1)},{num(top + 3)}C{num(cx - w + 1)},{num(mid - 8)} {num(cx - 1.6)},{num(mid - 3)} "
             f"{num(cx - 1.6)},{num(mid)}C{num(cx - 1.6)},{num(mid + 3)} {num(cx - w + 1)},{num(mid + 8)} "
             f"{num(cx - w + 1)},{num(bottom - 3)}H{num(cx + w - 1)}C{num(cx + w - 1)},{num(mid + 8)} "
             f"{num(cx + 1.6)},{num(mid + 3)} {num(cx + 1.6)},{num(mid)}C{num(cx + 1.6)},{num(mid - 3)} "
             f"{num(cx + w - 1)},{num(mid - 8)} {num(cx + w - 1)},{num(top + 3)}Z")
    sand_top = (f"M{num(cx - 7.4)},{num(top + 10)}H{num(cx + 7.4)}C{num(cx + 5.8)},{num(mid - 4)} "
                f"{num(cx + 1.2)},{num(mid - 2.5)} {num(cx)},{num(mid - 0.5)}C{num(cx - 1.2)},{num(mid - 2.5)} "
                f"{num(cx - 5.8)},{num(mid - 4)} {num(cx - 7.4)},{num(top + 10)}Z")
    sand_bottom = (f"M{num(cx - w + 1.6)},{num(bottom - 3.5)}C{num(cx - w + 2.5)},{num(bottom - 10)} "
                   f"{num(cx - 3)},{num(bottom - 12)} {num(cx)},{num(bottom - 12.5)}C{num(cx + 3)},{num(bottom - 12)} "
                   f"{num(cx + w - 2.5)},{num(bottom - 10)} {num(cx + w - 1.6)},{num(bottom - 3.5)}Z")
    return f"""<path fill="url(#glass)" fill-opacity="0.9" stroke="#5d6d80" stroke-width="1" d="{glass}"/>
<path fill="url(#sand)" d="{sand_top}"/>
<path fill="none" stroke="#c98f00" stroke-width="1" d="M{num(cx)},{num(mid - 1)}V{num(bottom - 12)}"/>
<path fill="url(#sand)" d="{sand_bottom}"/>
<path fill="none" stroke="#ffffff" stroke-opacity="0.7" stroke-width="1" d="M{num(cx - w + 3.5)},{num(top + 5)}C{num(cx - w + 3.5)},{num(mid - 9)} {num(cx - 4)},{num(mid - 5)} {num(cx - 3.2)},{num(mid - 2)}"/>
<rect x="{num(cx - w - 1.5)}" y="{num(top - 0.5)}" width="{num(2 * w + 3)}" height="4" rx="1" fill="url(#wood)" stroke="#5a3608" stroke-width="1"/>
<rect x="{num(cx - w - 1.5)}" y="{num(bottom - 3.5)}" width="{num(2 * w + 3)}" height="4" rx="1" fill="url(#wood)" stroke="#5a3608" stroke-width="1"/>"""


def strip():
    x0, y0, x1, y1 = PANEL
    defs = [
        linear("body", [(0, "#50555d"), (0.15, "#3a3e45"), (0.85, "#2a2d32"), (1, "#1b1d21")], 0, 0, 1, 0),
        linear("sheen", [(0, "#ffffff", 0.35), (0.2, "#ffffff", 0), (1, "#ffffff", 0)], 0, 0, 1, 0),
        linear("bevel", [(0, "#16181b"), (0.5, "#4b5058"), (1, "#c3c8ce")], 0, y0 - 4, 0, y1 + 4, user=True),
        linear("lcd", [(0, "#9aa292"), (0.08, "#a5ad9c"), (1, "#aab2a1")], 0, y0, 0, y1, user=True),
        linear("glass", [(0, "#f4f9ff"), (1, "#c9daec")]),
        linear("sand", [(0, "#ffe97a"), (1, "#f0b400")]),
        linear("wood", [(0, "#d39a4c"), (1, "#8a5513")]),
    ]
    step = SMALL.height + 2
    digits = "\n".join(digit(str(4 - k), (W - SMALL.width) / 2 - 0.5, y0 + 2 + k * step, 0.5 + 0.1 * k)
                       for k in range(5))
    body = f"""<path fill="url(#body)" stroke="#0e1012" stroke-width="1" d="{rounded_rect_path(0.5, 0.5, W - 0.5, H - 0.5, 6)}"/>
<path fill="none" stroke="url(#sheen)" stroke-width="1" d="{rounded_rect_path(1.5, 1.5, W - 1.5, H - 1.5, 5)}"/>
{hourglass(W / 2, 9, 61)}
<path fill="url(#bevel)" stroke="#0b0c0e" stroke-width="1" d="{rounded_rect_path(x0 - 3.5, y0 - 3.5, x1 + 3.5, y1 + 3.5, 5)}"/>
<path fill="url(#lcd)" stroke="#050607" stroke-width="1" d="{rounded_rect_path(x0 - 0.5, y0 - 0.5, x1 + 0.5, y1 + 0.5, 3)}"/>
{digits}"""
    return document(W, H, "Countdown dialog: decorative strip", defs, body)


def main():
    write_all({"countdown_strip.svg": strip()})


if __name__ == "__main__":
    main()
