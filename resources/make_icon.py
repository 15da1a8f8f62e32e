"""Draws the program's icon (resource 128) and writes tov.ico.

Run it after changing the drawing: python3 make_icon.py. The picture is a
report sheet with lines of text and a progress bar, drawn at 16 and 32 pixels
in 32-bit colour with alpha.
"""
import struct

CLEAR = (0, 0, 0, 0)
EDGE = (0x30, 0x3c, 0x55, 255)
PAPER = (0xfa, 0xfb, 0xfd, 255)
FOLD = (0xc9, 0xd2, 0xe3, 255)
TEXT = (0x6b, 0x7a, 0x99, 255)
BAR = (0x1f, 0x8a, 0x3c, 255)
TRACK = (0xd8, 0xe6, 0xda, 255)


def pixel(x, y):
    """The colour of pixel (x, y) of the 32-pixel picture."""
    corner = 20  # the folded corner takes x >= corner, y < 3 + (27 - corner)
    if not (5 <= x <= 26 and 2 <= y <= 29):
        return CLEAR
    fold_depth = 26 - corner
    in_corner = x >= corner and y <= 2 + fold_depth
    if in_corner:
        dx, dy = x - corner, y - 2
        if dx > dy:
            return CLEAR
        if dx == dy or x == corner or y == 2 + fold_depth:
            return EDGE
        return FOLD
    if x in (5, 26) or y in (2, 29):
        return EDGE
    for top, width in ((8, 9), (12, 15), (16, 12), (20, 15)):
        if top <= y <= top + 1 and 9 <= x < 9 + width:
            return TEXT
    if 24 <= y <= 26 and 8 <= x <= 23:
        return BAR if x <= 17 else TRACK
    return PAPER


def draw(size):
    """The icon as rows of RGBA pixels, top row first (16 pixels: every other one)."""
    step = 32 // size
    return [[pixel(x * step, y * step) for x in range(size)] for y in range(size)]


def image_entry(size):
    """One BITMAPINFOHEADER image of an icon file: colour rows bottom-up, then the mask."""
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(px):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (mask_row_bytes * 8 - 1 - x)
        mask += bits.to_bytes(mask_row_bytes, "big")
    return header + colour + mask


def main():
    sizes = (16, 32)
    images = [image_entry(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open("tov.ico", "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
