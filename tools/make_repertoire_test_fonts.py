#!/usr/bin/python3
"""Builds the small fonts the extended repertoires are tested with.

Usage: /usr/bin/python3 tools/make_repertoire_test_fonts.py OUTPUT_DIR

  sequences.ttf   a cmap format 14 subtable (Adobe-Japan1 and Moji_Joho
                  sequences of the IVD): a default sequence of a mapped base,
                  a non-default one with its own glyph, a non-default one whose
                  base the Unicode cmap leaves out, a default one whose base it
                  leaves out, a non-default one whose glyph is empty; and a
                  mapped base with no sequence listed.
  cid_japan1.otf  a CID-keyed CFF font whose ROS is Adobe-Japan1-7: inked
                  glyphs at CIDs 34 (A), 1200, 8284 (Adobe-Japan1-1) and 23059
                  (the last of -7), an empty one at CID 20000 and the space at
                  CID 1; U+0041 and U+4E9C are mapped to CIDs 34 and 1200.
  reasons.ttf     a character for each reason a character is missing: A drawn,
                  B an empty glyph, C a glyph far below its cell, D the space's
                  glyph (blank), E the glyph OS/2 names the default one
                  (usDefaultChar), and every other letter unmapped.
  jis_symbols.ttf JIS X 0208 symbols of row 1 and 2 (※〒→♪ and more) with
                  ink, and U+3000 (the ideographic space) blank.
"""
import os
import sys

from fontTools.cffLib import FDArrayIndex, FDSelect, FontDict
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables._c_m_a_p import cmap_format_14

UPEM = 1000
JIS_SYMBOLS = "※〒→←↑↓♪☆★○●◎"


def box(pen, x0=100, y0=0, x1=900, y1=800):
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()


def truetype_glyph(inked):
    pen = TTGlyphPen(None)
    if inked:
        box(pen)
    return pen.glyph()


def finish(fb, family):
    fb.setupHorizontalMetrics({name: (UPEM, 0) for name in fb.font.getGlyphOrder()})
    fb.setupHorizontalHeader(ascent=880, descent=-120)
    fb.setupNameTable({"familyName": family, "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=880, sTypoDescender=-120, usWinAscent=880, usWinDescent=120)
    fb.setupPost()


def make_sequences(path):
    order = [".notdef", "space", "u4E08", "u4E08.alt", "u4E0E.alt", "u4E9C", "empty.alt"]
    fb = FontBuilder(UPEM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x4E08: "u4E08", 0x4E9C: "u4E9C"})
    fb.setupGlyf({name: truetype_glyph(name not in ("space", "empty.alt")) for name in order})
    finish(fb, "Sequence Test")
    table = cmap_format_14(14)
    table.platformID, table.platEncID, table.language = 0, 5, 0xFF
    table.cmap = {}
    table.uvsDict = {
        0xE0100: [(0x4E08, None), (0x4E0E, "u4E0E.alt")],
        0xE0101: [(0x4E08, "u4E08.alt"), (0x4E0E, None)],
        0xE0102: [(0x4E08, "empty.alt")],
    }
    fb.font["cmap"].tables.append(table)
    fb.save(path)


def make_cid_font(path):
    cids = [0, 1, 34, 1200, 8284, 20000, 23059]
    inked = {0, 34, 1200, 8284, 23059}
    order = [".notdef"] + ["cid%05d" % cid for cid in cids[1:]]
    fb = FontBuilder(UPEM, isTTF=False)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "cid00001", 0x41: "cid00034", 0x4E9C: "cid01200"})
    charstrings = {}
    for cid, name in zip(cids, order):
        pen = T2CharStringPen(UPEM, None)
        if cid in inked:
            box(pen)
        charstrings[name] = pen.getCharString()
    fb.setupCFF("CIDTest-Regular", {"FullName": "CID Test"}, charstrings, {})
    finish(fb, "CID Test")
    # Make the font CID-keyed: ROS, one font dict holding the private dict,
    # every glyph in it; the charset then names CIDs.
    top = fb.font["CFF "].cff.topDictIndex[0]
    top.ROS = ("Adobe", "Japan1", 7)
    top.CIDCount = 23060
    font_dict = FontDict()
    font_dict.setCFF2(False)
    font_dict.Private = top.Private
    font_dict.Private.fontDict = font_dict
    top.FDArray = FDArrayIndex()
    top.FDArray.append(font_dict)
    top.FDSelect = FDSelect()
    top.FDSelect.gidArray = [0] * len(order)
    top.rawDict.pop("Private", None)
    del top.Private
    fb.save(path)


def make_reasons(path):
    order = [".notdef", "space", "A", "B", "C", "E"]
    fb = FontBuilder(UPEM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x41: "A", 0x42: "B", 0x43: "C", 0x44: "space", 0x45: "E"})
    glyphs = {name: truetype_glyph(name in (".notdef", "A", "E")) for name in order}
    pen = TTGlyphPen(None)
    box(pen, 100, -3000, 900, -2500)  # ink, but far below the cell
    glyphs["C"] = pen.glyph()
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({name: (UPEM, 0) for name in order})
    fb.setupHorizontalHeader(ascent=880, descent=-120)
    fb.setupNameTable({"familyName": "Reasons Test", "styleName": "Regular"})
    fb.setupOS2(version=4, sTypoAscender=880, sTypoDescender=-120, usWinAscent=880,
                usWinDescent=120, usDefaultChar=0x45)
    fb.setupPost()
    fb.save(path)


def make_jis_symbols(path):
    names = {ch: "uni%04X" % ord(ch) for ch in JIS_SYMBOLS}
    order = [".notdef", "space", "ideographicspace"] + list(names.values())
    fb = FontBuilder(UPEM, isTTF=True)
    fb.setupGlyphOrder(order)
    mapping = {0x20: "space", 0x3000: "ideographicspace"}
    mapping.update({ord(ch): name for ch, name in names.items()})
    fb.setupCharacterMap(mapping)
    fb.setupGlyf({name: truetype_glyph(name not in ("space", "ideographicspace")) for name in order})
    finish(fb, "JIS Symbols Test")
    fb.save(path)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    make_sequences(os.path.join(out, "sequences.ttf"))
    make_cid_font(os.path.join(out, "cid_japan1.otf"))
    make_jis_symbols(os.path.join(out, "jis_symbols.ttf"))
    make_reasons(os.path.join(out, "reasons.ttf"))


if __name__ == "__main__":
    main()
