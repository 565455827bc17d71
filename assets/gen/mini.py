#!/usr/bin/env python3
"""Writes mini_dial.svg (the oval dial of the "Mini" face) and pointer_mini.svg (the pointer over it).

The family of the analog clock: a bevelled pink bezel round a teal face with white hour marks. The program paints
its grey-green time panel over the middle (x 24..73, y 16..57 of the picture), so the marks keep clear of it.
"""
import math
import sys

sys.dont_write_bytecode = True  # keep the assets folder free of caches
from svgkit import document, ellipse_path, linear, num, radial, write_all  # noqa: E402

TEAL = "#006666"
PINK_LIGHT, PINK, PINK_DARK, PINK_EDGE = "#ff8cc6", "#fc3e9d", "#c81f73", "#8e1250"

# The window's ellipse, with a frame of 3 px and a title bar ending 21 px down, lies in the box (2, 2)-(94, 72)
# of the picture (right and bottom edges exclusive).
W, H = 98, 74
CX, CY, RX, RY = 48, 37, 46, 35
FACE_RX, FACE_RY = 40, 29.5
PANEL = (24, 16, 73, 57)


def bezel_defs(prefix, cx, cy, rx, ry):
    return [
        linear(f"{prefix}Bezel", [(0, PINK_LIGHT), (0.45, PINK), (1, PINK_DARK)], 0, cy - ry, 0, cy + ry, user=True),
        # The face's lower rim in shade, its upper rim in the bezel's shadow: darker towards both edges.
        linear(f"{prefix}Lip", [(0, PINK_DARK), (0.5, PINK), (1, PINK_LIGHT)], 0, cy - ry, 0, cy + ry, user=True),
        linear(f"{prefix}Gloss", [(0, "#ffffff", 0.85), (0.35, "#ffffff", 0.15), (1, "#ffffff", 0)],
               0, cy - ry, 0, cy, user=True),
    ]


def mark_paths(cx, cy, frx, fry):
    """Hour marks on the face's rim: long at 12, 3, 6 and 9, short elsewhere, each along the ellipse's normal."""
    long_, short = [], []
    for hour in range(12):
        a = math.radians(hour * 30)
        sx, sy = math.sin(a), -math.cos(a)
        ox, oy = cx + frx * sx, cy + fry * sy  # on the rim
        nx, ny = sx / frx, sy / fry  # the ellipse's normal
        n = math.hypot(nx, ny)
        nx, ny = nx / n, ny / n
        length = 5.0 if hour % 3 == 0 else 2.6
        x0, y0 = ox - nx * 1.2, oy - ny * 1.2
        x1, y1 = ox - nx * (1.2 + length), oy - ny * (1.2 + length)
        (long_ if hour % 3 == 0 else short).append(f"M{num(x0)},{num(y0)}L{num(x1)},{num(y1)}")
    return "".join(long_), "".join(short)


def mini_dial():
    defs = bezel_defs("m", CX, CY, RX, RY) + [
        radial("faceShade", [(0.78, "#000000", 0), (1, "#000000", 0.3)], CX, CY, FACE_RX, user=True),
    ]
    long_marks, short_marks = mark_paths(CX, CY, FACE_RX, FACE_RY)
    # The face's inner shadow: a radial gradient squeezed to the ellipse.
    squeeze = FACE_RY / FACE_RX
    body = f"""
<path fill="url(#mBezel)" d="{ellipse_path(CX, CY, RX + 1.5, RY + 1.5)}"/>
<path fill="none" stroke="{PINK_EDGE}" stroke-width="1.6" d="{ellipse_path(CX, CY, RX - 0.6, RY - 0.6)}"/>
<path fill="url(#mGloss)" fill-rule="evenodd" d="{ellipse_path(CX, CY, RX - 2, RY - 2)}{ellipse_path(CX, CY + 2.5, RX - 4, RY - 3.5, 0)}"/>
<path fill="url(#mLip)" d="{ellipse_path(CX, CY, FACE_RX + 1.5, FACE_RY + 1.5)}"/>
<path fill="{TEAL}" stroke="{PINK_EDGE}" stroke-width="1" d="{ellipse_path(CX, CY, FACE_RX, FACE_RY)}"/>
<g transform="translate(0 {num(CY * (1 - squeeze))}) scale(1 {num(squeeze)})">
<circle cx="{CX}" cy="{CY}" r="{num(FACE_RX - 0.5)}" fill="url(#faceShade)"/>
</g>
<g stroke="#ffffff" fill="none" stroke-linecap="butt">
<path stroke-width="2" d="{long_marks}"/>
<path stroke-width="1.2" stroke-opacity="0.9" d="{short_marks}"/>
</g>"""
    return document(W, H, "Mini: oval dial", defs, body)


def pointer_mini():
    # An oval clock round the hot spot (15, 15); a white halo keeps it visible on dark grounds.
    c = 15.5
    rx, ry = 14.5, 11
    frx, fry = 10.5, 7.2
    defs = bezel_defs("p", c, c, rx, ry)
    hour = (c + 6.2 * math.sin(math.radians(-60)) * 0.9, c - 6.2 * math.cos(math.radians(-60)) * 0.75)
    minute = (c + 9.0 * math.sin(math.radians(60)), c - 9.0 * math.cos(math.radians(60)) * 0.78)
    body = f"""
<path fill="#ffffff" fill-opacity="0.85" d="{ellipse_path(c, c, rx + 1, ry + 1)}"/>
<path fill="url(#pBezel)" stroke="{PINK_EDGE}" stroke-width="1" d="{ellipse_path(c, c, rx, ry)}"/>
<path fill="{TEAL}" stroke="{PINK_EDGE}" stroke-width="1" d="{ellipse_path(c, c, frx, fry)}"/>
<g stroke="#ffffff" stroke-linecap="round" fill="none">
<path stroke-width="2" d="M{num(c)},{num(c)}L{num(hour[0])},{num(hour[1])}"/>
<path stroke-width="1.4" d="M{num(c)},{num(c)}L{num(minute[0])},{num(minute[1])}"/>
</g>
<circle cx="{num(c)}" cy="{num(c)}" r="1.6" fill="{PINK}" stroke="{PINK_EDGE}" stroke-width="0.6"/>"""
    return document(32, 32, "Pointer over the Mini face", defs, body)


def main():
    write_all({"mini_dial.svg": mini_dial(), "pointer_mini.svg": pointer_mini()})


if __name__ == "__main__":
    main()
