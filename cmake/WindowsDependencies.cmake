# Windows (MinGW-w64) dependencies, all linked statically:
#   zlib                from libz-mingw-w64-dev (libz.a)
#   brotli decoder      built from Debian's brotli source package
#   woff2 decoder       built from Debian's woff2 source package
# tools/fetch_windows_deps.sh unpacks both source packages into
# GLYPHCENSUS_DEPS_DIR (`make test` runs it); cmake/DecoderSources.cmake
# compiles the decoders.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(GLYPHCENSUS_DECODER_SOURCES "${GLYPHCENSUS_DEPS_DIR}")
set(GLYPHCENSUS_DECODER_SOURCES_HINT
    "Run tools/fetch_windows_deps.sh (or set GLYPHCENSUS_DEPS_DIR to the folder it fills).")
set(GLYPHCENSUS_BROTLI_FROM_SOURCE ON)
include(${CMAKE_CURRENT_LIST_DIR}/DecoderSources.cmake)
