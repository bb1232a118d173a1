#pragma once
// The covered pixel test against FreeType's own drawing, for the property
// test and the fuzz target: whenever FindCoveredPixel says an outline covers
// a pixel of a region, FT_Glyph_To_Bitmap (FT_Render_Glyph's path, overlap
// flag and all) must draw it without error and give some pixel of that
// region coverage 255.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstring>

#include "coverage/geometry/covered_pixel_freetype.h"

using namespace glyphcensus;

// The highest coverage FreeType draws inside `region` (26.6, whole pixels),
// or -1 when drawing fails.
inline int HighestDrawnCoverage(FT_Library library, const FT_Outline& outline,
                                const FT_BBox& region) {
  FT_Glyph glyph = nullptr;
  if (FT_New_Glyph(library, FT_GLYPH_FORMAT_OUTLINE, &glyph) != 0) return -1;
  FT_Outline& copy = reinterpret_cast<FT_OutlineGlyph>(glyph)->outline;
  if (FT_Outline_New(library, outline.n_points, outline.n_contours, &copy) != 0) {
    FT_Done_Glyph(glyph);
    return -1;
  }
  std::memcpy(copy.points, outline.points, sizeof(FT_Vector) * outline.n_points);
  std::memcpy(copy.tags, outline.tags, static_cast<size_t>(outline.n_points));
  std::memcpy(copy.contours, outline.contours, sizeof(short) * outline.n_contours);
  copy.flags = (copy.flags & FT_OUTLINE_OWNER) | (outline.flags & ~FT_OUTLINE_OWNER);
  int highest = -1;
  if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) == 0) {
    const auto* drawn = reinterpret_cast<FT_BitmapGlyph>(glyph);
    const FT_Bitmap& bitmap = drawn->bitmap;
    highest = 0;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const long bottom = (static_cast<long>(drawn->top) - static_cast<long>(row) - 1) * 64;
      if (bottom < region.yMin || bottom + 64 > region.yMax) continue;
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const long left = (static_cast<long>(drawn->left) + static_cast<long>(column)) * 64;
        if (left < region.xMin || left + 64 > region.xMax) continue;
        highest = std::max<int>(highest, bitmap.buffer[row * bitmap.pitch + column]);
      }
    }
  }
  FT_Done_Glyph(glyph);
  return highest;
}

// False when FindCoveredPixel claims a pixel that the drawing does not cover.
inline bool CoveredPixelAgreesWithDrawing(FT_Library library, const FT_Outline& outline,
                                          const FT_BBox& region, CoveredPixelScratch* scratch) {
  if (!FindCoveredPixel(outline, region, scratch)) return true;
  return HighestDrawnCoverage(library, outline, region) == 255;
}
