#!/usr/bin/env bash
# Runs a Windows program under wine64 with the project's settings, and exits
# with the program's exit code. This is the CMAKE_CROSSCOMPILING_EMULATOR of
# the MinGW build, so ctest runs the test programs through it.
#
# Usage: tools/wine_run.sh PROGRAM.exe [ARGS...]
#   WINEPREFIX                 prefix to use (default <repo>/build-win/wineprefix);
#                              created with tools/wine_prefix.sh when missing
#   GLYPHCENSUS_WINE_TIMEOUT   seconds before the program is killed (default 600);
#                              a timeout exits with 124
set -euo pipefail
if [[ $# -lt 1 ]]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/wine_env.sh"

# Create the prefix once, also when several tests start at the same time.
if [[ ! -f "$WINEPREFIX/.glyphcensus-ready" ]]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [[ ! -f "$WINEPREFIX/.glyphcensus-ready" ]]; then
      "$here/wine_prefix.sh" "$WINEPREFIX" >&2
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [[ "${GLYPHCENSUS_WINE_GRAPHICS:-null}" == null ]]; then unset DISPLAY WAYLAND_DISPLAY; fi

limit=${GLYPHCENSUS_WINE_TIMEOUT:-600}
# timeout runs in its own process group, so a signal to this script (ctest
# ending a test that ran too long) is passed on by hand; timeout then ends Wine.
exec 3<&0
timeout --kill-after=10 "$limit" "$WINE64" "$@" <&3 &
child=$!
trap 'kill -TERM "$child" 2>/dev/null || true' TERM INT HUP
status=0
while kill -0 "$child" 2>/dev/null; do
  wait "$child" && status=0 || status=$?
done
if [[ $status -eq 124 || $status -eq 137 ]]; then
  echo "wine_run: $1 timed out after $limit s" >&2
fi
exit "$status"
