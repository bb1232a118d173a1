# `cpack -G DEB` in the build folder: a Debian package of the glyphcensus
# command and its manual page. Its Depends line is what dpkg-shlibdeps (package
# dpkg-dev) finds for the libraries the binary links: runtime packages only.
# The woff2 decoder is compiled in (cmake/DecoderSources.cmake), so the package
# needs libbrotli1 rather than libwoff1; the vertical forms need libharfbuzz0b.
set(CPACK_PACKAGE_NAME glyphcensus)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The GlyphCensus developers <glyphcensus@users.noreply.example>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "count how much of 15 Japanese character repertoires a font file draws")
set(CPACK_PACKAGE_DESCRIPTION
    "glyphcensus prints, for TrueType, OpenType, WOFF and WOFF2 files and TrueType
collections, how many characters of ASCII, kana, the education and regular-use
kanji, JIS X 0208, JIS X 0213, the IBM and NEC extensions, Greek and Cyrillic
the font really draws with ink, measured with FreeType.")
set(CPACK_GENERATOR DEB)
# Packaging and installing from the build folder build nothing: the package
# needs only glyphcensus and its manual page (`make package` builds those two),
# not every test program that "all" holds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# /usr/share/doc/glyphcensus: the copyright file in Debian's machine-readable
# format and the package's changelog (changelog.gz, the name lintian wants for
# a native package), compressed without a name or time stamp so that two
# builds give the same bytes. Made at configure time: `make package` builds
# only the program and its manual page.
include(GNUInstallDirs)
set(_gc_debian ${PROJECT_SOURCE_DIR}/resources/debian)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_gc_debian}/changelog)
execute_process(
  COMMAND gzip -9nc ${_gc_debian}/changelog
  OUTPUT_FILE ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${_gc_debian}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/glyphcensus)
