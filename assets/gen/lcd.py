#!/usr/bin/env python3
"""Writes the liquid-crystal digit pictures lcd_large_*.svg and lcd_small_*.svg into the assets folder.

One segment design drawn at two sizes: the horizontal edges are placed on whole pixels for each size, so both
stay crisp at 100 %, while slant, stroke and gap keep the same proportions.
"""
import math
import os
import sys

SLANT = math.tan(math.radians(5.0))
INK = "#1f2619"
LIT_OPACITY = 0.9
GHOST_OPACITY = 0.06
SHADOW_OPACITY = 0.10

# Which segments each digit lights: a top, b upper right, c lower right, d bottom, e lower left, f upper left, g middle.
DIGITS = {
    "0": "abcdef", "1": "bc", "2": "abdeg", "3": "abcdg", "4": "bcfg",
    "5": "acdfg", "6": "acdefg", "7": "abc", "8": "abcdefg", "9": "abcdfg",
}


class Size:
    def __init__(self, name, width, height, top, bottom, stroke, mid_top, body_width, left, gap, shadow,
                 one_width, seven_width):
        self.name, self.width, self.height = name, width, height
        self.top, self.bottom, self.stroke, self.mid_top = top, bottom, stroke, mid_top
        self.body_width, self.left, self.gap, self.shadow = body_width, left, gap, shadow
        self.one_width, self.seven_width = one_width, seven_width


# Large: 57 px tall body, 7 px strokes; small: the same proportions on 26 px with 3 px strokes.
LARGE = Size("large", 52, 59, top=1, bottom=58, stroke=7, mid_top=25, body_width=44.5, left=1.0, gap=1.3,
             shadow=0.9, one_width=36, seven_width=53)
SMALL = Size("small", 25, 28, top=1, bottom=27, stroke=3, mid_top=12, body_width=20.3, left=0.75, gap=0.9,
             shadow=0.5, one_width=17, seven_width=25)


def segments(size):
    """Hexagons of the seven segments in the upright (unslanted) frame, x from the body's left edge."""
    t = size.stroke
    h = t / 2.0
    d = size.gap / math.sqrt(2.0)
    left_axis, right_axis = h, size.body_width - h
    top_axis, mid_axis, bottom_axis = size.top + h, size.mid_top + h, size.bottom - h

    def horizontal(y, x0, x1):
        return [(x0 + d, y), (x0 + d + h, y - h), (x1 - d - h, y - h), (x1 - d, y), (x1 - d - h, y + h),
                (x0 + d + h, y + h)]

    def vertical(x, y0, y1):
        return [(x, y0 + d), (x + h, y0 + d + h), (x + h, y1 - d - h), (x, y1 - d), (x - h, y1 - d - h),
                (x - h, y0 + d + h)]

    return {
        "a": horizontal(top_axis, left_axis, right_axis),
        "g": horizontal(mid_axis, left_axis, right_axis),
        "d": horizontal(bottom_axis, left_axis, right_axis),
        "f": vertical(left_axis, top_axis, mid_axis),
        "b": vertical(right_axis, top_axis, mid_axis),
        "e": vertical(left_axis, mid_axis, bottom_axis),
        "c": vertical(right_axis, mid_axis, bottom_axis),
    }


def slanted(points, size, shift):
    return [(x + size.left + shift + SLANT * (size.bottom - y), y) for x, y in points]


def path(points):
    def num(v):
        text = f"{v:.2f}".rstrip("0").rstrip(".")
        return "0" if text == "-0" else text
    return "M" + " ".join(f"{num(x)},{num(y)}" for x, y in points) + "Z"


def picture(size, digit):
    width = size.width
    shift = 0.0
    if digit == "1":
        # The 1 keeps only the right-hand column, at the right edge of its narrower picture.
        width = size.one_width
        shift = size.one_width - size.width
    elif digit == "7":
        width = size.seven_width
    lit = DIGITS[digit]
    shapes = segments(size)
    names = "afbgecd"
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
           f'width="{width}" height="{size.height}" viewBox="0 0 {width} {size.height}">',
           f"<title>Liquid-crystal digit {digit}, {size.name}</title>",
           f'<g fill="{INK}">']
    if digit != "1":
        ghosts = [path(slanted(shapes[n], size, shift)) for n in names if n not in lit]
        if ghosts:
            out.append(f'<path fill-opacity="{GHOST_OPACITY}" d="{"".join(ghosts)}"/>')
    lit_path = "".join(path(slanted(shapes[n], size, shift)) for n in names if n in lit)
    # The segments' faint shadow on the reflector behind the liquid crystal, as on real reflective displays.
    out.append(f'<path fill-opacity="{SHADOW_OPACITY}" transform="translate({size.shadow} {size.shadow})" '
               f'd="{lit_path}"/>')
    out.append(f'<path fill-opacity="{LIT_OPACITY}" d="{lit_path}"/>')
    out.append("</g>")
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for size in (LARGE, SMALL):
        for digit in DIGITS:
            with open(os.path.join(folder, f"lcd_{size.name}_{digit}.svg"), "w", encoding="utf-8") as f:
                f.write(picture(size, digit))


if __name__ == "__main__":
    main()
