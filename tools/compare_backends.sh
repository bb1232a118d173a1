#!/usr/bin/env bash
# The two glyph presence tests must agree: measures each font with glyphcensus
# (FreeType) and with gdi_report.exe (GDI and Uniscribe, under Wine) and
# compares the reports character for character.
#
# Usage: tools/compare_backends.sh GLYPHCENSUS GDI_REPORT_EXE TEST_DATA_DIR [FONT...]
#   GLYPHCENSUS     the Linux command (build/cli/glyphcensus)
#   GDI_REPORT_EXE  the Windows report printer (build-win/tests/win/gdi_report.exe)
#   TEST_DATA_DIR   where the build generated the glyph test fonts
#   FONT...         fonts to compare instead of the default list: IPAGothic,
#                   DejaVu Sans and the synthesized glyph test fonts
# Runs Wine through tools/wine_run.sh (WINEPREFIX as it says). Exits 1 when
# any report differs, with the differences on stdout.
set -uo pipefail
if [[ $# -lt 3 ]]; then
  echo "usage: $0 GLYPHCENSUS GDI_REPORT_EXE TEST_DATA_DIR [FONT...]" >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
glyphcensus=$1 gdi_report=$2 data=$3
shift 3
fonts=("$@")
if [[ ${#fonts[@]} -eq 0 ]]; then
  fonts=(/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
         /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
         "$data"/glyphtest_edges.ttf "$data"/glyphtest_default.ttf
         "$data"/glyphtest_full.ttf "$data"/glyphtest_full.woff2
         "$data"/glyphtest_cff.otf "$data"/glyphtest_collection.ttc)
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for font in "${fonts[@]}"; do
  if [[ ! -f $font ]]; then
    echo "MISSING $font"
    status=1
    continue
  fi
  "$glyphcensus" "$font" >"$work/freetype.txt" 2>"$work/freetype.err"
  "$here/wine_run.sh" "$gdi_report" "$font" >"$work/gdi.txt" 2>"$work/gdi.err"
  if [[ ! -s $work/freetype.txt ]] || ! cmp -s "$work/freetype.txt" "$work/gdi.txt"; then
    echo "DIFFERENT $font (< FreeType, > GDI)"
    diff "$work/freetype.txt" "$work/gdi.txt" | sed 's/^/  /'
    cat "$work/freetype.err" "$work/gdi.err" | sed 's/^/  /'
    status=1
  else
    echo "same      $font"
  fi
done
exit "$status"
