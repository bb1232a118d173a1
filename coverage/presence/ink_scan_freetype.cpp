// The FreeType glyph presence test, stage by stage: the Windows ink scan on
// a drawn glyph, the shortcut that finds ink from an outline's area without
// drawing, and what drawing an outline costs.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "coverage/geometry/outline_area_freetype.h"
#include "coverage/presence/glyph_presence_freetype_stages.h"

namespace glyphcensus {

namespace {

// Any coverage at (column, row) of the glyph bitmap.
bool InkAt(const FT_Bitmap& bitmap, int column, int row) {
  const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO: return (line[column >> 3] & (0x80 >> (column & 7))) != 0;
    case FT_PIXEL_MODE_GRAY2: return ((line[column >> 2] >> (6 - 2 * (column & 3))) & 3) != 0;
    case FT_PIXEL_MODE_GRAY4: return ((line[column >> 1] >> (4 - 4 * (column & 1))) & 15) != 0;
    case FT_PIXEL_MODE_GRAY: return line[column] != 0;
    case FT_PIXEL_MODE_BGRA: return line[column * 4 + 3] != 0;
    default: return false;
  }
}

}  // namespace

// Replays the Windows ink scan on the surface GDI draws: the cell
// [0, advance) x [0, cellHeight) white, the glyph's coverage as ink, the rest
// red. The scan reads rows from the top; a row whose first pixel is red ends
// it (missing); along a row, white is skipped, red moves to the next row, and
// anything else is ink. So ink just right of the cell, touching it, is reached
// too. Rows below the cell hold no ink here: Wine draws nothing of a glyph
// outside the cell's rows (and a glyph wholly above or below them is not
// drawn at all), so the row below the cell always begins red there. Real
// Windows draws such ink, and its scan would count ink at the very start of
// the row below the cell; this test, like Wine, does not.
// `left` and `top` are the surface position of the bitmap's first column and row.
bool ScanFindsInk(const MeasuringContext& context, const FT_Bitmap& bitmap, int left, int top,
                  int advance) {
  const int width = std::clamp(advance, 0, kSurfaceSize);
  const int height = std::clamp(context.cellHeight, 0, kSurfaceSize);
  // Without a cell the first pixel is red unless ink covers it.
  const int lastX = width == 0 ? 0 : std::min(width, kSurfaceSize - 1);
  const int endY = width == 0 ? std::min(height, 1) : height;

  // Inside the cell's rows, ink counts up to and including the column just
  // right of the cell (x == width), which is red only where it has no ink.
  const int firstRow = std::max(0, top);
  const int endRow = std::min(endY, top + static_cast<int>(bitmap.rows));
  const int firstX = std::max(0, left);
  const int endX = std::min(lastX + 1, left + static_cast<int>(bitmap.width));
  for (int y = firstRow; y < endRow; ++y) {
    for (int x = firstX; x < endX; ++x) {
      if (InkAt(bitmap, x - left, y - top)) return true;
    }
  }
  return false;
}

InkRegion ScannedRegion(const MeasuringContext& context, int advance) {
  const int width = std::clamp(advance, 0, kSurfaceSize);
  const int height = std::clamp(context.cellHeight, 0, kSurfaceSize);
  if (width == 0 || height == 0) return InkRegion{};
  InkRegion region;
  region.right = static_cast<FT_Pos>(std::min(width, kSurfaceSize - 1) + 1) * 64;
  region.top = static_cast<FT_Pos>(context.cellAscent) * 64;
  region.bottom = static_cast<FT_Pos>(context.cellAscent - height) * 64;
  return region;
}

// A shortcut that gives the verdict of the full drawing and scan without
// drawing, for the common glyph that lies wholly inside the scanned region:
// its ink is present if any pixel gets coverage. The pixels' areas sum to
// twice the signed area of the polygon the rasteriser draws, which the walk of
// outline_area_freetype.h finds, flattening the curves as the rasteriser does,
// give or take what its rounding can move; a pixel without coverage holds at
// most 512 of it (a whole pixel holds 131072). So when the area less the
// rounding exceeds 512 times the box's pixel count, some pixel of the box, and
// so of the scanned region, has coverage. Everything else is drawn and
// scanned.
bool AreaShortcutApplies(const MeasuringContext& context, const FT_Outline& outline,
                         const FT_BBox& box, int advance) {
  if (outline.n_points == 0 || (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0) return false;
  const InkRegion region = ScannedRegion(context, advance);
  return region.left < region.right && box.xMin >= region.left && box.xMax <= region.right &&
         box.yMax <= region.top && box.yMin >= region.bottom;
}

bool OutlineSurelyInked(const MeasuringContext& context, const FT_Outline& outline,
                        const FT_BBox& box, int advance) {
  if (!AreaShortcutApplies(context, outline, box, advance)) return false;
  TracedArea traced;
  return TraceOutlineArea(outline, box, &traced) && TracedAreaLeavesCoverage(traced, box);
}

bool OutlineCoversScannedPixel(MeasuringContext* context, const FT_Outline& outline,
                               const FT_BBox& box, int advance) {
  const InkRegion region = ScannedRegion(*context, advance);
  if (region.right <= region.left) return false;
  const FT_BBox scanned{region.left, region.bottom, region.right, region.top};
  return FindCoveredPixel(outline, box, scanned, &context->coveredPixelScratch);
}

// At most how many pixel steps FreeType's rasteriser takes for the outline:
// the length of its control polygon in pixels (|dx| + |dy|; the rasteriser
// walks every line through every pixel it crosses, also outside the target)
// plus one per point.
uint64_t DrawingCost(const FT_Outline& outline) {
  uint64_t cost = static_cast<uint64_t>(std::max<int>(outline.n_points, 0));
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    if (last < first || last >= outline.n_points) break;
    for (int i = first; i <= last; ++i) {
      const FT_Vector& a = outline.points[i];
      const FT_Vector& b = outline.points[i == last ? first : i + 1];
      cost += static_cast<uint64_t>(std::abs(b.x - a.x) + std::abs(b.y - a.y)) / 64;
    }
    first = last + 1;
  }
  return cost;
}

}  // namespace glyphcensus
