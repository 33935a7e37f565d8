#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes an SVG logo of N closed paths (default 2000): curves, strokes and fills on a 1200 x 800 page."""
import math
import random
import sys

count = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
rng = random.Random(11)
out = ['<svg xmlns="http://www.w3.org/2000/svg" width="1200" height="800" viewBox="0 0 1200 800">']
for i in range(count):
    cx, cy, r = rng.uniform(0, 1200), rng.uniform(0, 800), rng.uniform(4, 40)
    points = []
    for k in range(6):
        a = k * math.pi / 3 + rng.uniform(-0.3, 0.3)
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    d = "M%.1f %.1f" % points[0]
    for k in range(1, 6):
        (x0, y0), (x1, y1) = points[k - 1], points[k]
        d += " Q%.1f %.1f %.1f %.1f" % ((x0 + x1) / 2 + rng.uniform(-8, 8), (y0 + y1) / 2 + rng.uniform(-8, 8), x1, y1)
    grey = rng.randrange(0, 200)
    out.append('<path d="%s Z" fill="rgb(%d,%d,%d)" stroke="black" stroke-width="%.1f"/>' % (d, grey, grey, grey, rng.uniform(0.5, 3)))
out.append("</svg>")
open(sys.argv[1], "w").write("\n".join(out) + "\n")
