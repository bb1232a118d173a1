# Third-party libraries. Linux links Debian's packages, but builds the woff2
# decoder from source (see Woff2Decoder.cmake); the Windows build links zlib
# statically and builds the brotli and woff2 decoders from source.
set(GLYPHCENSUS_DEPS_DIR "${PROJECT_SOURCE_DIR}/.deps" CACHE PATH
    "Folder holding the unpacked brotli and woff2 source packages")
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
else()
  find_package(ZLIB REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(BROTLIDEC REQUIRED IMPORTED_TARGET libbrotlidec)
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  add_library(glyphcensus_brotlidec INTERFACE)
  target_link_libraries(glyphcensus_brotlidec INTERFACE PkgConfig::BROTLIDEC)
  include(${CMAKE_CURRENT_LIST_DIR}/Woff2Decoder.cmake)
  add_library(glyphcensus_freetype INTERFACE)
  target_link_libraries(glyphcensus_freetype INTERFACE PkgConfig::FREETYPE)
endif()
# Every target gets: ZLIB::ZLIB and glyphcensus_woff2 (woff2 decoder + brotli).
