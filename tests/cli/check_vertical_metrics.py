#!/usr/bin/python3
"""The vertical metrics facts through the command: JSON's vertical_metrics for
fonts with and without 'vhea' and 'vmtx', and CFF fonts with and without
'VORG' (null for TrueType, where VORG does not apply); the text report stays
as it was. The fonts are made here with fontTools.

Usage: check_vertical_metrics.py GLYPHCENSUS
"""
import json
import os
import sys
import tempfile

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import newTable

import cli_check
from cli_check import check, failures, run

ORDER = [".notdef", "a"]


def box(pen):
    pen.moveTo((100, 0))
    pen.lineTo((100, 800))
    pen.lineTo((900, 800))
    pen.lineTo((900, 0))
    pen.closePath()


def make_font(path, cff, vertical, vorg=False):
    fb = FontBuilder(1000, isTTF=not cff)
    fb.setupGlyphOrder(ORDER)
    fb.setupCharacterMap({0x3042: "a"})
    if cff:
        charstrings = {}
        for name in ORDER:
            pen = T2CharStringPen(1000, None)
            box(pen)
            charstrings[name] = pen.getCharString()
        fb.setupCFF("VerticalTest-Regular", {"FullName": "Vertical Test"}, charstrings, {})
    else:
        glyphs = {}
        for name in ORDER:
            pen = TTGlyphPen(None)
            box(pen)
            glyphs[name] = pen.glyph()
        fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({name: (1000, 0) for name in ORDER})
    fb.setupHorizontalHeader(ascent=880, descent=-120)
    if vertical:
        fb.setupVerticalMetrics({name: (1000, 120) for name in ORDER})
        fb.setupVerticalHeader(ascent=500, descent=-500)
    fb.setupNameTable({"familyName": "Vertical Test", "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=880, sTypoDescender=-120, usWinAscent=880, usWinDescent=120)
    fb.setupPost()
    if vorg:
        table = newTable("VORG")
        table.majorVersion, table.minorVersion = 1, 0
        table.defaultVertOriginY = 880
        table.VOriginRecords = {}
        table.numVertOriginYMetrics = 0
        fb.font["VORG"] = table
    fb.save(path)


def main():
    cli_check.program = sys.argv[1]
    cases = {
        "tt_vertical.ttf": (False, True, False, {"vhea": True, "vmtx": True, "VORG": None}),
        "tt_plain.ttf": (False, False, False, {"vhea": False, "vmtx": False, "VORG": None}),
        "cff_vorg.otf": (True, True, True, {"vhea": True, "vmtx": True, "VORG": True}),
        "cff_no_vorg.otf": (True, True, False, {"vhea": True, "vmtx": True, "VORG": False}),
    }
    with tempfile.TemporaryDirectory() as folder:
        for name, (cff, vertical, vorg, want) in cases.items():
            path = os.path.join(folder, name)
            make_font(path, cff, vertical, vorg)
            status, out, err = run("--format", "json", "--sets", "hiragana", path)
            face = json.loads(out)["faces"][0]
            check(status == 0 and face.get("vertical_metrics") == want,
                  "%s: vertical_metrics %s, not %s (%s)" % (name, face.get("vertical_metrics"), want, err))
            status, text, err = run("--sets", "hiragana", path)
            check(text == "Vertical Test\nひらがな：1/77\n" and err == "",
                  "%s: the text report has no vertical line and no warning: %r %r" % (name, text, err))
        # A face that is not measured has no facts.
        broken = os.path.join(folder, "broken.ttf")
        with open(broken, "wb") as out:
            out.write(b"\0\1\0\0" + b"\0" * 8)
        status, out, _ = run("--format", "json", broken)
        check("vertical_metrics" not in json.loads(out)["faces"][0], "no facts for a face not measured")
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
