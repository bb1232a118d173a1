#!/usr/bin/python3
"""Builds the small fonts the extended repertoires are tested with.

Usage: /usr/bin/python3 tools/make_repertoire_test_fonts.py OUTPUT_DIR

  sequences.ttf   a cmap format 14 subtable (Adobe-Japan1 and Moji_Joho
                  sequences of the IVD): a default sequence of a mapped base,
                  a non-default one with its own glyph, a non-default one whose
                  base the Unicode cmap leaves out, a default one whose base it
                  leaves out, a non-default one whose glyph is empty; and a
                  mapped base with no sequence listed. Its standardized
                  sequences (FE00) list U+0000 first, then U+349E with its own
                  glyph: FreeType's list of the selector's bases then reads as
                  empty.
  wide_selector.ttf  a default sequence of U+FE00 for every code point but
                  each 256th (more bases than the presence test keeps listed), of
                  which U+349E and U+3B9D are mapped, and U+3B9D U+FE01 with
                  its own glyph.
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

The vertical forms (HarfBuzz applies 'vert' top to bottom, never 'vrt2', and
without a 'vert' feature maps a character to its presentation form of
U+FE10-FE19 or U+FE30-FE4F when the font has that):
  vert.ttf        U+3001 、 U+3002 。 U+30FC ー U+FF08 （, U+3008 〈 and U+301C 〜
                  drawn; a 'vert' lookup maps the first four to glyphs of their
                  own, that of U+FF08 empty; U+3008 has no vertical glyph, and
                  its presentation form U+FE3F is mapped (unused: there is
                  'vert'); 'vert' makes two glyphs of U+301C.
  vert.woff       vert.ttf as a WOFF file.
  vert_empty.ttf  the characters of vert.ttf and every presentation form
                  mapped, and a 'vert' feature with no lookup.
  vrt2_only.ttf   the glyphs of vert.ttf, substituted by 'vrt2' alone.
  presentation_forms.ttf  no GSUB; the characters hb_vert_char_for knows in the
                  set, U+30FC, and U+FE10-FE19 and U+FE30-FE4F mapped, the
                  presentation form of U+3009 〉 (U+FE40) an empty glyph.
  vert_broken.ttf vert.ttf with its GSUB table overwritten by 0xFF bytes.
  vert_pair.ttc   a collection: presentation_forms.ttf, then vert.ttf.

The vertical metrics tables (あ drawn in each, family "Vertical Test"):
  vm_tt_vertical.ttf    TrueType with 'vhea' and 'vmtx'
  vm_tt_plain.ttf       TrueType without them
  vm_cff_vorg.otf       CFF with 'vhea', 'vmtx' and 'VORG'
  vm_cff_no_vorg.otf    CFF with 'vhea' and 'vmtx', no 'VORG'
"""
import os
import sys

from fontTools.cffLib import FDArrayIndex, FDSelect, FontDict
from fontTools.feaLib.builder import addOpenTypeFeaturesFromString
from fontTools.fontBuilder import FontBuilder
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.ttCollection import TTCollection
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables._c_m_a_p import cmap_format_14

UPEM = 1000
JIS_SYMBOLS = "※〒→←↑↓♪☆★○●◎"
# The characters of vert.ttf with their vertical glyphs (U+3008 has none).
VERT_CHARACTERS = [0x3001, 0x3002, 0x30FC, 0xFF08]
VERT_MAPPED = VERT_CHARACTERS + [0x3008, 0x301C]
# The presentation forms of UAX #50 that HarfBuzz substitutes
# (hb-ot-shape.cc, hb_vert_char_for), for the members of the set that have one.
PRESENTATION_FORMS = {
    0x3001: 0xFE11, 0x3002: 0xFE12, 0x3008: 0xFE3F, 0x3009: 0xFE40, 0x300A: 0xFE3D,
    0x300B: 0xFE3E, 0x300C: 0xFE41, 0x300D: 0xFE42, 0x300E: 0xFE43, 0x300F: 0xFE44,
    0x3010: 0xFE3B, 0x3011: 0xFE3C, 0x3014: 0xFE39, 0x3015: 0xFE3A, 0x3016: 0xFE17,
    0x3017: 0xFE18, 0xFF08: 0xFE35, 0xFF09: 0xFE36, 0xFF0C: 0xFE10, 0xFF1A: 0xFE13,
    0xFF3B: 0xFE47, 0xFF3D: 0xFE48, 0xFF3F: 0xFE33, 0xFF5B: 0xFE37, 0xFF5D: 0xFE38,
}
PRESENTATION_RANGE = list(range(0xFE10, 0xFE1A)) + list(range(0xFE30, 0xFE50))


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


def add_variation_sequences(fb, sequences):
    """A cmap format 14 subtable: {selector: [(base, glyph name or None for
    the default glyph)]}."""
    table = cmap_format_14(14)
    table.platformID, table.platEncID, table.language = 0, 5, 0xFF
    table.cmap = {}
    table.uvsDict = sequences
    fb.font["cmap"].tables.append(table)


def make_sequences(path):
    order = [".notdef", "space", "u4E08", "u4E08.alt", "u4E0E.alt", "u4E9C", "empty.alt", "u349E.alt"]
    fb = FontBuilder(UPEM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x4E08: "u4E08", 0x4E9C: "u4E9C"})
    fb.setupGlyf({name: truetype_glyph(name not in ("space", "empty.alt")) for name in order})
    finish(fb, "Sequence Test")
    add_variation_sequences(fb, {
        0xE0100: [(0x4E08, None), (0x4E0E, "u4E0E.alt")],
        0xE0101: [(0x4E08, "u4E08.alt"), (0x4E0E, None)],
        0xE0102: [(0x4E08, "empty.alt")],
        0xFE00: [(0x0000, None), (0x349E, "u349E.alt")],
    })
    fb.save(path)


def make_wide_selector(path):
    order = [".notdef", "space", "u349E", "u3B9D", "u3B9D.alt"]
    fb = FontBuilder(UPEM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x349E: "u349E", 0x3B9D: "u3B9D"})
    fb.setupGlyf({name: truetype_glyph(name != "space") for name in order})
    finish(fb, "Wide Selector Test")
    add_variation_sequences(fb, {
        # fontTools writes no range of more than 256, so every 256th code
        # point is left out: 1,109,760 bases.
        0xFE00: [(code, None) for code in range(1, 0x110000) if code % 256 != 0],
        0xFE01: [(0x3B9D, "u3B9D.alt")],
    })
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


def glyph_name(code_point):
    return "uni%04X" % code_point


def vertical_font(family, mapped, extra_glyphs=(), empty=()):
    """A font mapping `mapped` (code points) to inked glyphs, with the glyphs
    `extra_glyphs` unmapped; the glyphs named in `empty` have no outline."""
    order = [".notdef", "space"] + [glyph_name(c) for c in mapped] + list(extra_glyphs)
    fb = FontBuilder(UPEM, isTTF=True)
    fb.setupGlyphOrder(order)
    mapping = {0x20: "space"}
    mapping.update({c: glyph_name(c) for c in mapped})
    fb.setupCharacterMap(mapping)
    fb.setupGlyf({name: truetype_glyph(name not in ("space",) + tuple(empty)) for name in order})
    finish(fb, family)
    return fb


def vertical_rules(feature):
    rules = "".join("  sub %s by %s.vert;\n" % (glyph_name(c), glyph_name(c)) for c in VERT_CHARACTERS)
    rules += "  sub uni301C by uni3001.vert uni3002.vert;\n"  # one character, two glyphs
    return "languagesystem DFLT dflt;\nfeature %s {\n%s} %s;\n" % (feature, rules, feature)


def make_vert(path, feature="vert"):
    vertical = [glyph_name(c) + ".vert" for c in VERT_CHARACTERS]
    mapped = VERT_MAPPED + ([PRESENTATION_FORMS[0x3008]] if feature == "vert" else [])
    fb = vertical_font("Vert Test" if feature == "vert" else "Vrt2 Test", mapped, vertical,
                       empty=["uniFF08.vert"])
    addOpenTypeFeaturesFromString(fb.font, vertical_rules(feature))
    fb.save(path)


def make_vert_empty(path):
    fb = vertical_font("Vert Empty Test", VERT_MAPPED + PRESENTATION_RANGE,
                       [glyph_name(c) + ".vert" for c in VERT_CHARACTERS])
    addOpenTypeFeaturesFromString(fb.font, vertical_rules("vert"))
    # feaLib leaves out a feature without lookups: make one by emptying it.
    for record in fb.font["GSUB"].table.FeatureList.FeatureRecord:
        record.Feature.LookupListIndex = []
        record.Feature.LookupCount = 0
    fb.save(path)


def make_presentation_forms(path):
    mapped = sorted(PRESENTATION_FORMS) + [0x30FC] + PRESENTATION_RANGE
    fb = vertical_font("Presentation Forms Test", mapped, empty=[glyph_name(0xFE40)])
    fb.save(path)


def make_vert_broken(vert_path, path):
    """vert.ttf with every byte of its GSUB table 0xFF: offsets far past the
    table, counts of 65535."""
    data = bytearray(open(vert_path, "rb").read())
    tables = int.from_bytes(data[4:6], "big")
    for record in range(12, 12 + 16 * tables, 16):
        if data[record:record + 4] == b"GSUB":
            offset = int.from_bytes(data[record + 8:record + 12], "big")
            length = int.from_bytes(data[record + 12:record + 16], "big")
            data[offset:offset + length] = b"\xFF" * length
    open(path, "wb").write(bytes(data))


def make_woff(ttf_path, path):
    font = TTFont(ttf_path)
    font.flavor = "woff"
    font.save(path)


def make_collection(paths, path):
    collection = TTCollection()
    collection.fonts = [TTFont(each) for each in paths]
    collection.save(path)


def make_vertical_metrics(path, cff, vertical, vorg=False):
    order = [".notdef", "a"]
    fb = FontBuilder(UPEM, isTTF=not cff)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x3042: "a"})
    if cff:
        charstrings = {}
        for name in order:
            pen = T2CharStringPen(UPEM, None)
            box(pen)
            charstrings[name] = pen.getCharString()
        fb.setupCFF("VerticalTest-Regular", {"FullName": "Vertical Test"}, charstrings, {})
    else:
        fb.setupGlyf({name: truetype_glyph(True) for name in order})
    finish(fb, "Vertical Test")
    if vertical:
        fb.setupVerticalMetrics({name: (UPEM, 120) for name in order})
        fb.setupVerticalHeader(ascent=500, descent=-500)
    if vorg:
        table = newTable("VORG")
        table.majorVersion, table.minorVersion = 1, 0
        table.defaultVertOriginY = 880
        table.VOriginRecords = {}
        table.numVertOriginYMetrics = 0
        fb.font["VORG"] = table
    fb.save(path)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    make_sequences(os.path.join(out, "sequences.ttf"))
    make_wide_selector(os.path.join(out, "wide_selector.ttf"))
    make_cid_font(os.path.join(out, "cid_japan1.otf"))
    make_jis_symbols(os.path.join(out, "jis_symbols.ttf"))
    make_reasons(os.path.join(out, "reasons.ttf"))
    vert = os.path.join(out, "vert.ttf")
    make_vert(vert)
    make_woff(vert, os.path.join(out, "vert.woff"))
    make_vert(os.path.join(out, "vrt2_only.ttf"), feature="vrt2")
    make_vert_empty(os.path.join(out, "vert_empty.ttf"))
    forms = os.path.join(out, "presentation_forms.ttf")
    make_presentation_forms(forms)
    make_vert_broken(vert, os.path.join(out, "vert_broken.ttf"))
    make_collection([forms, vert], os.path.join(out, "vert_pair.ttc"))
    make_vertical_metrics(os.path.join(out, "vm_tt_vertical.ttf"), cff=False, vertical=True)
    make_vertical_metrics(os.path.join(out, "vm_tt_plain.ttf"), cff=False, vertical=False)
    make_vertical_metrics(os.path.join(out, "vm_cff_vorg.otf"), cff=True, vertical=True, vorg=True)
    make_vertical_metrics(os.path.join(out, "vm_cff_no_vorg.otf"), cff=True, vertical=True)


if __name__ == "__main__":
    main()
