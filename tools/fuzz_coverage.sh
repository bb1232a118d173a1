#!/usr/bin/env bash
# How far the fuzz corpus reaches: builds the libFuzzer targets with clang's
# source-based coverage (in BUILD, default build-fuzz-coverage), replays every
# target's committed seeds (fuzz/corpus/<target>) and, for the targets that
# read font files, the hostile corpus of tools/make_hostile_fonts.py, then
# prints the line and branch coverage of each file of fontio/ and coverage/
# (llvm-cov report) and writes an HTML report to BUILD/html/index.html.
#
# Usage: tools/fuzz_coverage.sh [BUILD]
#   FUZZ_COVERAGE_EXTRA=dir   also replay the inputs in dir/<target> (e.g.
#                             build-fuzz/work, what `make fuzz` found)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$root/build-fuzz-coverage}")
targets=(fuzz_font_image fuzz_woff2 fuzz_face_name fuzz_pipeline fuzz_char_list fuzz_coverage_map
         fuzz_truetype_glyphs_freetype fuzz_outline_interior fuzz_windows31j)
font_targets=" fuzz_font_image fuzz_woff2 fuzz_face_name fuzz_pipeline fuzz_coverage_map fuzz_truetype_glyphs_freetype "
llvm_bin=/usr/lib/llvm-14/bin

instrument="-fprofile-instr-generate -fcoverage-mapping"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DGLYPHCENSUS_FUZZ=ON -DGLYPHCENSUS_TESTS=OFF \
  -DCMAKE_C_FLAGS="$instrument" -DCMAKE_CXX_FLAGS="$instrument" \
  -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]}"

hostile=$build/hostile
if [[ ! -f $hostile/manifest.tsv ]]; then
  /usr/bin/python3 "$root/tools/make_hostile_fonts.py" "$hostile" >/dev/null
fi

profiles=$build/profiles
rm -rf "$profiles"
mkdir -p "$profiles"
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1
objects=()
for target in "${targets[@]}"; do
  inputs=("$root/fuzz/corpus/$target")
  [[ $font_targets == *" $target "* ]] && inputs+=("$hostile")
  [[ -n ${FUZZ_COVERAGE_EXTRA:-} && -d $FUZZ_COVERAGE_EXTRA/$target ]] && inputs+=("$FUZZ_COVERAGE_EXTRA/$target")
  files=()
  while IFS= read -r -d '' file; do files+=("$file"); done \
    < <(find "${inputs[@]}" -maxdepth 1 -type f ! -name '*.tsv' -print0 | sort -z)
  echo "== $target: ${#files[@]} inputs"
  # Each input once, no fuzzing; a failing input fails the measurement.
  LLVM_PROFILE_FILE="$profiles/$target-%p.profraw" \
    "$build/fuzz/$target" -timeout=60 -rss_limit_mb=4096 "${files[@]}" >"$build/$target.replay.log" 2>&1 \
    || { tail -30 "$build/$target.replay.log"; echo "fuzz_coverage: $target failed on an input" >&2; exit 1; }
  objects+=(-object "$build/fuzz/$target")
done

"$llvm_bin/llvm-profdata" merge -sparse "$profiles"/*.profraw -o "$build/fuzz.profdata"
sources=("$root/fontio" "$root/coverage")
"$llvm_bin/llvm-cov" show "${objects[@]:1}" -instr-profile="$build/fuzz.profdata" \
  -format=html -show-branches=count -output-dir="$build/html" "${sources[@]}" >/dev/null
echo
"$llvm_bin/llvm-cov" report "${objects[@]:1}" -instr-profile="$build/fuzz.profdata" \
  -show-region-summary=false -show-instantiation-summary=false "${sources[@]}" | sed "s|$root/||"
"$llvm_bin/llvm-cov" export "${objects[@]:1}" -instr-profile="$build/fuzz.profdata" -summary-only \
  "${sources[@]}" 2>/dev/null | /usr/bin/python3 -c '
import json, sys
root = sys.argv[1] + "/"
totals = {}
for entry in json.load(sys.stdin)["data"][0]["files"]:
    folder = entry["filename"].replace(root, "").split("/")[0]
    for kind in ("lines", "branches"):
        count, covered = totals.setdefault((folder, kind), [0, 0]), entry["summary"][kind]
        count[0] += covered["count"]
        count[1] += covered["covered"]
for folder in ("fontio", "coverage"):
    print(folder + "/: " + ", ".join("%s %d of %d (%.1f%%)" % (kind, c[1], c[0], 100.0 * c[1] / max(c[0], 1))
                                     for kind in ("lines", "branches") for c in [totals.get((folder, kind), [0, 0])]))
' "$root"
echo
echo "HTML report: $build/html/index.html"
