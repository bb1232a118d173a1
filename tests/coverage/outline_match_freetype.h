#pragma once
// Whether FreeType's unscaled, unhinted load of a glyph gives the outline the
// TrueType glyph reader gave: shared by the reader's test and its fuzz target.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdint>
#include <string>

#include "fontio/plain_outline.h"

using namespace glyphcensus;

constexpr FT_Int32 kFontUnitOutlineLoad = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING |
                                          FT_LOAD_NO_BITMAP |
                                          FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;

// "" when FreeType loads glyph `glyph` of `face` without error as an outline
// equal to `outline` field by field (points, curve tags, contour ends,
// horiAdvance, nonzero winding); otherwise the first difference in words.
inline std::string FreeTypeDifference(FT_Face face, uint32_t glyph, const PlainOutline& outline) {
  if (FT_Load_Glyph(face, glyph, kFontUnitOutlineLoad) != 0) return "FreeType refuses the glyph";
  const FT_GlyphSlot slot = face->glyph;
  const FT_Outline& loaded = slot->outline;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return "FreeType's glyph is not an outline";
  if (loaded.flags & FT_OUTLINE_EVEN_ODD_FILL) return "FreeType fills even-odd";
  if (slot->metrics.horiAdvance != outline.advance) {
    return "advance " + std::to_string(slot->metrics.horiAdvance) + " against " +
           std::to_string(outline.advance);
  }
  if (static_cast<size_t>(loaded.n_points) != outline.points.size() ||
      outline.kinds.size() != outline.points.size() ||
      static_cast<size_t>(loaded.n_contours) != outline.contourEnds.size()) {
    return "point or contour count";
  }
  for (size_t i = 0; i < outline.contourEnds.size(); ++i) {
    if (loaded.contours[i] != outline.contourEnds[i]) return "end of contour " + std::to_string(i);
  }
  for (size_t i = 0; i < outline.points.size(); ++i) {
    if (loaded.points[i].x != outline.points[i].x || loaded.points[i].y != outline.points[i].y ||
        FT_CURVE_TAG(loaded.tags[i]) != outline.kinds[i]) {
      return "point " + std::to_string(i);
    }
  }
  return "";
}
