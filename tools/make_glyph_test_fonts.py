#!/usr/bin/python3
"""Builds the small fonts that test the glyph presence test, with FreeType
(the command-line tool) and with GDI (the Windows program, under Wine), and
the agreement of the two.

Usage: /usr/bin/python3 tools/make_glyph_test_fonts.py OUTPUT_DIR

Every font has 1500 units per em, winAscent 1200 and winDescent 300. At the
measuring size (15 pixels per em) one pixel is exactly 100 units, the ascent
is 12 pixels and the descent 3, so the character cell is 15 pixels high with
the baseline at row 12; an advance of 600 units is 6 pixels. Boxes below are
in font units (x0, y0, x1, y1), y up from the baseline. No font has hinting
instructions.

glyphtest_edges.ttf, family "Glyph Edges": one character per case of the ink
test (expected result on both backends after the arrow):
  U+0020 space  no outline; the blank glyph                  -> missing
  A  box (100,0,500,700) inside the cell                     -> present
  B  no outline, advance 600 (empty glyph)                   -> missing
  C  box (100,0,500,700), advance 0 (no cell)                -> missing
  D  box (800,0,1100,700), advance 600: right of the cell,
     two pixels clear of it                                  -> missing
  E  box (100,-700,500,-500): below the cell only            -> missing
  F  box (-500,0,-200,700): left of x = 0 only               -> missing
  G  box (0,0,100,700): the cell's first column only         -> present
  H  box (100,1400,500,1600): above the cell only            -> missing
  I  box (600,0,800,700), advance 600: starts exactly at the
     advance. The ink scan walks a row until its first red
     pixel, and the pixel just right of the cell is ink, not
     red, so this counts                                     -> present
  J  box (0,-400,100,-300): first column of the row just
     below the cell. Real Windows would draw it there, and its
     scan, finding that row begins with ink instead of red,
     would count it; Wine draws nothing outside the cell's
     rows, and FreeType's test follows Wine                  -> missing
  K  mapped to the space glyph                               -> missing
  U+20B9F (level-3 kanji), U+2000B, U+20089 (level-4 kanji):
     box (100,0,500,700), through cmap format 12             -> present
  U+20B9E  mapped to the empty glyph                          -> missing
  .notdef has ink (box (100,0,500,1000)), so an unmapped character that a
  backend wrongly drew would show up as present.

glyphtest_default.ttf, family "Glyph Default": OS/2 usDefaultChar is "?":
  ?  box (100,0,500,700), the default glyph                  -> missing
  Z  mapped to the glyph of "?"                               -> missing
  A  box (100,0,500,700)                                      -> present
  Under Wine this font measures differently (its Uniscribe reports glyph 0
  as the default glyph, and GDI hands unmapped characters the glyph of
  usDefaultChar); see the notes in coverage/presence/glyph_presence_freetype.cpp.

glyphtest_full.ttf, family "Glyph Full": one inked glyph (box
(100,0,500,700)) mapped from every character of LatinLetters, Digits,
AsciiSymbols, Hiragana, Katakana, GreekLetters and CyrillicLetters, and from
the ten small Roman numerals U+2170..U+2179 (IbmExtensions' first chunk), and
from nothing else; the space is not mapped. Its report:
  英字：全52 数字：全10 記号：全32 ひらがな：全77 カタカナ：全78, the six kanji
  sets and NEC特殊文字 "－", IBM拡張文字：10/388, ギリシア文字：全48,
  キリル文字：全66.

glyphtest_collection.ttc: a TrueType collection of glyphtest_edges.ttf's font
followed by glyphtest_full.ttf's; only the first is measured.

glyphtest_cff.otf, family "Glyph CFF": CFF outlines ("OTTO"), A and B as in
glyphtest_edges.ttf (A present, B missing).

glyphtest_strike.ttf, family "Glyph Strike": a bitmap strike for 15 pixels
per em (EBLC/EBDT) that holds two of its glyphs, which FreeType draws from
the strike's bitmap instead of the outline:
  A  box (100,0,500,700); its bitmap is blank                 -> missing
  B  box (100,0,500,700); not in the strike                   -> present
  C  no outline; its bitmap is a 4 x 4 block                  -> present
  (FreeType only: GDI's use of strikes depends on the system's settings.)

Three fonts of 77 hiragana glyphs (glyph i + 1 draws the i-th character of
the Hiragana set, box (100,0,500,700), advance 600) whose hinting changes the
verdict of glyphs that a sample of 64 glyphs spread over the font (glyphs
1 + i * 77 // 64) skips, as FreeType's TrueType interpreter runs them; each
has a 'prep' program, so FreeType runs the font's own hinting, not its
auto-hinter. The exact ink test gives the counts after the arrow; judging
glyphs from their unhinted outline would count all 77:
glyphtest_programs.ttf, family "Glyph Programs": five unsampled glyphs have
  programs that put every point at y = 0 (MIAP to a CVT entry of 0), five
  more programs that touch each point (MDAP) and move it 30 pixels up
  (SHPIX), above the cell                                    -> ひらがな 67/77
glyphtest_hdmx.ttf, family "Glyph Hdmx": no glyph programs; 'prep' turns
  off FreeType's backward compatibility (INSTCTRL selector 3, value 4), so
  the 'hdmx' widths apply, and 'hdmx' gives ten unsampled glyphs a width of 0
  at 15 pixels per em: no cell                               -> ひらがな 67/77
glyphtest_opposed.ttf, family "Glyph Opposed": 1920 units per em (a pixel
  is 128 units); no glyph programs; the first glyph is, instead of its box,
  a contour (128,0,240,896) wound one way and seven contours (240,0,256,896)
  wound the other way: in pixel column 1 the winding is +1 over seven eighths
  and -7 over the last eighth, so the rasteriser gives that column no
  coverage at all, though the first contour has a clear inside
                                                             -> ひらがな 76/77

glyphtest_bitmap_only.ttf, family "Glyph Strike": the strike font's bitmaps
for 12 pixels per em only, and no outlines: FreeType opens it but cannot
draw it at 15 pixels per em, so it is not measured (its own reason).

glyphtest_full.woff, glyphtest_full.woff2: glyphtest_full.ttf wrapped as WOFF
and WOFF2; their reports are the same as the plain font's.

glyphtest_true.woff: glyphtest_full.ttf as WOFF with the sfnt version "true"
(an old Macintosh TrueType tag), which the program does not measure.
"""
import array
import io
import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.tables import ttProgram
from fontTools.ttLib.ttCollection import TTCollection

UNITS_PER_EM = 1500
ASCENT = 1200
DESCENT = 300
FIXED_TIME = 3600 * 24 * 365 * 100  # seconds since 1904, some day in 2003
INK = (100, 0, 500, 700)

LATIN = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
DIGITS = "0123456789"
ASCII_SYMBOLS = "".join(chr(c) for c in list(range(0x21, 0x30)) + list(range(0x3A, 0x41))
                        + list(range(0x5B, 0x5F)) + [0x60] + list(range(0x7B, 0x7F)) + [0x5F])
HIRAGANA = ("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよわをん"
            "がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉゃゅょゎゐゑ")
KATAKANA = ("アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨワヲン"
            "ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポァィゥェォャュョヮヰヱヴ")
GREEK = "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩαβγδεζηθικλμνξοπρστυφχψω"
CYRILLIC = ("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
            "абвгдеёжзийклмнопрстуфхцчшщъыьэюя")
SMALL_ROMAN = "".join(chr(c) for c in range(0x2170, 0x217A))


def draw_box(pen, box):
    """A rectangle (x0, y0, x1, y1), clockwise; nothing for None."""
    if box is not None:
        x0, y0, x1, y1 = box
        pen.moveTo((x0, y0))
        pen.lineTo((x0, y1))
        pen.lineTo((x1, y1))
        pen.lineTo((x1, y0))
        pen.closePath()


def tt_box(box):
    pen = TTGlyphPen(None)
    draw_box(pen, box)
    return pen.glyph()


def cff_box(box, advance):
    pen = T2CharStringPen(advance, None)
    draw_box(pen, box)
    return pen.getCharString()


def build(family, glyphs, cmap, default_char=0, cff=False, units_per_em=UNITS_PER_EM):
    """glyphs: list of (name, box or None, advance); cmap: code point -> name."""
    fb = FontBuilder(units_per_em, isTTF=not cff)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder([name for name, _, _ in glyphs])
    fb.setupCharacterMap(cmap)
    if cff:
        fb.setupCFF(family.replace(" ", "") + "-Regular", {"FullName": family},
                    {name: cff_box(box, advance) for name, box, advance in glyphs}, {})
    else:
        fb.setupGlyf({name: tt_box(box) for name, box, _ in glyphs})
    metrics = {}
    for name, box, advance in glyphs:
        metrics[name] = (advance, box[0] if box is not None else 0)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT)
    fb.setupNameTable({"familyName": family, "styleName": "Regular",
                       "uniqueFontIdentifier": family + " glyph test",
                       "fullName": family + " Regular",
                       "psName": family.replace(" ", "") + "-Regular",
                       "version": "Version 1.000"})
    fb.setupOS2(version=4, sTypoAscender=ASCENT, sTypoDescender=-DESCENT, sTypoLineGap=0,
                usWinAscent=ASCENT, usWinDescent=DESCENT, usDefaultChar=default_char,
                usBreakChar=0x20)
    fb.setupPost()
    fb.font["head"].created = fb.font["head"].modified = FIXED_TIME
    return fb.font


def edges_font():
    glyphs = [
        (".notdef", (100, 0, 500, 1000), 600),
        ("space", None, 600),
        ("A", INK, 600),
        ("B", None, 600),
        ("C", INK, 0),
        ("D", (800, 0, 1100, 700), 600),
        ("E", (100, -700, 500, -500), 600),
        ("F", (-500, 0, -200, 700), 600),
        ("G", (0, 0, 100, 700), 600),
        ("H", (100, 1400, 500, 1600), 600),
        ("I", (600, 0, 800, 700), 600),
        ("J", (0, -400, 100, -300), 600),
        ("u20B9F", INK, 1500),
        ("u2000B", INK, 1500),
        ("u20089", INK, 1500),
    ]
    cmap = {0x20: "space", 0x4B: "space", 0x20B9E: "B"}
    for name, _, _ in glyphs:
        if len(name) == 1:
            cmap[ord(name)] = name
        elif name.startswith("u2"):
            cmap[int(name[1:], 16)] = name
    return build("Glyph Edges", glyphs, cmap)


def default_font():
    glyphs = [(".notdef", None, 600), ("space", None, 600), ("question", INK, 600), ("A", INK, 600)]
    cmap = {0x20: "space", 0x3F: "question", 0x5A: "question", 0x41: "A"}
    return build("Glyph Default", glyphs, cmap, default_char=0x3F)


def full_font():
    glyphs = [(".notdef", None, 600), ("ink", INK, 1500)]
    text = LATIN + DIGITS + ASCII_SYMBOLS + HIRAGANA + KATAKANA + GREEK + CYRILLIC + SMALL_ROMAN
    return build("Glyph Full", glyphs, {ord(c): "ink" for c in text})


def cff_font():
    glyphs = [(".notdef", None, 600), ("space", None, 600), ("A", INK, 600), ("B", None, 600)]
    return build("Glyph CFF", glyphs, {0x20: "space", 0x41: "A", 0x42: "B"}, cff=True)


# The strike of glyphtest_strike.ttf: 1-bit bitmaps for 15 pixels per em,
# glyph 2 (A, blank) and glyph 4 (C, a 4 x 4 block), in fontTools' XML form.
STRIKE_LINE_METRICS = "".join(
    f'<{name} value="{value}"/>' for name, value in [
        ("ascender", 12), ("descender", -3), ("widthMax", 6), ("caretSlopeNumerator", 0),
        ("caretSlopeDenominator", 0), ("caretOffset", 0), ("minOriginSB", 0),
        ("minAdvanceSB", 0), ("maxBeforeBL", 12), ("minAfterBL", -3), ("pad1", 0), ("pad2", 0)])
STRIKE_XML = f"""<?xml version="1.0" encoding="UTF-8"?>
<ttFont>
<EBLC>
  <header version="2.0"/>
  <strike index="0">
    <bitmapSizeTable>
      <sbitLineMetrics direction="hori">{STRIKE_LINE_METRICS}</sbitLineMetrics>
      <sbitLineMetrics direction="vert">{STRIKE_LINE_METRICS}</sbitLineMetrics>
      <colorRef value="0"/><startGlyphIndex value="2"/><endGlyphIndex value="4"/>
      <ppemX value="15"/><ppemY value="15"/><bitDepth value="1"/><flags value="1"/>
    </bitmapSizeTable>
    <eblc_index_sub_table_1 imageFormat="1" firstGlyphIndex="2" lastGlyphIndex="2">
      <glyphLoc id="2" name="A"/>
    </eblc_index_sub_table_1>
    <eblc_index_sub_table_1 imageFormat="1" firstGlyphIndex="4" lastGlyphIndex="4">
      <glyphLoc id="4" name="C"/>
    </eblc_index_sub_table_1>
  </strike>
</EBLC>
<EBDT>
  <header version="2.0"/>
  <strikedata index="0">
    <ebdt_bitmap_format_1 name="A">
      <SmallGlyphMetrics><height value="4"/><width value="4"/><BearingX value="1"/>
        <BearingY value="4"/><Advance value="6"/></SmallGlyphMetrics>
      <rawimagedata>00 00 00 00</rawimagedata>
    </ebdt_bitmap_format_1>
    <ebdt_bitmap_format_1 name="C">
      <SmallGlyphMetrics><height value="4"/><width value="4"/><BearingX value="1"/>
        <BearingY value="4"/><Advance value="6"/></SmallGlyphMetrics>
      <rawimagedata>f0 f0 f0 f0</rawimagedata>
    </ebdt_bitmap_format_1>
  </strikedata>
</EBDT>
</ttFont>
"""


def strike_font():
    glyphs = [(".notdef", None, 600), ("space", None, 600), ("A", INK, 600), ("B", INK, 600),
              ("C", None, 600)]
    font = build("Glyph Strike", glyphs, {0x20: "space", 0x41: "A", 0x42: "B", 0x43: "C"})
    font.importXML(io.StringIO(STRIKE_XML))
    return font


def bitmap_only_font():
    """glyphtest_strike.ttf's strike for 12 pixels per em instead of 15, and
    no outlines: no 'glyf', 'loca' or CFF table."""
    font = strike_font()
    for tag in ("glyf", "loca"):
        del font[tag]
    font["maxp"].tableVersion = 0x00005000
    font.importXML(io.StringIO(STRIKE_XML.replace('<ppemX value="15"/><ppemY value="15"/>',
                                                  '<ppemX value="12"/><ppemY value="12"/>')))
    return font


def program(assembly):
    """A TrueType program from its assembly text."""
    result = ttProgram.Program()
    result.fromAssembly(assembly)
    return result


def hiragana_font(family, units_per_em=UNITS_PER_EM):
    """77 hiragana glyphs with a 'prep' (see the module text); the glyph names
    of the ones a 64-glyph sample skips."""
    glyphs = [(".notdef", None, 600)] + [(f"h{i:02d}", INK, 600) for i in range(len(HIRAGANA))]
    cmap = {ord(c): f"h{i:02d}" for i, c in enumerate(HIRAGANA)}
    font = build(family, glyphs, cmap, units_per_em=units_per_em)
    count = len(glyphs) - 1
    sampled = {1 + i * count // 64 for i in range(64)}
    skipped = [glyphs[g][0] for g in range(1, len(glyphs)) if g not in sampled]
    font["prep"] = newTable("prep")
    font["prep"].program = program("SVTCA[0]")
    maxp = font["maxp"]
    maxp.maxZones, maxp.maxTwilightPoints, maxp.maxStorage = 1, 0, 0
    maxp.maxFunctionDefs, maxp.maxInstructionDefs, maxp.maxStackElements = 0, 0, 16
    return font, skipped


def programs_font():
    font, skipped = hiragana_font("Glyph Programs")
    font["cvt "] = newTable("cvt ")
    font["cvt "].values = array.array("h", [0])
    flatten = "SVTCA[0]\n" + "".join(f"PUSHB[ ] {p} 0\nMIAP[0]\n" for p in range(4))
    lift = "SVTCA[0]\n" + "".join(f"PUSHB[ ] {p}\nMDAP[0]\nPUSHW[ ] {p} 1920\nSHPIX[ ]\n"
                                  for p in range(4))
    longest = 0
    for k, name in enumerate(skipped[:10]):
        glyph = font["glyf"][name]
        glyph.program = program(flatten if k < 5 else lift)
        longest = max(longest, len(glyph.program.getBytecode()))
    font["maxp"].maxSizeOfInstructions = longest
    return font


def hdmx_font():
    font, skipped = hiragana_font("Glyph Hdmx")
    font["prep"].program = program("PUSHB[ ] 4 3\nINSTCTRL[ ]")
    widths = {name: 6 for name in font.getGlyphOrder()}
    for name in skipped[:10]:
        widths[name] = 0
    font["hdmx"] = newTable("hdmx")
    font["hdmx"].hdmx = {15: widths}
    return font


def opposed_font():
    # 1920 units per em: a pixel is 128 units, a 26.6 unit 2.
    font, _ = hiragana_font("Glyph Opposed", units_per_em=1920)
    pen = TTGlyphPen(None)
    draw_box(pen, (128, 0, 240, 896))  # clockwise, 7/8 pixel wide
    for _ in range(7):  # counter-clockwise, on the pixel's last eighth
        pen.moveTo((240, 0))
        pen.lineTo((256, 0))
        pen.lineTo((256, 896))
        pen.lineTo((240, 896))
        pen.closePath()
    font["glyf"]["h00"] = pen.glyph()
    font["hmtx"]["h00"] = (600, 128)  # the left side bearing is the glyph's xMin
    return font

def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    fonts = {
        "glyphtest_edges.ttf": edges_font(),
        "glyphtest_default.ttf": default_font(),
        "glyphtest_full.ttf": full_font(),
        "glyphtest_cff.otf": cff_font(),
        "glyphtest_strike.ttf": strike_font(),
        "glyphtest_programs.ttf": programs_font(),
        "glyphtest_hdmx.ttf": hdmx_font(),
        "glyphtest_opposed.ttf": opposed_font(),
        "glyphtest_bitmap_only.ttf": bitmap_only_font(),
    }
    for name, font in fonts.items():
        font.save(os.path.join(out_dir, name), reorderTables=True)
    for flavor in ("woff", "woff2"):
        font = TTFont(os.path.join(out_dir, "glyphtest_full.ttf"))
        font.flavor = flavor
        font.save(os.path.join(out_dir, "glyphtest_full." + flavor))
    font = TTFont(os.path.join(out_dir, "glyphtest_full.ttf"))
    font.sfntVersion = "true"
    font.flavor = "woff"
    font.save(os.path.join(out_dir, "glyphtest_true.woff"))
    collection = TTCollection()
    collection.fonts = [TTFont(os.path.join(out_dir, "glyphtest_edges.ttf")),
                        TTFont(os.path.join(out_dir, "glyphtest_full.ttf"))]
    collection.save(os.path.join(out_dir, "glyphtest_collection.ttc"))


if __name__ == "__main__":
    main()
