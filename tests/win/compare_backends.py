#!/usr/bin/python3
"""Requires the two glyph presence tests to write the same reports.

Runs glyphcensus (Linux, FreeType) and gdi_report.exe (the Windows measuring
path: font job, GDI and Uniscribe, a real edit control; under Wine) on the same
font files and compares the reports byte for byte (UTF-8, LF line ends).

Usage:
  compare_backends.py --linux BUILD/cli/glyphcensus
                      --windows BUILD-WIN/tests/win/gdi_report.exe
                      [--wine-run tools/wine_run.sh] [--data TESTDATA] [FONT...]

Without FONT arguments it compares IPAGothic, DejaVu Sans, Wine's symbol fonts
(Marlett, Wingdings, Webdings) and the generated
test fonts found in TESTDATA (made by tools/make_glyph_test_fonts.py,
tools/make_gdi_test_fonts.py and tools/make_test_fonts.py).
"""
import argparse
import difflib
import os
import subprocess
import sys

REAL_FONTS = [
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    # Symbol fonts (a (3,0) cmap and no Unicode one) of Wine's own package
    # fonts-wine, which the Wine tests need anyway.
    "/usr/share/wine/fonts/marlett.ttf",
    "/usr/share/wine/fonts/wingding.ttf",
    "/usr/share/wine/fonts/webdings.ttf",
]
TEST_FONTS = [
    "glyphtest_edges.ttf", "glyphtest_default.ttf", "glyphtest_full.ttf", "glyphtest_cff.otf",
    "glyphtest_collection.ttc", "glyphtest_full.woff", "glyphtest_full.woff2",
    "gdi_edge.ttf", "tt.ttf", "cff.otf", "collection.ttc", "ipag.woff", "dejavu.woff2",
    "gdi_mac_japanese.ttf", "gdi_mac_only.ttf", "ipag_gsub_past_end.ttf", "gdi_glyf_past_end.ttf",
    "gdi_symbol.ttf",
]
# Fonts that GDI may know by no name at all (their only family name is a
# Macintosh one): the Windows path may then report the name line alone, but
# never another font's counts.
NAME_LINE_ONLY_ALLOWED = {"gdi_mac_only.ttf"}


def name_line_only(font, linux, win):
    return (os.path.basename(font) in NAME_LINE_ONLY_ALLOWED and linux.count(b"\n") == 16
            and win == linux[:linux.index(b"\n") + 1])
# Fonts that neither glyph test measures, with the table that is to blame:
# glyphcensus prints the name line and names the table on stderr (exit 1), the
# Windows path writes the name line only, as for any font GDI cannot open.
UNMEASURABLE = {"gdi_glyf_past_end.ttf": "glyf"}


def run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
    return result.returncode, result.stdout, result.stderr.decode("utf-8", "replace")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--linux", required=True)
    parser.add_argument("--windows", required=True)
    parser.add_argument("--wine-run", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "wine_run.sh"))
    parser.add_argument("--data")
    parser.add_argument("fonts", nargs="*")
    args = parser.parse_args()

    fonts = args.fonts or REAL_FONTS + [os.path.join(args.data or ".", f) for f in TEST_FONTS]
    failures = 0
    for font in fonts:
        if not os.path.exists(font):
            print(f"MISSING  {font}")
            failures += 1
            continue
        # The Windows program measures the first face of a collection.
        linux_status, linux, linux_err = run([args.linux, "--face", "0", font])
        win_status, win, win_err = run([args.wine_run, args.windows, font])
        table = UNMEASURABLE.get(os.path.basename(font))
        if table is not None:
            said = f"the table '{table}' lies outside the file" in linux_err
            if linux_status != 1 or not said or linux.count(b"\n") != 1 or win_status != 0 or win != linux:
                print(f"FAILED   {font}: expected the name line only and the table '{table}' named; "
                      f"glyphcensus {linux_status} {linux!r} {linux_err.strip()}; gdi_report {win_status} {win!r}")
                failures += 1
            else:
                print(f"name     {font}")
            continue
        if linux_status != 0 or win_status != 0:
            print(f"FAILED   {font}: glyphcensus {linux_status} {linux_err.strip()}; "
                  f"gdi_report {win_status} {win_err.strip()}")
            failures += 1
        elif linux != win and name_line_only(font, linux, win):
            print(f"name     {font} (only its name line on Windows)")
        elif linux != win:
            print(f"DIFFER   {font}")
            sys.stdout.writelines(difflib.unified_diff(
                linux.decode("utf-8", "replace").splitlines(True),
                win.decode("utf-8", "replace").splitlines(True), "glyphcensus", "gdi_report"))
            failures += 1
        else:
            print(f"same     {font}")
    print(f"{len(fonts) - failures} of {len(fonts)} fonts give the same report (or the same name line)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
