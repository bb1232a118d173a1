#!/usr/bin/python3
"""Draws the program's icons and writes them as 8-bit .ico files.

    make_icons.py OUTPUT_FOLDER

writes glyphcensus.ico (icon group 103: 16x16 and 32x32) and
glyphcensus_small.ico (icon group 104: 16x16). The picture is a blue tile with a
3x3 grid of glyph cells, some inked and some empty: a census of glyphs.
Plain Python, no imaging library.
"""
import os
import struct
import sys

TRANSPARENT, BLUE, WHITE, INK, SHADE = 0, 1, 2, 3, 4
PALETTE = {
    TRANSPARENT: (0, 0, 0),
    BLUE: (0x2B, 0x5C, 0xB8),
    WHITE: (0xFF, 0xFF, 0xFF),
    INK: (0x1A, 0x1A, 0x2E),
    SHADE: (0xC8, 0xD4, 0xEC),
}
# Which cells of the 3x3 grid carry ink (the rest stay empty).
INKED = {(0, 0), (1, 0), (2, 0), (0, 1), (2, 1), (1, 2)}


def draw(size):
    """Returns size rows of size palette indexes, row 0 at the top."""
    pixels = [[TRANSPARENT] * size for _ in range(size)]
    corner = 2 if size >= 32 else 1
    for y in range(size):
        for x in range(size):
            dx = min(x, size - 1 - x)
            dy = min(y, size - 1 - y)
            if dx + dy >= corner:  # cut corners give a rounded tile
                pixels[y][x] = BLUE
    margin = size // 8
    gap = max(1, size // 16)
    cell = (size - 2 * margin - 2 * gap) // 3
    start = (size - (3 * cell + 2 * gap)) // 2
    for row in range(3):
        for column in range(3):
            left = start + column * (cell + gap)
            top = start + row * (cell + gap)
            inked = (column, row) in INKED
            for y in range(top, top + cell):
                for x in range(left, left + cell):
                    pixels[y][x] = WHITE
            if inked:
                inset = max(1, cell // 4)
                for y in range(top + inset, top + cell - inset):
                    for x in range(left + inset, left + cell - inset):
                        pixels[y][x] = INK
            else:
                pixels[top + cell - 1][left:left + cell] = [SHADE] * cell
    return pixels


def image_bytes(pixels):
    """BITMAPINFOHEADER, 256-colour palette, XOR pixels, AND mask (bottom-up)."""
    size = len(pixels)
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         xor_stride * size + and_stride * size, 0, 0, 0, 0)
    palette = bytearray()
    for index in range(256):
        red, green, blue = PALETTE.get(index, (0, 0, 0))
        palette += bytes((blue, green, red, 0))
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        xor += bytes(row) + bytes(xor_stride - size)
        bits = bytearray(and_stride)
        for x, index in enumerate(row):
            if index == TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(palette) + bytes(xor) + bytes(mask)


def ico_file(sizes):
    images = [image_bytes(draw(size)) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icons.py OUTPUT_FOLDER")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, sizes in (("glyphcensus.ico", (16, 32)), ("glyphcensus_small.ico", (16,))):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(ico_file(sizes))


if __name__ == "__main__":
    main()
