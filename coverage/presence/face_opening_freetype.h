#pragma once
// Opening one face of a font image with FreeType, shared by the glyph presence
// test and the glyph outlines of the coverage map.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <vector>

#include "fontio/big_endian_reader.h"

namespace glyphcensus {

// A FreeType library with one face open in it. Each holds its own library, so
// that faces open on several threads share nothing.
struct OpenedFace {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

// Opens face `faceIndex` of the image (0 for an sfnt). FreeType reads the image
// in place rather than from a copy: the image must outlive the face and stay
// unchanged while it is open. False for an empty image, one of 2 GiB or more, a
// face index past 0xFFFF, or a face FreeType cannot open; nothing is then held.
// A face with no Unicode cmap is opened with its Windows Symbol cmap, if any.
bool OpenFreeTypeFace(ByteView image, uint32_t faceIndex, OpenedFace* opened);

// The glyph GDI draws for the character: the face's Unicode cmap, or for a
// symbol font (FreeType finds no Unicode cmap, and the face has a Windows
// Symbol (3,0) subtable, which OpenFreeTypeFace then selects) the symbol
// lookup below. 0 when the character maps to nothing.
FT_UInt CharacterGlyph(FT_Face face, FT_ULong codePoint);

// The bases the face's format 14 subtable lists for `selector`, ascending, as
// FT_Face_GetCharsOfVariant gives them: every base for which
// FT_Face_GetCharVariantIndex can answer anything but 0 is among them. False,
// with `bases` empty, when FreeType gives no list that says so; then only
// FT_Face_GetCharVariantIndex can tell.
bool ListVariantBases(FT_Face face, uint32_t selector, std::vector<uint32_t>* bases);

// Closes the face and its library; either may be null.
void CloseFreeTypeFace(OpenedFace* opened);

}  // namespace glyphcensus
