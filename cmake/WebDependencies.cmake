# WebAssembly (emscripten) dependencies, all linked statically, all built from
# Debian's source packages by tools/fetch_web_deps.sh into
# GLYPHCENSUS_WEB_DEPS_DIR (`make web` runs it):
#   zlib, libpng, FreeType   built as libraries into <deps>/install
#   HarfBuzz   compiled from its single-file source into <deps>/install
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

# HarfBuzz, compiled from its single-file source (stamp .built-harfbuzz).
if(NOT EXISTS "${_gc_web_install}/.built-harfbuzz")
  message(FATAL_ERROR "${_gc_web_install} holds no HarfBuzz. Run tools/fetch_web_deps.sh.")
endif()
add_library(glyphcensus_harfbuzz INTERFACE)
target_include_directories(glyphcensus_harfbuzz SYSTEM INTERFACE
                           "${_gc_web_install}/include/harfbuzz")
target_link_libraries(glyphcensus_harfbuzz INTERFACE "${_gc_web_install}/lib/libharfbuzz.a")

set(GLYPHCENSUS_DECODER_SOURCES "${GLYPHCENSUS_WEB_DEPS_DIR}/src")
set(GLYPHCENSUS_DECODER_SOURCES_HINT "Run tools/fetch_web_deps.sh.")
set(GLYPHCENSUS_BROTLI_FROM_SOURCE ON)
include(${CMAKE_CURRENT_LIST_DIR}/DecoderSources.cmake)

# nlohmann/json is header-only: Debian's headers are used as they are, through
# a folder that holds nothing else (the emscripten system root has its own
# libc, which /usr/include must not shadow), and a package configuration that
# find_package(nlohmann_json) finds there.
set(_gc_json "${CMAKE_BINARY_DIR}/nlohmann_json")
file(MAKE_DIRECTORY "${_gc_json}/include")
file(CREATE_LINK /usr/include/nlohmann "${_gc_json}/include/nlohmann" SYMBOLIC)
file(WRITE "${_gc_json}/nlohmann_jsonConfig.cmake"
"if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES \"${_gc_json}/include\")
endif()
")
file(WRITE "${_gc_json}/nlohmann_jsonConfigVersion.cmake"
     "set(PACKAGE_VERSION 3)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
set(nlohmann_json_DIR "${_gc_json}" CACHE PATH "nlohmann/json for the WebAssembly build" FORCE)
