#!/usr/bin/python3
"""Builds the PNG decoding corpus under data/png and ImageMagick's own RGBA decode of each image beside it, so the
tests compare against a decoder that is not ours without needing ImageMagick themselves. Hand-built images (Python's
zlib, our own chunk writer) cover every colour type and bit depth, tRNS, each filter, IDAT splits and odd widths; a
second set comes straight from ImageMagick's encoder. data/png/manifest.txt lists "decode <name> <w> <h>" or
"reject <name>" per image. Run: /usr/bin/python3 tests/surf/make_png_corpus.py  (needs imagemagick)
"""
import os, random, struct, subprocess, zlib
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "png")
SIGNATURE = b"\x89PNG\r\n\x1a\n"
rng = random.Random(1252)
manifest = []
def chunk(kind, data, crc=None):
    crc = zlib.crc32(kind + data) if crc is None else crc
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc & 0xFFFFFFFF)
def ihdr(w, h, depth, ctype): return SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, ctype, 0, 0, 0))
def filter_rows(rows, bpp, filters):
    """Each row filtered with filters[y % len], as the raw stream."""
    out, prev = bytearray(), bytes(len(rows[0]))
    for y, row in enumerate(rows):
        f = filters[y % len(filters)]
        out.append(f)
        for i, x in enumerate(row):
            a, b, c = (row[i - bpp] if i >= bpp else 0), prev[i], (prev[i - bpp] if i >= bpp else 0)
            pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
            paeth = a if pa <= pb and pa <= pc else b if pb <= pc else c
            out.append((x - [0, a, b, (a + b) // 2, paeth][f]) & 0xFF)
        prev = row
    return bytes(out)
def png(w, h, depth, ctype, rows, filters=(0, 1, 2, 3, 4), extra=b"", split=None, level=9, bad_adler=False,
        bad_crc=False):
    bpp = max(1, depth * {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype] // 8)
    stream = zlib.compress(filter_rows(rows, bpp, filters), level)
    stream = stream[:-4] + bytes(b ^ 0x5A for b in stream[-4:]) if bad_adler else stream
    parts = [stream[i:i + (split or len(stream))] for i in range(0, len(stream), split or len(stream))]
    idats = b"".join(chunk(b"IDAT", p, 0xDEADBEEF if bad_crc else None) for p in parts)
    return ihdr(w, h, depth, ctype) + extra + idats + chunk(b"IEND", b"")
def random_rows(w, h, channels, depth=8):
    """Noise, with every third row flat so that every filter sees runs too; sub-byte samples packed high first."""
    per = 8 // depth
    rows = []
    for y in range(h):
        flat = [(y * 7) % (1 << depth)] * (w * channels)
        samples = flat if y % 3 == 2 else [rng.randrange(1 << depth) for _ in range(w * channels)]
        samples += [0] * (-len(samples) % per)
        rows.append(bytes(sum(s << (8 - depth * (j + 1)) for j, s in enumerate(samples[i:i + per]))
                          for i in range(0, len(samples), per)))
    return rows
def palette(n): return chunk(b"PLTE", bytes(rng.randrange(256) for _ in range(3 * n)))
def write(name, data):
    with open(os.path.join(OUT, name + ".png"), "wb") as f: f.write(data)
def decodes(name, data, stored=None):
    """Records ImageMagick's decode; the corpus keeps `stored` instead when given (a variant ImageMagick refuses)."""
    write(name, data)
    path = os.path.join(OUT, name)
    size = subprocess.check_output(["/usr/bin/identify", "-format", "%w %h", path + ".png"]).decode()
    subprocess.check_call(["/usr/bin/convert", path + ".png", "-depth", "8", "rgba:" + path + ".rgba"])
    manifest.append("decode %s %s" % (name, size))
    write(name, data if stored is None else stored)
def rejects(name, data): write(name, data), manifest.append("reject " + name)
def hand_built():
    for w, h in ((1, 1), (13, 7), (37, 19)):
        tag = "%dx%d" % (w, h)
        for kind, ctype, channels in (("grey8", 0, 1), ("greyalpha8", 4, 2), ("rgb8", 2, 3), ("rgba8", 6, 4)):
            decodes(kind + "_" + tag, png(w, h, 8, ctype, random_rows(w, h, channels)))
        for depth in (1, 2, 4, 8):
            decodes("pal%d_%s" % (depth, tag), png(w, h, depth, 3, random_rows(w, h, 1, depth), extra=palette(1 << depth)))
            trns = chunk(b"tRNS", bytes(rng.randrange(256) for _ in range(max(1, (1 << depth) // 2))))
            decodes("pal%d_trns_%s" % (depth, tag),
                    png(w, h, depth, 3, random_rows(w, h, 1, depth), extra=palette(1 << depth) + trns))
    # Colour-key transparency: the key value occurs in the image.
    decodes("grey8_trns", png(5, 3, 8, 0, [bytes([10, 20, 10, 200, 10])] * 3, extra=chunk(b"tRNS", b"\x00\x0a")))
    rows = [bytes([1, 2, 3, 4, 5, 6, 1, 2, 3, 1, 2, 4])] * 2
    decodes("rgb8_trns", png(4, 2, 8, 2, rows, extra=chunk(b"tRNS", b"\x00\x01\x00\x02\x00\x03")))
    for f in range(5):  # each filter alone over the whole image
        decodes("rgba8_filter%d" % f, png(23, 11, 8, 6, random_rows(23, 11, 4), filters=(f,)))
        decodes("pal4_filter%d" % f, png(29, 9, 4, 3, random_rows(29, 9, 1, 4), filters=(f,), extra=palette(16)))
    # Few distinct values make the Paeth predictor's ties common.
    rows = [bytes(rng.choice((0, 2, 4, 6)) for _ in range(3 * 40)) for _ in range(20)]
    decodes("rgb8_paeth_ties", png(40, 20, 8, 2, rows, filters=(4,)))
    # The stream spread over many IDAT chunks, down to one byte each; stored and fixed-code deflate.
    decodes("rgb8_split7", png(31, 17, 8, 2, random_rows(31, 17, 3), split=7))
    decodes("greyalpha8_split1", png(18, 18, 8, 4, random_rows(18, 18, 2), split=1))
    decodes("rgba8_stored", png(21, 5, 8, 6, random_rows(21, 5, 4), level=0))
    decodes("grey8_level1", png(33, 12, 8, 0, random_rows(33, 12, 1), level=1))
    # Checksums are not verified; ancillary chunks before and between the needed ones are skipped.
    rows = random_rows(9, 4, 3)
    decodes("rgb8_badcrc", png(9, 4, 8, 2, rows), stored=png(9, 4, 8, 2, rows, bad_crc=True))
    decodes("rgb8_badadler", png(9, 4, 8, 2, rows), stored=png(9, 4, 8, 2, rows, bad_adler=True))
    text = chunk(b"tEXt", b"Comment\x00hello")
    decodes("pal8_text", png(6, 6, 8, 3, random_rows(6, 6, 1), extra=text + palette(256) + text))
    good = png(8, 8, 8, 6, random_rows(8, 8, 4))
    rejects("bad_signature", b"\x89PNG\r\n\x1a\x0b" + good[8:])
    rejects("grey2", png(16, 4, 2, 0, random_rows(16, 4, 1, 2)))
    rejects("grey4", png(16, 4, 4, 0, random_rows(16, 4, 1, 4)))
    rejects("no_idat", ihdr(8, 8, 8, 6) + chunk(b"IEND", b""))
    rejects("no_plte", png(8, 8, 8, 3, random_rows(8, 8, 1)))
    rejects("index_past_palette", png(4, 1, 8, 3, [bytes([0, 1, 2, 3])], extra=palette(3)))
    rejects("colour_type5", ihdr(4, 4, 8, 5) + chunk(b"IDAT", zlib.compress(bytes(20))))
    rejects("zero_width", ihdr(0, 4, 8, 6) + chunk(b"IDAT", zlib.compress(b"")))
    rejects("huge_size", ihdr(0x7FFFFFFF, 0x7FFFFFFF, 8, 6) + chunk(b"IDAT", zlib.compress(bytes(9))))
    rejects("overflow_size", ihdr(46341, 11586, 8, 6) + chunk(b"IDAT", zlib.compress(bytes(9))))
    rejects("bad_filter", ihdr(2, 1, 8, 0) + chunk(b"IDAT", zlib.compress(b"\x05\x01\x02")) + chunk(b"IEND", b""))
    rejects("preset_dictionary", good[:33 + 8] + b"\x78\xbb" + good[33 + 10:])
    rejects("truncated_stream", png(8, 8, 8, 6, random_rows(8, 8, 4))[:60])
def from_imagemagick():
    def im(name, args, prefix=""):
        subprocess.check_call(["/usr/bin/convert", "-seed", "7", "-size", "45x27", "plasma:fractal", "-depth", "8"]
                              + args + [prefix + os.path.join(OUT, name + ".png")])
        with open(os.path.join(OUT, name + ".png"), "rb") as f: return f.read()
    alpha, grey = ["-alpha", "set", "-channel", "A", "-fx"], ["-colorspace", "gray"]
    for name, args in (("rgb", ["-define", "png:color-type=2"]),
                       ("rgba", alpha + ["i/w", "+channel", "-define", "png:color-type=6"]),
                       ("grey", grey + ["-define", "png:color-type=0", "-define", "png:bit-depth=8"]),
                       ("greyalpha", grey + alpha + ["j/h", "+channel", "-define", "png:color-type=4"])):
        decodes("im_" + name, im("im_" + name, args))
    # ImageMagick picks the palette depth itself (sub-byte for few colours).
    for colours, depth in ((2, 1), (4, 2), (16, 4), (200, 8)):
        name = "im_pal_%dcolours" % colours
        decodes(name, im(name, ["-quiet", "-colors", str(colours), "-define", "png:color-type=3",
                                "-define", "png:bit-depth=%d" % depth]))
    decodes("im_pal8_trns", im("im_pal8_trns", alpha + ["i<20?0:1", "+channel", "-colors", "60",
                                                        "-define", "png:color-type=3"]))
    rejects("im_interlaced", im("im_interlaced", ["-interlace", "PNG"]))
    rejects("im_16bit", im("im_16bit", [], "PNG48:"))
if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT): os.remove(os.path.join(OUT, old))
    hand_built(), from_imagemagick()
    with open(os.path.join(OUT, "manifest.txt"), "w") as f: f.write("\n".join(manifest) + "\n")
