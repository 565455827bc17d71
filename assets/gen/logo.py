#!/usr/bin/env python3
"""Writes the round marks: logo.svg (227 px, the closing splash), logo_48.svg (the same design drawn for 48 px:
the alarm window and the screensaver's corners), logo_small.svg (32 px, the mark alone) and quadrantix.svg (the
program icon, 256 px, drawn to read down to 16 px).

The mark is a red Q on a yellow ground whose tail is a clock hand. On the lettered pictures it sits at the top of
a black disc with the name round the lower rim, and the middle stays dark: the closing splash blinks its green
"Chiusura in corso" there. Qt's SVG renderer has no text on a path, so each letter is its own <text>, turned to
face the centre.
"""
import math
import sys

sys.dont_write_bytecode = True  # keep the assets folder free of caches
from svgkit import document, write_all  # noqa: E402

NAME = "QUADRANTIX"
# Advance widths of the capitals in em, DejaVu Sans Bold and DejaVu Sans Condensed Bold, to space the letters
# evenly along the arc.
ADVANCE = {"Q": 0.850, "U": 0.812, "A": 0.774, "D": 0.830, "R": 0.770, "N": 0.837, "T": 0.682, "I": 0.372,
           "X": 0.774}
CONDENSED = 0.9
CAP_HEIGHT = 0.729

Q_RED = ("#f0402e", "#c8140c", "#8c0904")  # top, bottom, edge


def num(v):
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def mark(cx, cy, ground_r, q_outer, q_inner, tail, hub, pin, prefix=""):
    """The yellow ground and the Q whose tail is a clock hand, centred on (cx, cy).

    tail = (half width at the hub, half width before the point, length of the point, reach from the centre).
    The gradients it names come from mark_defs(prefix)."""

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
    # Clockwise on screen, like the outer ring, so that with the nonzero rule the tail fills the ring and the
    # counter it crosses.
    if sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1])) < 0:
        pts.reverse()
    tail_path = "M" + " ".join(f"{num(x)},{num(y)}" for x, y in pts) + "Z"
    # The ring, the tail and the hub in one path, outlined once: the outline is drawn first and the fill over it
    # hides the inner half, so overlapping parts show no seam.
    q_path = ellipse(*q_outer, 1) + ellipse(*q_inner, 0) + tail_path
    if hub:
        q_path += ellipse(hub, hub, 1)
    edge = max(ground_r / 68, 0.6)
    q_edge = max(ground_r / 90, 0.5)
    out = f"""<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(ground_r)}" fill="url(#{prefix}yellow)"/>
<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(ground_r - edge / 2)}" fill="none" stroke="#8a6400" stroke-opacity="0.6" stroke-width="{num(edge)}"/>
<path fill="none" stroke="{Q_RED[2]}" stroke-width="{num(2 * q_edge)}" stroke-linejoin="round" d="{q_path}"/>
<path fill="url(#{prefix}red)" d="{q_path}"/>"""
    if pin:
        out += f'\n<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(pin)}" fill="#ffd21f"/>'
    return out


def mark_defs(prefix, cy, ground_r):
    """The mark's gradients, lit from above across its own height."""
    top, bottom = cy - ground_r, cy + ground_r
    return f"""<linearGradient id="{prefix}yellow" gradientUnits="userSpaceOnUse" x1="0" y1="{num(top)}" x2="0" y2="{num(bottom)}">
<stop offset="0" stop-color="#ffe766"/>
<stop offset="0.55" stop-color="#ffd21f"/>
<stop offset="1" stop-color="#f0a800"/>
</linearGradient>
<linearGradient id="{prefix}red" gradientUnits="userSpaceOnUse" x1="0" y1="{num(top)}" x2="0" y2="{num(bottom)}">
<stop offset="0.15" stop-color="{Q_RED[0]}"/>
<stop offset="0.85" stop-color="{Q_RED[1]}"/>
</linearGradient>"""


def disc_defs(cx, cy, r):
    return f"""<radialGradient id="disc" gradientUnits="userSpaceOnUse" cx="{num(cx)}" cy="{num(cy - r * 0.45)}" r="{num(r * 1.35)}">
<stop offset="0" stop-color="#3a3a3e"/>
<stop offset="0.6" stop-color="#141416"/>
<stop offset="1" stop-color="#000000"/>
</radialGradient>
<linearGradient id="silver" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#ffffff"/>
<stop offset="1" stop-color="#c9ced6"/>
</linearGradient>"""


def lettering(cx, cy, baseline_r, size, tracking, fill, family="DejaVu Sans", advance_scale=1.0):
    widths = [ADVANCE[c] * size * advance_scale for c in NAME]
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
    return (f'<g fill="{fill}" font-family="{family}" font-weight="bold" '
            f'font-size="{num(size)}" text-anchor="middle">\n' + "\n".join(out) + "\n</g>")


def rim_dots(cx, cy, r, big, small):
    # Hour dots round the sides of the rim, between the mark at the top and the name at the bottom.
    out = []
    for hour in (1, 2, 3, 9, 10, 11):
        a = math.radians(hour * 30)
        out.append(f'<circle cx="{num(cx + r * math.sin(a))}" cy="{num(cy - r * math.cos(a))}" '
                   f'r="{num(big if hour % 3 == 0 else small)}"/>')
    return '<g fill="#ffd21f">\n' + "\n".join(out) + "\n</g>"


def scaled_mark(cx, cy, ground_r, prefix=""):
    """The mark in the proportions of the large logo, at any size."""
    s = ground_r / 68
    return mark(cx, cy, ground_r, (42 * s, 46 * s), (26.5 * s, 30.5 * s), (7.5 * s, 6 * s, 9 * s, 64 * s),
                9 * s, 3.5 * s, prefix)


def minute_ring(cx, cy, r0, r1, colour):
    """Faint minute marks round the dark middle, clear of the mark and the name."""
    paths = []
    for m in range(60):
        deg = m * 6
        if deg <= 42 or deg >= 318 or 112 <= deg <= 248:
            continue
        a = math.radians(deg)
        inner = r0 - (3 if m % 5 == 0 else 0)
        paths.append(f"M{num(cx + inner * math.sin(a))},{num(cy - inner * math.cos(a))}"
                     f"L{num(cx + r1 * math.sin(a))},{num(cy - r1 * math.cos(a))}")
    return f'<path fill="none" stroke="{colour}" stroke-width="1.5" d="{"".join(paths)}"/>'


def large():
    cx = cy = 113.5
    r = 113
    body = f"""<circle cx="{num(cx)}" cy="{num(cy)}" r="{r}" fill="url(#disc)"/>
<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(r - 4)}" fill="none" stroke="#d9a400" stroke-width="1.5"/>
{rim_dots(cx, cy, 101, 3.2, 2.2)}
{minute_ring(cx, cy, 88, 93, "#4a4d54")}
{scaled_mark(cx, 49, 37)}
{lettering(cx, cy, 104.5, 23, 3, "url(#silver)")}"""
    return document(227, 227, "Quadrantix logo", [disc_defs(cx, cy, r), mark_defs("", 49, 37)], body)


def small():
    cx = cy = 16
    body = f"""<circle cx="{num(cx)}" cy="{num(cy)}" r="15.5" fill="url(#disc)"/>
<circle cx="{num(cx)}" cy="{num(cy)}" r="15" fill="none" stroke="#d9a400" stroke-width="1"/>
{mark(cx, 14.5, 11, (7.6, 8.3), (4.1, 4.8), (1.8, 1.6, 1.8, 11.2), 0, 0)}"""
    return document(32, 32, "Quadrantix logo, small", [disc_defs(cx, cy, 15.5), mark_defs("", 14.5, 11)], body)


def icon():
    # The small mark's proportions at 8 x, with the light the small sizes cannot show; whole and half pixels at
    # 16 px fall on multiples of 8 here.
    cx = cy = 128
    s = 8
    gloss = f"""<linearGradient id="gloss" gradientUnits="userSpaceOnUse" x1="0" y1="{num(116 - 88)}" x2="0" y2="80">
<stop offset="0" stop-color="#ffffff" stop-opacity="0.6"/>
<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>
</linearGradient>"""
    body = f"""<circle cx="{cx}" cy="{cy}" r="{15.5 * s}" fill="url(#disc)"/>
<circle cx="{cx}" cy="{cy}" r="{num(15 * s - 2)}" fill="none" stroke="#d9a400" stroke-width="6"/>
{mark(cx, 14.5 * s + 0.0, 11 * s, (7.6 * s, 8.3 * s), (4.1 * s, 4.8 * s), (1.8 * s, 1.6 * s, 1.8 * s, 11.2 * s),
      0, 0)}
<path fill="url(#gloss)" d="M{num(cx - 70)},{num(108)}a{num(72)},{num(66)} 0 0,1 {num(140)},0a{num(74)},{num(30)} 0 0,0 {num(-140)},0Z"/>"""
    return document(256, 256, "Quadrantix", [disc_defs(cx, cy, 124), mark_defs("", 116, 88), gloss], body)


def medium():
    cx = cy = 24
    body = f"""<circle cx="{cx}" cy="{cy}" r="23.5" fill="url(#disc)"/>
<circle cx="{cx}" cy="{cy}" r="23.1" fill="none" stroke="#d9a400" stroke-width="0.7"/>
{scaled_mark(cx, 14.5, 10.5)}
{lettering(cx, cy, 20.8, 7.2, 0.9, "#ffffff", "DejaVu Sans Condensed", CONDENSED)}"""
    return document(48, 48, "Quadrantix logo, 48 px", [disc_defs(cx, cy, 23.5), mark_defs("", 14.5, 10.5)], body)


def main():
    write_all({"logo.svg": large(), "logo_small.svg": small(), "quadrantix.svg": icon(),
               "logo_48.svg": medium()})


if __name__ == "__main__":
    main()
