#!/usr/bin/python3
"""Builds the small fonts that the Windows glyph presence tests measure.

Usage: /usr/bin/python3 tools/make_gdi_test_fonts.py OUTPUT_DIR

All fonts have 1000 units per em, winAscent 800 and winDescent 200, so at the
measuring size (15 pixels per em) the character cell is 15 pixels high and an
advance of 600 units is 9 pixels wide.

  gdi_edge.ttf ("Edge Sans"): one character per case of the ink test
      A       a box inside the cell                      present
      space   no outline (the font's blank glyph)        missing
      B       no outline, advance 600                    missing
      C       a box, advance 0 (empty cell)              missing
      D       a box right of the cell only               missing
      E       a box below the cell only                  missing
      F       a box starting in the cell's first column  present
      H       a box above the cell only                  missing
      (Wine 8 gives the glyphs of E and H a black box of negative height and
      would end the process drawing them; the glyph test must not draw them.)
      U+20B9F, U+2000B  boxes, reached through a surrogate pair   present
      .notdef a box (the default glyph has ink)
  gdi_twin_a.ttf, gdi_twin_b.ttf ("Twin Sans"): the same family; the first
      draws only A, the second only B. Measured one after the other, each must
      be measured through its own registration.
  gdi_mac_japanese.ttf: family names "マック ゴシック" (Macintosh Japanese, the
      name the report shows) and "Mac Gothic" (Windows English, the only name
      GDI knows it by); draws A, B, C, あ, ア and 亜.
  gdi_mac_only.ttf: the same glyphs, and its only family name is the
      Macintosh English "Mac Only". GDI may know it by no name at all; then
      the Windows program reports its name line only, never another font.
  ipag_gsub_past_end.ttf: IPAGothic whose GSUB length runs 4 KiB past the end
      of the file. Shaping alone uses GSUB: both glyph tests give the full report.
  gdi_glyf_past_end.ttf ("Broken Sans"): a glyf table that runs past the end of
      the file; the font cannot be measured (its name line only).
  gdi_symbol.ttf ("Symbol Test"): a symbol font, whose only cmap subtable is
      Windows Symbol (3,0), format 4. Its characters lie at U+F020-U+F0FF, where
      GDI looks up the characters U+0020-U+00FF of text drawn with it:
      U+F020 (space) no outline; U+F041 (A), U+F05A (Z), U+F061 (a), U+F030 (0),
      U+F039 (9), U+F021 (!) boxes; U+0042 (B) a box at its own code, as in the
      old symbol fonts that GDI also reads; U+F0B1 a box (no set holds U+00B1).
      Letters 4 (A B Z a), digits 2, ASCII symbols 1 (!).
"""
import os
import struct
import sys

from fontTools.fontBuilder import FontBuilder
from make_glyph_test_fonts import tt_box

FIXED_TIME = 3600 * 24 * 365 * 100  # seconds since 1904, some day in 2003


def box(x0, y0, x1, y1):
    return tt_box((x0, y0, x1, y1))


def empty():
    return tt_box(None)


def build(path, family, glyphs, family_records=None):
    """glyphs: list of (name, code point or None, glyph, advance, lsb);
    family_records: (text, platform, encoding, language) of the family-name
    records that replace the usual ones."""
    fb = FontBuilder(1000, isTTF=True)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder([g[0] for g in glyphs])
    fb.setupCharacterMap({code: name for name, code, _, _, _ in glyphs if code is not None})
    fb.setupGlyf({name: glyph for name, _, glyph, _, _ in glyphs})
    fb.setupHorizontalMetrics({name: (advance, lsb) for name, _, _, advance, lsb in glyphs})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": family, "styleName": "Regular",
                       "uniqueFontIdentifier": family + " gdi test",
                       "fullName": family + " Regular",
                       "psName": family.replace(" ", "") + "-Regular",
                       "version": "Version 1.000"})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    if family_records is not None:
        name = fb.font["name"]
        name.names = [r for r in name.names if r.nameID != 1]
        for text, platform, encoding, language in family_records:
            name.setName(text, 1, platform, encoding, language)
    fb.font["head"].created = fb.font["head"].modified = FIXED_TIME
    fb.font.save(path, reorderTables=True)


IPAGOTHIC = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"


def with_table_past_end(path, out_path, tag):
    """A copy of the font whose `tag` table record runs 4 KiB past the end."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    for k in range(struct.unpack(">H", data[4:6])[0]):
        record = 12 + 16 * k
        if data[record:record + 4] == tag:
            offset = struct.unpack(">I", data[record + 8:record + 12])[0]
            struct.pack_into(">I", data, record + 12, len(data) - offset + 4096)
            break
    else:
        raise KeyError(tag)
    with open(out_path, "wb") as f:
        f.write(data)


def build_symbol(path):
    """gdi_symbol.ttf: the cmap replaced by one (3,0) format 4 subtable."""
    from fontTools.ttLib.tables._c_m_a_p import CmapSubtable
    glyphs = [
        (".notdef", None, box(100, 0, 500, 700), 600, 100),
        ("space", 0xF020, empty(), 600, 0),
        ("A", 0xF041, box(100, 0, 500, 700), 600, 100),
        ("Z", 0xF05A, box(100, 0, 500, 700), 600, 100),
        ("a", 0xF061, box(100, 0, 500, 500), 600, 100),
        ("zero", 0xF030, box(100, 0, 500, 700), 600, 100),
        ("nine", 0xF039, box(100, 0, 500, 700), 600, 100),
        ("exclam", 0xF021, box(250, 0, 350, 700), 600, 250),
        ("B", 0x42, box(100, 0, 500, 700), 600, 100),
        ("plusminus", 0xF0B1, box(100, 0, 500, 700), 600, 100),
    ]
    build(path, "Symbol Test", glyphs)
    from fontTools.ttLib import TTFont
    font = TTFont(path)
    symbol = CmapSubtable.newSubtable(4)
    symbol.platformID, symbol.platEncID, symbol.language = 3, 0, 0
    symbol.cmap = {code: name for name, code, _, _, _ in glyphs if code is not None}
    font["cmap"].tables = [symbol]
    font["OS/2"].ulCodePageRange1 = 1 << 31  # the symbol character set
    font["OS/2"].ulUnicodeRange1 = font["OS/2"].ulUnicodeRange2 = 0
    font["OS/2"].ulUnicodeRange3 = font["OS/2"].ulUnicodeRange4 = 0
    font["OS/2"].usFirstCharIndex, font["OS/2"].usLastCharIndex = 0xF020, 0xF0FF
    font.recalcTimestamp = False
    font.save(path, reorderTables=True)


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    notdef = (".notdef", None, box(100, 0, 500, 700), 600, 100)
    build(os.path.join(out_dir, "gdi_edge.ttf"), "Edge Sans", [
        notdef,
        ("space", 0x20, empty(), 600, 0),
        ("A", 0x41, box(100, 0, 500, 700), 600, 100),
        ("B", 0x42, empty(), 600, 0),
        ("C", 0x43, box(100, 0, 500, 700), 0, 100),
        ("D", 0x44, box(750, 0, 950, 700), 600, 750),
        ("E", 0x45, box(100, -700, 500, -300), 600, 100),
        ("F", 0x46, box(0, 0, 300, 700), 600, 0),
        ("H", 0x48, box(100, 850, 500, 950), 600, 100),
        ("u20B9F", 0x20B9F, box(100, 0, 500, 700), 600, 100),
        ("u2000B", 0x2000B, box(150, 0, 450, 650), 600, 150),
    ])
    build(os.path.join(out_dir, "gdi_twin_a.ttf"), "Twin Sans", [
        notdef,
        ("space", 0x20, empty(), 600, 0),
        ("A", 0x41, box(100, 0, 500, 700), 600, 100),
    ])
    kana_kanji = [
        notdef,
        ("space", 0x20, empty(), 600, 0),
        ("A", 0x41, box(100, 0, 500, 700), 600, 100),
        ("B", 0x42, box(100, 0, 500, 700), 600, 100),
        ("C", 0x43, box(100, 0, 500, 700), 600, 100),
        ("a", 0x3042, box(100, 0, 900, 700), 1000, 100),
        ("a_kata", 0x30A2, box(100, 0, 900, 700), 1000, 100),
        ("a_kanji", 0x4E9C, box(100, 0, 900, 700), 1000, 100),
    ]
    build(os.path.join(out_dir, "gdi_mac_japanese.ttf"), "Mac Gothic", kana_kanji,
          [("マック ゴシック", 1, 1, 11), ("Mac Gothic", 3, 1, 0x409)])
    build(os.path.join(out_dir, "gdi_mac_only.ttf"), "Mac Only", kana_kanji,
          [("Mac Only", 1, 0, 0)])
    build(os.path.join(out_dir, "gdi_twin_b.ttf"), "Twin Sans", [
        notdef,
        ("space", 0x20, empty(), 600, 0),
        ("B", 0x42, box(100, 0, 500, 700), 600, 100),
    ])
    with_table_past_end(IPAGOTHIC, os.path.join(out_dir, "ipag_gsub_past_end.ttf"), b"GSUB")
    broken = os.path.join(out_dir, "gdi_glyf_past_end.ttf")
    build(broken, "Broken Sans", [notdef, ("space", 0x20, empty(), 600, 0),
                                  ("A", 0x41, box(100, 0, 500, 700), 600, 100)])
    with_table_past_end(broken, broken, b"glyf")
    build_symbol(os.path.join(out_dir, "gdi_symbol.ttf"))


if __name__ == "__main__":
    main()
