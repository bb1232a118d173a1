# The brotli and woff2 decoders, compiled from Debian's source packages
# (the Windows and WebAssembly builds; Linux links Debian's libraries).
# GLYPHCENSUS_DECODER_SOURCES must name the folder holding the unpacked
# brotli and woff2 trees. Only the decoders are compiled; the woff2 tree is not
# added as a subdirectory because it builds the encoder.
# Defines glyphcensus_woff2 (woff2 decoder + brotli).
set(_gc_brotli "${GLYPHCENSUS_DECODER_SOURCES}/brotli")
set(_gc_woff2 "${GLYPHCENSUS_DECODER_SOURCES}/woff2")
foreach(_gc_file "${_gc_brotli}/c/dec/decode.c" "${_gc_woff2}/src/woff2_dec.cc")
  if(NOT EXISTS "${_gc_file}")
    message(FATAL_ERROR
      "${_gc_file} is missing. ${GLYPHCENSUS_DECODER_SOURCES_HINT}")
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
