# Third-party libraries. Linux links Debian's packages, but compiles the woff2
# decoder from its source package; the Windows build links zlib statically and
# compiles the brotli and woff2 decoders from source; the WebAssembly build
# (web/) builds all of them from Debian's source packages. The decoders are
# compiled by cmake/DecoderSources.cmake for all three.
set(GLYPHCENSUS_DEPS_DIR "${PROJECT_SOURCE_DIR}/.deps" CACHE PATH
    "Folder holding the unpacked brotli and woff2 source packages")
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
elseif(EMSCRIPTEN)
  include(${CMAKE_CURRENT_LIST_DIR}/WebDependencies.cmake)
else()
  find_package(ZLIB REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(BROTLIDEC REQUIRED IMPORTED_TARGET libbrotlidec)
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  pkg_check_modules(HARFBUZZ REQUIRED IMPORTED_TARGET harfbuzz)
  add_library(glyphcensus_brotlidec INTERFACE)
  target_link_libraries(glyphcensus_brotlidec INTERFACE PkgConfig::BROTLIDEC)
  # tools/fetch_windows_deps.sh unpacks the woff2 source package (`make
  # build-linux`, `make run` and `make test` run it).
  set(GLYPHCENSUS_DECODER_SOURCES "${GLYPHCENSUS_DEPS_DIR}")
  set(GLYPHCENSUS_DECODER_SOURCES_HINT
      "Run tools/fetch_windows_deps.sh (or set GLYPHCENSUS_DEPS_DIR to the folder it fills).")
  set(GLYPHCENSUS_BROTLI_FROM_SOURCE OFF)
  include(${CMAKE_CURRENT_LIST_DIR}/DecoderSources.cmake)
  add_library(glyphcensus_freetype INTERFACE)
  target_link_libraries(glyphcensus_freetype INTERFACE PkgConfig::FREETYPE)
  add_library(glyphcensus_harfbuzz INTERFACE)
  target_link_libraries(glyphcensus_harfbuzz INTERFACE PkgConfig::HARFBUZZ)
endif()
# Every target gets: ZLIB::ZLIB and glyphcensus_woff2 (woff2 decoder + brotli).
