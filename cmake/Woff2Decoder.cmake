# The woff2 decoder, built from Debian's woff2 source package on every platform.
# tools/fetch_windows_deps.sh unpacks it into GLYPHCENSUS_DEPS_DIR (`make
# build-linux`, `make run` and `make test` run it). Only the decoder and its
# output classes are compiled; the woff2 tree is not added as a subdirectory
# because it builds the encoder.
#
# Compiled without FONT_COMPRESSION_BIN and FONT_COMPRESSION_DEBUG, the decoder
# prints nothing: Debian's libwoff2dec is built with FONT_COMPRESSION_BIN and
# writes lines such as "offset fail; ..." on stderr from the measuring threads,
# where only glyphcensus's own messages belong.
#
# Expects the target glyphcensus_brotlidec (the brotli decoder).
set(_gc_woff2 "${GLYPHCENSUS_DEPS_DIR}/woff2")
if(NOT EXISTS "${_gc_woff2}/src/woff2_dec.cc")
  message(FATAL_ERROR
    "${_gc_woff2}/src/woff2_dec.cc is missing. Run tools/fetch_windows_deps.sh "
    "(or set GLYPHCENSUS_DEPS_DIR to the folder it fills).")
endif()

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
# The decoder reads 32-bit values at addresses that are not 4-byte aligned
# (checksums of tables at odd places), which x86 and ARM64 allow. Sanitizer and
# fuzz builds check everything else in it.
if(GLYPHCENSUS_FUZZ OR CMAKE_CXX_FLAGS MATCHES "fsanitize")
  target_compile_options(glyphcensus_woff2dec PRIVATE -fno-sanitize=alignment)
endif()
target_link_libraries(glyphcensus_woff2dec PUBLIC glyphcensus_brotlidec)

add_library(glyphcensus_woff2 INTERFACE)
target_link_libraries(glyphcensus_woff2 INTERFACE glyphcensus_woff2dec)
