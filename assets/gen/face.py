#!/usr/bin/env python3
"""Writes quadrantix_face.svg, the casing of the wide LCD clock, into the assets folder.

The program paints the display panel (x 80..577, y 24..113 of this picture) and the digits over it, so the casing
is built around a recess a little larger than the panel; what lies under the panel is never seen.
"""
import math
import os
import sys

sys.dont_write_bytecode = True  # keep the assets folder free of caches
from logo import mark, mark_defs, num  # noqa: E402

WIDTH, HEIGHT = 663, 138
PANEL = (80, 24, 577, 113)
BRAND = "QUADRANTIX"
ADVANCE = {"Q": 0.850, "U": 0.812, "A": 0.774, "D": 0.830, "R": 0.770, "N": 0.837, "T": 0.682, "I": 0.372,
           "X": 0.774}


def spaced(text, centre_x, baseline, size, tracking):
    widths = [ADVANCE[c] * size for c in text]
    x = centre_x - (sum(widths) + tracking * (len(text) - 1)) / 2
    out = []
    for letter, width in zip(text, widths):
        out.append(f'<text x="{num(x + width / 2)}" y="{num(baseline)}">{letter}</text>')
        x += width + tracking
    return "\n".join(out)


def grille(cx, cy, radius, pitch, hole):
    """Speaker holes on a hexagonal grid inside a circle."""
    holes = []
    rows = int(radius // (pitch * 0.866)) + 1
    for row in range(-rows, rows + 1):
        y = cy + row * pitch * 0.866
        offset = pitch / 2 if row % 2 else 0.0
        for col in range(-8, 9):
            x = cx + col * pitch + offset
            if math.hypot(x - cx, y - cy) <= radius - hole:
                holes.append((x, y))
    lit = "".join(f"M{num(x - hole)},{num(y + 0.7)}a{num(hole)},{num(hole)} 0 1,0 {num(2 * hole)},0"
                  f"a{num(hole)},{num(hole)} 0 1,0 {num(-2 * hole)},0Z" for x, y in holes)
    dark = "".join(f"M{num(x - hole)},{num(y)}a{num(hole)},{num(hole)} 0 1,0 {num(2 * hole)},0"
                   f"a{num(hole)},{num(hole)} 0 1,0 {num(-2 * hole)},0Z" for x, y in holes)
    # Each hole shows the light catching its lower lip, then the dark opening.
    return f'<path fill="#7d838b" fill-opacity="0.55" d="{lit}"/>\n<path fill="#07080a" d="{dark}"/>'


def screw(cx, cy, angle):
    a = math.radians(angle)
    dx, dy = 2.6 * math.cos(a), 2.6 * math.sin(a)
    return (f'<circle cx="{num(cx)}" cy="{num(cy)}" r="3.5" fill="url(#screw)" stroke="#0b0c0e" stroke-width="1"/>'
            f'<path stroke="#2a2d31" stroke-width="1.2" d="M{num(cx - dx)},{num(cy - dy)}L{num(cx + dx)},{num(cy + dy)}"/>')


def picture():
    x0, y0, x1, y1 = PANEL
    return f"""<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="{WIDTH}" height="{HEIGHT}" viewBox="0 0 {WIDTH} {HEIGHT}">
<title>Quadrantix clock casing</title>
<defs>
<linearGradient id="body" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#50555d"/>
<stop offset="0.12" stop-color="#3a3e45"/>
<stop offset="0.7" stop-color="#2a2d32"/>
<stop offset="1" stop-color="#1b1d21"/>
</linearGradient>
<linearGradient id="sheen" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#ffffff" stop-opacity="0.45"/>
<stop offset="0.25" stop-color="#ffffff" stop-opacity="0"/>
<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>
</linearGradient>
<linearGradient id="bevel" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#16181b"/>
<stop offset="0.5" stop-color="#4b5058"/>
<stop offset="1" stop-color="#c3c8ce"/>
</linearGradient>
<linearGradient id="recess" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#050607"/>
<stop offset="1" stop-color="#1c1f23"/>
</linearGradient>
<linearGradient id="silver" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#f4f6f8"/>
<stop offset="1" stop-color="#9299a2"/>
</linearGradient>
<linearGradient id="screw" x1="0" y1="0" x2="1" y2="1">
<stop offset="0" stop-color="#e9ecef"/>
<stop offset="1" stop-color="#6c727a"/>
</linearGradient>
<radialGradient id="medal" cx="0.5" cy="0.3" r="0.7">
<stop offset="0" stop-color="#3a3a3e"/>
<stop offset="1" stop-color="#050506"/>
</radialGradient>
{mark_defs("", 67, 17.5)}
<radialGradient id="grilleRim" cx="0.5" cy="0.5" r="0.5">
<stop offset="0.85" stop-color="#000000" stop-opacity="0"/>
<stop offset="1" stop-color="#000000" stop-opacity="0.35"/>
</radialGradient>
</defs>
<rect width="{WIDTH}" height="{HEIGHT}" fill="#c0c0c0"/>
<rect x="0.5" y="0.5" width="{WIDTH - 1}" height="{HEIGHT - 1}" rx="14" fill="url(#body)" stroke="#0e1012" stroke-width="1"/>
<rect x="1.5" y="1.5" width="{WIDTH - 3}" height="{HEIGHT - 3}" rx="13" fill="none" stroke="url(#sheen)" stroke-width="1"/>
<!-- The recess the display sits in: a bevel lit from above (dark upper slope, bright lower lip). -->
<rect x="{x0 - 9.5}" y="{y0 - 9.5}" width="{x1 - x0 + 19}" height="{y1 - y0 + 19}" rx="9" fill="url(#bevel)" stroke="#0b0c0e" stroke-width="1"/>
<rect x="{x0 - 5}" y="{y0 - 5}" width="{x1 - x0 + 10}" height="{y1 - y0 + 10}" rx="6" fill="url(#recess)"/>
<!-- The maker's medallion on the left, the loudspeaker on the right. -->
<circle cx="37" cy="69" r="27.5" fill="url(#bevel)" stroke="#0b0c0e" stroke-width="1"/>
<circle cx="37" cy="69" r="24" fill="url(#medal)"/>
<circle cx="37" cy="69" r="23" fill="none" stroke="#d9a400" stroke-width="1"/>
{mark(37, 67, 17.5, (12.1, 13.2), (6.6, 7.7), (2.9, 2.5, 2.9, 17.5), 0, 0)}
<circle cx="623" cy="69" r="27.5" fill="url(#bevel)" stroke="#0b0c0e" stroke-width="1"/>
<circle cx="623" cy="69" r="24" fill="#25282d"/>
{grille(623, 69, 24, 6, 1.9)}
<circle cx="623" cy="69" r="24" fill="url(#grilleRim)"/>
{screw(12, 12, 30)}
{screw(651, 12, 120)}
{screw(12, 126, 75)}
{screw(651, 126, 160)}
<g fill="#a9b0b8" font-family="DejaVu Sans Condensed" font-weight="bold" font-size="8">
<text x="{x0 - 2}" y="10">ALLARME · CRONOMETRO · CONTO ALLA ROVESCIA</text>
<text x="{x1 + 2}" y="10" text-anchor="end">DISPLAY A CRISTALLI LIQUIDI</text>
</g>
<g fill="url(#silver)" font-family="DejaVu Sans" font-weight="bold" font-size="10" text-anchor="middle">
{spaced(BRAND, (x0 + x1) / 2, 134, 10, 4)}
</g>
</svg>
"""


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    with open(os.path.join(folder, "quadrantix_face.svg"), "w", encoding="utf-8") as f:
        f.write(picture())


if __name__ == "__main__":
    main()
