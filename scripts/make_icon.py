#!/usr/bin/env python3
"""Build Vornic's icons (ICO and PNGs) from the design in assets/vornic.svg.

Standard library only. The shapes below mirror the SVG; keep the two in step.
Output is deterministic: same bytes on every run.
"""

import os
import struct
import zlib

# Design space is 256 x 256, the same as the SVG viewBox. Most edges sit on
# multiples of 16 so they land on whole pixels at 16 and 32 px.
DESIGN = 256

BOARD = (0x1D, 0x4E, 0xD8)   # clipboard
CLIP = (0xF5, 0x9E, 0x0B)    # metal clip
SLOT = (0x78, 0x35, 0x0F)    # hole in the clip
PAPER = (0xFF, 0xFF, 0xFF)
MARK = (0x17, 0x25, 0x54)    # the "#"

# (kind, colour, x0, y0, x1, y1, radius), painted in order.
SHAPES = [
    ("rrect", BOARD, 32, 32, 224, 240, 32),
    ("rrect", PAPER, 48, 64, 208, 224, 8),
    ("rrect", CLIP, 80, 16, 176, 64, 16),
    ("rrect", SLOT, 112, 32, 144, 48, 8),
    # "#": strokes are 24 wide, centred on 16 px pixel centres, so they
    # snap to 1 px at 16 and 2 px at 32.
    ("rrect", MARK, 92, 80, 116, 208, 0),
    ("rrect", MARK, 140, 80, 164, 208, 0),
    ("rrect", MARK, 64, 108, 192, 132, 0),
    ("rrect", MARK, 64, 156, 192, 180, 0),
]

SUPERSAMPLE = 8  # samples per pixel along each axis, for anti-aliasing


def snap(v, scale):
    # Pixel-align edges so small sizes stay crisp instead of blurry.
    return round(v * scale)


def inside_rrect(px, py, x0, y0, x1, y1, r):
    if px < x0 or px >= x1 or py < y0 or py >= y1:
        return False
    if r <= 0:
        return True
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    dx, dy = px - cx, py - cy
    return dx * dx + dy * dy <= r * r


def render(size):
    """Return a list of (r, g, b, a) floats in 0..1, straight alpha."""
    scale = size / DESIGN
    # Premultiplied accumulation.
    acc = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]
    n = SUPERSAMPLE
    offsets = [(i + 0.5) / n for i in range(n)]
    for kind, colour, x0, y0, x1, y1, r in SHAPES:
        sx0, sy0 = snap(x0, scale), snap(y0, scale)
        sx1, sy1 = snap(x1, scale), snap(y1, scale)
        # Never let a stroke vanish at tiny sizes.
        if sx1 <= sx0:
            sx1 = sx0 + 1
        if sy1 <= sy0:
            sy1 = sy0 + 1
        sr = r * scale
        cr, cg, cb = (c / 255.0 for c in colour)
        for py in range(max(sy0, 0), min(sy1, size)):
            for px in range(max(sx0, 0), min(sx1, size)):
                hits = 0
                for oy in offsets:
                    y = py + oy
                    for ox in offsets:
                        if inside_rrect(px + ox, y, sx0, sy0, sx1, sy1, sr):
                            hits += 1
                if not hits:
                    continue
                a = hits / (n * n)
                p = acc[py * size + px]
                k = 1.0 - a
                p[0] = cr * a + p[0] * k
                p[1] = cg * a + p[1] * k
                p[2] = cb * a + p[2] * k
                p[3] = a + p[3] * k
    out = []
    for r_, g_, b_, a_ in acc:
        if a_ > 0:
            out.append((r_ / a_, g_ / a_, b_ / a_, a_))
        else:
            out.append((0.0, 0.0, 0.0, 0.0))
    return out


def to_bytes(v):
    return max(0, min(255, int(v * 255.0 + 0.5)))


def rgba8(pixels):
    return [tuple(to_bytes(c) for c in p) for p in pixels]


def png(size, pixels):
    raw = bytearray()
    for y in range(size):
        raw.append(0)  # filter: none
        for r, g, b, a in pixels[y * size:(y + 1) * size]:
            raw += bytes((r, g, b, a))

    def chunk(tag, data):
        body = tag + data
        return (struct.pack(">I", len(data)) + body
                + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def palettise(pixels):
    """Reduce to at most 256 opaque colours plus a 1-bit mask.

    ICO 8-bit images have no alpha channel, only the AND mask, so
    half-covered edge pixels become either solid or transparent.
    """
    opaque = [p[3] >= 128 for p in pixels]
    colours = [p[:3] for p in pixels]
    counts = {}
    for c, o in zip(colours, opaque):
        if o:
            counts[c] = counts.get(c, 0) + 1
    # Most frequent first, ties by value, so the result is stable.
    palette = sorted(counts, key=lambda c: (-counts[c], c))[:256]
    # A masked pixel is drawn as screen XOR its colour: that colour must be
    # black, or the icon's background shows inverted around it.
    if (0, 0, 0) not in palette:
        palette = palette[:255] + [(0, 0, 0)]
    index = {c: i for i, c in enumerate(palette)}
    transparent = index[(0, 0, 0)]
    while len(palette) < 256:
        palette.append((0, 0, 0))

    def nearest(c):
        best = min(range(len(index)), key=lambda i: (
            sum((a - b) ** 2 for a, b in zip(c, palette[i])), i))
        index[c] = best
        return best

    indices = []
    for c, o in zip(colours, opaque):
        if not o:
            indices.append(transparent)
        else:
            indices.append(index[c] if c in index else nearest(c))
    return palette, indices, opaque


def ico_image(size, pixels):
    palette, indices, opaque = palettise(pixels)
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    # Height counts XOR and AND bitmaps together, as ICO requires.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         (xor_stride + and_stride) * size, 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    xor = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):  # BMP rows run bottom-up
        row = indices[y * size:(y + 1) * size]
        xor += bytes(row) + bytes(xor_stride - size)
        bits = bytearray(and_stride)
        for x in range(size):
            if not opaque[y * size + x]:
                bits[x >> 3] |= 0x80 >> (x & 7)
        mask += bits
    return header + pal + bytes(xor) + bytes(mask)


def ico(images):
    count = len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    blobs = []
    for size, blob in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 8,
                           len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return bytes(out) + b"".join(blobs)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    assets = os.path.join(root, "assets")
    os.makedirs(assets, exist_ok=True)
    rendered = {}
    for size in (16, 32, 48, 64, 128, 256):
        rendered[size] = rgba8(render(size))
        with open(os.path.join(assets, "vornic-%d.png" % size), "wb") as f:
            f.write(png(size, rendered[size]))
    # 32x32 first: some consumers just take the first image.
    images = [(s, ico_image(s, rendered[s])) for s in (32, 16, 48)]
    with open(os.path.join(assets, "vornic.ico"), "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
