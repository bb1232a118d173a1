#pragma once
// A glyph outline FreeType loaded, as plain data for the point search.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "fontio/plain_outline.h"

namespace glyphcensus {

// Copies `from` (points, curve tags, contour ends) into `to`, reusing its
// storage. False for an outline the search must not judge: without points or
// contours, filled even-odd, with a point beyond 32 bits or a negative
// contour end.
bool ReadFreeTypeOutline(const FT_Outline& from, PlainOutline* to);

}  // namespace glyphcensus
