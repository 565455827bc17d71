#!/usr/bin/env python3
"""Writes dial.svg, the analog clock's dial, into the assets folder.

The program paints the hands over the face and erases them by repainting the face colour, so everything within
FLAT_RADIUS of the hub stays exactly #006666; numerals and ticks live between that and the ring.
"""
import math
import os
import sys

WIDTH, HEIGHT = 216, 214
CX, CY = 109.0, 107.5  # where the program puts the hub
FACE = "#006666"
FLAT_RADIUS = 56
RING_OUTER, RING_INNER = 106.0, 92.0
NUMERAL_RADIUS, NUMERAL_SIZE = 71.5, 17
CAP_HEIGHT = 0.729  # DejaVu Sans digits, in em


def num(v):
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def polar(radius, minutes):
    angle = minutes / 60.0 * 2 * math.pi
    return CX + radius * math.sin(angle), CY - radius * math.cos(angle)


def annulus(outer, inner):
    def circle(r):
        return (f"M{num(CX - r)},{num(CY)}a{num(r)},{num(r)} 0 1,0 {num(2 * r)},0"
                f"a{num(r)},{num(r)} 0 1,0 {num(-2 * r)},0Z")
    return circle(outer) + circle(inner)


def arc_band(outer, inner, start, end):
    """A band between two radii from minute `start` to minute `end`, clockwise."""
    x0, y0 = polar(outer, start)
    x1, y1 = polar(outer, end)
    x2, y2 = polar(inner, end)
    x3, y3 = polar(inner, start)
    large = 1 if (end - start) % 60 > 30 else 0
    return (f"M{num(x0)},{num(y0)}A{num(outer)},{num(outer)} 0 {large},1 {num(x1)},{num(y1)}"
            f"L{num(x2)},{num(y2)}A{num(inner)},{num(inner)} 0 {large},0 {num(x3)},{num(y3)}Z")


def ticks():
    minute, hour = [], []
    for m in range(60):
        if m % 5 == 0:
            x0, y0 = polar(84, m)
            x1, y1 = polar(90, m)
            hour.append(f"M{num(x0)},{num(y0)}L{num(x1)},{num(y1)}")
        else:
            x0, y0 = polar(86.5, m)
            x1, y1 = polar(90, m)
            minute.append(f"M{num(x0)},{num(y0)}L{num(x1)},{num(y1)}")
    return "".join(minute), "".join(hour)


def numerals(fill, dx=0.0, dy=0.0):
    out = []
    for hour in range(1, 13):
        x, y = polar(NUMERAL_RADIUS, hour * 5)
        baseline = y + CAP_HEIGHT * NUMERAL_SIZE / 2
        out.append(f'<text x="{num(x + dx)}" y="{num(baseline + dy)}">{hour}</text>')
    return (f'<g fill="{fill}" font-family="DejaVu Sans" font-weight="bold" '
            f'font-size="{NUMERAL_SIZE}" text-anchor="middle">\n' + "\n".join(out) + "\n</g>")


def picture():
    minute_ticks, hour_ticks = ticks()
    ring_mid = (RING_OUTER + RING_INNER) / 2
    return f"""<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="{WIDTH}" height="{HEIGHT}" viewBox="0 0 {WIDTH} {HEIGHT}">
<title>Analog clock dial</title>
<defs>
<linearGradient id="ringLight" x1="0" y1="0" x2="1" y2="1">
<stop offset="0" stop-color="#ff8cc6"/>
<stop offset="0.45" stop-color="#fc3e9d"/>
<stop offset="1" stop-color="#c81f73"/>
</linearGradient>
<linearGradient id="ringShade" x1="0" y1="0" x2="1" y2="1">
<stop offset="0" stop-color="#e02c86"/>
<stop offset="0.55" stop-color="#fc3e9d"/>
<stop offset="1" stop-color="#ff7dbd"/>
</linearGradient>
<radialGradient id="innerShadow" gradientUnits="userSpaceOnUse" cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_INNER)}">
<stop offset="0.86" stop-color="#000000" stop-opacity="0"/>
<stop offset="1" stop-color="#000000" stop-opacity="0.28"/>
</radialGradient>
<linearGradient id="gloss" gradientUnits="userSpaceOnUse" x1="{num(CX - 80)}" y1="{num(CY + 20)}" x2="{num(CX + 30)}" y2="{num(CY - 100)}">
<stop offset="0" stop-color="#ffffff" stop-opacity="0"/>
<stop offset="0.5" stop-color="#ffffff" stop-opacity="0.7"/>
<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>
</linearGradient>
</defs>
<rect width="{WIDTH}" height="{HEIGHT}" fill="#ffffff"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_OUTER)}" fill="url(#ringLight)"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(ring_mid)}" fill="url(#ringShade)"/>
<path fill="url(#gloss)" d="{arc_band(RING_OUTER - 1.5, ring_mid + 1, 47, 3)}"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_OUTER - 0.5)}" fill="none" stroke="#b0175f" stroke-width="1"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_INNER)}" fill="{FACE}"/>
<path fill="url(#innerShadow)" fill-rule="evenodd" d="{annulus(RING_INNER, 78)}"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_INNER + 0.5)}" fill="none" stroke="#8e1250" stroke-width="1"/>
<g stroke="#ffffff" fill="none">
<path stroke-width="1.2" stroke-opacity="0.85" d="{minute_ticks}"/>
<path stroke-width="3" d="{hour_ticks}"/>
</g>
{numerals("#003a3a", 0.8, 0.9)}
{numerals("#ffffff")}
</svg>
"""


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    with open(os.path.join(folder, "dial.svg"), "w", encoding="utf-8") as f:
        f.write(picture())


if __name__ == "__main__":
    main()
