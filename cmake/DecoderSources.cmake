# The woff2 decoder, compiled from Debian's woff2 source package on every
# platform, and the brotli decoder from Debian's brotli source package where no
# library of it is linked (Windows, WebAssembly; Linux links Debian's
# libbrotlidec). Only the decoders are compiled; the woff2 tree is not added as
# a subdirectory because it builds the encoder.
#
# Compiled without FONT_COMPRESSION_BIN and FONT_COMPRESSION_DEBUG, the woff2
# decoder prints nothing: Debian's libwoff2dec is built with FONT_COMPRESSION_BIN
# and writes lines such as "offset fail; ..." on stderr from the measuring
# threads, where only glyphcensus's own messages belong.
#
# Expects:
#   GLYPHCENSUS_DECODER_SOURCES       the folder holding the unpacked brotli and
#                                     woff2 trees
#   GLYPHCENSUS_DECODER_SOURCES_HINT  what to do when they are missing
#   GLYPHCENSUS_BROTLI_FROM_SOURCE    ON to compile the brotli decoder here; OFF
#                                     when the target glyphcensus_brotlidec exists
# Defines glyphcensus_woff2 (woff2 decoder + brotli).
set(_gc_brotli "${GLYPHCENSUS_DECODER_SOURCES}/brotli")
set(_gc_woff2 "${GLYPHCENSUS_DECODER_SOURCES}/woff2")
set(_gc_needed "${_gc_woff2}/src/woff2_dec.cc")
if(GLYPHCENSUS_BROTLI_FROM_SOURCE)
  list(APPEND _gc_needed "${_gc_brotli}/c/dec/decode.c")
endif()
foreach(_gc_file ${_gc_needed})
  if(NOT EXISTS "${_gc_file}")
    message(FATAL_ERROR
      "${_gc_file} is missing. ${GLYPHCENSUS_DECODER_SOURCES_HINT}")
  endif()
endforeach()

if(GLYPHCENSUS_BROTLI_FROM_SOURCE)
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
endif()

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
# The decoder reads 32-bit values at addresses that are not 4-byte aligned
# (checksums of tables at odd places), which x86 and ARM64 allow. Sanitizer and
# fuzz builds check everything else in it.
if(GLYPHCENSUS_FUZZ OR CMAKE_CXX_FLAGS MATCHES "fsanitize")
  target_compile_options(glyphcensus_woff2dec PRIVATE -fno-sanitize=alignment)
endif()
target_link_libraries(glyphcensus_woff2dec PUBLIC glyphcensus_brotlidec)

add_library(glyphcensus_woff2 INTERFACE)
target_link_libraries(glyphcensus_woff2 INTERFACE glyphcensus_woff2dec)
