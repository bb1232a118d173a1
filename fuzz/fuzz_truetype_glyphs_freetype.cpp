// Fuzz target: the TrueType glyph reader against FreeType, differentially.
// For up to four faces of the input and up to 256 glyphs of each (and the
// glyph one past the last), whenever ReadSimpleGlyph gives an outline,
// FreeType's unscaled, unhinted load of the same glyph must succeed and give
// the same points, curve tags, contour ends and advance; the target aborts
// otherwise. Faces FreeType cannot open, or flags tricky (which it hints
// even when asked not to), are still read, for the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "coverage/presence/face_opening_freetype.h"
#include "fontio/font_container.h"
#include "fontio/truetype_glyphs.h"
#include "tests/coverage/outline_match_freetype.h"

using namespace glyphcensus;

namespace {

constexpr uint32_t kMostFaces = 4;
constexpr uint32_t kMostGlyphs = 256;

void CompareFace(ByteView image, uint32_t faceIndex, PlainOutline* outline) {
  TrueTypeGlyphs glyphs;
  if (!OpenTrueTypeGlyphs(image, faceIndex, &glyphs)) return;
  OpenedFace opened;
  const bool compare = OpenFreeTypeFace(image, faceIndex, &opened) && !FT_IS_TRICKY(opened.face);
  const uint32_t last = std::min(glyphs.numGlyphs, kMostGlyphs);
  for (uint32_t glyph = 0; glyph <= last; ++glyph) {
    const uint32_t index = glyph == last ? glyphs.numGlyphs : glyph;  // and one past the last
    if (!ReadSimpleGlyph(glyphs, index, outline) || !compare) continue;
    const std::string difference = FreeTypeDifference(opened.face, index, *outline);
    if (!difference.empty()) {
      std::fprintf(stderr, "face %u glyph %u: %s\n", faceIndex, index, difference.c_str());
      std::abort();
    }
  }
  CloseFreeTypeFace(&opened);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteView image{data, size};
  PlainOutline outline;
  const uint32_t faces = std::min(CountFaces(image), kMostFaces);
  for (uint32_t faceIndex = 0; faceIndex < faces; ++faceIndex) CompareFace(image, faceIndex, &outline);
  return 0;
}
