# `cpack -G DEB` in the build folder: a Debian package of the glyphcensus
# command and its manual page. Its Depends line is what dpkg-shlibdeps (package
# dpkg-dev) finds for the libraries the binary links: runtime packages only.
# The woff2 decoder is compiled in (cmake/Woff2Decoder.cmake), so the package
# needs libbrotli1 rather than libwoff1.
set(CPACK_PACKAGE_NAME glyphcensus)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "GlyphCensus developers")
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
