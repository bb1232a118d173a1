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
// With --sets dialog or --sets all (after --hinted), the floor is that of
// glyphcensus --sets with the same group: each distinct glyph the group's
// characters map to, and for all also the glyphs of the variation sequences
// the face's format 14 subtable lists (FT_Face_GetCharsOfVariant, then
// FT_Face_GetCharVariantIndex), loaded once. Their ratio is the least that
// --sets all can cost against --sets dialog in a test that loads every glyph
// it judges. (The vertical forms' own glyphs are left out, so it is lower
// still.)
//
// Usage: ink_floor [--hinted [--sets dialog|all]] FONT...
// Prints "<file> <faces> <mapped> <loaded>" per file.
// Exit status 1 when FreeType cannot open a file, 2 for an unknown group.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "coverage/presence/face_opening_freetype.h"
#include "coverage/sets/character_sets.h"
#include "coverage/sets/extended_sets.h"
#include "fontio/unicode_text.h"

using namespace glyphcensus;

namespace {

void AddCodePoints(const CharacterSet& set, std::vector<FT_ULong>* codePoints) {
  for (int32_t chunk = 0; chunk < set.chunkCount; ++chunk) {
    const char16_t* text = set.chunks[chunk];
    size_t units = 0;
    for (size_t i = 0; text[i] != u'\0'; i += units) codePoints->push_back(CodePointAt(text + i, &units));
  }
}

// The sets' code points, each once, in order; a surrogate pair is one. With
// `extended`, the extended character sets' too (Adobe-Japan1-7 holds the
// other supplements).
std::vector<FT_ULong> SetCodePoints(bool extended) {
  std::vector<FT_ULong> codePoints;
  for (const CharacterSet& set : kCharacterSets) AddCodePoints(set, &codePoints);
  if (extended) {
    for (const CharacterSet& set : kExtendedCharacterSets) AddCodePoints(set, &codePoints);
    AddCodePoints(AdobeJapan1Set(kAdobeJapan1SupplementCount - 1), &codePoints);
  }
  std::sort(codePoints.begin(), codePoints.end());
  codePoints.erase(std::unique(codePoints.begin(), codePoints.end()), codePoints.end());
  return codePoints;
}

// The glyphs of the sequences the face lists, for the --sets floors: the
// bases each selector lists are asked once, as the presence test asks them,
// and only their sequences' glyphs are looked up.
void AddSequenceGlyphs(FT_Face face, std::vector<FT_UInt>* glyphs) {
  std::map<char32_t, std::vector<uint32_t>> listed;  // empty: ask for every base
  for (const SequenceSet& set : kSequenceSets) {
    for (int32_t i = 0; i < set.total; ++i) {
      const VariationSequence sequence = UnpackSequence(set.packed[i]);
      auto found = listed.find(sequence.selector);
      if (found == listed.end()) {
        found = listed.emplace(sequence.selector, std::vector<uint32_t>{}).first;
        ListVariantBases(face, sequence.selector, &found->second);
      }
      const std::vector<uint32_t>& bases = found->second;
      if (!bases.empty() && !std::binary_search(bases.begin(), bases.end(), sequence.base)) continue;
      const FT_UInt glyph = FT_Face_GetCharVariantIndex(face, sequence.base, sequence.selector);
      if (glyph != 0) glyphs->push_back(glyph);
    }
  }
}

constexpr FT_Int32 kFloorLoad = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
// The exact ink test's load (kHintedLoad in glyph_presence_freetype_stages.h).
constexpr FT_Int32 kHintedFloorLoad = FT_LOAD_DEFAULT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
constexpr FT_UInt kPixelsPerEm = 15;

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  const bool hinted = argc > first && std::strcmp(argv[first], "--hinted") == 0;
  if (hinted) ++first;
  // --sets: distinct glyphs, as glyphcensus judges each glyph once.
  bool byGlyph = false, extended = false;
  if (hinted && argc > first + 1 && std::strcmp(argv[first], "--sets") == 0) {
    byGlyph = true;
    extended = std::strcmp(argv[first + 1], "all") == 0;
    if (!extended && std::strcmp(argv[first + 1], "dialog") != 0) {
      std::fprintf(stderr, "ink_floor: --sets takes dialog or all\n");
      return 2;
    }
    first += 2;
  }
  const std::vector<FT_ULong> codePoints = SetCodePoints(extended);
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) return 1;
  int status = 0;
  for (int a = first; a < argc; ++a) {
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
      std::vector<FT_UInt> glyphs;
      for (FT_ULong codePoint : codePoints) {
        const FT_UInt glyph = FT_Get_Char_Index(face, codePoint);
        if (glyph != 0) glyphs.push_back(glyph);
      }
      mapped += static_cast<long>(glyphs.size());
      if (extended) AddSequenceGlyphs(face, &glyphs);
      if (byGlyph) {
        std::sort(glyphs.begin(), glyphs.end());
        glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());
      }
      for (FT_UInt glyph : glyphs) {
        if (FT_Load_Glyph(face, glyph, load) == 0) ++loaded;
      }
      FT_Done_Face(face);
    }
    std::printf("%s %ld %ld %ld\n", argv[a], faces, mapped, loaded);
  }
  FT_Done_FreeType(library);
  return status;
}
