#!/usr/bin/env bash
# Creates a fresh 64-bit Wine prefix for running GlyphCensus and its tests
# without a display.
#
# Usage: tools/wine_prefix.sh [PREFIX]
#   PREFIX defaults to $WINEPREFIX, else <repo>/build-win/wineprefix.
#   GLYPHCENSUS_WINE_GRAPHICS=x11 keeps the X11 driver (screenshots under Xvfb);
#   the default "null" driver needs no display.
# An existing prefix at PREFIX is removed first.
set -euo pipefail
if [[ $# -ge 1 ]]; then export WINEPREFIX=$(realpath -m "$1"); fi
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"

case "$WINEPREFIX" in
  "" | / | "$HOME" | "$glyphcensus_repo")
    echo "wine_prefix: refusing to use $WINEPREFIX as a prefix" >&2
    exit 2
    ;;
esac

graphics=${GLYPHCENSUS_WINE_GRAPHICS:-null}
timeout_s=${GLYPHCENSUS_WINE_TIMEOUT:-600}

# Stop a server still serving an old prefix at this path, then start afresh.
[[ -d "$WINEPREFIX" ]] && { timeout 30 "$WINESERVER" -k 2>/dev/null || true; }
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"

# A display-less boot: no X, no Mono/Gecko installers.
if [[ "$graphics" == null ]]; then unset DISPLAY WAYLAND_DISPLAY; fi

run() { timeout --kill-after=10 "$timeout_s" "$@"; }

echo "wine_prefix: creating $WINEPREFIX"
# wineboot reports the missing 32-bit part and the updated configuration on
# stderr; show its output only when it fails.
if ! out=$(run "$WINE64" wineboot -i 2>&1); then
  printf '%s\n' "$out" >&2
  echo "wine_prefix: wineboot failed" >&2
  exit 1
fi
run "$WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f >/dev/null
# Without this, a crashing program waits for the crash dialog forever.
run "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
if [[ "$graphics" != null ]]; then
  # Screenshots: let Wine, not a window manager, decorate the windows.
  run "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
fi
# The registry reaches the disk only when the server ends.
run "$WINESERVER" -w
touch "$WINEPREFIX/.glyphcensus-ready"
echo "wine_prefix: ready"
