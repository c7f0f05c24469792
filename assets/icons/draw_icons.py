#!/usr/bin/env python3
"""Draws the installer's four 18 x 18 icons as grey-plus-alpha PNGs.

The renderer tints icons when it draws them, so only the alpha channel
carries the shape; grey is white throughout. Edges are anti-aliased by
counting covered points on a 16 x 16 grid inside each pixel. Run it from
anywhere; it rewrites the PNGs next to itself. Needs only the standard
library, so the output does not depend on an imaging package's version.
"""
import math
import os
import struct
import zlib

SIZE = 18
GRID = 16


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def strokes(segments, width):
    """Round-capped strokes along the given segments."""
    half = width / 2
    return lambda x, y: any(segment_distance(x, y, *s) <= half for s in segments)


def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        s = (side(a, b, x, y), side(b, c, x, y), side(c, a, x, y))
        return all(v >= 0 for v in s) or all(v <= 0 for v in s)

    return inside


ICONS = {
    "close": strokes([(4.5, 4.5, 13.5, 13.5), (13.5, 4.5, 4.5, 13.5)], 2.2),
    "check": strokes([(3.5, 9.5, 7.5, 13.5), (7.5, 13.5, 14.5, 4.5)], 2.2),
    "collapsed": triangle((6.0, 3.5), (13.0, 9.0), (6.0, 14.5)),
    "expanded": triangle((3.5, 6.0), (14.5, 6.0), (9.0, 13.0)),
}


def coverage(shape):
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            hits = sum(
                shape(px + (i + 0.5) / GRID, py + (j + 0.5) / GRID)
                for j in range(GRID)
                for i in range(GRID)
            )
            row.append(round(255 * hits / (GRID * GRID)))
        rows.append(row)
    return rows


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png_grey_alpha(alpha_rows):
    raw = b"".join(
        b"\x00" + bytes(v for a in row for v in (255, a)) for row in alpha_rows
    )
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 4, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", header)
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, shape in ICONS.items():
        with open(os.path.join(here, name + ".png"), "wb") as f:
            f.write(png_grey_alpha(coverage(shape)))


if __name__ == "__main__":
    main()
