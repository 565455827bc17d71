"""Small helpers shared by the picture generators: number formatting, paths, gradients and geometric clipping.

Qt's SVG renderer ignores clipPath without a word, so anything that must stay inside a shape is clipped here, in
the geometry itself, before it is written.
"""
import math
import os
import sys


def num(v):
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def pts(points):
    return " ".join(f"{num(x)},{num(y)}" for x, y in points)


def poly(points, close=True):
    """A path of straight segments through `points`."""
    return "M" + " L".join(f"{num(x)},{num(y)}" for x, y in points) + ("Z" if close else "")


def polar(cx, cy, r, clock_deg):
    """The point at `r` from (cx, cy) in the direction of a clock hand at `clock_deg` (0 = up, clockwise)."""
    a = math.radians(clock_deg)
    return cx + r * math.sin(a), cy - r * math.cos(a)


def ellipse_path(cx, cy, rx, ry, sweep=1):
    """A closed ellipse as two arcs; sweep 0 draws it the other way round (for holes with the even-odd rule)."""
    return (f"M{num(cx - rx)},{num(cy)}a{num(rx)},{num(ry)} 0 1,{sweep} {num(2 * rx)},0"
            f"a{num(rx)},{num(ry)} 0 1,{sweep} {num(-2 * rx)},0Z")


def rounded_rect_path(x0, y0, x1, y1, r):
    return (f"M{num(x0 + r)},{num(y0)}H{num(x1 - r)}A{num(r)},{num(r)} 0 0,1 {num(x1)},{num(y0 + r)}"
            f"V{num(y1 - r)}A{num(r)},{num(r)} 0 0,1 {num(x1 - r)},{num(y1)}H{num(x0 + r)}"
            f"A{num(r)},{num(r)} 0 0,1 {num(x0)},{num(y1 - r)}V{num(y0 + r)}A{num(r)},{num(r)} 0 0,1 "
            f"{num(x0 + r)},{num(y0)}Z")


def linear(name, stops, x1=0, y1=0, x2=0, y2=1, user=False):
    """A linear gradient; `stops` are (offset, colour) or (offset, colour, opacity)."""
    units = ' gradientUnits="userSpaceOnUse"' if user else ""
    return (f'<linearGradient id="{name}"{units} x1="{num(x1)}" y1="{num(y1)}" x2="{num(x2)}" y2="{num(y2)}">'
            + "".join(_stop(s) for s in stops) + "</linearGradient>")


def radial(name, stops, cx=0.5, cy=0.5, r=0.5, fx=None, fy=None, user=False):
    units = ' gradientUnits="userSpaceOnUse"' if user else ""
    focus = "" if fx is None else f' fx="{num(fx)}" fy="{num(fy)}"'
    return (f'<radialGradient id="{name}"{units} cx="{num(cx)}" cy="{num(cy)}" r="{num(r)}"{focus}>'
            + "".join(_stop(s) for s in stops) + "</radialGradient>")


def _stop(stop):
    offset, colour = stop[0], stop[1]
    opacity = f' stop-opacity="{num(stop[2])}"' if len(stop) > 2 else ""
    return f'<stop offset="{num(offset)}" stop-color="{colour}"{opacity}/>'


def document(width, height, title, defs, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="{width}" '
            f'height="{height}" viewBox="0 0 {width} {height}">\n<title>{title}</title>\n'
            + (("<defs>\n" + "\n".join(defs) + "\n</defs>\n") if defs else "")
            + body.strip() + "\n</svg>\n")


def write_all(pictures):
    """Writes {file name: text} into the assets folder (or the folder given as the first argument)."""
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for name, text in pictures.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
            f.write(text)


def ellipse_polygon(cx, cy, rx, ry, steps=180):
    """A convex polygon close to the ellipse, counterclockwise on screen, for clipping."""
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy - ry * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def clip_convex(subject, clip):
    """Sutherland-Hodgman: the part of polygon `subject` inside the convex polygon `clip` (same orientation)."""

    def inside(p, a, b):
        return (b[0] - a[0]) * (p[1] - a[1]) - (b[1] - a[1]) * (p[0] - a[0]) <= 0

    def cut(p, q, a, b):
        dx, dy = q[0] - p[0], q[1] - p[1]
        ex, ey = b[0] - a[0], b[1] - a[1]
        den = ex * dy - ey * dx
        t = (ex * (a[1] - p[1]) - ey * (a[0] - p[0])) / den
        return p[0] + t * dx, p[1] + t * dy

    out = list(subject)
    for i in range(len(clip)):
        a, b = clip[i], clip[(i + 1) % len(clip)]
        points, out = out, []
        for j in range(len(points)):
            p, q = points[j - 1], points[j]
            if inside(q, a, b):
                if not inside(p, a, b):
                    out.append(cut(p, q, a, b))
                out.append(q)
            elif inside(p, a, b):
                out.append(cut(p, q, a, b))
        if not out:
            break
    return out


def clip_polyline(points, is_inside):
    """Splits a polyline into the runs whose points satisfy `is_inside` (points finely spaced)."""
    runs, run = [], []
    for p in points:
        if is_inside(p):
            run.append(p)
        elif run:
            runs.append(run)
            run = []
    if run:
        runs.append(run)
    return [r for r in runs if len(r) > 1]
