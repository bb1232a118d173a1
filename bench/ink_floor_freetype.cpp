// The floors of FreeType-based ink tests, for `make bench`: for every
// distinct code point of the fifteen sets, FT_Get_Char_Index, then (when the
// character is mapped) FT_Load_Glyph, for every face of every file named, in
// one process and one thread. The unhinted floor loads unscaled, unhinted and
// without bitmaps: every ink test must load each glyph's outline at least
// once. The hinted floor (--hinted) loads as the exact ink test does, hinted
// at 15 pixels per em, without drawing: every test that is exact by
// construction pays it. glyphcensus's CPU time over a floor's is what its
// test adds to that.
//
// Usage: ink_floor [--hinted] FONT...
// Prints "<file> <faces> <mapped> <loaded>" per file.
// Exit status 1 when FreeType cannot open a file.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "coverage/sets/character_sets.h"

using namespace glyphcensus;

namespace {

// The sets' code points, each once, in order; a surrogate pair is one.
std::vector<FT_ULong> SetCodePoints() {
  std::vector<FT_ULong> codePoints;
  for (const CharacterSet& set : kCharacterSets) {
    for (int32_t chunk = 0; chunk < set.chunkCount; ++chunk) {
      const char16_t* text = set.chunks[chunk];
      for (size_t i = 0; text[i] != u'\0'; ++i) {
        FT_ULong codePoint = text[i];
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
          codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[i + 1] - 0xDC00);
          ++i;
        }
        codePoints.push_back(codePoint);
      }
    }
  }
  std::sort(codePoints.begin(), codePoints.end());
  codePoints.erase(std::unique(codePoints.begin(), codePoints.end()), codePoints.end());
  return codePoints;
}

constexpr FT_Int32 kFloorLoad = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
// The exact ink test's load (kHintedLoad in glyph_presence_freetype_stages.h).
constexpr FT_Int32 kHintedFloorLoad = FT_LOAD_DEFAULT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
constexpr FT_UInt kPixelsPerEm = 15;

}  // namespace

int main(int argc, char** argv) {
  const std::vector<FT_ULong> codePoints = SetCodePoints();
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) return 1;
  int status = 0;
  const bool hinted = argc > 1 && std::strcmp(argv[1], "--hinted") == 0;
  for (int a = hinted ? 2 : 1; a < argc; ++a) {
    long faces = 1, mapped = 0, loaded = 0;
    for (long index = 0; index < faces; ++index) {
      FT_Face face;
      if (FT_New_Face(library, argv[a], index, &face) != 0) {
        std::fprintf(stderr, "ink_floor: FreeType cannot open face %ld of %s\n", index, argv[a]);
        status = 1;
        break;
      }
      faces = face->num_faces;
      // A face without the measuring size is not measured at all.
      if (hinted && FT_Set_Pixel_Sizes(face, 0, kPixelsPerEm) != 0) {
        FT_Done_Face(face);
        continue;
      }
      const FT_Int32 load = hinted ? kHintedFloorLoad : kFloorLoad;
      for (FT_ULong codePoint : codePoints) {
        const FT_UInt glyph = FT_Get_Char_Index(face, codePoint);
        if (glyph == 0) continue;
        ++mapped;
        if (FT_Load_Glyph(face, glyph, load) == 0) ++loaded;
      }
      FT_Done_Face(face);
    }
    std::printf("%s %ld %ld %ld\n", argv[a], faces, mapped, loaded);
  }
  FT_Done_FreeType(library);
  return status;
}
