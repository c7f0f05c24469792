#!/usr/bin/env python3
"""Writes small TrueType fonts that exercise the canvas's font reader: simple
and composite glyphs, every coordinate and flag encoding, short and long
location tables, character-map formats 0, 4 and 12, and a few broken ones.

    make_fonts.py <corpus folder> <test data folder>

They seed the font fuzz target and serve as the unit tests' small fonts."""
import os
import struct
import sys

ON = 1


def simple_glyph(contours, instructions=b"", compress=True):
    """contours: lists of (x, y, on_curve)."""
    points = [p for c in contours for p in c]
    xs = [p[0] for p in points] or [0]
    ys = [p[1] for p in points] or [0]
    out = struct.pack(">hhhhh", len(contours), min(xs), min(ys), max(xs), max(ys))
    end = -1
    for c in contours:
        end += len(c)
        out += struct.pack(">H", end)
    out += struct.pack(">H", len(instructions)) + instructions
    flags, xdata, ydata = [], b"", b""
    px = py = 0
    for x, y, on in points:
        flag = ON if on else 0
        for delta, short, same, axis in ((x - px, 2, 16, "x"), (y - py, 4, 32, "y")):
            if compress and delta == 0:
                flag |= same
                data = b""
            elif compress and -255 <= delta <= 255:
                flag |= short | (same if delta > 0 else 0)
                data = bytes([abs(delta)])
            else:
                data = struct.pack(">h", delta)
            if axis == "x":
                xdata += data
            else:
                ydata += data
        flags.append(flag)
        px, py = x, y
    encoded = b""
    i = 0
    while i < len(flags):
        run = 1
        while compress and i + run < len(flags) and flags[i + run] == flags[i] and run < 256:
            run += 1
        if run > 1:
            encoded += bytes([flags[i] | 8, run - 1])
        else:
            encoded += bytes([flags[i]])
        i += run
    return out + encoded + xdata + ydata


def composite_glyph(components):
    """components: (glyph, dx, dy, transform, extra_flags); transform is None,
    a scale, (x scale, y scale) or a 2x2 tuple of four values."""
    out = struct.pack(">hhhhh", -1, 0, 0, 0, 0)
    for i, (glyph, dx, dy, transform, extra) in enumerate(components):
        flags = 2 | extra
        if i + 1 < len(components):
            flags |= 32
        words = not (-128 <= dx <= 127 and -128 <= dy <= 127)
        if words:
            flags |= 1
        tail = b""
        if isinstance(transform, float):
            flags |= 8
            tail = struct.pack(">h", int(transform * 16384))
        elif isinstance(transform, tuple) and len(transform) == 2:
            flags |= 64
            tail = struct.pack(">hh", *(int(v * 16384) for v in transform))
        elif isinstance(transform, tuple):
            flags |= 128
            tail = struct.pack(">hhhh", *(int(v * 16384) for v in transform))
        if extra & 0x8000:  # arguments are point numbers: leave flag 2 clear
            flags &= ~2
            flags &= ~0x8000
        args = struct.pack(">hh", dx, dy) if words else struct.pack(">bb", dx, dy)
        out += struct.pack(">HH", flags, glyph) + args + tail
    return out


def cmap_format_0(mapping):
    table = bytearray(256)
    for code, glyph in mapping.items():
        if code < 256:
            table[code] = glyph
    return struct.pack(">HHH", 0, 262, 0) + bytes(table)


def cmap_format_4(mapping, use_ranges=False):
    codes = sorted(c for c in mapping if c < 0xFFFF)
    segments = []
    for code in codes:
        if segments and code == segments[-1][1] + 1:
            segments[-1][1] = code
        else:
            segments.append([code, code])
    segments.append([0xFFFF, 0xFFFF])
    count = len(segments)
    ends = b"".join(struct.pack(">H", e) for _, e in segments)
    starts = b"".join(struct.pack(">H", s) for s, _ in segments)
    deltas, offsets, glyph_ids = b"", b"", b""
    for i, (s, e) in enumerate(segments):
        if s == 0xFFFF:
            deltas += struct.pack(">H", 1)
            offsets += struct.pack(">H", 0)
        elif use_ranges:
            deltas += struct.pack(">H", 0)
            offset = 2 * (count - i) + len(glyph_ids)
            offsets += struct.pack(">H", offset)
            glyph_ids += b"".join(struct.pack(">H", mapping[c]) for c in range(s, e + 1))
        else:
            deltas += struct.pack(">H", (mapping[s] - s) & 0xFFFF)
            offsets += struct.pack(">H", 0)
    body = ends + b"\0\0" + starts + deltas + offsets + glyph_ids
    return struct.pack(">HHHHHHH", 4, 14 + len(body), 0, 2 * count, 0, 0, 0) + body


def cmap_format_12(mapping):
    groups = []
    for code in sorted(mapping):
        glyph = mapping[code]
        if groups and code == groups[-1][1] + 1 and glyph == groups[-1][2] + code - groups[-1][0]:
            groups[-1][1] = code
        else:
            groups.append([code, code, glyph])
    body = b"".join(struct.pack(">III", *g) for g in groups)
    return struct.pack(">HHIII", 12, 0, 16 + len(body), 0, len(groups)) + body


def cmap_table(subtables):
    """subtables: (platform, encoding, bytes)."""
    header = struct.pack(">HH", 0, len(subtables))
    offset = 4 + 8 * len(subtables)
    records, data = b"", b""
    for platform, encoding, table in subtables:
        records += struct.pack(">HHI", platform, encoding, offset + len(data))
        data += table
    return header + records + data


def build_font(glyphs, advances, cmap, units=1000, ascender=800, descender=-200, long_loca=False,
               metrics=None, bearings=None, version=0x00010000, drop=(), extra=()):
    glyf, offsets = b"", []
    for g in glyphs:
        offsets.append(len(glyf))
        glyf += g
        if len(glyf) % 2:
            glyf += b"\0"
    offsets.append(len(glyf))
    if long_loca:
        loca = b"".join(struct.pack(">I", o) for o in offsets)
    else:
        loca = b"".join(struct.pack(">H", o // 2) for o in offsets)
    metrics = len(glyphs) if metrics is None else metrics
    # Real fonts give each glyph its xMin as left side bearing.
    bearings = bearings or [struct.unpack(">h", g[2:4])[0] if len(g) >= 4 else 0 for g in glyphs]
    hmtx = b"".join(struct.pack(">Hh", advances[i], bearings[i]) for i in range(metrics))
    hmtx += b"".join(struct.pack(">h", bearings[i]) for i in range(metrics, len(glyphs)))
    head = struct.pack(">IIIIHH", 0x00010000, 0, 0, 0x5F0F3CF5, 0, units) + b"\0" * 16
    head += struct.pack(">hhhhHHhhh", 0, descender, max(advances), ascender, 0, 8, 2, 1 if long_loca else 0, 0)
    hhea = struct.pack(">I", 0x00010000) + struct.pack(">hhh", ascender, descender, 0) + b"\0" * 24
    hhea += struct.pack(">H", metrics)
    maxp = struct.pack(">IH", 0x00005000, len(glyphs))
    os2 = bytearray(78)
    struct.pack_into(">hh", os2, 68, ascender, descender)
    tables = {b"cmap": cmap, b"glyf": glyf, b"head": head, b"hhea": hhea, b"hmtx": hmtx, b"loca": loca,
              b"maxp": maxp, b"OS/2": bytes(os2)}
    for tag in drop:
        del tables[tag]
    entries = sorted(tables.items()) + list(extra)
    offset = 12 + 16 * len(entries)
    directory, data = b"", b""
    for tag, table in entries:
        directory += tag + struct.pack(">III", 0, offset + len(data), len(table))
        data += table + b"\0" * (-len(table) % 4)
    header = struct.pack(">IHHHH", version, len(entries), 0, 0, 0)
    return header + directory + data


# Glyph 0 is the missing-glyph box; glyph 1 a square; glyph 2 a ring of
# quadratics that starts and ends off the curve; glyph 3 a triangle; glyph 4 a
# composite of the square and the triangle; glyph 5 a space.
BOX = [[(50, 0, 1), (450, 0, 1), (450, 700, 1), (50, 700, 1)], [(100, 50, 1), (100, 650, 1), (400, 650, 1),
                                                              (400, 50, 1)]]
SQUARE = [[(100, 0, 1), (500, 0, 1), (500, 400, 1), (100, 400, 1)]]
RING = [[(300, 0, 0), (550, 0, 0), (550, 250, 1), (550, 500, 0), (300, 500, 0), (50, 500, 0), (50, 250, 1),
         (50, 0, 0)]]
TRIANGLE = [[(0, 0, 1), (600, 0, 1), (300, 520, 1)]]


def base_glyphs(compress=True):
    return [simple_glyph(BOX, compress=compress), simple_glyph(SQUARE, compress=compress),
            simple_glyph(RING, compress=compress), simple_glyph(TRIANGLE, compress=compress),
            composite_glyph([(1, 0, 0, None, 0), (3, 700, -10, None, 0)]), b""]


MAPPING = {ord("A"): 1, ord("B"): 2, ord("C"): 3, ord("D"): 4, ord(" "): 5, 0x20AC: 2, 0x1F600: 3}
ADVANCES = [600, 640, 660, 680, 1400, 300]


def fonts():
    f4 = cmap_format_4(MAPPING)
    f12 = cmap_format_12(MAPPING)
    yield "basic", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]))
    yield "uncompressed", build_font(base_glyphs(False), ADVANCES, cmap_table([(3, 1, f4)]))
    yield "long_loca", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]), long_loca=True)
    yield "ranges", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, cmap_format_4(MAPPING, True))]))
    yield "format_12", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4), (3, 10, f12)]))
    yield "format_0", build_font(base_glyphs(), ADVANCES, cmap_table([(1, 0, cmap_format_0(MAPPING))]))
    yield "true_tag", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]), version=0x74727565)
    yield "few_metrics", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]), metrics=2,
                                    bearings=[0, 100, 50, 0, 0, 0])
    yield "units_2048", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]), units=2048)
    yield "zero_units", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]), units=0)
    yield "flat_line_box", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]), ascender=0,
                                      descender=0)
    transforms = composite_glyph([(1, 0, 0, 0.5, 0), (2, 300, 300, (0.5, 1.5), 0),
                                  (3, -20, 600, (0.7, 0.2, -0.2, 0.7), 0)])
    glyphs = base_glyphs()
    glyphs[4] = transforms
    yield "transforms", build_font(glyphs, ADVANCES, cmap_table([(3, 1, f4)]))
    glyphs = base_glyphs()
    glyphs[4] = composite_glyph([(1, 0, 0, None, 0), (3, 2, 5, None, 0x8000)])
    yield "point_matching", build_font(glyphs, ADVANCES, cmap_table([(3, 1, f4)]))
    glyphs = base_glyphs()
    glyphs[4] = composite_glyph([(4, 10, 10, None, 0), (1, 0, 0, None, 0)])
    yield "self_reference", build_font(glyphs, ADVANCES, cmap_table([(3, 1, f4)]))
    glyphs = base_glyphs()
    glyphs[3] = glyphs[3][:10] + struct.pack(">H", 65000) + glyphs[3][12:]
    yield "cut_outline", build_font(glyphs, ADVANCES, cmap_table([(3, 1, f4)]))
    glyphs = base_glyphs()
    glyphs[3] = struct.pack(">hhhhh", 2, 0, 0, 600, 520) + struct.pack(">HH", 2, 1) + glyphs[3][12:]
    yield "backward_contours", build_font(glyphs, ADVANCES, cmap_table([(3, 1, f4)]))
    yield "no_os2", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]), drop=[b"OS/2"])
    yield "bad_cmap_offset", build_font(base_glyphs(), ADVANCES,
                                        struct.pack(">HHHHI", 0, 1, 3, 1, 0x7FFFFFF0))
    yield "repeated_table", build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]),
                                       extra=[(b"glyf", simple_glyph(SQUARE))])
    wide = [simple_glyph([[(0, 0, 1), (30000, 0, 1), (0, 30000, 0), (-30000, 2000, 1)]])]
    yield "huge_coordinates", build_font(wide + base_glyphs()[1:], ADVANCES, cmap_table([(3, 1, f4)]))
    many = simple_glyph([[(i * 7 % 600, (i * 13) % 700, i % 3 != 0) for i in range(300)]])
    glyphs = base_glyphs()
    glyphs[2] = many
    yield "many_points", build_font(glyphs, ADVANCES, cmap_table([(3, 1, f4)]))
    # Composites that fan out: thousands of records naming their own glyph,
    # each record refused once the nesting is too deep; and a few records
    # over a square, each level multiplying the outlines drawn.
    glyphs = base_glyphs()
    glyphs[4] = composite_glyph([(4, 0, 0, None, 0)] * 4000)
    yield "fanned_composite", build_font(glyphs, ADVANCES, cmap_table([(3, 1, f4)]))
    glyphs = base_glyphs()
    glyphs[4] = composite_glyph([(4, 1, 1, None, 0)] * 6 + [(1, 0, 0, None, 0)])
    yield "nested_squares", build_font(glyphs, ADVANCES, cmap_table([(3, 1, f4)]))
    basic = build_font(base_glyphs(), ADVANCES, cmap_table([(3, 1, f4)]))
    yield "truncated", basic[: len(basic) // 2]
    yield "header_only", basic[:12]
    yield "empty_directory", struct.pack(">IHHHH", 0x00010000, 0, 0, 0, 0)


def main():
    corpus, data = sys.argv[1], sys.argv[2]
    os.makedirs(corpus, exist_ok=True)
    os.makedirs(data, exist_ok=True)
    for name, font in fonts():
        with open(os.path.join(corpus, name + ".ttf"), "wb") as out:
            out.write(font)
        with open(os.path.join(data, name + ".ttf"), "wb") as out:
            out.write(font)


if __name__ == "__main__":
    main()
