#!/usr/bin/env python3
"""Writes two pictures of the screensaver: saver_water.svg (the "Mini" face's oval of rippled water) and
saver_frame.svg (the "Quadrantix" face's golden frame).

The water's ripples spread from the display panel the program paints over it, rounded rectangles near the
panel that become circles further out; they are clipped to the oval here, as Qt's SVG renderer has no clipPath.
"""
import math
import sys

sys.dont_write_bytecode = True  # keep the assets folder free of caches
from star import Star, star_body  # noqa: E402
from svgkit import clip_polyline, document, ellipse_path, linear, num, poly, radial, rounded_rect_path, write_all  # noqa: E402

# The water: 567 x 566, at (112, -8) px on the 800 x 600 screen; the panel lies at x 112..457, y 180..445.
WATER_W, WATER_H = 567, 566
OVAL = (283.5, 283, 283, 282.5)  # centre and radii
WATER_PANEL = (112, 180, 457, 445)


def ripple(d, steps=720):
    """The ripple `d` px out from the panel: a superellipse round its middle, squarer near it, with a slow
    wobble so that it does not look turned on a lathe."""
    x0, y0, x1, y1 = WATER_PANEL
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    a, b = (x1 - x0) / 2 + d, (y1 - y0) / 2 + d
    n = 2 + 3 * math.exp(-d / 70)
    out = []
    for i in range(steps + 1):
        t = 2 * math.pi * i / steps
        c, s = math.cos(t), math.sin(t)
        wobble = (1 + d / 120) * (math.sin(5 * t + d * 0.05) + 0.6 * math.sin(9 * t + 1.3 + d * 0.03))
        k = 1 + wobble / max(a, b)
        out.append((cx + k * a * math.copysign(abs(c) ** (2 / n), c),
                    cy + k * b * math.copysign(abs(s) ** (2 / n), s)))
    return out


def inside_oval(margin):
    cx, cy, rx, ry = OVAL

    def test(p):
        return ((p[0] - cx) / (rx - margin)) ** 2 + ((p[1] - cy) / (ry - margin)) ** 2 <= 1
    return test


def runs(points):
    return "".join(poly(run, close=False) for run in clip_polyline(points, inside_oval(2.5)))


def arc_runs(d, start_deg, end_deg):
    """Part of ripple `d` between two directions (degrees counterclockwise from 3 o'clock, on screen)."""
    points = ripple(d)
    n = len(points) - 1
    first, last = int(n * (360 - end_deg) / 360), int(n * (360 - start_deg) / 360)
    return "".join(poly(run, close=False) for run in clip_polyline(points[first:last + 1], inside_oval(2.5)))


def water():
    cx, cy, rx, ry = OVAL
    # Fewer crests further out, wider apart and weaker, as the rings spread and flatten.
    rings = [(12, 1.0), (38, 0.9), (72, 0.78), (114, 0.64), (164, 0.5), (222, 0.38)]
    defs = [
        linear("sea", [(0, "#7fcaf0"), (0.3, "#3896d4"), (0.7, "#1763aa"), (1, "#0a3f7c")],
               0, cy - ry, 0, cy + ry, user=True),
        radial("sky", [(0, "#ffffff", 0.35), (1, "#ffffff", 0)], cx - 90, cy - 170, 210, user=True),
        radial("depth", [(0.7, "#031a3a", 0), (1, "#031a3a", 0.3)], cx, cy, rx, user=True),
        # Crests catch the sky on the far (upper) side, troughs darken towards the near side.
        linear("crest", [(0, "#ffffff", 1), (0.5, "#ffffff", 0.55), (1, "#ffffff", 0.2)],
               0, cy - ry, 0, cy + ry, user=True),
        linear("trough", [(0, "#02234d", 0.5), (0.5, "#02234d", 0.8), (1, "#02234d", 1)],
               0, cy - ry, 0, cy + ry, user=True),
    ]
    layers = []
    for d, strength in rings:
        trough = runs(ripple(d + 8))
        crest = runs(ripple(d))
        # Soft profiles: a wide faint stroke under a narrow brighter one.
        layers.append(f'<path stroke="url(#trough)" stroke-opacity="{num(0.16 * strength)}" stroke-width="9" '
                      f'd="{trough}"/>')
        layers.append(f'<path stroke="url(#trough)" stroke-opacity="{num(0.2 * strength)}" stroke-width="3" '
                      f'd="{trough}"/>')
        layers.append(f'<path stroke="url(#crest)" stroke-opacity="{num(0.14 * strength)}" stroke-width="8" '
                      f'd="{crest}"/>')
        layers.append(f'<path stroke="url(#crest)" stroke-opacity="{num(0.38 * strength)}" stroke-width="2.2" '
                      f'd="{crest}"/>')
    # Glints where the crests face the light, up and to the left.
    glints = "".join(arc_runs(d, 112 + k * 7, 128 + k * 5) for k, (d, _) in enumerate(rings[:4]))
    glints += "".join(arc_runs(d, 62 - k * 4, 70 - k * 3) for k, (d, _) in enumerate(rings[1:3]))
    body = f"""<path fill="url(#sea)" d="{ellipse_path(cx, cy, rx, ry)}"/>
<path fill="url(#sky)" d="{ellipse_path(cx, cy, rx, ry)}"/>
<g fill="none" stroke-linecap="round">
{chr(10).join(layers)}
<path stroke="#ffffff" stroke-opacity="0.75" stroke-width="2.4" d="{glints}"/>
</g>
<path fill="url(#depth)" d="{ellipse_path(cx, cy, rx, ry)}"/>
<path fill="none" stroke="#0b2f5c" stroke-opacity="0.8" stroke-width="1.5" d="{ellipse_path(cx, cy, rx - 0.75, ry - 0.75)}"/>"""
    return document(WATER_W, WATER_H, "Screensaver: oval of rippled water", defs, body)


# The frame: 663 x 138, with the program's panel at x 79.5..576.5, y 22.5..111.5 (the picture lies at
# (968, 3776) twips, which is not a whole pixel: the field leaves a few pixels round the panel either way).
FRAME_W, FRAME_H = 663, 138
FIELD = (13, 13, 650, 123)
FRAME_PANEL = (79.5, 22.5, 576.5, 111.5)
SHADE = "#6b3d00"


def ornament(cx, cy, r, name):
    star = Star((cx, cy), [(cx, cy - r), (cx + r, cy), (cx, cy + r), (cx - r, cy)],
                [(cx - r * 0.3, cy - r * 0.3), (cx + r * 0.3, cy - r * 0.3), (cx + r * 0.3, cy + r * 0.3),
                 (cx - r * 0.3, cy + r * 0.3)], height=r * 0.45)
    return star_body(star, name, outline_width=1.0, ridge_width=0.8, centre_glow=0.3)


def frame():
    x0, y0, x1, y1 = FIELD
    defs = [
        # Along the frame: dark brown at both ends through gold to white in the middle.
        linear("goldRun", [(0, "#4a2800"), (0.07, "#9c6400"), (0.2, "#e0ac1e"), (0.36, "#fbe089"),
                           (0.5, "#fffdf2"), (0.64, "#fbe089"), (0.8, "#e0ac1e"), (0.93, "#9c6400"),
                           (1, "#4a2800")], 0, 0, FRAME_W, 0, user=True),
        # Across it: the outer slope lit from above, the inner slope in shade, so the sides stand out.
        # Shade is a warm brown, so that the white middle of the run darkens to tan rather than grey.
        linear("outerBevel", [(0, "#ffffff", 0.55), (0.5, "#ffffff", 0), (0.5, SHADE, 0),
                              (1, SHADE, 0.5)], 0, 0, 0, FRAME_H, user=True),
        linear("innerBevel", [(0, SHADE, 0.45), (0.5, SHADE, 0), (0.5, "#ffffff", 0),
                              (1, "#ffffff", 0.6)], 0, y0 - 6, 0, y1 + 6, user=True),
        linear("fieldShade", [(0, SHADE, 0.16), (0.12, SHADE, 0), (1, SHADE, 0)], 0, y0, 0, y1, user=True),
    ]
    left_defs, left = ornament((x0 + FRAME_PANEL[0]) / 2, 68, 22, "l")
    right_defs, right = ornament((FRAME_PANEL[2] + x1) / 2, 68, 22, "r")
    defs += left_defs + right_defs
    outer = rounded_rect_path(0.5, 0.5, FRAME_W - 0.5, FRAME_H - 0.5, 18)
    mid = rounded_rect_path(6.5, 6.5, FRAME_W - 6.5, FRAME_H - 6.5, 13)
    field = rounded_rect_path(x0, y0, x1, y1, 9)
    body = f"""<path fill="url(#goldRun)" d="{outer}"/>
<path fill="url(#outerBevel)" fill-rule="evenodd" d="{outer}{mid}"/>
<path fill="url(#innerBevel)" fill-rule="evenodd" d="{mid}{rounded_rect_path(x0 - 1, y0 - 1, x1 + 1, y1 + 1, 10)}"/>
<path fill="none" stroke="#3a2000" stroke-width="1" d="{outer}"/>
<path fill="none" stroke="#ffffff" stroke-opacity="0.6" stroke-width="1" d="{rounded_rect_path(1.5, 1.5, FRAME_W - 1.5, FRAME_H - 1.5, 17)}"/>
<path fill="none" stroke="#6b4300" stroke-opacity="0.55" stroke-width="1" d="{mid}"/>
<path fill="#ffffff" stroke="#5a3800" stroke-width="1" d="{field}"/>
<path fill="url(#fieldShade)" d="{field}"/>
{chr(10).join(left)}
{chr(10).join(right)}"""
    return document(FRAME_W, FRAME_H, "Screensaver: golden frame round the display", defs, body)


def main():
    write_all({"saver_water.svg": water(), "saver_frame.svg": frame()})


if __name__ == "__main__":
    main()
