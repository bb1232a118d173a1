# Third-party libraries. Linux links Debian's packages; the Windows build links
# zlib statically and builds the brotli and woff2 decoders from source; the
# WebAssembly build (web/) builds all of them from Debian's source packages.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
elseif(EMSCRIPTEN)
  include(${CMAKE_CURRENT_LIST_DIR}/WebDependencies.cmake)
else()
  find_package(ZLIB REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(WOFF2DEC REQUIRED IMPORTED_TARGET libwoff2dec)
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  add_library(glyphcensus_woff2 INTERFACE)
  target_link_libraries(glyphcensus_woff2 INTERFACE PkgConfig::WOFF2DEC)
  add_library(glyphcensus_freetype INTERFACE)
  target_link_libraries(glyphcensus_freetype INTERFACE PkgConfig::FREETYPE)
endif()
# Every target gets: ZLIB::ZLIB and glyphcensus_woff2 (woff2 decoder + brotli).
