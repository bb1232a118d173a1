#pragma once
// The vertical forms of characters, found by shaping each character alone
// with HarfBuzz, top to bottom and left to right: a character has a vertical
// form when the two give different glyphs. The header names no HarfBuzz type.
#include <cstdint>

#include "fontio/big_endian_reader.h"

namespace glyphcensus {

// One face made ready for shaping; opaque.
struct VerticalShaper;

// Opens face `faceIndex` of the sfnt or collection image for shaping, reading
// the image in place; the image must outlive the shaper and stay unchanged.
// Null when the image is empty or too large for HarfBuzz (4 GiB), or the face
// index is past 65535 (HarfBuzz would take its high 16 bits for a named
// instance of a variable font); a face HarfBuzz cannot read shapes every
// character to glyph 0 (no vertical form). As for FreeType, the index of a
// face that is not in a collection must be 0 (HarfBuzz ignores it there).
VerticalShaper* OpenVerticalShaper(ByteView image, uint32_t faceIndex);
void CloseVerticalShaper(VerticalShaper* shaper);

// What shaping the character alone gives, top to bottom (direction TTB,
// language "ja", script guessed from the character) and left to right.
struct VerticalShaping {
  uint32_t verticalGlyphs = 0;    // how many glyphs the vertical run has
  uint32_t verticalGlyph = 0;     // its first glyph (0 when it has none)
  uint32_t horizontalGlyphs = 0;  // the same for the horizontal run
  uint32_t horizontalGlyph = 0;
};
VerticalShaping ShapeBothWays(VerticalShaper* shaper, char32_t c);

// Whether the character has a vertical form, and its glyph: exactly one
// glyph top to bottom, and one other than the (first) glyph left to right.
// A vertical run of several glyphs (a ligature's parts, a decomposition) or
// of none is not one form of the character, so it counts as none.
bool HasVerticalForm(const VerticalShaping& shaping);

}  // namespace glyphcensus
