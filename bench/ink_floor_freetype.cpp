// The floor of any FreeType-based ink test, for `make bench`: for every
// distinct code point of the fifteen sets, FT_Get_Char_Index, then (when the
// character is mapped) FT_Load_Glyph unscaled, unhinted and without bitmaps,
// for every face of every file named, in one process and one thread. Every
// ink test must load each glyph's outline at least once, so glyphcensus's
// CPU time over this program's is what its test adds to that.
//
// Usage: ink_floor FONT...   Prints "<file> <faces> <mapped> <loaded>" per file.
// Exit status 1 when FreeType cannot open a file.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <vector>

#include "coverage/character_sets.h"

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

}  // namespace

int main(int argc, char** argv) {
  const std::vector<FT_ULong> codePoints = SetCodePoints();
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) return 1;
  int status = 0;
  for (int a = 1; a < argc; ++a) {
    long faces = 1, mapped = 0, loaded = 0;
    for (long index = 0; index < faces; ++index) {
      FT_Face face;
      if (FT_New_Face(library, argv[a], index, &face) != 0) {
        std::fprintf(stderr, "ink_floor: FreeType cannot open face %ld of %s\n", index, argv[a]);
        status = 1;
        break;
      }
      faces = face->num_faces;
      for (FT_ULong codePoint : codePoints) {
        const FT_UInt glyph = FT_Get_Char_Index(face, codePoint);
        if (glyph == 0) continue;
        ++mapped;
        if (FT_Load_Glyph(face, glyph, kFloorLoad) == 0) ++loaded;
      }
      FT_Done_Face(face);
    }
    std::printf("%s %ld %ld %ld\n", argv[a], faces, mapped, loaded);
  }
  FT_Done_FreeType(library);
  return status;
}
