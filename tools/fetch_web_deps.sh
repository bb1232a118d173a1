#!/usr/bin/env bash
# Fetches the Debian source packages of the libraries the WebAssembly build
# (web/) links, and builds those that are compiled as libraries with Debian's
# emscripten: zlib, libpng and FreeType, configured as Debian configures its
# FreeType (zlib and PNG, without bzip2 and HarfBuzz; brotli is left out
# because FreeType only needs it for WOFF2 files, which the core converts
# before FreeType sees them), and HarfBuzz, compiled from its single-file
# source (src/harfbuzz.cc) without glib, ICU, FreeType or threads (its own
# Unicode tables). The brotli and woff2 decoders are compiled by the build
# itself (cmake/DecoderSources.cmake), from the trees fetched here.
#
# Usage: tools/fetch_web_deps.sh [DEPS_DIR]   (default: <repo>/.deps-web)
# Result: DEPS_DIR/src/<package>, the unpacked source trees, and
# DEPS_DIR/install, the libraries and headers. Running it again builds only
# what is missing or came from other sources or another compiler: zlib, libpng
# and FreeType together (stamp install/.built), HarfBuzz on its own (stamp
# install/.built-harfbuzz).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps=${1:-$repo/.deps-web}
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)
src=$deps/src
install=$deps/install
jobs=${JOBS:-2}

for tool in emcc emcmake emconfigure emmake cmake; do
  if ! command -v "$tool" >/dev/null; then
    echo "fetch_web_deps: $tool is missing (install emscripten and cmake)" >&2
    exit 1
  fi
done
# The optimizer of Debian's emscripten needs Debian's node modules (acorn).
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

"$repo/tools/fetch_debian_sources.sh" fetch_web_deps "$src" freetype zlib libpng1.6 brotli woff2 harfbuzz

compiler=$(emcc --version | sed -n 1p)  # sed reads it all: no broken pipe
# The stamps name the source packages and the compiler the libraries came from.
stamp=$(cat "$src/zlib/.unpacked" "$src/libpng1.6/.unpacked" "$src/freetype/.unpacked"
        echo "$compiler")
harfbuzz_stamp=$(cat "$src/harfbuzz/.unpacked"; echo "$compiler")
built() {  # built STAMP_FILE STAMP
  [[ -f "$1" && "$(cat "$1")" == "$2" ]]
}

log=$deps/build/log.txt
# Output goes to the log, shown only on failure.
run() {
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fetch_web_deps: failed: $*" >&2
    exit 1
  fi
}

build_base_libraries() {
rm -rf "$install" "$deps/build"
mkdir -p "$deps/build"
echo "fetch_web_deps: building zlib"
# zlib's own configure script builds the static library alone (its CMake
# build also makes a shared one under the same name).
rm -rf "$deps/build/zlib"
cp -a "$src/zlib" "$deps/build/zlib"
(cd "$deps/build/zlib" &&
 run env CFLAGS="-O2" emconfigure ./configure --static --prefix="$install" &&
 run emmake make -j"$jobs" libz.a &&
 run emmake make install)

# Libraries built here are found through the prefix; the emscripten
# toolchain otherwise looks only inside its own system root.
cmake_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$install"
  -DCMAKE_PREFIX_PATH="$install"
  -DCMAKE_FIND_ROOT_PATH="$install"
  -DBUILD_SHARED_LIBS=OFF
)

echo "fetch_web_deps: building libpng"
run emcmake cmake -S "$src/libpng1.6" -B "$deps/build/libpng" "${cmake_options[@]}" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON \
  -DZLIB_ROOT="$install"
run cmake --build "$deps/build/libpng" -j"$jobs"
run cmake --install "$deps/build/libpng"

echo "fetch_web_deps: building FreeType"
run emcmake cmake -S "$src/freetype" -B "$deps/build/freetype" "${cmake_options[@]}" \
  -DFT_REQUIRE_ZLIB=ON -DFT_REQUIRE_PNG=ON \
  -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
  -DZLIB_ROOT="$install"
run cmake --build "$deps/build/freetype" -j"$jobs"
run cmake --install "$deps/build/freetype"

printf '%s\n' "$stamp" >"$install/.built"
rm -rf "$deps/build"
}

# HarfBuzz's single-file source (every .cc of src/ but the subsetter's) with
# none of the optional integrations: the glib, ICU, FreeType, Graphite,
# Uniscribe, DirectWrite and CoreText files compile to nothing unless their
# HAVE_ macro is defined, and the Unicode functions are HarfBuzz's own
# (hb-ucd.cc). HB_NO_MT: the module runs on one thread (its hb-mutex.hh asks
# for a thread system or for HB_NO_MT). The public headers go to
# include/harfbuzz, as Debian installs them.
build_harfbuzz() {
rm -rf "$deps/build" "$install/include/harfbuzz" "$install/lib/libharfbuzz.a" "$install/.built-harfbuzz"
mkdir -p "$deps/build/harfbuzz" "$install/include/harfbuzz" "$install/lib"
echo "fetch_web_deps: building HarfBuzz"
run em++ -std=c++11 -O2 -fno-exceptions -fno-rtti -fno-threadsafe-statics -DNDEBUG -DHB_NO_MT \
  -I"$src/harfbuzz/src" -c "$src/harfbuzz/src/harfbuzz.cc" -o "$deps/build/harfbuzz/harfbuzz.o"
run emar rcs "$install/lib/libharfbuzz.a" "$deps/build/harfbuzz/harfbuzz.o"
local header
for header in "$src"/harfbuzz/src/hb.h "$src"/harfbuzz/src/hb-*.h; do
  cp "$header" "$install/include/harfbuzz/"
done
printf '%s\n' "$harfbuzz_stamp" >"$install/.built-harfbuzz"
rm -rf "$deps/build"
}

if built "$install/.built" "$stamp"; then
  echo "fetch_web_deps: zlib, libpng and FreeType already built in $install"
else
  build_base_libraries
fi
if built "$install/.built-harfbuzz" "$harfbuzz_stamp"; then
  echo "fetch_web_deps: HarfBuzz already built in $install"
else
  build_harfbuzz
fi
echo "fetch_web_deps: libraries built in $install"
