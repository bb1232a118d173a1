#pragma once
// Glyph outlines as SVG path data, for drawing a font's own glyphs in the
// coverage map. Implemented with FreeType (Linux command only).
#include <cstdint>
#include <string>

#include "fontio/big_endian_reader.h"

namespace glyphcensus {

struct GlyphOutlines;

// Opens face `faceIndex` of the sfnt image or collection for outlines scaled
// into a square cell of `cellUnits` units (the em fills the cell). FreeType
// reads `image` in place: it must outlive the returned object. Null on failure.
GlyphOutlines* OpenGlyphOutlines(ByteView image, uint32_t faceIndex, int32_t cellUnits);

// The face's glyph for the character (0: none).
uint32_t GlyphForCharacter(GlyphOutlines* outlines, char32_t codePoint);

// Writes the glyph's outline as SVG path data in the cell's units, y downward,
// origin at the cell's top-left corner, whole numbers only. False when the
// glyph has no outline (a bitmap, an empty glyph), is too complex, or the
// budget of path text for all glyphs is used up; `path` is then empty.
bool GlyphPathData(GlyphOutlines* outlines, uint32_t glyph, std::string* path);

void CloseGlyphOutlines(GlyphOutlines* outlines);

}  // namespace glyphcensus
