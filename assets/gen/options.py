#!/usr/bin/env python3
"""Writes the pictures of the options dialog: options_bigben.svg (64 x 160), options_chime.svg (48 x 48),
options_bell.svg (48 x 48), options_timer.svg (64 x 64) and options_saver.svg (32 x 32).

In the style of the toolbar set: light from above, vertical gradients, outlines a shade darker than the fill,
soft contact shadows. The program draws yellow crosses over the Big Ben and chime pictures when their sounds are
off, so neither is yellow where the crosses run.
"""
import math
import sys

sys.dont_write_bytecode = True  # keep the assets folder free of caches
from svgkit import document, ellipse_path, linear, num, poly, polar, radial, rounded_rect_path, write_all  # noqa: E402
from toolbar import METAL, PINK, RED, SHADOW_DEF, TEAL, WOOD, YELLOW, gradient, shadow, sparkle  # noqa: E402

STONE = ("#f1dcaa", "#b08a4f", "#6f5128")  # light face, shaded face, outline
SLATE = ("#56607a", "#262c3c")


def bigben():
    """The clock tower at dusk, its clock showing noon."""
    w, h = 64, 160
    cx = 32
    defs = [
        linear("sky", [(0, "#0d1f48"), (0.42, "#2b5598"), (0.68, "#8fa6c8"), (0.84, "#f2b974"), (1, "#e58a4c")],
               0, 0, 0, h, user=True),
        # The stone lit from the left, the right-hand faces in shade.
        linear("stone", [(0, STONE[0]), (0.55, "#dcc084"), (0.56, STONE[1]), (1, "#8c6a37")], cx - 12, 0,
               cx + 12, 0, user=True),
        linear("belfry", [(0, STONE[0]), (0.55, "#dcc084"), (0.56, STONE[1]), (1, "#8c6a37")], cx - 14, 0,
               cx + 14, 0, user=True),
        linear("roof", [(0, SLATE[0]), (0.5, "#434b62"), (0.51, SLATE[1]), (1, "#1a1f2c")], cx - 12, 0,
               cx + 12, 0, user=True),
        radial("dial", [(0, "#fffbe8"), (0.8, "#ffeeb8"), (1, "#e9c873")]),
        linear("palace", [(0, "#2a3350"), (1, "#151a2a")], 0, 128, 0, h, user=True),
        linear("gilt", [(0, "#fff1a8"), (1, "#c98f00")]),
    ]
    # The lantern and spire: a pyramid roof, then a slender spire with a gilded point.
    roof = poly([(cx - 12, 40), (cx - 7, 23), (cx + 7, 23), (cx + 12, 40)])
    spire = poly([(cx - 4, 23), (cx, 5), (cx + 4, 23)])
    pinnacles = "".join(poly([(x - 1.5, y), (x, y - 7), (x + 1.5, y)]) for x, y in
                        ((cx - 13, 40), (cx + 13, 40), (cx - 7.5, 24), (cx + 7.5, 24)))
    openings = "".join(rounded_rect_path(x, 28, x + 2, 36, 1) for x in (cx - 5, cx - 1, cx + 3))
    belfry_arches = "".join(f"M{num(cx + k * 5 - 1.5)},50V45a1.5,1.5 0 0,1 3,0V50Z" for k in range(-2, 3))
    # Shaft: pilasters and rows of narrow windows.
    pilasters = "".join(f"M{num(x)},80V150" for x in (cx - 6.5, cx + 0.5, cx + 7.5))
    windows = "".join(f"M{num(x)},{num(y)}h2v5h-2Z" for y in range(86, 156, 12) for x in (cx - 4.5, cx + 2.5))
    hand_top = 70 - 8.2
    marks = "".join(f"M{num(polar(cx, 70, 8.6, a)[0])},{num(polar(cx, 70, 8.6, a)[1])}"
                    f"L{num(polar(cx, 70, 7.2, a)[0])},{num(polar(cx, 70, 7.2, a)[1])}" for a in range(0, 360, 30))
    stars = "".join(sparkle(x, y, r) for x, y, r in ((9, 14, 1.6), (53, 9, 1.3), (50, 30, 1), (12, 44, 0.9)))
    body = f"""<path fill="url(#sky)" d="{rounded_rect_path(0.5, 0.5, w - 0.5, h - 0.5, 4)}"/>
<path fill="#ffffff" fill-opacity="0.85" d="{stars}"/>
<path fill="url(#palace)" d="M0.5,136H6V131L8,127L10,131V134H18V150H0.5Z M46,134H54V131L56,127L58,131V136H63.5V150H46Z"/>
<path fill="url(#roof)" stroke="#141824" stroke-width="1" stroke-linejoin="round" d="{roof}"/>
<path fill="url(#gilt)" stroke="#6b4a00" stroke-width="0.8" stroke-linejoin="round" d="{spire}"/>
<path fill="url(#roof)" stroke="#141824" stroke-width="0.8" d="{pinnacles}"/>
<path fill="#141824" d="{openings}"/>
<rect x="{cx - 14}" y="40" width="28" height="11" fill="url(#belfry)" stroke="{STONE[2]}" stroke-width="1"/>
<path fill="#3a2a14" d="{belfry_arches}"/>
<rect x="{cx - 13}" y="51" width="26" height="30" fill="url(#belfry)" stroke="{STONE[2]}" stroke-width="1"/>
<path fill="none" stroke="{STONE[2]}" stroke-opacity="0.6" stroke-width="1" d="M{cx - 13},55.5H{cx + 13}M{cx - 13},77.5H{cx + 13}"/>
<rect x="{cx - 11}" y="81" width="22" height="70" fill="url(#stone)" stroke="{STONE[2]}" stroke-width="1"/>
<path fill="none" stroke="{STONE[2]}" stroke-opacity="0.45" stroke-width="1" d="{pilasters}"/>
<path fill="#3a2a14" fill-opacity="0.75" d="{windows}"/>
<path fill="url(#dial)" stroke="#2c2418" stroke-width="1.2" d="{ellipse_path(cx, 66.5, 9.5, 9.5)}"/>
<g transform="translate(0 -3.5)">
<path fill="none" stroke="#2c2418" stroke-width="0.8" d="{marks}"/>
<path fill="none" stroke="#1b1610" stroke-width="1.6" stroke-linecap="round" d="M{cx},70V{num(hand_top + 1.5)}"/>
<path fill="none" stroke="#1b1610" stroke-width="1.1" stroke-linecap="round" d="M{cx},70V{num(hand_top - 0.6)}"/>
</g>
<circle cx="{cx}" cy="66.5" r="1.1" fill="#1b1610"/>
<path fill="url(#palace)" d="M0.5,146H20V143L22,139L24,143V146H40V143L42,139L44,143V146H63.5V155.5a4,4 0 0,1 -4,4H4.5a4,4 0 0,1 -4,-4Z"/>
<path fill="none" stroke="#0b1020" stroke-width="1" d="{rounded_rect_path(0.5, 0.5, w - 0.5, h - 0.5, 4)}"/>"""
    return document(w, h, "Options: Big Ben", defs, body)


def chime():
    """Tubular chimes struck by a mallet: steel, so that the yellow cross over them stays plain."""
    defs = [SHADOW_DEF, gradient("wood", WOOD), gradient("head", RED),
            linear("steel", [(0, "#a9b0b8"), (0.3, "#ffffff"), (0.55, "#d2d7dd"), (1, "#737b85")])]
    tubes = []
    strings = []
    for k, (x, length) in enumerate(((12.5, 30), (19.5, 27), (26.5, 24), (33.5, 21))):
        top = 13.5
        tubes.append(f'<rect x="{num(x - 2.5)}" y="{num(top)}" width="5" height="{length}" rx="1" '
                     f'fill="url(#steel)" stroke="#545b64" stroke-width="1"/>')
        tubes.append(f'<path fill="none" stroke="#545b64" stroke-opacity="0.7" stroke-width="1" '
                     f'd="M{num(x - 2.5)},{num(top + 3)}h5"/>')
        strings.append(f"M{num(x)},10V{num(top)}")
    body = f"""{shadow(cx=23, rx=16, cy=44.5, ry=2.8)}
<path fill="none" stroke="#50555b" stroke-width="1" d="{"".join(strings)}"/>
<rect x="6.5" y="5.5" width="34" height="5" rx="1.5" fill="url(#wood)" stroke="{WOOD[2]}" stroke-width="1"/>
{chr(10).join(tubes)}
<path fill="none" stroke="{WOOD[2]}" stroke-width="3.6" stroke-linecap="round" d="M44.5,42L38.5,28"/>
<path fill="none" stroke="url(#wood)" stroke-width="2" stroke-linecap="round" d="M44.5,42L38.5,28"/>
<circle cx="37.5" cy="25.5" r="4" fill="url(#head)" stroke="{RED[2]}" stroke-width="1"/>
<circle cx="36.3" cy="24.2" r="1.2" fill="#ffffff" fill-opacity="0.6"/>
<path fill="none" stroke="#ffffff" stroke-width="1.2" stroke-linecap="round" stroke-opacity="0.9" d="M42.5,16.5l2.5,-2M43.5,21.5l3,-0.5"/>"""
    return document(48, 48, "Options: chimes", defs, body)


def bell():
    """A golden alarm bell swinging, its clapper out to one side and the ring drawn beside it."""
    defs = [SHADOW_DEF, gradient("gold", ("#ffe97a", "#d99a00")),
            linear("goldSide", [(0, "#fff3b0"), (0.35, "#ffd84a"), (0.75, "#d99a00"), (1, "#9c6a00")]),
            gradient("clapper", ("#6b5a44", "#2e261c"))]
    bell_path = ("M24,7.5C17,7.5 13.5,13 13.5,20C13.5,27 11.5,30.5 8.5,33.5V36.5H39.5V33.5"
                 "C36.5,30.5 34.5,27 34.5,20C34.5,13 31,7.5 24,7.5Z")
    body = f"""{shadow(cx=24, rx=17, cy=44, ry=3)}
<g transform="rotate(-14 24 8)">
<circle cx="24" cy="38.5" r="3.2" fill="url(#clapper)" stroke="#201a12" stroke-width="1" transform="translate(-4 0.5)"/>
<path fill="url(#goldSide)" stroke="{YELLOW[2]}" stroke-width="1" stroke-linejoin="round" d="{bell_path}"/>
<path fill="none" stroke="#ffffff" stroke-opacity="0.7" stroke-width="1.4" stroke-linecap="round" d="M17.5,16C17.5,12.5 19.5,10.5 22,10"/>
<rect x="7.5" y="33.5" width="33" height="3.5" rx="1.7" fill="url(#gold)" stroke="{YELLOW[2]}" stroke-width="1"/>
<circle cx="24" cy="6" r="2.2" fill="url(#gold)" stroke="{YELLOW[2]}" stroke-width="1"/>
</g>
<g fill="none" stroke="#7a5200" stroke-width="1.4" stroke-linecap="round">
<path d="M6.5,13.5C4.5,16 4,19 4.6,22"/>
<path d="M3,10.5C0.4,14.5 0,19 1,23"/>
<path d="M41.5,9.5C43.8,12 44.6,15 44.2,18"/>
<path d="M45,6.5C47.5,10 47.8,14.5 47.2,18.5"/>
</g>"""
    return document(48, 48, "Options: alarm bell", defs, body)


def timer():
    """The computer's lifetime: a monitor whose screen shows a clock, an hourglass in front of it."""
    defs = [SHADOW_DEF, gradient("metal", METAL), gradient("screen", ("#0c2358", "#2a56a8")),
            gradient("pink", PINK), gradient("wood", WOOD), gradient("glass", ("#f4f9ff", "#c9daec")),
            gradient("sand", YELLOW)]
    cx, cy = 27, 26
    hour = polar(cx, cy, 5, 300)
    minute = polar(cx, cy, 7.5, 60)
    ticks = "".join(f"M{num(polar(cx, cy, 8.6, a)[0])},{num(polar(cx, cy, 8.6, a)[1])}"
                    f"L{num(polar(cx, cy, 7.2, a)[0])},{num(polar(cx, cy, 7.2, a)[1])}" for a in range(0, 360, 90))
    glass = "M44.5,33.5C44.5,41 50.5,43 50.5,46C50.5,49 44.5,51 44.5,58.5H59.5C59.5,51 53.5,49 53.5,46C53.5,43 59.5,41 59.5,33.5Z"
    sand_top = "M46.8,38.5H57.2C56,41.2 52.6,43 52,44.8C51.4,43 48,41.2 46.8,38.5Z"
    sand_bottom = "M45.3,58C45.8,54 49,52.4 52,51.8C55,52.4 58.2,54 58.7,58Z"
    body = f"""{shadow(cx=32, rx=27, cy=60.5, ry=3)}
<rect x="22.5" y="45" width="9" height="8" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="13.5" y="52.5" width="27" height="5" rx="2.5" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="2.5" y="5.5" width="49" height="40" rx="3" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="6.5" y="9.5" width="41" height="32" fill="url(#screen)" stroke="#2d3238" stroke-width="1"/>
<circle cx="{cx}" cy="{cy}" r="12.5" fill="url(#pink)" stroke="{PINK[2]}" stroke-width="1"/>
<circle cx="{cx}" cy="{cy}" r="9.5" fill="{TEAL}" stroke="{PINK[2]}" stroke-width="1"/>
<path fill="none" stroke="#ffffff" stroke-width="1.5" d="{ticks}"/>
<g stroke="#ffffff" stroke-linecap="round" fill="none">
<path stroke-width="2.2" d="M{cx},{cy}L{num(hour[0])},{num(hour[1])}"/>
<path stroke-width="1.6" d="M{cx},{cy}L{num(minute[0])},{num(minute[1])}"/>
</g>
<circle cx="{cx}" cy="{cy}" r="1.8" fill="#fc3e9d" stroke="{PINK[2]}" stroke-width="0.8"/>
<path fill="#ffffff" fill-opacity="0.12" d="M7,10H47V18C34,18 22,21 7,27Z"/>
<path fill="url(#glass)" fill-opacity="0.92" stroke="#5d6d80" stroke-width="1" d="{glass}"/>
<path fill="url(#sand)" d="{sand_top}"/>
<path fill="none" stroke="{YELLOW[1]}" stroke-width="1" d="M52,44.8V52"/>
<path fill="url(#sand)" d="{sand_bottom}"/>
<rect x="42.5" y="30.5" width="19" height="3.5" rx="1" fill="url(#wood)" stroke="{WOOD[2]}" stroke-width="1"/>
<rect x="42.5" y="58" width="19" height="3.5" rx="1" fill="url(#wood)" stroke="{WOOD[2]}" stroke-width="1"/>"""
    return document(64, 64, "Options: computer running time", defs, body)


def saver():
    """The screensaver page's icon: a monitor with a night sky, drawn for 32 px."""
    # The screen's gradient in the picture's own units, so that the disc cutting the crescent matches it.
    defs = [gradient("metal", METAL), linear("screen", [(0, "#0c2358"), (1, "#2a56a8")], 0, 5.5, 0, 21.5, user=True),
            gradient("moon", YELLOW)]
    stars = sparkle(9, 10, 2.2) + sparkle(14.5, 16.5, 1.6) + sparkle(9.5, 18, 1.1) + sparkle(17, 9, 1.2)
    body = f"""<rect x="13.5" y="22" width="5" height="4" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="8.5" y="25.5" width="15" height="3" rx="1.5" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="1.5" y="3.5" width="29" height="20" rx="2" fill="url(#metal)" stroke="{METAL[2]}" stroke-width="1"/>
<rect x="3.5" y="5.5" width="25" height="16" fill="url(#screen)" stroke="#2d3238" stroke-width="1"/>
<circle cx="21.5" cy="12.5" r="5" fill="url(#moon)"/>
<circle cx="24.2" cy="10.6" r="4.3" fill="url(#screen)"/>
<path fill="#ffffff" d="{stars}"/>
<path fill="#ffffff" fill-opacity="0.12" d="M4,6H28V10C20,10 13,12 4,16Z"/>"""
    return document(32, 32, "Options: screensaver page", defs, body)


def main():
    write_all({"options_bigben.svg": bigben(), "options_chime.svg": chime(), "options_bell.svg": bell(),
               "options_timer.svg": timer(), "options_saver.svg": saver()})


if __name__ == "__main__":
    main()
