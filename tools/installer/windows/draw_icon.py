#!/usr/bin/python3
"""Draws the installer's application icon, installer.ico, in six sizes.

A dark rounded tile in the interface's colours with an accent waveform and a
downward arrow into a tray: a sound plug-in being installed. 256 x 256 is
stored as PNG; 128, 64, 48, 32 and 16 as 32-bit bitmaps with alpha, which
every version of the shell reads. Each size is drawn at eight times its size
and reduced, so the small ones stay smooth.

Run with Debian's Python (python3-pil): /usr/bin/python3 draw_icon.py
"""
import io
import math
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw

DARK = (17, 17, 17, 255)
LIGHT = (217, 221, 202, 255)
ACCENT = (255, 204, 71, 255)
SIZES = (256, 128, 64, 48, 32, 16)
OVERSAMPLE = 8


def draw(size):
    big = size * OVERSAMPLE
    u = big / 64.0  # the design is laid out on a 64-unit grid
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle((2 * u, 2 * u, 62 * u, 62 * u), radius=12 * u, fill=DARK)

    # Waveform bars across the upper half, tallest in the middle.
    bars = 7
    for i in range(bars):
        x = 12 * u + i * 6.7 * u
        height = (6 + 12 * math.sin(math.pi * (i + 0.5) / bars)) * u
        centre = 20 * u
        d.rounded_rectangle((x, centre - height / 2, x + 3.6 * u, centre + height / 2), radius=1.8 * u, fill=ACCENT)

    # Arrow down into a tray.
    d.polygon([(32 * u, 50 * u), (23 * u, 40 * u), (29 * u, 40 * u), (29 * u, 33 * u),
               (35 * u, 33 * u), (35 * u, 40 * u), (41 * u, 40 * u)], fill=LIGHT)
    d.line([(14 * u, 47 * u), (14 * u, 54 * u), (50 * u, 54 * u), (50 * u, 47 * u)],
           fill=LIGHT, width=max(1, round(3.4 * u)), joint="curve")
    return image.resize((size, size), Image.LANCZOS)


def bitmap_entry(image):
    """A 32-bit bottom-up DIB with an all-clear AND mask: alpha decides."""
    w, h = image.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    pixels = image.load()
    for y in range(h - 1, -1, -1):
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a)
                             for r, g, b, a in (pixels[x, y] for x in range(w))))
    mask_stride = ((w + 31) // 32) * 4
    return header + b"".join(rows) + bytes(mask_stride * h)


def png_entry(image):
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=True)
    return out.getvalue()


def ico(images):
    entries = [png_entry(im) if im.size[0] == 256 else bitmap_entry(im) for im in images]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for im, entry in zip(images, entries):
        w = im.size[0] % 256  # 0 stands for 256
        data += struct.pack("<BBBBHHII", w, w, 0, 0, 1, 32, len(entry), offset)
        offset += len(entry)
    return data + b"".join(entries)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("installer.ico")
    out.write_bytes(ico([draw(s) for s in SIZES]))


if __name__ == "__main__":
    main()
