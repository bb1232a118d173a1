# Windows (MinGW-w64) dependencies, all linked statically:
#   zlib                from libz-mingw-w64-dev (libz.a)
#   brotli decoder      built from Debian's brotli source package
#   woff2 decoder       built from Debian's woff2 source package
# tools/fetch_windows_deps.sh unpacks both source packages into
# GLYPHCENSUS_DEPS_DIR (`make test` runs it). Only the decoders are compiled;
# the woff2 tree is not added as a subdirectory because it builds the encoder.
set(GLYPHCENSUS_DEPS_DIR "${PROJECT_SOURCE_DIR}/.deps" CACHE PATH
    "Folder holding the unpacked brotli and woff2 source packages")

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(_gc_brotli "${GLYPHCENSUS_DEPS_DIR}/brotli")
set(_gc_woff2 "${GLYPHCENSUS_DEPS_DIR}/woff2")
foreach(_gc_file "${_gc_brotli}/c/dec/decode.c" "${_gc_woff2}/src/woff2_dec.cc")
  if(NOT EXISTS "${_gc_file}")
    message(FATAL_ERROR
      "${_gc_file} is missing. Run tools/fetch_windows_deps.sh "
      "(or set GLYPHCENSUS_DEPS_DIR to the folder it fills).")
  endif()
endforeach()

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

# woff2: the decoder and the output classes only.
add_library(glyphcensus_woff2dec STATIC
  ${_gc_woff2}/src/woff2_dec.cc
  ${_gc_woff2}/src/woff2_out.cc
  ${_gc_woff2}/src/table_tags.cc
  ${_gc_woff2}/src/variable_length.cc
  ${_gc_woff2}/src/woff2_common.cc
)
target_include_directories(glyphcensus_woff2dec SYSTEM PUBLIC ${_gc_woff2}/include)
target_include_directories(glyphcensus_woff2dec PRIVATE ${_gc_woff2}/src)
target_compile_options(glyphcensus_woff2dec PRIVATE -w)
target_link_libraries(glyphcensus_woff2dec PUBLIC glyphcensus_brotlidec)

add_library(glyphcensus_woff2 INTERFACE)
target_link_libraries(glyphcensus_woff2 INTERFACE glyphcensus_woff2dec)
