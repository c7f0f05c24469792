#!/usr/bin/python3
"""Builds the PNG decoding corpus under data/png and ImageMagick's own RGBA
decode of every image beside it, so the tests compare against a decoder that
is not ours without needing ImageMagick themselves.

Hand-built images (Python's zlib, our own chunk writer) cover every colour
type and bit depth, tRNS, each filter, IDAT splits and odd widths; a second
set comes straight from ImageMagick's encoder. data/png/manifest.txt lists
"decode <name> <w> <h>" or "reject <name>" per image.

Run: /usr/bin/python3 tests/surf/make_png_corpus.py  (needs imagemagick)
"""
import os
import random
import struct
import subprocess
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "png")
CONVERT = "/usr/bin/convert"
rng = random.Random(1252)


def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data)
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc & 0xFFFFFFFF)


def ihdr(w, h, depth, ctype):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, ctype, 0, 0, 0))


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_rows(rows, bpp, filters):
    """Applies filter filters[y % len] to each row; returns the raw stream."""
    out = bytearray()
    prev = bytes(len(rows[0]))
    for y, row in enumerate(rows):
        f = filters[y % len(filters)]
        out.append(f)
        for i, x in enumerate(row):
            a = row[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            pred = [0, a, b, (a + b) // 2, paeth(a, b, c)][f]
            out.append((x - pred) & 0xFF)
        prev = row
    return bytes(out)


def pack_samples(samples, depth):
    """Packs sub-byte samples most significant first; a row ends on a byte."""
    if depth == 8:
        return bytes(samples)
    out, acc, n = bytearray(), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        n += depth
        if n == 8:
            out.append(acc)
            acc, n = 0, 0
    if n:
        out.append(acc << (8 - n))
    return bytes(out)


def png(w, h, depth, ctype, rows, filters=(0, 1, 2, 3, 4), extra=b"", split=None, level=9,
        adler_bad=False, crc_bad=False):
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    bpp = max(1, depth * channels // 8)
    stream = zlib.compress(filter_rows(rows, bpp, filters), level)
    if adler_bad:
        stream = stream[:-4] + bytes(b ^ 0x5A for b in stream[-4:])
    parts = [stream] if not split else [stream[i:i + split] for i in range(0, len(stream), split)]
    idats = b"".join(chunk(b"IDAT", p, 0xDEADBEEF if crc_bad else None) for p in parts)
    return b"\x89PNG\r\n\x1a\n" + ihdr(w, h, depth, ctype) + extra + idats + chunk(b"IEND", b"")


def random_rows(w, h, channels, depth=8):
    rows = []
    for y in range(h):
        if y % 3 == 2:  # some flat rows so every filter sees runs as well as noise
            samples = [(y * 7) % (1 << depth)] * (w * channels)
        else:
            samples = [rng.randrange(1 << depth) for _ in range(w * channels)]
        rows.append(pack_samples(samples, depth))
    return rows


def palette(n):
    return chunk(b"PLTE", bytes(rng.randrange(256) for _ in range(3 * n)))


manifest = []


def write(name, data):
    with open(os.path.join(OUT, name + ".png"), "wb") as f:
        f.write(data)


def decodes(name, data, stored=None):
    """Records ImageMagick's decode of data; the corpus keeps `stored` instead
    when given (a variant ImageMagick refuses, such as a broken checksum)."""
    write(name, data)
    path = os.path.join(OUT, name)
    size = subprocess.check_output(["/usr/bin/identify", "-format", "%w %h", path + ".png"]).decode().split()
    subprocess.check_call([CONVERT, path + ".png", "-depth", "8", "rgba:" + path + ".rgba"])
    manifest.append("decode %s %s %s" % (name, size[0], size[1]))
    if stored is not None:
        write(name, stored)


def rejects(name, data):
    write(name, data)
    manifest.append("reject " + name)


def hand_built():
    for w, h in ((1, 1), (13, 7), (37, 19)):
        tag = "%dx%d" % (w, h)
        decodes("grey8_" + tag, png(w, h, 8, 0, random_rows(w, h, 1)))
        decodes("greyalpha8_" + tag, png(w, h, 8, 4, random_rows(w, h, 2)))
        decodes("rgb8_" + tag, png(w, h, 8, 2, random_rows(w, h, 3)))
        decodes("rgba8_" + tag, png(w, h, 8, 6, random_rows(w, h, 4)))
        for depth in (1, 2, 4, 8):
            n = 1 << depth
            decodes("pal%d_%s" % (depth, tag), png(w, h, depth, 3, random_rows(w, h, 1, depth), extra=palette(n)))
            trns = chunk(b"tRNS", bytes(rng.randrange(256) for _ in range(max(1, n // 2))))
            decodes("pal%d_trns_%s" % (depth, tag),
                    png(w, h, depth, 3, random_rows(w, h, 1, depth), extra=palette(n) + trns))
    # Colour-key transparency: the key value occurs in the image.
    rows = [bytes([10, 20, 10, 200, 10]) for _ in range(3)]
    decodes("grey8_trns", png(5, 3, 8, 0, rows, extra=chunk(b"tRNS", b"\x00\x0a")))
    rows = [bytes([1, 2, 3, 4, 5, 6, 1, 2, 3, 1, 2, 4]) for _ in range(2)]
    decodes("rgb8_trns", png(4, 2, 8, 2, rows, extra=chunk(b"tRNS", b"\x00\x01\x00\x02\x00\x03")))
    # Each filter alone over the whole image.
    for f in range(5):
        decodes("rgba8_filter%d" % f, png(23, 11, 8, 6, random_rows(23, 11, 4), filters=(f,)))
        decodes("pal4_filter%d" % f, png(29, 9, 4, 3, random_rows(29, 9, 1, 4), filters=(f,), extra=palette(16)))
    # Few distinct values make the Paeth predictor's ties common.
    rows = [bytes(rng.choice((0, 2, 4, 6)) for _ in range(3 * 40)) for _ in range(20)]
    decodes("rgb8_paeth_ties", png(40, 20, 8, 2, rows, filters=(4,)))
    # The stream spread over many IDAT chunks, down to one byte each.
    decodes("rgb8_split7", png(31, 17, 8, 2, random_rows(31, 17, 3), split=7))
    decodes("greyalpha8_split1", png(18, 18, 8, 4, random_rows(18, 18, 2), split=1))
    # Stored and fixed-code deflate as well as dynamic codes.
    decodes("rgba8_stored", png(21, 5, 8, 6, random_rows(21, 5, 4), level=0))
    decodes("grey8_level1", png(33, 12, 8, 0, random_rows(33, 12, 1), level=1))
    # Checksums are not verified.
    rows = random_rows(9, 4, 3)
    decodes("rgb8_badcrc", png(9, 4, 8, 2, rows), stored=png(9, 4, 8, 2, rows, crc_bad=True))
    decodes("rgb8_badadler", png(9, 4, 8, 2, rows), stored=png(9, 4, 8, 2, rows, adler_bad=True))
    # Ancillary chunks before and between the needed ones are skipped.
    text = chunk(b"tEXt", b"Comment\x00hello")
    decodes("pal8_text", png(6, 6, 8, 3, random_rows(6, 6, 1), extra=text + palette(256) + text))

    # Rejections.
    good = png(8, 8, 8, 6, random_rows(8, 8, 4))
    rejects("bad_signature", b"\x89PNG\r\n\x1a\x0b" + good[8:])
    rejects("grey2", png(16, 4, 2, 0, random_rows(16, 4, 1, 2)))
    rejects("grey4", png(16, 4, 4, 0, random_rows(16, 4, 1, 4)))
    rejects("no_idat", b"\x89PNG\r\n\x1a\n" + ihdr(8, 8, 8, 6) + chunk(b"IEND", b""))
    rejects("no_plte", png(8, 8, 8, 3, random_rows(8, 8, 1)))
    rejects("index_past_palette", png(4, 1, 8, 3, [bytes([0, 1, 2, 3])], extra=palette(3)))
    rejects("colour_type5", b"\x89PNG\r\n\x1a\n" + ihdr(4, 4, 8, 5) + chunk(b"IDAT", zlib.compress(bytes(20))))
    rejects("zero_width", b"\x89PNG\r\n\x1a\n" + ihdr(0, 4, 8, 6) + chunk(b"IDAT", zlib.compress(b"")))
    rejects("huge_size", b"\x89PNG\r\n\x1a\n" + ihdr(0x7FFFFFFF, 0x7FFFFFFF, 8, 6) + chunk(b"IDAT", zlib.compress(bytes(9))))
    rejects("overflow_size", b"\x89PNG\r\n\x1a\n" + ihdr(46341, 11586, 8, 6) + chunk(b"IDAT", zlib.compress(bytes(9))))
    rejects("bad_filter", b"\x89PNG\r\n\x1a\n" + ihdr(2, 1, 8, 0) + chunk(b"IDAT", zlib.compress(b"\x05\x01\x02")) + chunk(b"IEND", b""))
    rejects("preset_dictionary", good[:33 + 8] + b"\x78\xbb" + good[33 + 10:])
    rejects("truncated_stream", png(8, 8, 8, 6, random_rows(8, 8, 4))[:60])


def from_imagemagick():
    def im(name, args, prefix=""):
        path = os.path.join(OUT, name + ".png")
        subprocess.check_call([CONVERT] + args + [prefix + path])
        with open(path, "rb") as f:
            return f.read()

    plasma = ["-seed", "7", "-size", "45x27", "plasma:fractal", "-depth", "8"]
    decodes("im_rgb", im("im_rgb", plasma + ["-define", "png:color-type=2"]))
    decodes("im_rgba", im("im_rgba", plasma + ["-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel",
                                                "-define", "png:color-type=6"]))
    decodes("im_grey", im("im_grey", plasma + ["-colorspace", "gray", "-define", "png:color-type=0",
                                                "-define", "png:bit-depth=8"]))
    decodes("im_greyalpha", im("im_greyalpha", plasma + ["-colorspace", "gray", "-alpha", "set", "-channel", "A",
                                                          "-fx", "j/h", "+channel", "-define", "png:color-type=4"]))
    # ImageMagick picks the palette depth itself (sub-byte for few colours).
    for colours, depth in ((2, 1), (4, 2), (16, 4), (200, 8)):
        name = "im_pal_%dcolours" % colours
        decodes(name, im(name, plasma + ["-quiet", "-colors", str(colours), "-define", "png:color-type=3",
                                         "-define", "png:bit-depth=%d" % depth]))
    decodes("im_pal8_trns", im("im_pal8_trns", plasma + ["-alpha", "set", "-channel", "A", "-fx", "i<20?0:1",
                                                         "+channel", "-colors", "60", "-define", "png:color-type=3"]))
    rejects("im_interlaced", im("im_interlaced", plasma + ["-interlace", "PNG"]))
    rejects("im_16bit", im("im_16bit", plasma, "PNG48:"))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        os.remove(os.path.join(OUT, old))
    hand_built()
    from_imagemagick()
    with open(os.path.join(OUT, "manifest.txt"), "w") as f:
        f.write("\n".join(manifest) + "\n")
