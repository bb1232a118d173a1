#!/usr/bin/env bash
# Checks that the cross-built Windows programs are self-contained: every DLL
# they import is a system DLL, none of the MinGW runtime (libstdc++, libgcc,
# winpthread) or zlib. GlyphCensus.exe must exist.
#
# Usage: tools/check_windows_imports.sh [BUILD_DIR]   (default build-win)
set -euo pipefail
build=${1:-build-win}
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# System DLLs a Win32 program may import (lower case).
allowed=" kernel32.dll user32.dll gdi32.dll shell32.dll shlwapi.dll usp10.dll
  comctl32.dll comdlg32.dll advapi32.dll msvcrt.dll ole32.dll oleaut32.dll
  uxtheme.dll psapi.dll version.dll imm32.dll ntdll.dll dwmapi.dll winmm.dll
  ws2_32.dll bcrypt.dll crypt32.dll secur32.dll userenv.dll "

if [[ ! -f "$build/app/GlyphCensus.exe" ]]; then
  echo "check_windows_imports: $build/app/GlyphCensus.exe is missing" >&2
  exit 1
fi

# The programs the build links; Wine prefixes and test data are skipped.
mapfile -t exes < <(find "$build" \( -name 'wineprefix*' -o -name testdata -o -name CMakeFiles \) -prune \
                      -o -name '*.exe' -type f -print | sort)
bad=0
for exe in "${exes[@]}"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  for dll in $dlls; do
    if [[ "$allowed" != *" $dll "* && "$allowed" != *" $dll"$'\n'* ]]; then
      echo "check_windows_imports: $exe imports $dll" >&2
      bad=1
    fi
  done
done
if ((bad)); then
  echo "check_windows_imports: FAILED (link statically: -static, ZLIB_USE_STATIC_LIBS)" >&2
  exit 1
fi
echo "check_windows_imports: ${#exes[@]} programs import only system DLLs"
for exe in "$build/app/GlyphCensus.exe"; do
  echo "  $(basename "$exe"): $("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u | tr '\n' ' ')"
done
