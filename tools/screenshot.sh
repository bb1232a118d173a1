#!/usr/bin/env bash
# Takes a picture of GlyphCensus.exe showing the report of IPAGothic: Wine with
# its X11 driver on a private Xvfb display, Japanese locale. Not a test.
#
# Usage: tools/screenshot.sh [GlyphCensus.exe] [OUTPUT.png]
#   defaults: build-win/app/GlyphCensus.exe and docs/screenshot.png
# Needs xvfb, x11-utils (xwininfo), imagemagick (import) and the ja_JP.UTF-8 locale (made with
# localedef when missing and running as root).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=$(realpath "${1:-$repo/build-win/app/GlyphCensus.exe}")
output=$(realpath -m "${2:-$repo/docs/screenshot.png}")
font=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
work="$repo/build-screenshot"

[[ -f "$exe" ]] || { echo "screenshot: $exe not found (build the Windows target first)" >&2; exit 1; }
[[ -f "$font" ]] || { echo "screenshot: $font not found (fonts-ipafont-gothic)" >&2; exit 1; }
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  if [[ $(id -u) -eq 0 ]]; then localedef -i ja_JP -f UTF-8 ja_JP.UTF-8; else
    echo "screenshot: the ja_JP.UTF-8 locale is missing" >&2; exit 1; fi
fi

# A free display number.
display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 640x560x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  WINEPREFIX="$work/wineprefix" timeout 30 /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done

# The program and the font in a folder of their own, with a settings file
# that places the dialog.
rm -rf "$work/run"
mkdir -p "$work/run" "$(dirname "$output")"
cp "$exe" "$work/run/GlyphCensus.exe"
cp "$font" "$work/run/ipag.ttf"
printf '[SystemSetting]\r\nx=20\r\ny=20\r\nwidth=320\r\nheight=420\r\n' >"$work/run/GlyphCensus.ini"

export WINEPREFIX="$work/wineprefix" GLYPHCENSUS_WINE_GRAPHICS=x11
[[ -f "$WINEPREFIX/.glyphcensus-ready" ]] || "$repo/tools/wine_prefix.sh" "$WINEPREFIX"
# A full path: a bare file name would select the list of the drive's root.
font_arg="Z:${work//\//\\}\\run\\ipag.ttf"
(cd "$work/run" && GLYPHCENSUS_WINE_TIMEOUT=300 "$repo/tools/wine_run.sh" GlyphCensus.exe "$font_arg") &

# The caption turns to "(1/1)ipag.ttf" when the report is complete; Wine gives
# the X window the same name.
for _ in $(seq 600); do
  window=$(xwininfo -root -tree | awk '/"\(1\/1\)ipag\.ttf"/ {print $1; exit}')
  if [[ -n "$window" ]]; then
    sleep 1  # let the last repaint reach the screen
    import -window "$window" "$output"
    echo "screenshot: wrote $output"
    exit 0
  fi
  sleep 0.5
done
echo "screenshot: the report did not complete" >&2
exit 1
