#!/usr/bin/python3
"""Builds the folders of font files that the Windows program's tests step through.

Usage: /usr/bin/python3 tools/make_app_test_fonts.py OUTPUT_DIR

  natural/  a10.ttf, a2.otf, A1.woff2: natural file-name order.
  mixed/    one font of every accepted container, a refused file, a file the
            tests keep locked, a text file and a subfolder named like a font:
              m1.ttf    TrueType, family GcMixedTtf: a-z A-Z 0-9 and 一
              m2.otf    CFF, family GcMixedOtf: 0-4
              m3.ttc    collection; first font GcMixedTtc: あいうえお
                        (the second font, GcMixedSecond, draws A-Z)
              m4.woff   WOFF 1.0 of TrueType, family GcMixedWoff: アイウ
              m5.woff2  WOFF2 of TrueType, family GcMixedWoff2: ΑΒΓ
              m6.ttf    refused: sfnt version 0x00020000
              m7.ttf    TrueType, family GcMixedLocked (the tests lock it)
              notes.txt, m8.ttf/inner.ttf
  cancel/   c1.ttf c2.ttf c3.ttf: GcCancelOne/Two/Three, every kanji of
            U+4E00-U+9FFF and the kana, so that a measurement takes a while.
  empty/    no font file at all (notes.txt only).

Every glyph is a filled box, so it draws ink. Deterministic output.
"""
import os
import shutil
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.ttCollection import TTCollection

LATIN = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
DIGITS = "0123456789"


def draw_box(pen):
    pen.moveTo((100, 0))
    pen.lineTo((100, 700))
    pen.lineTo((500, 700))
    pen.lineTo((500, 0))
    pen.closePath()


def build_font(family, text, is_ttf=True):
    """A font drawing a box for each character of `text`."""
    codes = sorted(set(ord(c) for c in text))
    order = [".notdef"] + ["u%04X" % code for code in codes]
    fb = FontBuilder(1000, isTTF=is_ttf)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({code: "u%04X" % code for code in codes})
    if is_ttf:
        glyphs = {}
        for name in order:
            pen = TTGlyphPen(None)
            draw_box(pen)
            glyphs[name] = pen.glyph()
        fb.setupGlyf(glyphs)
    else:
        charstrings = {}
        for name in order:
            pen = T2CharStringPen(600, None)
            draw_box(pen)
            charstrings[name] = pen.getCharString()
        fb.setupCFF(family.replace(" ", ""), {"FullName": family}, charstrings, {})
    fb.setupHorizontalMetrics({name: (600, 100) for name in order})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": family, "styleName": "Regular",
                       "uniqueFontIdentifier": family + " app test",
                       "fullName": family + " Regular", "psName": family + "-Regular",
                       "version": "Version 1.000"})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    fb.font["head"].created = fb.font["head"].modified = 3600 * 24 * 365 * 100
    return fb.font


def save(font, path, flavor=None):
    font.flavor = flavor
    font.save(path)


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)


def make_natural(folder):
    save(build_font("GcNaturalA10", LATIN), os.path.join(folder, "a10.ttf"))
    save(build_font("GcNaturalA2", DIGITS, is_ttf=False), os.path.join(folder, "a2.otf"))
    save(build_font("GcNaturalA1", LATIN), os.path.join(folder, "A1.woff2"), "woff2")


def make_mixed(folder):
    save(build_font("GcMixedTtf", LATIN + DIGITS + "一"), os.path.join(folder, "m1.ttf"))
    save(build_font("GcMixedOtf", "01234", is_ttf=False), os.path.join(folder, "m2.otf"))
    collection = TTCollection()
    collection.fonts = [build_font("GcMixedTtc", "あいうえお"),
                        build_font("GcMixedSecond", LATIN)]
    collection.save(os.path.join(folder, "m3.ttc"))
    save(build_font("GcMixedWoff", "アイウ"), os.path.join(folder, "m4.woff"), "woff")
    save(build_font("GcMixedWoff2", "ΑΒΓ"), os.path.join(folder, "m5.woff2"), "woff2")
    write(os.path.join(folder, "m6.ttf"), b"\x00\x02\x00\x00" + bytes(60))
    save(build_font("GcMixedLocked", LATIN), os.path.join(folder, "m7.ttf"))
    write(os.path.join(folder, "notes.txt"), b"not a font\r\n")
    os.makedirs(os.path.join(folder, "m8.ttf"), exist_ok=True)
    save(build_font("GcMixedInner", LATIN), os.path.join(folder, "m8.ttf", "inner.ttf"))


def make_cancel(folder):
    kana = "".join(chr(c) for c in range(0x3041, 0x3097)) + "".join(
        chr(c) for c in range(0x30A1, 0x30FB))
    kanji = "".join(chr(c) for c in range(0x4E00, 0xA000))
    for index, family in enumerate(("GcCancelOne", "GcCancelTwo", "GcCancelThree"), 1):
        save(build_font(family, LATIN + DIGITS + kana + kanji), os.path.join(folder, "c%d.ttf" % index))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_app_test_fonts.py OUTPUT_DIR")
    root = sys.argv[1]
    for name, make in (("natural", make_natural), ("mixed", make_mixed),
                       ("cancel", make_cancel), ("empty", None)):
        folder = os.path.join(root, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        if make:
            make(folder)
    write(os.path.join(root, "empty", "notes.txt"), b"no fonts here\r\n")


if __name__ == "__main__":
    main()
