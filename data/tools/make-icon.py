#!/usr/bin/env python3
"""Draws the program icon: on a slate tile, a burst of sound (five rounded bars) followed by two
smaller, fainter copies of itself - its echoes.

Writes, next to this script's parent folder (data/):
  echobatch.svg                         the drawing as vectors
  echobatch.png                         256 x 256
  icons/hicolor/NxN/apps/echobatch.png  N = 16, 24, 32, 48, 64, 128, 256
Small sizes use three wider bars a burst so that they stay legible.

Usage: make-icon.py
"""

import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from imagefiles import png_bytes  # noqa: E402

UNITS = 256.0
TILE = (16.0, 16.0, 240.0, 240.0, 44.0)
TOP, BOTTOM = (63, 101, 135), (29, 49, 70)
AMBER = (255, 193, 94)
BURSTS = ((1.0, 1.0), (0.62, 0.65), (0.38, 0.35))  # (scale, opacity) of the sound and echoes
SIZES = (16, 24, 32, 48, 64, 128, 256)


def bars(small):
    """The bars as (x0, y0, x1, y1, radius, opacity) in icon units."""
    if small:
        profile, width, gap, height = (0.5, 1.0, 0.5), 22.0, 12.0, 168.0
    else:
        profile, width, gap, height = (0.35, 0.7, 1.0, 0.7, 0.35), 10.0, 6.0, 150.0
    burst_width = lambda s: (len(profile) * width + (len(profile) - 1) * gap) * s  # noqa: E731
    spacing = 16.0 if not small else 12.0
    total = sum(burst_width(s) for s, _ in BURSTS) + spacing * (len(BURSTS) - 1)
    x = (UNITS - total) / 2
    out = []
    for scale, opacity in BURSTS:
        w, g = width * scale, gap * scale
        for p in profile:
            h = max(height * scale * p, w)
            out.append((x, 128 - h / 2, x + w, 128 + h / 2, w / 2, opacity))
            x += w + g
        x += spacing - g
    return out


def inside_rrect(px, py, x0, y0, x1, y1, r):
    if px < x0 or px > x1 or py < y0 or py > y1:
        return False
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def render(size):
    ss = 4 if size >= 64 else 8  # subsamples per pixel side
    k = UNITS / size
    pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def paint(rect, colour_at, opacity):
        x0, y0, x1, y1, r = rect
        for py in range(max(0, int(y0 / k)), min(size, int(y1 / k) + 1)):
            for px in range(max(0, int(x0 / k)), min(size, int(x1 / k) + 1)):
                hits = 0
                for sy in range(ss):
                    for sx in range(ss):
                        ux = (px + (sx + 0.5) / ss) * k
                        uy = (py + (sy + 0.5) / ss) * k
                        hits += inside_rrect(ux, uy, x0, y0, x1, y1, r)
                if not hits:
                    continue
                a = opacity * hits / (ss * ss)
                colour = colour_at((py + 0.5) * k)
                dst = pixels[py * size + px]
                out_a = a + dst[3] * (1 - a)
                for i in range(3):
                    dst[i] = (colour[i] * a + dst[i] * dst[3] * (1 - a)) / out_a
                dst[3] = out_a

    def gradient(y):
        t = min(max((y - TILE[1]) / (TILE[3] - TILE[1]), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(TOP, BOTTOM))

    paint(TILE, gradient, 1.0)
    for x0, y0, x1, y1, r, opacity in bars(size <= 32):
        paint((x0, y0, x1, y1, r), lambda _y: AMBER, opacity)
    return [tuple(int(round(c)) for c in p[:3]) + (int(round(p[3] * 255)),) for p in pixels]


def svg():
    hexed = lambda c: "#%02x%02x%02x" % c  # noqa: E731
    x0, y0, x1, y1, r = TILE
    lines = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        '  <defs>',
        '    <linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">',
        '      <stop offset="0" stop-color="%s"/>' % hexed(TOP),
        '      <stop offset="1" stop-color="%s"/>' % hexed(BOTTOM),
        '    </linearGradient>',
        '  </defs>',
        '  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="url(#tile)"/>'
        % (x0, y0, x1 - x0, y1 - y0, r),
    ]
    for bx0, by0, bx1, by1, br, opacity in bars(False):
        lines.append('  <rect x="%.2f" y="%.2f" width="%.2f" height="%.2f" rx="%.2f" '
                     'fill="%s" fill-opacity="%g"/>'
                     % (bx0, by0, bx1 - bx0, by1 - by0, br, hexed(AMBER), opacity))
    lines.append('</svg>')
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 1:
        sys.exit(__doc__)
    data = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    with open(os.path.join(data, "echobatch.svg"), "w") as f:
        f.write(svg())
    for size in SIZES:
        png = png_bytes(size, size, render(size))
        folder = os.path.join(data, "icons", "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "echobatch.png"), "wb") as f:
            f.write(png)
        if size == 256:
            with open(os.path.join(data, "echobatch.png"), "wb") as f:
                f.write(png)


if __name__ == "__main__":
    main()
