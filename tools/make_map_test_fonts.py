#!/usr/bin/python3
"""Builds the fonts that the coverage map tests read.

Usage: /usr/bin/python3 tools/make_map_test_fonts.py OUTPUT_DIR

map_subset.ttf: IPAGothic cut down to part of JIS X 0208 and a little more,
with a family name that needs escaping in XML. It draws:
  - ASCII (U+0021..U+007E) and all of rows 4 and 5 (hiragana, katakana);
  - level 1: rows 16 and 17 except 17-05 (U+9662), which stays missing;
  - level 2: cells 1-10 of row 48;
  - level 3: 1-14-01 (U+4FF1) and 1-47-52 (U+20B9F, outside the BMP);
  - IBM extensions: the ten small Roman numerals (U+2170..U+2179).
Family name: Map & <Subset> "Test".

map_paths.ttf: 40 units per em, ascender 32 and descender 8, so that a map
cell of 40 units holds the glyphs unscaled with the baseline at y = 32; every
advance is 40. Its glyphs test how outlines become SVG paths:
  A  a 20 x 20 square whose left side has a point halfway up (collinear
     lines become one) -> M0 32v-20h20v20
  B  two curves through a run of two off-curve points (the second control
     point mirrors the first: the smooth command), closed by a line
     -> M0 32q0-20 10-20t10 20
"""
import logging
import os
import sys

from fontTools import subset
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

IPA_GOTHIC = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
FAMILY = 'Map & <Subset> "Test"'


def euc(row, cell, encoding="euc_jp"):
    return bytes([0xA0 + row, 0xA0 + cell]).decode(encoding)


def characters():
    chars = [chr(c) for c in range(0x21, 0x7F)]
    chars += [euc(row, cell) for row in (4, 5) for cell in range(1, 95)
              if cell <= (83 if row == 4 else 86)]
    chars += [euc(row, cell) for row in (16, 17) for cell in range(1, 95)
              if (row, cell) != (17, 5)]
    chars += [euc(48, cell) for cell in range(1, 11)]
    chars += ["\u4FF1", "\U00020B9F"]
    chars += [chr(c) for c in range(0x2170, 0x217A)]
    return chars


def paths_font():
    def glyph(draw):
        pen = TTGlyphPen(None)
        if draw:
            draw(pen)
        return pen.glyph()

    def square(pen):
        for point in ((0, 0), (0, 10), (0, 20), (20, 20), (20, 0)):
            (pen.moveTo if point == (0, 0) else pen.lineTo)(point)
        pen.closePath()

    def curves(pen):
        pen.moveTo((0, 0))
        pen.qCurveTo((0, 20), (20, 20), (20, 0))
        pen.closePath()

    fb = FontBuilder(40, isTTF=True)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder([".notdef", "A", "B"])
    fb.setupCharacterMap({0x41: "A", 0x42: "B"})
    fb.setupGlyf({".notdef": glyph(None), "A": glyph(square), "B": glyph(curves)})
    fb.setupHorizontalMetrics({".notdef": (40, 0), "A": (40, 0), "B": (40, 0)})
    fb.setupHorizontalHeader(ascent=32, descent=-8)
    fb.setupNameTable({"familyName": "Map Paths", "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=32, sTypoDescender=-8, usWinAscent=32, usWinDescent=8)
    fb.setupPost()
    fb.font["head"].created = fb.font["head"].modified = 3600 * 24 * 365 * 100
    return fb.font


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    logging.getLogger("fontTools.subset").setLevel(logging.ERROR)
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.hinting = False
    options.layout_features = []
    options.notdef_outline = True
    font = TTFont(IPA_GOTHIC)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(c) for c in characters()])
    subsetter.subset(font)
    name = font["name"]
    for record in list(name.names):
        if record.nameID in (1, 4, 16, 17, 18, 21, 22):
            name.removeNames(nameID=record.nameID)
    name.setName(FAMILY, 1, 3, 1, 0x409)
    name.setName(FAMILY, 4, 3, 1, 0x409)
    font["head"].created = font["head"].modified = 3600 * 24 * 365 * 100
    os.makedirs(sys.argv[1], exist_ok=True)
    font.save(os.path.join(sys.argv[1], "map_subset.ttf"))
    paths_font().save(os.path.join(sys.argv[1], "map_paths.ttf"))


if __name__ == "__main__":
    main()
