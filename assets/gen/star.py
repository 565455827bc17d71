#!/usr/bin/env python3
"""Writes the golden four-pointed stars: star_dial.svg (the "Digitale" face), pointer_star.svg (its pointer) and
saver_star.svg (the screensaver's star around its display window).

Each star is a low pyramid: four arms, each split along its ridge into two flat facets, lit from above and a
little to the left, every facet shading from a pale centre to deeper gold at the point.
"""
import math
import sys

sys.dont_write_bytecode = True  # keep the assets folder free of caches
from svgkit import document, linear, num, poly, write_all  # noqa: E402

LIGHT = (-0.32, -0.78, 0.62)  # towards the light: left, up, out of the screen
# Gold by brightness, from the facet turned away from the light to the one facing it.
GOLD = [(0.0, (0x5e, 0x3c, 0x00)), (0.3, (0xa0, 0x6a, 0x00)), (0.55, (0xd8, 0x9e, 0x06)),
        (0.75, (0xf6, 0xc8, 0x2a)), (0.9, (0xff, 0xe4, 0x6e)), (1.0, (0xff, 0xf4, 0xb8))]
OUTLINE = "#4a2f00"


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def hexcolour(c):
    return "#%02x%02x%02x" % c


def gold(b):
    b = min(max(b, 0.0), 1.0)
    for (o0, c0), (o1, c1) in zip(GOLD, GOLD[1:]):
        if b <= o1:
            return mix(c0, c1, (b - o0) / (o1 - o0))
    return GOLD[-1][1]


def normalise(v):
    n = math.sqrt(sum(c * c for c in v))
    return tuple(c / n for c in v)


def brightness(centre, height, tip, inner):
    """Lambert shading of the plane through the raised centre and two points on the ground."""
    ax, ay, az = tip[0] - centre[0], tip[1] - centre[1], -height
    bx, by, bz = inner[0] - centre[0], inner[1] - centre[1], -height
    n = (ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx)
    if n[2] < 0:
        n = tuple(-c for c in n)
    n = normalise(n)
    light = normalise(LIGHT)
    return max(0.0, sum(n[i] * light[i] for i in range(3)))


class Star:
    """A four-pointed star: centre, the four points (top, right, bottom, left) and the four inner corners."""

    def __init__(self, centre, points, inner, height):
        self.centre, self.points, self.inner, self.height = centre, points, inner, height

    def outline(self):
        t, r, b, l = self.points
        i_tl, i_tr, i_br, i_bl = self.inner
        return [t, i_tr, r, i_br, b, i_bl, l, i_tl]

    def facets(self):
        """(point, inner corner) pairs: each facet is the triangle they make with the centre."""
        t, r, b, l = self.points
        i_tl, i_tr, i_br, i_bl = self.inner
        return [(t, i_tl), (t, i_tr), (r, i_tr), (r, i_br), (b, i_br), (b, i_bl), (l, i_bl), (l, i_tl)]


def wedge_minus_rect(centre, a, b, rect):
    """The triangle (centre, a, b) without the rectangle round the centre: a, b, where the sides leave the
    rectangle, and the rectangle's corners between them."""
    x0, y0, x1, y1 = rect
    cx, cy = centre

    def exit_point(p):
        dx, dy = p[0] - cx, p[1] - cy
        ts = []
        if dx:
            ts += [(x - cx) / dx for x in (x0, x1)]
        if dy:
            ts += [(y - cy) / dy for y in (y0, y1)]
        t = min(t for t in ts if t > 0)
        return cx + t * dx, cy + t * dy

    def angle(p):
        return math.atan2(p[1] - cy, p[0] - cx)

    def turn(p):
        """The signed angle from a's direction to p's, in (-pi, pi]."""
        d = (angle(p) - angle(a)) % (2 * math.pi)
        return d - 2 * math.pi if d > math.pi else d

    ea, eb = exit_point(a), exit_point(b)
    span = turn(b)
    corners = []
    for corner in ((x0, y0), (x1, y0), (x1, y1), (x0, y1)):
        d = turn(corner)
        if span and 0 < d / span < 1:  # on the same side as b, and not past it
            corners.append((abs(d), corner))
    between = [c for _, c in sorted(corners, reverse=True)]  # from b's side back to a's
    return [a, b, eb] + between + [ea]


def star_body(star, name, hole=None, outline_width=2.0, ridge_width=1.0, rays=0, centre_glow=0.4,
              tip_shade=0.08, skirt=0.0):
    """Defs and shapes of a faceted star; `hole` (x0, y0, x1, y1) is left clear in the middle."""
    cx, cy = star.centre
    defs, shapes = [], []
    # A base under the facets, so that their shared edges show gold rather than a seam of the ground.
    base_path = poly(star.outline())
    if hole is not None:
        x0, y0, x1, y1 = hole
        base_path += poly([(x0, y0), (x0, y1), (x1, y1), (x1, y0)])
    shapes.append(f'<path fill="{hexcolour(gold(0.6))}" fill-rule="evenodd" d="{base_path}"/>')
    for k, (tip, inner) in enumerate(star.facets()):
        b = brightness(star.centre, star.height, tip, inner)
        base = gold(b)
        # Both ends stay on the gold ramp, so that shaded facets keep their warmth instead of turning olive.
        pale = gold(b + centre_glow)
        deep = gold(b - tip_shade)
        gid = f"{name}F{k}"
        defs.append(linear(gid, [(0, hexcolour(pale)), (1, hexcolour(deep))], cx, cy, tip[0], tip[1], user=True))
        shape = [star.centre, tip, inner] if hole is None else wedge_minus_rect(star.centre, tip, inner, hole)
        shapes.append(f'<path fill="url(#{gid})" d="{poly(shape)}"/>')
    if rays:
        # Thin pale rays from the middle to the outer edges of the facets.
        ray_paths = []
        for tip, inner in star.facets():
            for j in range(1, rays + 1):
                f0 = (j - 0.12) / (rays + 1)
                f1 = (j + 0.12) / (rays + 1)
                e0 = (tip[0] + (inner[0] - tip[0]) * f0, tip[1] + (inner[1] - tip[1]) * f0)
                e1 = (tip[0] + (inner[0] - tip[0]) * f1, tip[1] + (inner[1] - tip[1]) * f1)
                shape = [star.centre, e0, e1] if hole is None else wedge_minus_rect(star.centre, e0, e1, hole)
                ray_paths.append(poly(shape))
        defs.append(f'<radialGradient id="{name}Rays" gradientUnits="userSpaceOnUse" cx="{num(cx)}" '
                    f'cy="{num(cy)}" r="{num(max(abs(p[0] - cx) + abs(p[1] - cy) for p in star.points))}">'
                    '<stop offset="0" stop-color="#ffffff" stop-opacity="0.55"/>'
                    '<stop offset="0.55" stop-color="#ffffff" stop-opacity="0.22"/>'
                    '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/></radialGradient>')
        shapes.append(f'<path fill="url(#{name}Rays)" d="{"".join(ray_paths)}"/>')
    # Ridges catch the light, the creases between the arms stay dark.
    ridges = []
    creases = []
    def start(end):
        """Where a line from the middle to `end` begins: the middle, or a little outside the hole, clear of
        it also with its width."""
        if hole is None:
            return cx, cy
        ex, ey = wedge_minus_rect(star.centre, end, end, hole)[2]
        length = math.hypot(end[0] - ex, end[1] - ey)
        return ex + (end[0] - ex) * 1.5 / length, ey + (end[1] - ey) * 1.5 / length

    for tip in star.points:
        ridges.append(poly([start(tip), tip], close=False))
    for inner in star.inner:
        creases.append(poly([start(inner), inner], close=False))
    shapes.append(f'<path fill="none" stroke="#fffbe6" stroke-opacity="0.75" stroke-width="{num(ridge_width)}" '
                  f'd="{"".join(ridges)}"/>')
    shapes.append(f'<path fill="none" stroke="{OUTLINE}" stroke-opacity="0.35" stroke-width="{num(ridge_width)}" '
                  f'd="{"".join(creases)}"/>')
    shapes.append(f'<path fill="none" stroke="{OUTLINE}" stroke-width="{num(outline_width)}" '
                  f'stroke-linejoin="miter" stroke-miterlimit="8" d="{poly(star.outline())}"/>')
    if skirt:
        # Under everything, the rim colour a little beyond the outline, for the pixels a window region takes
        # along a slanted edge.
        shapes.insert(0, f'<path fill="none" stroke="{OUTLINE}" stroke-width="{num(outline_width + 2 * skirt)}" '
                         f'stroke-linejoin="miter" stroke-miterlimit="8" d="{poly(star.outline())}"/>')
    return defs, shapes


# The "Digitale" face. The window's region is given from the outer corner of a framed window; with a frame 3 px
# wide and a title bar ending 21 px down the star's middle falls on the middle of the time panel, and every box
# of the face lies inside the star. In the picture: centre (97, 99), points at 100 px, inner corners at 35 px.
DIAL_W, DIAL_H = 200, 199
DIAL_CENTRE = (97, 99)


def dial_star():
    cx, cy = DIAL_CENTRE
    return Star((cx, cy), [(cx, cy - 100), (cx + 100, cy), (cx, cy + 100), (cx - 100, cy)],
                [(cx - 35, cy - 35), (cx + 35, cy - 35), (cx + 35, cy + 35), (cx - 35, cy + 35)], height=38)


def star_dial():
    star = dial_star()
    defs, shapes = star_body(star, "d", outline_width=2.0, ridge_width=1.0, rays=2, centre_glow=0.3,
                               skirt=0.75)
    body = "\n".join(shapes)
    return document(DIAL_W, DIAL_H, "Digitale: golden four-pointed star dial", defs, body)


def pointer_star():
    # Points at 15 px from the middle of pixel (15, 15), the hot spot; a dark rim keeps it visible on gold.
    c = 15.5
    star = Star((c, c), [(c, c - 15), (c + 15, c), (c, c + 15), (c - 15, c)],
                [(c - 4.5, c - 4.5), (c + 4.5, c - 4.5), (c + 4.5, c + 4.5), (c - 4.5, c + 4.5)], height=7)
    defs, shapes = star_body(star, "p", outline_width=1.0, ridge_width=0.6, centre_glow=0.25)
    halo = (f'<path fill="none" stroke="#ffffff" stroke-opacity="0.8" stroke-width="1" stroke-linejoin="miter" '
            f'stroke-miterlimit="10" d="{poly(star.outline())}" transform="translate(0 0)"/>')
    hub = (f'<circle cx="{num(c)}" cy="{num(c)}" r="2.2" fill="{OUTLINE}"/>'
           f'<circle cx="{num(c)}" cy="{num(c)}" r="1" fill="#fff4b8"/>')
    return document(32, 32, "Pointer over the Digitale face", defs, halo + "\n" + "\n".join(shapes) + "\n" + hub)


# The screensaver's star: 507 x 567, its arms meeting round the display panel the program paints at
# x 105..401, y 260..348 of this picture, which is left clear and outlined in black.
SAVER_W, SAVER_H = 507, 567
SAVER_HOLE = (105, 260, 401, 348)


def saver_star():
    cx, cy = 253, 304
    a = 90
    star = Star((cx, cy), [(cx, 1), (SAVER_W - 1, cy), (cx, SAVER_H - 1), (1, cy)],
                [(cx - a, cy - a), (cx + a, cy - a), (cx + a, cy + a), (cx - a, cy + a)], height=120)
    defs, shapes = star_body(star, "s", hole=SAVER_HOLE, outline_width=2.0, ridge_width=1.5, rays=3,
                             centre_glow=0.35)
    x0, y0, x1, y1 = SAVER_HOLE
    frame = (f'<path fill="none" stroke="#000000" stroke-width="2" '
             f'd="M{x0 - 1},{y0 - 1}H{x1 + 1}V{y1 + 1}H{x0 - 1}Z"/>')
    return document(SAVER_W, SAVER_H, "Screensaver: golden star round the display window", defs,
                    "\n".join(shapes) + "\n" + frame)


def main():
    write_all({"star_dial.svg": star_dial(), "pointer_star.svg": pointer_star(), "saver_star.svg": saver_star()})


if __name__ == "__main__":
    main()
