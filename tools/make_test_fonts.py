#!/usr/bin/python3
"""Builds the font files that the font-input tests read.

Usage: /usr/bin/python3 tools/make_test_fonts.py OUTPUT_DIR

Writes small TrueType and CFF fonts, collections, WOFF 1.0 and WOFF2 files made
from them and from real fonts (IPAGothic, DejaVu Sans), naming-table cases, and
the expected sfnt of every WOFF file:

  *.woff.sfnt   the sfnt the WOFF converter must produce, byte for byte. It is
                rebuilt here from the WOFF table directory by the format's rules
                (tables sorted by tag, data in the same order, 4-byte padding,
                checksums copied), and every table is checked against fontTools'
                own decompression and against the font the WOFF was made from.
                fontTools' own sfnt writer is not used for it because it puts
                the data in its recommended table order and recalculates the
                checksums and head.checkSumAdjustment.
  *.woff2.sfnt  the output of Debian's woff2_decompress (the same decoder
                library the program links) for the WOFF2 file.

Everything is deterministic (fixed timestamps), so both builds, native and
Windows, test the same bytes.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection
from fontTools.ttLib import woff2 as ft_woff2

FIXED_TIME = 3600 * 24 * 365 * 100  # seconds since 1904, some day in 2003
IPA_GOTHIC = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
DEJAVU_SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

GLYPHS = {".notdef": None, "A": 0x41, "V": 0x56, "hiragana_a": 0x3042, "space": 0x20}


def draw_box(pen, inset):
    pen.moveTo((100 + inset, 0))
    pen.lineTo((100 + inset, 700 - inset))
    pen.lineTo((500 - inset, 700 - inset))
    pen.lineTo((500 - inset, 0))
    pen.closePath()


def name_strings(family):
    return {"familyName": family, "styleName": "Regular", "uniqueFontIdentifier": family + " test",
            "fullName": family + " Regular", "psName": family.replace(" ", "") + "-Regular",
            "version": "Version 1.000"}


def build_font(is_ttf, family, names=None):
    fb = FontBuilder(1000, isTTF=is_ttf)
    fb.font.recalcTimestamp = False
    order = list(GLYPHS)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({code: name for name, code in GLYPHS.items() if code})
    if is_ttf:
        glyphs = {}
        for i, name in enumerate(order):
            pen = TTGlyphPen(None)
            if name != "space":
                draw_box(pen, 10 * i)
            glyphs[name] = pen.glyph()
        fb.setupGlyf(glyphs)
    else:
        charstrings = {}
        for i, name in enumerate(order):
            pen = T2CharStringPen(600, None)
            if name != "space":
                draw_box(pen, 10 * i)
            charstrings[name] = pen.getCharString()
        fb.setupCFF(family.replace(" ", ""), {"FullName": family}, charstrings, {})
    fb.setupHorizontalMetrics({name: (600, 100) for name in order})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable(names or name_strings(family))
    fb.setupOS2(sTypoAscender=800, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    fb.font["head"].created = fb.font["head"].modified = FIXED_TIME
    return fb.font


def woff_to_sfnt(woff):
    """The sfnt the WOFF converter builds, by the WOFF and sfnt format rules."""
    flavor, _, num_tables, _, total = struct.unpack(">IIHHI", woff[4:20])
    entries = [struct.unpack(">4sIIII", woff[44 + 20 * i:64 + 20 * i]) for i in range(num_tables)]
    entries.sort(key=lambda e: e[0])  # printable tags: plain byte order
    e = num_tables.bit_length() - 1 if num_tables else 0
    search_range = (1 << e) * 16 if num_tables else 0
    out = bytearray(struct.pack(">IHHHH", flavor, num_tables, search_range, e,
                                (num_tables * 16 - search_range) & 0xFFFF))
    position = 12 + 16 * num_tables
    tables = {}
    for tag, offset, comp_length, orig_length, checksum in entries:
        stored = woff[offset:offset + comp_length]
        tables[tag] = stored if comp_length == orig_length else zlib.decompress(stored)
        out += struct.pack(">4sIII", tag, checksum, position, orig_length)
        position += (orig_length + 3) & ~3
    for tag, *_ in entries:
        out += tables[tag] + b"\0" * (-len(tables[tag]) % 4)
    assert len(out) == total, "totalSfntSize disagrees with the table directory"
    return bytes(out), tables


def write_woff(font_path, out_dir, stem):
    """WOFF made by fontTools, and its expected sfnt checked against fontTools."""
    font = TTFont(font_path, recalcTimestamp=False, recalcBBoxes=False)
    font.flavor = "woff"
    woff_path = os.path.join(out_dir, stem + ".woff")
    font.save(woff_path, reorderTables=False)
    woff = open(woff_path, "rb").read()
    sfnt, tables = woff_to_sfnt(woff)
    decoded = TTFont(woff_path, lazy=True)
    original = TTFont(font_path, lazy=True)
    for tag, data in tables.items():
        name = tag.decode("latin-1")
        assert decoded.reader[name] == data, "fontTools decompresses %s differently" % name
        assert original.reader[name] == data, "%s differs from the original font" % name
    open(woff_path + ".sfnt", "wb").write(sfnt)


def write_woff2(font_path, out_dir, stem, transform_tables=None):
    woff2_path = os.path.join(out_dir, stem + ".woff2")
    ft_woff2.compress(font_path, woff2_path, transform_tables=transform_tables)
    # woff2_decompress writes NAME.ttf beside NAME.woff2, so it works on a copy.
    with tempfile.TemporaryDirectory() as work:
        copy = os.path.join(work, "font.woff2")
        shutil.copyfile(woff2_path, copy)
        subprocess.run(["woff2_decompress", copy], check=True, stdout=subprocess.DEVNULL)
        shutil.copyfile(os.path.join(work, "font.ttf"), woff2_path + ".sfnt")


def save(font, path):
    font.save(path, reorderTables=True)


def write_collections(out_dir, tt_path, cff_path):
    def collection(paths, name):
        tc = TTCollection()
        tc.fonts = [TTFont(p, recalcTimestamp=False) for p in paths]
        path = os.path.join(out_dir, name)
        tc.save(path)
        return path

    plain = collection([tt_path, cff_path], "collection.ttc")
    collection([cff_path, tt_path], "collection_otto_first.ttc")
    data = bytearray(open(plain, "rb").read())
    data[0:4] = b"TTCF"
    open(os.path.join(out_dir, "collection_caps.ttc"), "wb").write(data)


def write_name_cases(out_dir):
    # Family names on all four kinds of record; fontTools sorts the records as
    # OpenType prescribes and writes the Macintosh Japanese name in Shift_JIS.
    font = build_font(True, "Sorted Sans")
    name = font["name"]
    name.names = [r for r in name.names if r.nameID != 1]
    name.setName("Sorted Sans", 1, 1, 0, 0)
    name.setName("ソート ゴシック", 1, 1, 1, 11)
    name.setName("Sorted Sans W", 1, 3, 1, 0x409)
    name.setName("ソートゴシック", 1, 3, 1, 0x411)
    save(font, os.path.join(out_dir, "names_sorted.ttf"))

    # Only Macintosh Japanese and Windows English: the Macintosh name wins.
    font = build_font(True, "Mac Sans")
    name = font["name"]
    name.names = [r for r in name.names if r.nameID != 1]
    name.setName("マック ゴシック", 1, 1, 1, 11)
    name.setName("Mac Sans", 1, 3, 1, 0x409)
    save(font, os.path.join(out_dir, "names_mac_japanese.ttf"))

    # English and Japanese Windows family records with the same text share one
    # string, as in real CJK fonts; the full name shares it too.
    font = build_font(True, "Fold Sans")
    name = font["name"]
    name.names = [r for r in name.names if r.nameID not in (1, 4)]
    for lang in (0x409, 0x411):
        name.setName("Fold Sans", 1, 3, 1, lang)
        name.setName("Fold Sans", 4, 3, 1, lang)
    save(font, os.path.join(out_dir, "names_shared.ttf"))


def main():
    if shutil.which("woff2_decompress") is None:
        sys.exit("make_test_fonts.py: woff2_decompress not found (Debian package woff2)")
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    tt_path = os.path.join(out_dir, "tt.ttf")
    cff_path = os.path.join(out_dir, "cff.otf")
    save(build_font(True, "Test Sans"), tt_path)
    save(build_font(False, "Test Serif"), cff_path)
    write_collections(out_dir, tt_path, cff_path)
    write_name_cases(out_dir)

    dejavu = os.path.join(out_dir, "dejavu.ttf")
    shutil.copyfile(DEJAVU_SANS, dejavu)
    for path, stem in ((tt_path, "tt"), (cff_path, "cff"), (dejavu, "dejavu"), (IPA_GOTHIC, "ipag")):
        write_woff(path, out_dir, stem)
    for path, stem in ((tt_path, "tt"), (cff_path, "cff"), (dejavu, "dejavu")):
        write_woff2(path, out_dir, stem)
    # Stored without transforms, so the decoder gives back the original tables.
    write_woff2(dejavu, out_dir, "dejavu_plain", transform_tables=set())
    open(os.path.join(out_dir, "fonts.stamp"), "w").write("test fonts\n")


if __name__ == "__main__":
    main()
