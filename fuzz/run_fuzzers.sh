#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan, UBSan) in build-fuzz and runs
# each of them in turn, one at a time.
#
# Usage: fuzz/run_fuzzers.sh [--smoke] [SECONDS] [TARGET...]
#   SECONDS   fuzzing time per target (default: FUZZ_SECONDS, else 60)
#   --smoke   first replay the committed seed corpus (every seed must pass),
#             then fuzz SECONDS per target; `make test` uses this
#   TARGET    only these targets (default: all)
#
# New inputs go to build-fuzz/work/<target> and are reused by later runs; the
# committed seeds in fuzz/corpus/<target> are never changed. A crash, leak,
# timeout or failed check stops the run with status 1 and leaves the input in
# build-fuzz/artifacts/; keep it as fuzz/corpus/<target>/regression-<what>
# once the fault is fixed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-fuzz
smoke=0
if [[ ${1:-} == --smoke ]]; then
  smoke=1
  shift
fi
seconds=${1:-${FUZZ_SECONDS:-60}}
[[ $# -gt 0 ]] && shift
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  targets=(fuzz_font_image fuzz_woff2 fuzz_face_name fuzz_sfnt_tables fuzz_pipeline fuzz_char_list fuzz_baseline_reader fuzz_coverage_map
           fuzz_windows31j fuzz_truetype_glyphs_freetype fuzz_outline_interior
           fuzz_covered_pixel_freetype)
fi

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLYPHCENSUS_DEPS_DIR="${DEPS_DIR:-$root/.deps}" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DGLYPHCENSUS_FUZZ=ON -DGLYPHCENSUS_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target "${targets[@]}"

mkdir -p "$build/artifacts"
# Leaks count as findings; UBSan stops at its first report.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
summary=()
for target in "${targets[@]}"; do
  binary=$build/fuzz/$target
  seeds=$root/fuzz/corpus/$target
  work=$build/work/$target
  mkdir -p "$work"
  options=(-timeout=20 -rss_limit_mb=2048 -max_len=262144 -artifact_prefix="$build/artifacts/$target-"
           -dict="$root/fuzz/fonts.dict" -print_final_stats=1)
  if [[ $smoke -eq 1 ]]; then
    echo "== $target: the seed corpus"
    "$binary" "${options[@]}" -runs=0 "$seeds"
  fi
  echo "== $target: fuzzing for $seconds s"
  log=$build/$target.log
  if ! "$binary" "${options[@]}" -max_total_time="$seconds" "$work" "$seeds" >"$log" 2>&1; then
    tail -60 "$log"
    echo "$target FAILED; the input is in $build/artifacts/" >&2
    exit 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  summary+=("$target: $runs executions in $seconds s, corpus $(ls "$work" | wc -l) inputs")
done
printf '%s\n' "${summary[@]}"
