#!/usr/bin/python3
"""Builds the font that the coverage map tests read.

Usage: /usr/bin/python3 tools/make_map_test_fonts.py OUTPUT_DIR

map_subset.ttf: IPAGothic cut down to part of JIS X 0208 and a little more,
with a family name that needs escaping in XML. It draws:
  - ASCII (U+0021..U+007E) and all of rows 4 and 5 (hiragana, katakana);
  - level 1: rows 16 and 17 except 17-05 (U+9662), which stays missing;
  - level 2: cells 1-10 of row 48;
  - level 3: 1-14-01 (U+4FF1) and 1-47-52 (U+20B9F, outside the BMP);
  - IBM extensions: the ten small Roman numerals (U+2170..U+2179).
Family name: Map & <Subset> "Test".
"""
import logging
import os
import sys

from fontTools import subset
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


if __name__ == "__main__":
    main()
