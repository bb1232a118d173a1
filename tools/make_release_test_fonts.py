#!/usr/bin/python3
"""Builds the fonts the release gate (--baseline, --compare) is tested with:
one first release, and later releases made from it with fontTools, each
losing or gaining one member for one reason.

Usage: /usr/bin/python3 tools/make_release_test_fonts.py OUTPUT_DIR

  release-1.ttf      あいう drawn, 丈 (U+4E08) with the Adobe-Japan1
                     sequences U+E0100 (its default glyph) and U+E0101 (a
                     glyph of its own) in cmap format 14, and 、 (U+3001)
                     with a vertical form through a GSUB 'vert' lookup
  unmapped.ttf       あ taken out of the cmap
  emptied.ttf        い's glyph emptied (no outline)
  moved.ttf          う's outline moved far below its cell
  no-sequence.ttf    丈 U+E0101 taken out of format 14
  gained.ttf         え added, drawn
  no-vert.ttf        、 taken out of the 'vert' lookup
  renamed.ttf        release-1 under another family name
"""
import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import cmap_format_14
from fontTools.ttLib.tables._g_l_y_f import Glyph

UPEM = 1000
CHARACTERS = {0x3042: "a", 0x3044: "i", 0x3046: "u", 0x4E08: "jo", 0x3001: "comma"}


def box(y0=0, y1=800):
    pen = TTGlyphPen(None)
    pen.moveTo((100, y0))
    pen.lineTo((100, y1))
    pen.lineTo((900, y1))
    pen.lineTo((900, y0))
    pen.closePath()
    return pen.glyph()


def make_first(path, family="Release Test"):
    order = [".notdef", "space", "a", "i", "u", "jo", "jo.alt", "e", "comma", "comma.vert"]
    fb = FontBuilder(UPEM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", **CHARACTERS})
    fb.setupGlyf({name: box() if name != "space" else Glyph() for name in order})
    fb.setupHorizontalMetrics({name: (UPEM, 0) for name in order})
    fb.setupHorizontalHeader(ascent=880, descent=-120)
    fb.setupVerticalMetrics({name: (UPEM, 120) for name in order})
    fb.setupVerticalHeader(ascent=500, descent=-500)
    fb.setupNameTable({"familyName": family, "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=880, sTypoDescender=-120, usWinAscent=880, usWinDescent=120)
    fb.setupPost()
    fb.addOpenTypeFeatures("languagesystem DFLT dflt; languagesystem kana dflt; languagesystem hani dflt;\n"
                           "feature vert { sub comma by comma.vert; } vert;")
    table = cmap_format_14(14)
    table.platformID, table.platEncID, table.language = 0, 5, 0xFF
    table.cmap = {}
    table.uvsDict = {0xE0100: [(0x4E08, None)], 0xE0101: [(0x4E08, "jo.alt")]}
    fb.font["cmap"].tables.append(table)
    fb.save(path)


def unicode_subtables(font):
    return [t for t in font["cmap"].tables if t.format != 14]


def derive(first, path, change):
    font = TTFont(first)
    change(font)
    font.save(path)


def unmap_a(font):
    for table in unicode_subtables(font):
        table.cmap.pop(0x3042, None)


def empty_i(font):
    font["glyf"]["i"] = Glyph()


def move_u(font):
    font["glyf"]["u"] = box(-3000, -2500)


def drop_sequence(font):
    for table in font["cmap"].tables:
        if table.format == 14:
            table.uvsDict.pop(0xE0101)


def drop_vertical_comma(font):
    for lookup in font["GSUB"].table.LookupList.Lookup:
        for subtable in lookup.SubTable:
            subtable.mapping.pop("comma", None)


def add_e(font):
    for table in unicode_subtables(font):
        table.cmap[0x3048] = "e"


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    first = os.path.join(out, "release-1.ttf")
    make_first(first)
    for name, change in [("unmapped", unmap_a), ("emptied", empty_i), ("moved", move_u),
                         ("no-sequence", drop_sequence), ("gained", add_e),
                         ("no-vert", drop_vertical_comma)]:
        derive(first, os.path.join(out, name + ".ttf"), change)
    make_first(os.path.join(out, "renamed.ttf"), "Renamed Test")


if __name__ == "__main__":
    main()
