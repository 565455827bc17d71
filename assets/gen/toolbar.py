#!/usr/bin/env python3
"""Writes the twelve 48 px toolbar pictures tb_*.svg into the assets folder.

One style for the set: light from above, vertical gradients, a 1 px outline a shade darker than the fill on
half-pixel lines, a faint inner highlight, and the same soft contact shadow under every object. Shapes differ
enough that Qt's greyed (disabled) variants stay recognisable without colour.
"""
import math
import os
import sys


def num(v):
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def polar(cx, cy, r, clock_deg):
    a = math.radians(clock_deg)
    return cx + r * math.sin(a), cy - r * math.cos(a)


def pts(points):
    return " ".join(f"{num(x)},{num(y)}" for x, y in points)


# Fills: (top, bottom, outline).
GREEN = ("#9be35a", "#3f8f16", "#2b650c")
RED = ("#f26a5e", "#b3140f", "#7c0a07")
BLUE = ("#7fb0ec", "#2d62b0", "#1b3f7a")
YELLOW = ("#ffe97a", "#f0b400", "#9c7200")
METAL = ("#fbfbfa", "#a9aeb4", "#50555b")
DARK = ("#5b6066", "#1f2226", "#101214")
WOOD = ("#d39a4c", "#8a5513", "#5a3608")
PINK = ("#ff8cc6", "#d8267f", "#98104f")
TEAL = "#006666"
INK = "#22272c"


def gradient(name, colours, x2="0", y2="1"):
    top, bottom = colours[0], colours[1]
    return (f'<linearGradient id="{name}" x1="0" y1="0" x2="{x2}" y2="{y2}">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/></linearGradient>')


SHADOW_DEF = ('<radialGradient id="shadow" cx="0.5" cy="0.5" r="0.5"><stop offset="0" stop-color="#000000" stop-opacity="0.32"/>'
              '<stop offset="1" stop-color="#000000" stop-opacity="0"/></radialGradient>')


def shadow(cx=24, rx=18, cy=43.5, ry=3.5):
    return f'<ellipse cx="{num(cx)}" cy="{num(cy)}" rx="{num(rx)}" ry="{num(ry)}" fill="url(#shadow)"/>'


def svg(title, defs, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="48" height="48" '
            f'viewBox="0 0 48 48">\n<title>{title}</title>\n<defs>\n{SHADOW_DEF}\n' + "\n".join(defs) +
            "\n</defs>\n" + body.strip() + "\n</svg>\n")


def clock_face(cx, cy, rx, ry, ticks, hour_at, minute_at, ring, face_r, hands_scale=1.0):
    """A teal face with white marks and hands inside a pink ring, shared by the analog and mini pictures."""
    marks = []
    for i in range(12 if ticks == 12 else 4):
        deg = i * (30 if ticks == 12 else 90)
        major = deg % 90 == 0
        sx, sy = face_r[0] / face_r[1], 1.0
        ox, oy = polar(0, 0, face_r[1] - 1.2, deg)
        ix, iy = polar(0, 0, face_r[1] - (4.2 if major else 3.0), deg)
        marks.append(f'M{num(cx + ox * sx)},{num(cy + oy * sy)}L{num(cx + ix * sx)},{num(cy + iy * sy)}')
    hx, hy = polar(cx, cy, 7.0 * hands_scale, hour_at)
    mx, my = polar(cx, cy, 10.5 * hands_scale, minute_at)
    return f"""<ellipse cx="{num(cx)}" cy="{num(cy)}" rx="{num(rx)}" ry="{num(ry)}" fill="url(#pink)" stroke="{PINK[2]}" stroke-width="1"/>
<ellipse cx="{num(cx)}" cy="{num(cy)}" rx="{num(rx - 1)}" ry="{num(ry - 1)}" fill="none" stroke="#ffffff" stroke-opacity="0.35" stroke-width="1"/>
<ellipse cx="{num(cx)}" cy="{num(cy)}" rx="{num(face_r[0] + 0.5)}" ry="{num(face_r[1] + 0.5)}" fill="{TEAL}" stroke="{PINK[2]}" stroke-width="1"/>
<path fill="none" stroke="#ffffff" stroke-width="{num(ring)}" stroke-linecap="butt" d="{''.join(marks)}"/>
<g stroke="#ffffff" stroke-linecap="round" fill="none">
<path stroke-width="2.6" d="M{num(cx)},{num(cy)}L{num(hx)},{num(hy)}"/>
<path stroke-width="1.8" d="M{num(cx)},{num(cy)}L{num(mx)},{num(my)}"/>
</g>
<circle cx="{num(cx)}" cy="{num(cy)}" r="2" fill="#fc3e9d" stroke="{PINK[2]}" stroke-width="0.8"/>"""


def start():
    outer = "M13,10.6Q13,7.2 16,8.9L38.8,21.9Q41.8,23.7 38.8,25.5L16,38.5Q13,40.2 13,36.8Z"
    inner = "M14.5,11.3Q14.5,9.7 15.9,10.5L37.6,22.9Q38.9,23.7 37.6,24.5L15.9,36.9Q14.5,37.7 14.5,36.1Z"
    return svg("Start", [gradient("fill", GREEN)], f"""
{shadow(rx=15)}
<g transform="translate(0.5 0)">
<path fill="url(#fill)" stroke="{GREEN[2]}" stroke-width="1" stroke-linejoin="round" d="{outer}"/>
<path fill="none" stroke="#ffffff" stroke-opacity="0.45" stroke-width="1" stroke-linejoin="round" d="{inner}"/>
</g>
""")


def stop():
    return svg("Stop", [gradient("fill", RED)], f"""
{shadow(rx=15)}
<rect x="11.5" y="11.5" width="25" height="25" rx="3" fill="url(#fill)" stroke="{RED[2]}" stroke-width="1"/>
<rect x="12.5" y="12.5" width="23" height="23" rx="2" fill="none" stroke="#ffffff" stroke-opacity="0.4" stroke-width="1"/>
""")


def lap():
    cx, cy, r = 22, 26, 16.5
    ticks = []
    for i in range(12):
        ox, oy = polar(cx, cy, r - 4.5, i * 30)
        ix, iy = polar(cx, cy, r - (7.5 if i % 3 == 0 else 6.3), i * 30)
        ticks.append(f"M{num(ox)},{num(oy)}L{num(ix)},{num(iy)}")
    hx, hy = polar(cx, cy, 10, 70)
    # The chequered flag that marks a lap, 4 × 3 squares.
    squares = []
    fx, fy, s = 33.5, 30.5, 2.5
    for row in range(3):
        for col in range(4):
            if (row + col) % 2 == 0:
                squares.append(f"M{num(fx + col * s)},{num(fy + row * s)}h{s}v{s}h{-s}Z")
    return svg("Lap", [gradient("metal", METAL), gradient("dial", ("#ffffff", "#dde3ea")),
                       gradient("metalSide", METAL, x2="1", y2="1")], f"""
{shadow(cx=25)}
<rect x="18.5" y="3.5" width="7" height="4" rx="1.5" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="20.5" y="7.5" width="3" height="3" fill="url(#metalSide)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="32" y="6" width="4" height="5" rx="1" transform="rotate(45 34 8.5)" fill="url(#metalSide)" stroke="{METAL[2]}" stroke-width="1"/>
<circle cx="{cx}" cy="{cy}" r="{num(r)}" fill="url(#metalSide)" stroke="{METAL[2]}" stroke-width="1"/>
<circle cx="{cx}" cy="{cy}" r="{num(r - 3)}" fill="url(#dial)" stroke="#7a8088" stroke-width="1"/>
<path fill="none" stroke="{INK}" stroke-width="1.3" d="{''.join(ticks)}"/>
<path fill="none" stroke="#d8261c" stroke-width="1.6" stroke-linecap="round" d="M{cx},{cy}L{num(hx)},{num(hy)}"/>
<circle cx="{cx}" cy="{cy}" r="1.8" fill="{INK}"/>
<path fill="none" stroke="{INK}" stroke-width="1.6" stroke-linecap="round" d="M32.5,29.5V44"/>
<rect x="{fx}" y="{fy}" width="10" height="7.5" fill="#ffffff" stroke="{INK}" stroke-width="1"/>
<path fill="{INK}" d="{''.join(squares)}"/>
""")


def mode():
    cx, cy = 24, 27
    dots = []
    colours = [RED, YELLOW, GREEN, BLUE]
    for i, angle in enumerate((-66, -22, 22, 66)):
        x, y = polar(cx, cy, 18, angle)
        dots.append(f'<circle cx="{num(x)}" cy="{num(y)}" r="3" fill="{colours[i][1]}" stroke="{colours[i][2]}" '
                    f'stroke-width="1"/>')
    px, py = polar(cx, cy, 10.5, 22)
    qx, qy = polar(cx, cy, 4, 22)
    return svg("Mode", [gradient("metal", METAL), gradient("knob", DARK),
                        '<radialGradient id="cap" cx="0.4" cy="0.3" r="0.8"><stop offset="0" stop-color="#6e747b"/>'
                        '<stop offset="1" stop-color="#1c1f23"/></radialGradient>'], f"""
{shadow()}
{chr(10).join(dots)}
<circle cx="{cx}" cy="{cy}" r="14.5" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<circle cx="{cx}" cy="{cy}" r="11.5" fill="url(#cap)" stroke="{DARK[2]}" stroke-width="1"/>
<path fill="none" stroke="#ffffff" stroke-opacity="0.25" stroke-width="1" d="M{cx - 8},{cy - 5.5}A9.5,9.5 0 0 1 {cx + 5.5},{cy - 8}"/>
<path fill="none" stroke="#ffffff" stroke-width="2.6" stroke-linecap="round" d="M{num(qx)},{num(qy)}L{num(px)},{num(py)}"/>
""")


def reset():
    cx, cy, r = 24, 24, 14.5
    start_deg, end_deg = 45.0, 95.0 - 360.0  # counterclockwise, leaving a gap at the upper right
    sx, sy = polar(cx, cy, r, start_deg)
    ex, ey = polar(cx, cy, r, end_deg)
    arc = f"M{num(sx)},{num(sy)}A{r},{r} 0 1,0 {num(ex)},{num(ey)}"
    # Arrowhead at the end, pointing along the counterclockwise direction of travel.
    a = math.radians(end_deg)
    tx, ty = -math.cos(a), -math.sin(a)  # tangent for decreasing clock angle
    nx, ny = math.sin(a), -math.cos(a)  # outward normal
    tip = (ex + tx * 7.5, ey + ty * 7.5)
    left = (ex + nx * 6.5 - tx * 1.5, ey + ny * 6.5 - ty * 1.5)
    right = (ex - nx * 6.5 - tx * 1.5, ey - ny * 6.5 - ty * 1.5)
    head = f"M{pts([left, tip, right])}Z"
    return svg("Reset", [gradient("fill", BLUE), gradient("zero", DARK)], f"""
{shadow(rx=16)}
<path fill="none" stroke="{BLUE[2]}" stroke-width="6.5" d="{arc}"/>
<path fill="none" stroke="url(#fill)" stroke-width="4.5" d="{arc}"/>
<path fill="url(#fill)" stroke="{BLUE[2]}" stroke-width="1" stroke-linejoin="round" d="{head}"/>
<ellipse cx="{cx}" cy="{cy}" rx="4.2" ry="6" fill="none" stroke="{INK}" stroke-width="3"/>
""")


def analog():
    return svg("Analog clock", [gradient("pink", PINK, x2="1", y2="1")], f"""
{shadow()}
{clock_face(24, 23.5, 19.5, 19.5, 12, 300, 60, 1.4, (15, 15))}
""")


def mini():
    return svg("Mini clock", [gradient("pink", PINK, x2="1", y2="1"), gradient("pin", RED),
                              gradient("metal", METAL)], f"""
{shadow(rx=18, cy=42)}
{clock_face(22, 28.5, 19.5, 12.5, 4, 300, 60, 1.4, (16, 9), hands_scale=0.75)}
<path fill="none" stroke="{METAL[2]}" stroke-width="1.6" stroke-linecap="round" d="M34.5,15.5L39,10"/>
<circle cx="40.5" cy="8.5" r="4.5" fill="url(#pin)" stroke="{RED[2]}" stroke-width="1"/>
<circle cx="39.3" cy="7.2" r="1.3" fill="#ffffff" fill-opacity="0.7"/>
""")


def star_points(cx, cy, outer, inner, n):
    out = []
    for i in range(2 * n):
        r = outer if i % 2 == 0 else inner
        out.append(polar(cx, cy, r, i * 180.0 / n))
    return out


def pixel_digit(x, y, lit):
    """A seven-segment digit 4 × 9 px with 1 px strokes, top left at (x, y), as whole-pixel rectangles."""
    rects = {"a": (0, 0, 4, 1), "g": (0, 4, 4, 1), "d": (0, 8, 4, 1), "f": (0, 0, 1, 5), "b": (3, 0, 1, 5),
             "e": (0, 4, 1, 5), "c": (3, 4, 1, 5)}
    return "".join(f"M{x + rx},{y + ry}h{rw}v{rh}h{-rw}Z" for s, (rx, ry, rw, rh) in rects.items() if s in lit)


def digital():
    star = f"M{pts(star_points(24, 23.5, 21, 15.5, 8))}Z"
    inner = f"M{pts(star_points(24, 23.5, 19.6, 14.5, 8))}Z"
    digits = (pixel_digit(13, 19, "bc") + pixel_digit(18, 19, "abdeg") + pixel_digit(25, 19, "abcdef") +
              pixel_digit(30, 19, "abcdef") + "M23,21h1v1h-1ZM23,25h1v1h-1Z")
    return svg("Digital clock", [gradient("fill", YELLOW), gradient("lcd", ("#bcc4b1", "#9ca592"))], f"""
{shadow()}
<path fill="url(#fill)" stroke="{YELLOW[2]}" stroke-width="1" stroke-linejoin="round" d="{star}"/>
<path fill="none" stroke="#ffffff" stroke-opacity="0.5" stroke-width="1" stroke-linejoin="round" d="{inner}"/>
<rect x="10.5" y="16.5" width="26" height="14" rx="2" fill="url(#lcd)" stroke="#4f5548" stroke-width="1"/>
<path fill="#1f2619" fill-opacity="0.9" d="{digits}"/>
""")


def gear(cx, cy, outer, root, teeth, phase=0.0):
    """A gear outline with flat-topped trapezoid teeth."""
    out = []
    step = 360.0 / teeth
    for i in range(teeth):
        base = phase + i * step
        out.append(polar(cx, cy, root, base - step * 0.32))
        out.append(polar(cx, cy, outer, base - step * 0.17))
        out.append(polar(cx, cy, outer, base + step * 0.17))
        out.append(polar(cx, cy, root, base + step * 0.32))
    return f"M{pts(out)}Z"


def options():
    big = gear(20, 20, 16.5, 12.5, 8, 22.5)
    small = gear(35, 35, 9.5, 7, 6)
    hole = lambda cx, cy, r: (f"M{num(cx - r)},{num(cy)}a{num(r)},{num(r)} 0 1,0 {num(2 * r)},0"
                              f"a{num(r)},{num(r)} 0 1,0 {num(-2 * r)},0Z")
    return svg("Options", [gradient("metal", METAL), gradient("metalDark", ("#e4e6e8", "#868c93", "#454a50"))], f"""
{shadow(cx=27, rx=17)}
<path fill="url(#metalDark)" fill-rule="evenodd" stroke="{METAL[2]}" stroke-width="1" stroke-linejoin="round" d="{small}{hole(35, 35, 3)}"/>
<path fill="url(#metal)" fill-rule="evenodd" stroke="{METAL[2]}" stroke-width="1" stroke-linejoin="round" d="{big}{hole(20, 20, 5)}"/>
<circle cx="20" cy="20" r="8.5" fill="none" stroke="{METAL[2]}" stroke-opacity="0.45" stroke-width="1"/>
""")


def exit_():
    return svg("Exit", [gradient("wood", WOOD, x2="1", y2="0"), gradient("fill", BLUE),
                        gradient("dark", ("#2b3035", "#0f1114"))], f"""
{shadow(cx=22, rx=18)}
<rect x="8.5" y="4.5" width="22" height="38" fill="url(#dark)" stroke="{DARK[2]}" stroke-width="1"/>
<path fill="#7a4a10" d="M9,42H30V40L20.5,41.5Z" fill-opacity="0.5"/>
<path fill="url(#wood)" stroke="{WOOD[2]}" stroke-width="1" stroke-linejoin="round" d="M8.5,4.5L20.5,8.5V46L8.5,42.5Z"/>
<circle cx="18" cy="26.5" r="1.4" fill="#f4d36b" stroke="{WOOD[2]}" stroke-width="0.8"/>
<path fill="url(#fill)" stroke="{BLUE[2]}" stroke-width="1" stroke-linejoin="round" d="M25.5,20.5H35.5V14.5L45.5,24L35.5,33.5V27.5H25.5Z"/>
<path fill="none" stroke="#ffffff" stroke-opacity="0.45" stroke-width="1" d="M26.5,21.5H36.5V17"/>
""")


def cancel():
    glass = "M13.5,9.5C13.5,18 20.5,21 20.5,24C20.5,27 13.5,30 13.5,38.5H30.5C30.5,30 23.5,27 23.5,24C23.5,21 30.5,18 30.5,9.5Z"
    sand_top = "M16.6,15.5H27.4C26,18.6 22.6,20.6 22,22.5C21.4,20.6 18,18.6 16.6,15.5Z"
    sand_bottom = "M14.3,38C14.8,33 19,31 22,30.3C25,31 29.2,33 29.7,38Z"
    return svg("Cancel", [gradient("wood", WOOD), gradient("glass", ("#f4f9ff", "#c9daec")),
                          gradient("sand", YELLOW), gradient("badge", RED)], f"""
{shadow(cx=25, rx=17)}
<path fill="url(#glass)" fill-opacity="0.85" stroke="#5d6d80" stroke-width="1" d="{glass}"/>
<path fill="url(#sand)" d="{sand_top}"/>
<path fill="none" stroke="{YELLOW[1]}" stroke-width="1" d="M22,22.5V31"/>
<path fill="url(#sand)" d="{sand_bottom}"/>
<rect x="10.5" y="5.5" width="23" height="4" rx="1" fill="url(#wood)" stroke="{WOOD[2]}" stroke-width="1"/>
<rect x="10.5" y="38.5" width="23" height="4" rx="1" fill="url(#wood)" stroke="{WOOD[2]}" stroke-width="1"/>
<circle cx="35.5" cy="35.5" r="8.5" fill="url(#badge)" stroke="{RED[2]}" stroke-width="1"/>
<path fill="none" stroke="#ffffff" stroke-width="2.4" stroke-linecap="round" d="M32.2,32.2L38.8,38.8M38.8,32.2L32.2,38.8"/>
""")


def sparkle(x, y, r):
    w = r * 0.28
    return f"M{num(x)},{num(y - r)}L{num(x + w)},{num(y - w)}L{num(x + r)},{num(y)}L{num(x + w)},{num(y + w)}" \
           f"L{num(x)},{num(y + r)}L{num(x - w)},{num(y + w)}L{num(x - r)},{num(y)}L{num(x - w)},{num(y - w)}Z"


def screensaver():
    stars = sparkle(13, 15, 3) + sparkle(21, 24, 2.2) + sparkle(14.5, 27, 1.5) + sparkle(25.5, 14, 1.6)
    return svg("Screensaver", [gradient("metal", METAL), gradient("screen", ("#0c2358", "#2a56a8")),
                               gradient("moon", YELLOW)], f"""
{shadow(rx=16)}
<rect x="20.5" y="33" width="7" height="6" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="13.5" y="38.5" width="21" height="4" rx="2" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="3.5" y="5.5" width="41" height="29" rx="2.5" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="6.5" y="8.5" width="35" height="23" fill="url(#screen)" stroke="#2d3238" stroke-width="1"/>
<path fill="url(#moon)" d="M33.5,11.5A7,7 0 1 0 37.8,23.9A5.6,5.6 0 1 1 33.5,11.5Z"/>
<path fill="#ffffff" d="{stars}"/>
<path fill="#ffffff" fill-opacity="0.12" d="M7,9H41V15C30,15 20,18 7,23Z"/>
""")


ICONS = {
    "tb_lap": lap, "tb_mode": mode, "tb_start": start, "tb_stop": stop, "tb_reset": reset, "tb_analog": analog,
    "tb_digital": digital, "tb_options": options, "tb_exit": exit_, "tb_cancel": cancel,
    "tb_screensaver": screensaver, "tb_mini": mini,
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for name, make in ICONS.items():
        with open(os.path.join(folder, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(make())


if __name__ == "__main__":
    main()
