#!/usr/bin/env python3
"""Writes the analog dials into the assets folder: dial.svg (the clock's analog face) and saver_dial.svg (the
screensaver's, 500 px, transparent round its broader ring).

The programs paint the hands over the face and erase them by repainting the face colour, so everything within
the flat radius of the hub stays exactly #006666; numerals and ticks live between that and the ring.
"""
import math
import os
import sys

FACE = "#006666"
CAP_HEIGHT = 0.729  # DejaVu Sans digits, in em


class Dial:
    def __init__(self, name, title, width, height, cx, cy, flat, ring_outer, ring_inner, numeral_radius,
                 numeral_size, hour_tick, minute_tick, tick_widths, shadow_from, shadow_offset, ground):
        self.name, self.title, self.width, self.height = name, title, width, height
        self.cx, self.cy, self.flat = cx, cy, flat
        self.ring_outer, self.ring_inner = ring_outer, ring_inner
        self.numeral_radius, self.numeral_size = numeral_radius, numeral_size
        self.hour_tick, self.minute_tick, self.tick_widths = hour_tick, minute_tick, tick_widths
        self.shadow_from, self.shadow_offset, self.ground = shadow_from, shadow_offset, ground


# The clock's dial: the program puts the hub at (109, 107.5); hands reach 53 px.
CLOCK = Dial("dial.svg", "Analog clock dial", 216, 214, 109.0, 107.5, 56, 106.0, 92.0, 71.5, 17, (84, 90),
             (86.5, 90), (1.2, 3), 78, (0.8, 0.9), "#ffffff")
# The screensaver's dial: hub at its middle; the longest hands, 2000 twips, reach 133 px and their 10 px pens
# 138 px, so the face is flat to 142 px.
SAVER = Dial("saver_dial.svg", "Screensaver analog dial", 500, 500, 250.0, 250.0, 142, 248.0, 202.0, 168, 34,
             (187, 198), (192.5, 198), (2, 5.5), 176, (1.4, 1.6), None)


def num(v):
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def polar(d, radius, minutes):
    angle = minutes / 60.0 * 2 * math.pi
    return d.cx + radius * math.sin(angle), d.cy - radius * math.cos(angle)


def annulus(d, outer, inner):
    def circle(r):
        return (f"M{num(d.cx - r)},{num(d.cy)}a{num(r)},{num(r)} 0 1,0 {num(2 * r)},0"
                f"a{num(r)},{num(r)} 0 1,0 {num(-2 * r)},0Z")
    return circle(outer) + circle(inner)


def arc_band(d, outer, inner, start, end):
    """A band between two radii from minute `start` to minute `end`, clockwise."""
    x0, y0 = polar(d, outer, start)
    x1, y1 = polar(d, outer, end)
    x2, y2 = polar(d, inner, end)
    x3, y3 = polar(d, inner, start)
    large = 1 if (end - start) % 60 > 30 else 0
    return (f"M{num(x0)},{num(y0)}A{num(outer)},{num(outer)} 0 {large},1 {num(x1)},{num(y1)}"
            f"L{num(x2)},{num(y2)}A{num(inner)},{num(inner)} 0 {large},0 {num(x3)},{num(y3)}Z")


def ticks(d):
    minute, hour = [], []
    for m in range(60):
        if m % 5 == 0:
            x0, y0 = polar(d, d.hour_tick[0], m)
            x1, y1 = polar(d, d.hour_tick[1], m)
            hour.append(f"M{num(x0)},{num(y0)}L{num(x1)},{num(y1)}")
        else:
            x0, y0 = polar(d, d.minute_tick[0], m)
            x1, y1 = polar(d, d.minute_tick[1], m)
            minute.append(f"M{num(x0)},{num(y0)}L{num(x1)},{num(y1)}")
    return "".join(minute), "".join(hour)


def numerals(d, fill, dx=0.0, dy=0.0):
    out = []
    for hour in range(1, 13):
        x, y = polar(d, d.numeral_radius, hour * 5)
        baseline = y + CAP_HEIGHT * d.numeral_size / 2
        out.append(f'<text x="{num(x + dx)}" y="{num(baseline + dy)}">{hour}</text>')
    return (f'<g fill="{fill}" font-family="DejaVu Sans" font-weight="bold" '
            f'font-size="{d.numeral_size}" text-anchor="middle">\n' + "\n".join(out) + "\n</g>")


def picture(d):
    minute_ticks, hour_ticks = ticks(d)
    ring_mid = (d.ring_outer + d.ring_inner) / 2
    s = d.ring_outer / CLOCK.ring_outer
    CX, CY, RING_OUTER, RING_INNER = d.cx, d.cy, d.ring_outer, d.ring_inner
    ground = f'<rect width="{d.width}" height="{d.height}" fill="{d.ground}"/>\n' if d.ground else ""
    return f"""<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="{d.width}" height="{d.height}" viewBox="0 0 {d.width} {d.height}">
<title>{d.title}</title>
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
<linearGradient id="gloss" gradientUnits="userSpaceOnUse" x1="{num(CX - 80 * s)}" y1="{num(CY + 20 * s)}" x2="{num(CX + 30 * s)}" y2="{num(CY - 100 * s)}">
<stop offset="0" stop-color="#ffffff" stop-opacity="0"/>
<stop offset="0.5" stop-color="#ffffff" stop-opacity="0.7"/>
<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>
</linearGradient>
</defs>
{ground}<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_OUTER)}" fill="url(#ringLight)"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(ring_mid)}" fill="url(#ringShade)"/>
<path fill="url(#gloss)" d="{arc_band(d, RING_OUTER - 1.5 * s, ring_mid + 1 * s, 47, 3)}"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_OUTER - 0.5)}" fill="none" stroke="#b0175f" stroke-width="1"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_INNER)}" fill="{FACE}"/>
<path fill="url(#innerShadow)" fill-rule="evenodd" d="{annulus(d, RING_INNER, d.shadow_from)}"/>
<circle cx="{num(CX)}" cy="{num(CY)}" r="{num(RING_INNER + 0.5)}" fill="none" stroke="#8e1250" stroke-width="1"/>
<g stroke="#ffffff" fill="none">
<path stroke-width="{num(d.tick_widths[0])}" stroke-opacity="0.85" d="{minute_ticks}"/>
<path stroke-width="{num(d.tick_widths[1])}" d="{hour_ticks}"/>
</g>
{numerals(d, "#003a3a", *d.shadow_offset)}
{numerals(d, "#ffffff")}
</svg>
"""


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for d in (CLOCK, SAVER):
        with open(os.path.join(folder, d.name), "w", encoding="utf-8") as f:
            f.write(picture(d))


if __name__ == "__main__":
    main()
