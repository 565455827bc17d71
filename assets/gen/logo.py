#!/usr/bin/env python3
"""Writes logo.svg (227 px, with the name around the rim) and logo_small.svg (32 px, the mark alone).

Qt's SVG renderer has no text on a path, so each letter of the name is its own <text>, turned to face the centre.
"""
import math
import os
import sys

NAME = "QUADRANTIX"
# Advance widths of DejaVu Sans Bold capitals, in em, to space the letters evenly along the arc.
ADVANCE = {"Q": 0.850, "U": 0.812, "A": 0.774, "D": 0.830, "R": 0.770, "N": 0.837, "T": 0.682, "I": 0.372,
           "X": 0.774}
CAP_HEIGHT = 0.729


def num(v):
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def mark(cx, cy, ground_r, q_outer, q_inner, tail, hub, pin):
    """The yellow ground and the Q whose tail is a clock hand, centred on (cx, cy).

    tail = (half width at the hub, half width before the point, length of the point, reach from the centre)."""

    def ellipse(rx, ry, sweep):
        return (f"M{num(cx - rx)},{num(cy)}a{num(rx)},{num(ry)} 0 1,{sweep} {num(2 * rx)},0"
                f"a{num(rx)},{num(ry)} 0 1,{sweep} {num(-2 * rx)},0Z")

    # The tail: a tapering hand from the hub out past the ring towards half past four.
    angle = math.radians(135)
    ux, uy = math.sin(angle), -math.cos(angle)
    px, py = -uy, ux
    base_w, tip_w, point, end = tail
    pts = [(cx + px * base_w, cy + py * base_w),
           (cx + ux * (end - point) + px * tip_w, cy + uy * (end - point) + py * tip_w),
           (cx + ux * end, cy + uy * end),
           (cx + ux * (end - point) - px * tip_w, cy + uy * (end - point) - py * tip_w),
           (cx - px * base_w, cy - py * base_w)]
    tail_path = "M" + " ".join(f"{num(x)},{num(y)}" for x, y in pts) + "Z"
    edge = max(ground_r / 68, 0.6)
    out = f"""<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(ground_r)}" fill="url(#yellow)"/>
<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(ground_r - edge / 2)}" fill="none" stroke="#8a6400" stroke-opacity="0.6" stroke-width="{num(edge)}"/>
<g fill="#141414">
<path fill-rule="evenodd" d="{ellipse(*q_outer, 1)}{ellipse(*q_inner, 0)}"/>
<path d="{tail_path}"/>"""
    if hub:
        out += f'\n<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(hub)}"/>'
    out += "\n</g>"
    if pin:
        out += f'\n<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(pin)}" fill="#ffd21f"/>'
    return out


def defs(cx, cy, r, s):
    return f"""<defs>
<radialGradient id="disc" gradientUnits="userSpaceOnUse" cx="{num(cx)}" cy="{num(cy - r * 0.45)}" r="{num(r * 1.35)}">
<stop offset="0" stop-color="#3a3a3e"/>
<stop offset="0.6" stop-color="#141416"/>
<stop offset="1" stop-color="#000000"/>
</radialGradient>
<linearGradient id="yellow" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#ffe766"/>
<stop offset="0.55" stop-color="#ffd21f"/>
<stop offset="1" stop-color="#f0a800"/>
</linearGradient>
<linearGradient id="gold" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#ffe27a"/>
<stop offset="1" stop-color="#c98f00"/>
</linearGradient>
</defs>"""


def lettering(cx, cy, baseline_r, size, tracking):
    widths = [ADVANCE[c] * size for c in NAME]
    mid_r = baseline_r - CAP_HEIGHT * size / 2
    total = sum(widths) + tracking * (len(NAME) - 1)
    # Measured clockwise from the top; the name reads left to right across the bottom, so angles decrease.
    angle = 180 + math.degrees(total / mid_r) / 2
    out = []
    for letter, width in zip(NAME, widths):
        centre = angle - math.degrees(width / 2 / mid_r)
        a = math.radians(centre)
        x, y = cx + baseline_r * math.sin(a), cy - baseline_r * math.cos(a)
        out.append(f'<text transform="translate({num(x)} {num(y)}) rotate({num(centre - 180)})">{letter}</text>')
        angle -= math.degrees((width + tracking) / mid_r)
    return (f'<g fill="url(#gold)" font-family="DejaVu Sans" font-weight="bold" '
            f'font-size="{size}" text-anchor="middle">\n' + "\n".join(out) + "\n</g>")


def rim_dots(cx, cy, r, s):
    # Hour dots round the top of the rim, where the name does not run.
    out = []
    for hour in (9, 10, 11, 0, 1, 2, 3):
        a = math.radians(hour * 30)
        out.append(f'<circle cx="{num(cx + r * math.sin(a))}" cy="{num(cy - r * math.cos(a))}" '
                   f'r="{num((3.2 if hour % 3 == 0 else 2.2) * s)}"/>')
    return '<g fill="#ffd21f">\n' + "\n".join(out) + "\n</g>"


def large():
    cx = cy = 113.5
    r = 113
    return f"""<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="227" height="227" viewBox="0 0 227 227">
<title>Quadrantix logo</title>
{defs(cx, cy, r, 1)}
<circle cx="{num(cx)}" cy="{num(cy)}" r="{r}" fill="url(#disc)"/>
<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(r - 4)}" fill="none" stroke="#d9a400" stroke-width="1.5"/>
{rim_dots(cx, cy, 101, 1)}
{mark(cx, 90, 68, (42, 46), (26.5, 30.5), (7.5, 6, 9, 64), 9, 3.5)}
{lettering(cx, cy, 104.5, 23, 3)}
</svg>
"""


def small():
    cx = cy = 16
    s = 11 / 68
    return f"""<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="32" height="32" viewBox="0 0 32 32">
<title>Quadrantix logo, small</title>
{defs(cx, cy, 15.5, s)}
<circle cx="{num(cx)}" cy="{num(cy)}" r="15.5" fill="url(#disc)"/>
<circle cx="{num(cx)}" cy="{num(cy)}" r="15" fill="none" stroke="#d9a400" stroke-width="1"/>
{mark(cx, 14.5, 11, (7.6, 8.3), (4.1, 4.8), (1.8, 1.6, 1.8, 11.2), 0, 0)}
</svg>
"""


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for name, text in (("logo.svg", large()), ("logo_small.svg", small())):
        with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
