#!/usr/bin/env bash
# Draws the README's picture of the coverage map: IPAexGothic's map, cut to
# the header (report lines and legend) and the first 17 rows of JIS X 0213
# plane 1, where the non-kanji rows show what the font lacks. Not a test.
#
# Usage: tools/map_picture.sh GLYPHCENSUS [OUTPUT.png]
#   GLYPHCENSUS  the command, called as GLYPHCENSUS --map OUT.svg FONT
#   default output: docs/coverage_map.png
# Needs librsvg2-bin (rsvg-convert), imagemagick and fonts-ipaexfont.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
writer=$1
output=$(realpath -m "${2:-$repo/docs/coverage_map.png}")
font=/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf
zoom=0.3
[[ -f "$font" ]] || { echo "map_picture: $font not found (fonts-ipaexfont)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$writer" --map "$work/map.svg" "$font" >/dev/null
rsvg-convert -z "$zoom" -o "$work/map.png" "$work/map.svg"

# The header ends where the first panel's title begins; plane 1's panel from
# its title through row 17 (title and counts 84 units, column numbers 26,
# rows 44 each).
first=$(grep -o '<text class="t" x="20" y="[0-9]*">JIS X 0208<' "$work/map.svg" | grep -o 'y="[0-9]*"' | tr -dc 0-9)
plane1=$(grep -o '<text class="t" x="20" y="[0-9]*">JIS X 0213 plane 1<' "$work/map.svg" | grep -o 'y="[0-9]*"' | tr -dc 0-9)
width=$(identify -format %w "$work/map.png")
scale() { awk -v v="$1" -v z="$zoom" 'BEGIN { printf "%d", v * z }'; }
header=$(scale $((first - 40)))
top=$(scale $((plane1 - 40)))
height=$(scale $((84 + 26 + 17 * 44 + 10)))
convert "$work/map.png" -crop "${width}x${header}+0+0" +repage "$work/header.png"
convert "$work/map.png" -crop "${width}x${height}+0+${top}" +repage "$work/plane1.png"
convert "$work/header.png" "$work/plane1.png" -append -colors 32 -strip "PNG8:$output"
echo "map_picture: wrote $output ($(stat -c %s "$output") bytes)"
