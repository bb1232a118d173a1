# Shared settings of tools/wine_prefix.sh and tools/wine_run.sh (sourced).
# Finds the 64-bit Wine loader and server and exports the environment every
# Wine run of the project uses.
glyphcensus_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [[ -z "${WINE64:-}" ]]; then
  if command -v wine64 >/dev/null; then
    WINE64=$(command -v wine64)
  else
    WINE64=/usr/lib/wine/wine64  # Debian's wine64 package keeps it here
  fi
fi
if [[ -z "${WINESERVER:-}" ]]; then
  if [[ -x /usr/lib/wine/wineserver64 ]]; then
    WINESERVER=/usr/lib/wine/wineserver64
  else
    WINESERVER=$(command -v wineserver || echo wineserver)
  fi
fi
if [[ ! -x "$WINE64" ]]; then
  echo "wine: $WINE64 not found (install wine64)" >&2
  exit 127
fi

export WINELOADER=$WINE64 WINESERVER WINEARCH=win64
export WINEPREFIX=${WINEPREFIX:-$glyphcensus_repo/build-win/wineprefix}
export WINEDEBUG=${GLYPHCENSUS_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Japanese locale: Wine then uses code page 932 as the ANSI code page.
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE
export LANG=${GLYPHCENSUS_WINE_LANG:-ja_JP.UTF-8}
