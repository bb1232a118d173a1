# Windows (MinGW-w64) dependencies, all linked statically:
#   zlib                from libz-mingw-w64-dev (libz.a)
#   brotli decoder      built from Debian's brotli source package
#   woff2 decoder       built from Debian's woff2 source package (Woff2Decoder.cmake)
# tools/fetch_windows_deps.sh unpacks both source packages into
# GLYPHCENSUS_DEPS_DIR (`make test` runs it). Only the decoders are compiled;
# the woff2 tree is not added as a subdirectory because it builds the encoder.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(_gc_brotli "${GLYPHCENSUS_DEPS_DIR}/brotli")
if(NOT EXISTS "${_gc_brotli}/c/dec/decode.c")
  message(FATAL_ERROR
    "${_gc_brotli}/c/dec/decode.c is missing. Run tools/fetch_windows_deps.sh "
    "(or set GLYPHCENSUS_DEPS_DIR to the folder it fills).")
endif()

# brotli: common + decoder.
add_library(glyphcensus_brotlidec STATIC
  ${_gc_brotli}/c/common/constants.c
  ${_gc_brotli}/c/common/context.c
  ${_gc_brotli}/c/common/dictionary.c
  ${_gc_brotli}/c/common/platform.c
  ${_gc_brotli}/c/common/transform.c
  ${_gc_brotli}/c/dec/bit_reader.c
  ${_gc_brotli}/c/dec/decode.c
  ${_gc_brotli}/c/dec/huffman.c
  ${_gc_brotli}/c/dec/state.c
)
target_include_directories(glyphcensus_brotlidec SYSTEM PUBLIC ${_gc_brotli}/c/include)
# Third-party code: keep its warnings out of our build logs.
target_compile_options(glyphcensus_brotlidec PRIVATE -w)
set_target_properties(glyphcensus_brotlidec PROPERTIES C_STANDARD 99)

include(${CMAKE_CURRENT_LIST_DIR}/Woff2Decoder.cmake)
