#!/bin/sh
# Benchmarks the measurement: the median wall time, process start included, of
#   1. glyphcensus on IPAGothic (fonts-ipafont-gothic), on a WOFF2 made from it
#      (fontTools with brotli) and with --missing; the same report through GDI
#      under Wine, when a command for it is given;
#   2. glyphcensus, fc-query and a fontTools cmap count over a folder of real
#      Japanese fonts from Debian packages (installed when missing, as root),
#      then the single fonts and the collections apart;
#   3. glyphcensus -j1 against the floor of an ink test (bench/ink_floor_freetype.cpp)
#      on each of those fonts, as a ratio of CPU time;
# and checks that the folder's reports equal those in bench/references.
# and that the fast ink test agrees with the exact one on every character of
# those fonts. Not part of the tests. Usage: bench/run.sh [RUNS [bench.py
# options]]   (default 11 runs; the folder commands run a third as often, at
# least 3 times; --fast-path-only for `make check-fast-path`)
#
#   GLYPHCENSUS_BENCH_BUILD  build folder (default <repo>/build-bench; `make bench`
#                            uses the Linux build); glyphcensus is built there
#                            first, configured as a release build when new
#   GLYPHCENSUS_BENCH_WINE   command that writes the GDI report of one font
#                            file, with {font} for its path; by default
#                            "tools/wine_run.sh <repo>/build-win/tests/win/gdi_report.exe {font}"
#                            when that program has been built
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${GLYPHCENSUS_BENCH_BUILD:-$root/build-bench}
if [ -z "${GLYPHCENSUS_BENCH_WINE:-}" ] && [ -f "$root/build-win/tests/win/gdi_report.exe" ]; then
  GLYPHCENSUS_BENCH_WINE="$root/tools/wine_run.sh $root/build-win/tests/win/gdi_report.exe {font}"
  export GLYPHCENSUS_BENCH_WINE
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGLYPHCENSUS_TESTS=OFF \
    -DGLYPHCENSUS_DEPS_DIR="${DEPS_DIR:-$root/.deps}" >/dev/null
fi
cmake --build "$build" --target glyphcensus ink_floor -j2 >/dev/null
runs=${1:-11}
[ $# -gt 0 ] && shift
exec /usr/bin/python3 "$root/bench/bench.py" --glyphcensus "$build/cli/glyphcensus" \
  --ink-floor "$build/bench/ink_floor" \
  --work "$build/bench" --runs "$runs" "$@"
