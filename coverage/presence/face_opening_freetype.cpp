#include "coverage/presence/face_opening_freetype.h"

#include <algorithm>

namespace glyphcensus {

bool OpenFreeTypeFace(ByteView image, uint32_t faceIndex, OpenedFace* opened) {
  *opened = OpenedFace{};
  if (image.data == nullptr || image.size == 0 ||
      image.size > static_cast<size_t>(INT32_MAX) || faceIndex > 0xFFFF) {
    return false;
  }
  if (FT_Init_FreeType(&opened->library) != 0) {
    opened->library = nullptr;
    return false;
  }
  if (FT_New_Memory_Face(opened->library, image.data, static_cast<FT_Long>(image.size),
                         static_cast<FT_Long>(faceIndex), &opened->face) != 0) {
    opened->face = nullptr;
    CloseFreeTypeFace(opened);
    return false;
  }
  // FreeType selects a Unicode cmap when the face has one, and none otherwise;
  // GDI then draws with the symbol cmap (see CharacterGlyph).
  if (opened->face->charmap == nullptr) FT_Select_Charmap(opened->face, FT_ENCODING_MS_SYMBOL);
  return true;
}

// Symbol fonts (cmap (3,0)) place their characters at U+F020-U+F0FF, and GDI
// draws the characters U+0020-U+00FF of text in such a font from there, as the
// OpenType cmap table's Windows Symbol encoding intends: a code below U+0100 is
// looked up U+F000 above it. When that finds nothing, GDI (here as Wine's
// gdi32 does it) looks again U+F000 below, which reads the old symbol fonts
// that place their symbols at U+00xx; the difference is taken in 32 bits, as
// there, so a code below U+F000 is looked up past U+FFFF0000 (which a format 4
// subtable never maps).
FT_UInt CharacterGlyph(FT_Face face, FT_ULong codePoint) {
  const bool symbol = face->charmap != nullptr && face->charmap->encoding == FT_ENCODING_MS_SYMBOL;
  if (!symbol) return FT_Get_Char_Index(face, codePoint);
  const uint32_t code = static_cast<uint32_t>(codePoint < 0x100 ? codePoint + 0xF000 : codePoint);
  const FT_UInt glyph = FT_Get_Char_Index(face, code);
  if (glyph != 0) return glyph;
  return FT_Get_Char_Index(face, static_cast<uint32_t>(code - 0xF000u));
}

// In FreeType 2.12.1 (src/sfnt/ttcmap.c), tt_cmap14_char_var_index answers 0
// unless the base lies in one of the selector's default ranges or among its
// non-default mappings, and tt_cmap14_variant_chars lists every base of every
// default range and every non-default base outside them (tt_cmap14_validate
// refuses a subtable whose selectors, ranges or mappings are not increasing,
// so its merge sees sorted lists). Both reach the subtable through the same
// find_variant_selector_charmap (src/base/ftobjs.c). FreeType gives no list
// for a face without the subtable, a selector it lacks or want of memory, and
// a list ends at a 0, so one that begins with 0 may be empty or list U+0000
// and more: none of those says which bases are missing. The list is
// FreeType's buffer, overwritten by the next call, so it is copied.
bool ListVariantBases(FT_Face face, uint32_t selector, std::vector<uint32_t>* bases) {
  bases->clear();
  const FT_UInt32* listed = FT_Face_GetCharsOfVariant(face, selector);
  if (listed == nullptr || listed[0] == 0) return false;
  for (; *listed != 0; ++listed) bases->push_back(*listed);
  std::sort(bases->begin(), bases->end());
  return true;
}

void CloseFreeTypeFace(OpenedFace* opened) {
  if (opened->face != nullptr) FT_Done_Face(opened->face);
  if (opened->library != nullptr) FT_Done_FreeType(opened->library);
  *opened = OpenedFace{};
}

}  // namespace glyphcensus
