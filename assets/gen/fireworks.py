#!/usr/bin/env python3
"""Writes fireworks.svg, the background of the greeting window, into the assets folder.

Dark text is printed across the middle of the picture, so the bursts keep to the top and the corners and the
middle band stays light and calm. The scattering of sparks comes from a fixed seed: every run gives the same file.
"""
import math
import os
import random
import sys

WIDTH, HEIGHT = 317, 421


def num(v):
    text = f"{v:.1f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def burst(name, cx, cy, radius, rays, colours, rng, droop=0.10, head=2.4):
    """A chrysanthemum burst: comet-shaped stars flying out from the centre, fading towards it."""
    defs, body = [], []
    layers = {c: [] for c in range(len(colours))}
    sparks = {c: [] for c in range(len(colours))}
    for i in range(rays):
        angle = (i + rng.uniform(-0.25, 0.25)) * 2 * math.pi / rays
        reach = radius * rng.uniform(0.82, 1.0)
        ux, uy = math.sin(angle), -math.cos(angle)
        # Stars fall a little as they fly: the head drops below the straight line.
        hx, hy = cx + ux * reach, cy + uy * reach + droop * reach * (0.6 + 0.4 * abs(ux))
        mx, my = cx + ux * reach * 0.55, cy + uy * reach * 0.55 + droop * reach * 0.15
        px, py = -uy, ux
        w = head * rng.uniform(0.8, 1.15)
        c = i % len(colours)
        layers[c].append(
            f"M{num(cx + ux * radius * 0.12)},{num(cy + uy * radius * 0.12)}"
            f"Q{num(mx + px * w * 0.5)},{num(my + py * w * 0.5)} {num(hx + px * w)},{num(hy + py * w)}"
            f"A{num(w)},{num(w)} 0 0,0 {num(hx - px * w)},{num(hy - py * w)}"
            f"Q{num(mx - px * w * 0.5)},{num(my - py * w * 0.5)} "
            f"{num(cx + ux * radius * 0.12)},{num(cy + uy * radius * 0.12)}Z")
        # A few loose sparks beyond the head.
        for _ in range(2):
            d = reach * rng.uniform(1.03, 1.16)
            sx = cx + ux * d + rng.uniform(-3, 3)
            sy = cy + uy * d + droop * d * 1.1 + rng.uniform(-3, 3)
            r = rng.uniform(0.7, 1.5)
            sparks[c].append(f"M{num(sx - r)},{num(sy)}a{num(r)},{num(r)} 0 1,0 {num(2 * r)},0"
                             f"a{num(r)},{num(r)} 0 1,0 {num(-2 * r)},0Z")
    for c, colour in enumerate(colours):
        gid = f"{name}{c}"
        defs.append(f'<radialGradient id="{gid}" gradientUnits="userSpaceOnUse" cx="{num(cx)}" cy="{num(cy)}" '
                    f'r="{num(radius * 1.1)}"><stop offset="0" stop-color="{colour}" stop-opacity="0"/>'
                    f'<stop offset="0.45" stop-color="{colour}" stop-opacity="0.35"/>'
                    f'<stop offset="1" stop-color="{colour}" stop-opacity="1"/></radialGradient>')
        body.append(f'<path fill="url(#{gid})" d="{"".join(layers[c])}"/>')
        body.append(f'<path fill="{colour}" fill-opacity="0.8" d="{"".join(sparks[c])}"/>')
    defs.append(f'<radialGradient id="{name}Glow" gradientUnits="userSpaceOnUse" cx="{num(cx)}" cy="{num(cy)}" '
                f'r="{num(radius * 0.45)}"><stop offset="0" stop-color="#ffffff" stop-opacity="0.95"/>'
                f'<stop offset="0.3" stop-color="#fff2b0" stop-opacity="0.6"/>'
                f'<stop offset="1" stop-color="#fff2b0" stop-opacity="0"/></radialGradient>')
    body.insert(0, f'<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(radius * 0.45)}" fill="url(#{name}Glow)"/>')
    return defs, body


def twinkle(x, y, r, colour, opacity=1.0):
    w = r * 0.22
    return (f'<path fill="{colour}" fill-opacity="{opacity}" d="M{num(x)},{num(y - r)}L{num(x + w)},{num(y - w)}'
            f'L{num(x + r)},{num(y)}L{num(x + w)},{num(y + w)}L{num(x)},{num(y + r)}L{num(x - w)},{num(y + w)}'
            f'L{num(x - r)},{num(y)}L{num(x - w)},{num(y - w)}Z"/>')


def rocket(x, y, tilt, rng):
    """A firework rocket on its stick, rising, with a trail of sparks below it."""
    trail = []
    a = math.radians(tilt)
    dx, dy = -math.sin(a), math.cos(a)  # downwards along the rocket's path
    for i in range(34):
        d = 36 + i * 3.0
        spread = 0.6 + i * 0.22
        sx = x + dx * d + rng.uniform(-spread, spread)
        sy = y + dy * d + rng.uniform(-spread, spread)
        r = max(0.5, 2.0 - i * 0.045) * rng.uniform(0.7, 1.1)
        opacity = max(0.15, 1.0 - i * 0.026)
        colour = "#ff9a1f" if i % 3 else "#d94a00"
        trail.append(f'<circle cx="{num(sx)}" cy="{num(sy)}" r="{num(r)}" fill="{colour}" '
                     f'fill-opacity="{opacity:.2f}"/>')
    # A fading ribbon of smoke from the rocket's tail down to the bottom edge.
    tail_x, tail_y = x + dx * 30, y + dy * 30
    end_x, end_y = x + dx * 150, y + dy * 150
    smoke = (f'<path fill="url(#smoke)" d="M{num(tail_x - 3)},{num(tail_y)}C{num(tail_x - 6)},{num(tail_y + 40)} '
             f'{num(end_x - 14)},{num(end_y - 50)} {num(end_x - 16)},{num(end_y)}L{num(end_x + 8)},{num(end_y)}'
             f'C{num(end_x + 6)},{num(end_y - 50)} {num(tail_x + 5)},{num(tail_y + 40)} {num(tail_x + 3)},{num(tail_y)}Z"/>')
    return smoke + "\n" + "\n".join(trail) + f"""
<g transform="translate({num(x)} {num(y)}) rotate({num(tilt)}) scale(1.3)">
<path fill="none" stroke="#7a5230" stroke-width="1.6" d="M0,12V64"/>
<path fill="url(#flame)" d="M-4,12C-5,20 -2,28 0,34C2,28 5,20 4,12Z"/>
<path fill="url(#fins)" stroke="#0f2552" stroke-width="0.8" stroke-linejoin="round" d="M-5,4L-10,14L-5,12ZM5,4L10,14L5,12Z"/>
<rect x="-5" y="-18" width="10" height="30" rx="1" fill="url(#tube)" stroke="#6d0b10" stroke-width="0.8"/>
<rect x="-5" y="-9" width="10" height="4" fill="#ffffff" fill-opacity="0.9"/>
<rect x="-5" y="3" width="10" height="2.5" fill="#ffd23a"/>
<path fill="url(#fins)" stroke="#0f2552" stroke-width="0.8" stroke-linejoin="round" d="M-5.5,-18L0,-31L5.5,-18Z"/>
</g>"""


def picture():
    rng = random.Random(1957)
    defs, body = [], []
    for parts in (
        burst("big", 210, 80, 68, 36, ("#d4145a", "#f08c00", "#b0189a"), rng, droop=0.12, head=1.9),
        burst("core", 210, 80, 36, 18, ("#ffd000", "#ffffff"), rng, droop=0.06, head=1.4),
        burst("left", 62, 54, 38, 24, ("#1f56d6", "#0e9bb5"), rng, droop=0.10, head=1.5),
        burst("low", 252, 356, 42, 26, ("#15a048", "#e0a000"), rng, droop=0.14, head=1.6),
    ):
        defs += parts[0]
        body += parts[1]
    twinkles = [twinkle(118, 34, 5, "#ffffff"), twinkle(290, 196, 4, "#ffffff", 0.8), twinkle(30, 150, 3.5,
                "#ffffff", 0.8), twinkle(150, 392, 4, "#ffffff", 0.9), twinkle(286, 16, 3, "#ffffff", 0.9),
                twinkle(176, 170, 2.5, "#ffffff", 0.7)]
    return f"""<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="{WIDTH}" height="{HEIGHT}" viewBox="0 0 {WIDTH} {HEIGHT}">
<title>Fireworks</title>
<defs>
<linearGradient id="ground" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#8c929b"/>
<stop offset="0.34" stop-color="#c9cdd2"/>
<stop offset="0.5" stop-color="#d9dbde"/>
<stop offset="0.68" stop-color="#cfd2d6"/>
<stop offset="1" stop-color="#9da3ab"/>
</linearGradient>
<radialGradient id="calm" cx="0.5" cy="0.5" r="0.5">
<stop offset="0" stop-color="#ffffff" stop-opacity="0.45"/>
<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>
</radialGradient>
<linearGradient id="tube" x1="0" y1="0" x2="1" y2="0">
<stop offset="0" stop-color="#ff6b5e"/>
<stop offset="0.5" stop-color="#d8232a"/>
<stop offset="1" stop-color="#8c1016"/>
</linearGradient>
<linearGradient id="fins" x1="0" y1="0" x2="1" y2="0">
<stop offset="0" stop-color="#4f7fe0"/>
<stop offset="1" stop-color="#1a3a85"/>
</linearGradient>
<linearGradient id="smoke" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#ffffff" stop-opacity="0.5"/>
<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>
</linearGradient>
<linearGradient id="flame" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#fff3a0"/>
<stop offset="0.4" stop-color="#ffb020"/>
<stop offset="1" stop-color="#ff5a00" stop-opacity="0"/>
</linearGradient>
{chr(10).join(defs)}
</defs>
<rect width="{WIDTH}" height="{HEIGHT}" fill="url(#ground)"/>
<ellipse cx="158.5" cy="212" rx="170" ry="110" fill="url(#calm)"/>
{chr(10).join(body)}
{rocket(96, 322, 12, rng)}
{chr(10).join(twinkles)}
</svg>
"""


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    with open(os.path.join(folder, "fireworks.svg"), "w", encoding="utf-8") as f:
        f.write(picture())


if __name__ == "__main__":
    main()
