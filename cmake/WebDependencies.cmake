# WebAssembly (emscripten) dependencies, all linked statically, all built from
# Debian's source packages by tools/fetch_web_deps.sh into
# GLYPHCENSUS_WEB_DEPS_DIR (`make web` runs it):
#   zlib, libpng, FreeType   built as libraries into <deps>/install
#   brotli and woff2 decoders   compiled here (cmake/DecoderSources.cmake)
set(GLYPHCENSUS_WEB_DEPS_DIR "${PROJECT_SOURCE_DIR}/.deps-web" CACHE PATH
    "Folder filled by tools/fetch_web_deps.sh")
set(_gc_web_install "${GLYPHCENSUS_WEB_DEPS_DIR}/install")
if(NOT EXISTS "${_gc_web_install}/.built")
  message(FATAL_ERROR "${_gc_web_install} holds no libraries. Run tools/fetch_web_deps.sh "
                      "(or set GLYPHCENSUS_WEB_DEPS_DIR to the folder it fills).")
endif()

# The emscripten toolchain looks for libraries only inside its system root.
list(APPEND CMAKE_FIND_ROOT_PATH "${_gc_web_install}")
set(ZLIB_ROOT "${_gc_web_install}")
find_package(ZLIB REQUIRED)

add_library(glyphcensus_freetype INTERFACE)
target_include_directories(glyphcensus_freetype SYSTEM INTERFACE
                           "${_gc_web_install}/include/freetype2")
target_link_libraries(glyphcensus_freetype INTERFACE
                      "${_gc_web_install}/lib/libfreetype.a"
                      "${_gc_web_install}/lib/libpng16.a" ZLIB::ZLIB)

set(GLYPHCENSUS_DECODER_SOURCES "${GLYPHCENSUS_WEB_DEPS_DIR}/src")
set(GLYPHCENSUS_DECODER_SOURCES_HINT "Run tools/fetch_web_deps.sh.")
include(${CMAKE_CURRENT_LIST_DIR}/DecoderSources.cmake)
