#pragma once
// Simple TrueType glyphs read straight from 'glyf': the outline FreeType's
// unscaled, unhinted load gives, at a fraction of its cost, or a refusal.
//
// The reader answers only where it is sure to agree with FreeType 2.12's load
// with FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP |
// FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH: the same points, on-curve kinds,
// contour ends and metrics.horiAdvance. Anything else (composite or empty
// glyphs, variable fonts, damaged or unusual tables) is declined, and the
// caller loads the glyph with FreeType.
//
// One case the reader cannot see: FreeType hints the glyphs of fonts it
// flags "tricky" (FT_IS_TRICKY, certain CJK fonts known by name or by
// checksums) even when asked not to, so the caller must not use the reader for
// such a face.
#include <cstdint>

#include "fontio/big_endian_reader.h"
#include "fontio/plain_outline.h"

namespace glyphcensus {

// What the reader needs of one face: views of its tables inside the image.
struct TrueTypeGlyphs {
  ByteView glyf;
  ByteView loca;  // exactly numGlyphs + 1 offsets
  ByteView hmtx;
  uint32_t numGlyphs = 0;         // maxp numGlyphs, at least 1
  uint32_t numberOfHMetrics = 0;  // hhea numberOfHMetrics, at least 1
  bool longOffsets = false;       // head indexToLocFormat 1
};

// Finds face `faceIndex`'s tables (its table directory through
// FaceDirectoryOffset). False when the face is not one the reader answers for:
// not version 0x00010000, a directory past the image, no glyf, loca, head,
// maxp, hhea or hmtx, any of these twice, empty or past the image, fvar or
// gvar (a variable font), CFF or CFF2, an indexToLocFormat other than 0 or 1,
// loca shorter than numGlyphs + 1 offsets.
bool OpenTrueTypeGlyphs(ByteView image, uint32_t faceIndex, TrueTypeGlyphs* glyphs);

// True, with `outline` refilled (its vectors reused), when glyph `glyph` is a
// simple glyph with at least one contour whose outline and advance are read
// exactly as FreeType reads them: points translated so that x = 0 is the
// origin (bearing from hmtx), kinds kOnCurve or kQuadraticControl. False for
// composite and empty glyphs, glyph >= numGlyphs, loca entries that are out
// of order or past glyf, hmtx without this glyph's entry, and every fault
// FreeType refuses (contour ends not increasing, flags, repeats or
// coordinates past the glyph's bytes).
bool ReadSimpleGlyph(const TrueTypeGlyphs& glyphs, uint32_t glyph, PlainOutline* outline);

}  // namespace glyphcensus
