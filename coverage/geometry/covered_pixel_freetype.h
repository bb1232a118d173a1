#pragma once
// Finding, without drawing, a pixel that FreeType's anti-aliased rasteriser
// surely gives full coverage: the geometric judgement of a hinted outline.
//
// The pixel grid is the one FT_Render_Glyph draws on: pixel (i, j) is the
// square [64i, 64i + 64] x [64j, 64j + 64] of the outline's 26.6 plane
// (ft_smooth_render in src/smooth/ftsmooth.c translates the outline by whole
// pixels, -64 * bitmap_left and -64 * bitmap_top + rows, before rasterising).
//
// A pixel is judged covered when no piece of the outline touches its closed
// square, and its centre has a nonzero winding number. The pieces are the
// line segments and, for each conic or cubic curve, the box of its control
// points. Why that pixel gets coverage 255 (FreeType 2.12.1):
// - Every point where ftgrays' flattening draws a curve lies in that box:
//   gray_render_conic steps the exact curve in 2^-32 fixed point and emits
//   the floor of each point, gray_render_cubic emits floors of averages of the
//   control points (gray_split_cubic), both of integer coordinates inside the
//   box; a curve wholly above or below the band is not drawn at all (the
//   band short-cut). gray_render_line visits exactly the cells its segment
//   passes through, which meet the segment's closed squares. So no cell of
//   the pixel is created, and gray_sweep fills it from the running cover
//   alone.
// - That cover is the sum of the pieces' vertical extents within the pixel's
//   row left of it (the cells' covers telescope exactly along each line),
//   which is the winding number of the flattened outline inside the pixel
//   times ONE_PIXEL: no flattened piece enters the pixel, so the winding is
//   the same over the whole pixel. It equals the winding at the centre of the
//   polygon of lines and curve chords, since a curve's flattening and its
//   chord both lie in the curve's box, which keeps clear of the centre.
// - gray_sweep's FT_FILL_RULE turns the area w * ONE_PIXEL * ONE_PIXEL * 2
//   into w * 256, clamped to 255 for the nonzero rule (the bitwise complement
//   first when w < 0): 255 for every |w| >= 1. TArea is an int there, so
//   |w| stays below 2^14 (the winding is checked). Even-odd outlines
//   (FT_OUTLINE_EVEN_ODD_FILL) are never judged.
// - Outlines flagged FT_OUTLINE_OVERLAP are drawn four times larger in direct
//   mode (ft_smooth_raster_overlap) and each pixel sums its 16 subpixels'
//   (coverage + 8) / 16 with a clamp at 256: each subpixel lies in the same
//   untouched pixel, gets 255, and the pixel 255.
// - The pixel lies in the bitmap: a point of nonzero winding lies inside the
//   outline's control box, which ft_glyphslot_preset_bitmap (src/base/ftobjs.c)
//   rounds outward to whole pixels for FT_RENDER_MODE_NORMAL.
// - Rendering does not fail: gray_raster_render refuses only outlines whose
//   last contour does not end at the last point (refused here too) and those
//   FT_Outline_Decompose refuses (decomposed here too, refusing alike);
//   gray_convert_glyph fails only when a single row needs more cells than its
//   pool (FT_RENDER_POOL_SIZE, 16384 bytes, of cells of at most 32 bytes). A
//   row holds at most one cell per bitmap column plus one, so outlines at most
//   kWidestJudgedOutline pixels wide (a quarter of that when flagged
//   FT_OUTLINE_OVERLAP, drawn four times wider) are judged, and none wider.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdint>
#include <vector>

namespace glyphcensus {

// The widest outline judged, in pixels (see above: 258 cells a row at most).
constexpr FT_Pos kWidestJudgedOutline = 256;

// Reused storage, so that judging many glyphs allocates only at first.
struct CoveredPixelScratch {
  std::vector<uint8_t> touched;   // per pixel of the grid, row by row
  std::vector<int> windingSteps;  // per pixel: the winding's change from its left
};

// Whether the rasteriser surely gives some pixel inside `region` (26.6,
// edges at multiples of 64) coverage 255. False also when the outline is not
// one this judgement takes; the caller then draws it.
bool FindCoveredPixel(const FT_Outline& outline, const FT_BBox& region,
                      CoveredPixelScratch* scratch);
// The same, for a caller that has the outline's control box (`outlineBox`,
// as FT_Outline_Get_CBox gives it) already.
bool FindCoveredPixel(const FT_Outline& outline, const FT_BBox& outlineBox,
                      const FT_BBox& region, CoveredPixelScratch* scratch);

}  // namespace glyphcensus
