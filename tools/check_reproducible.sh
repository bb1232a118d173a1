#!/usr/bin/env bash
# Builds GlyphCensus.exe, the Windows release zip and the Debian package twice,
# from two clean clones of the committed HEAD in two different folders, and
# compares the three artifacts byte for byte. Uncommitted changes are not
# built. Both builds take SOURCE_DATE_EPOCH from the commit.
#
# Usage: tools/check_reproducible.sh DEPS_DIR
#   DEPS_DIR   the unpacked brotli and woff2 source packages (make windows-deps)
#   GLYPHCENSUS_REPRO_DIR  where the clones go (default: a fresh folder in /tmp,
#                          removed when every artifact matches)
# Exit status 0 when all three are identical, 1 otherwise.
set -euo pipefail
deps=$(realpath "${1:?usage: $0 DEPS_DIR}")
repo=$(git rev-parse --show-toplevel)
commit=$(git -C "$repo" rev-parse HEAD)
work=${GLYPHCENSUS_REPRO_DIR:-$(mktemp -d /tmp/glyphcensus-reproducible.XXXXXX)}
jobs=${JOBS:-2}

if [[ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]]; then
  echo "check_reproducible: uncommitted changes are not part of the check (HEAD is $commit)" >&2
fi

build_once() {
  local clone=$1
  git clone -q --no-checkout "$repo" "$clone"
  git -C "$clone" checkout -q "$commit"
  export SOURCE_DATE_EPOCH
  SOURCE_DATE_EPOCH=$(git -C "$clone" log -1 --format=%ct)
  echo "check_reproducible: building in $clone (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
  cmake -S "$clone" -B "$clone/build" -DCMAKE_BUILD_TYPE=Release -DGLYPHCENSUS_TESTS=OFF >/dev/null
  cmake --build "$clone/build" -j"$jobs" --target glyphcensus glyphcensus_man >/dev/null
  (cd "$clone/build" && cpack -G DEB >/dev/null)
  cmake -S "$clone" -B "$clone/build-win" -DCMAKE_BUILD_TYPE=Release -DGLYPHCENSUS_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$clone/cmake/mingw-w64-x86_64.cmake" -DGLYPHCENSUS_DEPS_DIR="$deps" >/dev/null
  cmake --build "$clone/build-win" -j"$jobs" --target dist >/dev/null
}

build_once "$work/first"
build_once "$work/second"

status=0
for artifact in build-win/app/GlyphCensus.exe build-win/dist/GlyphCensus-*-win64.zip build/glyphcensus_*.deb; do
  first=$(cd "$work/first" && ls $artifact)
  if cmp -s "$work/first/$first" "$work/second/$first"; then
    echo "check_reproducible: identical: $first ($(sha256sum < "$work/first/$first" | cut -c1-16))"
  else
    echo "check_reproducible: DIFFERENT: $first" >&2
    status=1
  fi
done
if [[ $status -eq 0 && -z "${GLYPHCENSUS_REPRO_DIR:-}" ]]; then
  rm -rf "$work"
else
  echo "check_reproducible: the two builds are in $work"
fi
exit $status
