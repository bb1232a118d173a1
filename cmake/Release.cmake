# Release builds: the version resource of GlyphCensus.exe, its link map (read
# by tools/check_notices.py) and the Windows release zip (target `dist`,
# tools/make_dist.py). The version comes from project() in CMakeLists.txt.
if(NOT WIN32)
  return()
endif()

target_compile_definitions(glyphcensus_resources PRIVATE
  GLYPHCENSUS_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  GLYPHCENSUS_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  GLYPHCENSUS_VERSION_PATCH=${PROJECT_VERSION_PATCH})

# Which archive members the exe holds: the notices must name their packages.
set(GLYPHCENSUS_LINK_MAP ${CMAKE_BINARY_DIR}/app/GlyphCensus.map)
target_link_options(GlyphCensus PRIVATE "LINKER:-Map=${GLYPHCENSUS_LINK_MAP}")

# Debian's Python, as for the tests (the zip's deflate stream depends on its zlib).
set(GLYPHCENSUS_PYTHON /usr/bin/python3 CACHE FILEPATH "Python with fontTools")
set(GLYPHCENSUS_DIST_ZIP ${CMAKE_BINARY_DIR}/dist/GlyphCensus-${PROJECT_VERSION}-win64.zip)
set(_gc_dist_inputs
  ${PROJECT_SOURCE_DIR}/tools/make_dist.py
  ${PROJECT_SOURCE_DIR}/resources/README-windows.txt
  ${PROJECT_SOURCE_DIR}/LICENSE
  ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.md)
add_custom_command(
  OUTPUT ${GLYPHCENSUS_DIST_ZIP}
  COMMAND ${GLYPHCENSUS_PYTHON} ${PROJECT_SOURCE_DIR}/tools/make_dist.py
          --exe $<TARGET_FILE:GlyphCensus> --version ${PROJECT_VERSION}
          --source ${PROJECT_SOURCE_DIR} --output ${GLYPHCENSUS_DIST_ZIP}
  DEPENDS GlyphCensus ${_gc_dist_inputs}
  COMMENT "Writing ${GLYPHCENSUS_DIST_ZIP}"
  VERBATIM)
# Part of "all": the zip takes a second, and the Wine test unpacks it.
add_custom_target(dist ALL DEPENDS ${GLYPHCENSUS_DIST_ZIP})
