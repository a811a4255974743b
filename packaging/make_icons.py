#!/usr/bin/env python3
"""Draws the program's icon (a contact card, an arrow, a folder) from one set of
shapes and writes every image made from it:

  app/resources/icons/icon_300NN.dib   the nine images of the Windows icon group
                                       (device-independent bitmaps with masks)
  app/resources/icons/group_1.bin      the group directory naming them
  app/resources/quillonet.ico          the same nine images as an .ico file
  packaging/icons/hicolor/...          PNG sizes and an SVG for the icon theme

Usage: packaging/make_icons.py [REPO_ROOT]   (no packages beyond python3)
"""
import os
import struct
import sys
import zlib

# The picture on a 256-unit square, back to front. Each shape: kind, colour
# (RGBA), geometry.
FOLDER_BACK = (205, 133, 36, 255)
FOLDER_FRONT = (246, 190, 72, 255)
FOLDER_EDGE = (163, 102, 20, 255)
CARD_EDGE = (38, 84, 150, 255)
CARD = (255, 255, 255, 255)
PERSON = (38, 84, 150, 255)
TEXT = (150, 170, 200, 255)
ARROW = (34, 150, 74, 255)
ARROW_EDGE = (20, 100, 48, 255)

SHAPES = [
    # folder: back with its tab
    ("rrect", FOLDER_EDGE, (14, 78, 242, 234, 16)),
    ("rrect", FOLDER_EDGE, (14, 58, 112, 100, 12)),
    ("rrect", FOLDER_BACK, (22, 86, 234, 226, 10)),
    ("rrect", FOLDER_BACK, (22, 66, 104, 100, 8)),
    # the card, standing in the folder
    ("rrect", CARD_EDGE, (84, 10, 244, 128, 14)),
    ("rrect", CARD, (92, 18, 236, 120, 8)),
    ("circle", PERSON, (124, 52, 15)),
    ("ellipse", PERSON, (124, 98, 26, 20)),
    ("rect", CARD, (92, 104, 236, 120)),
    ("rect", TEXT, (158, 40, 222, 50)),
    ("rect", TEXT, (158, 62, 222, 72)),
    ("rect", TEXT, (158, 84, 206, 94)),
    # the arrow from the card down into the folder
    ("poly", ARROW_EDGE, [(36, 20), (76, 20), (76, 96), (100, 96), (56, 150), (12, 96), (36, 96)]),
    ("poly", ARROW, [(43, 27), (69, 27), (69, 103), (85, 103), (56, 139), (27, 103), (43, 103)]),
    # folder front, in front of the arrow's tip
    ("poly", FOLDER_EDGE, [(6, 130), (250, 130), (238, 242), (18, 242)]),
    ("poly", FOLDER_FRONT, [(15, 138), (241, 138), (231, 234), (25, 234)]),
]


def inside(kind, g, x, y):
    if kind == "rect":
        return g[0] <= x < g[2] and g[1] <= y < g[3]
    if kind == "rrect":
        x0, y0, x1, y1, r = g
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == "circle":
        cx, cy, r = g
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == "ellipse":
        cx, cy, rx, ry = g
        return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0
    if kind == "poly":
        # even-odd rule
        n = len(g)
        c = False
        j = n - 1
        for i in range(n):
            xi, yi = g[i]
            xj, yj = g[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    raise ValueError(kind)


def bounds(kind, g):
    if kind in ("rect", "rrect"):
        return g[0], g[1], g[2], g[3]
    if kind == "circle":
        return g[0] - g[2], g[1] - g[2], g[0] + g[2], g[1] + g[2]
    if kind == "ellipse":
        return g[0] - g[2], g[1] - g[3], g[0] + g[2], g[1] + g[3]
    xs = [p[0] for p in g]
    ys = [p[1] for p in g]
    return min(xs), min(ys), max(xs), max(ys)


def render(size):
    """RGBA rows, top first, straight (not premultiplied) alpha."""
    ss = 4 if size <= 64 else 3
    scale = 256.0 / size
    boxes = [bounds(k, g) for k, _, g in SHAPES]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g_ = b = a = 0
            for sy in range(ss):
                y = (py + (sy + 0.5) / ss) * scale
                for sx in range(ss):
                    x = (px + (sx + 0.5) / ss) * scale
                    colour = None
                    for (kind, col, geo), (bx0, by0, bx1, by1) in zip(reversed(SHAPES), reversed(boxes)):
                        if bx0 <= x <= bx1 and by0 <= y <= by1 and inside(kind, geo, x, y):
                            colour = col
                            break
                    if colour is not None:
                        r += colour[0]
                        g_ += colour[1]
                        b += colour[2]
                        a += 1
            n = ss * ss
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g_ / a), round(b / a), round(255 * a / n)))
        rows.append(row)
    return rows


def palette_256():
    """6x7x6 colour cube plus four greys: 256 entries."""
    pal = []
    for r in range(6):
        for g in range(7):
            for b in range(6):
                pal.append((round(r * 255 / 5), round(g * 255 / 6), round(b * 255 / 5)))
    pal += [(64, 64, 64), (128, 128, 128), (192, 192, 192), (224, 224, 224)]
    assert len(pal) == 256
    return pal


def nearest(pal, c, cache):
    key = c[:3]
    if key not in cache:
        cache[key] = min(range(len(pal)),
                         key=lambda i: (pal[i][0] - c[0]) ** 2 + (pal[i][1] - c[1]) ** 2 + (pal[i][2] - c[2]) ** 2)
    return cache[key]


def mask_rows(rows, threshold):
    """1-bit AND mask, bottom-up, rows padded to 32 bits: 1 = transparent."""
    out = b""
    for row in reversed(rows):
        bits = bytearray((len(row) + 31) // 32 * 4)
        for x, p in enumerate(row):
            if p[3] < threshold:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def dib(rows, depth):
    size = len(rows)
    if depth == 32:
        xor = b""
        for row in reversed(rows):
            xor += b"".join(struct.pack("<BBBB", p[2], p[1], p[0], p[3]) for p in row)
        pal = b""
        mask = mask_rows(rows, 1)
    else:
        colours = palette_256()
        cache = {}
        pal = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in colours)
        xor = b""
        for row in reversed(rows):
            line = bytes(0 if p[3] < 128 else nearest(colours, p, cache) for p in row)
            xor += line + b"\0" * ((-len(line)) % 4)
        mask = mask_rows(rows, 128)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + pal + xor + mask


def png(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg():
    def fill(c):
        return "#%02x%02x%02x" % c[:3]
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">']
    for kind, col, g in SHAPES:
        if kind == "rect":
            parts.append('<rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>' % (g[0], g[1], g[2] - g[0], g[3] - g[1], fill(col)))
        elif kind == "rrect":
            parts.append('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>' % (g[0], g[1], g[2] - g[0], g[3] - g[1], g[4], fill(col)))
        elif kind == "circle":
            parts.append('<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (g[0], g[1], g[2], fill(col)))
        elif kind == "ellipse":
            parts.append('<ellipse cx="%g" cy="%g" rx="%g" ry="%g" fill="%s"/>' % (g[0], g[1], g[2], g[3], fill(col)))
        else:
            parts.append('<polygon points="%s" fill="%s"/>' % (" ".join("%g,%g" % p for p in g), fill(col)))
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


# The icon group: image ID, size, colour depth, in this order.
GROUP = [(30001, 48, 8), (30002, 32, 8), (30003, 24, 8), (30004, 16, 8),
         (30005, 256, 32), (30006, 48, 32), (30007, 32, 32), (30008, 24, 32), (30009, 16, 32)]
THEME_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    rendered = {}
    for size in sorted(set(s for _, s, _ in GROUP) | set(THEME_SIZES)):
        rendered[size] = render(size)

    images = []
    for image_id, size, depth in GROUP:
        data = dib(rendered[size], depth)
        write(os.path.join(root, "app/resources/icons/icon_%d.dib" % image_id), data)
        images.append((image_id, size, depth, data))
    entry = "<BBBBHHI"
    group = struct.pack("<HHH", 0, 1, len(images))
    for image_id, size, depth, data in images:
        group += struct.pack(entry + "H", size % 256, size % 256, 0, 0, 1, depth, len(data), image_id)
    write(os.path.join(root, "app/resources/icons/group_1.bin"), group)

    ico = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for _, size, depth, data in images:
        ico += struct.pack(entry + "I", size % 256, size % 256, 0, 0, 1, depth, len(data), offset)
        offset += len(data)
    ico += b"".join(data for _, _, _, data in images)
    write(os.path.join(root, "app/resources/quillonet.ico"), ico)

    for size in THEME_SIZES:
        write(os.path.join(root, "packaging/icons/hicolor/%dx%d/apps/quillonet.png" % (size, size)), png(rendered[size]))
    write(os.path.join(root, "packaging/icons/hicolor/scalable/apps/quillonet.svg"), svg().encode())


if __name__ == "__main__":
    main()
