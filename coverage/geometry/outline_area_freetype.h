#pragma once
// The signed area of the polygon FreeType's anti-aliased rasteriser draws for
// an outline, and how far its rounding can move that area: what the area
// shortcut of the glyph presence test needs (FreeType 2.12.1,
// src/smooth/ftgrays.c and src/smooth/ftsmooth.c).
//
// The rasteriser works in 1/256 of a pixel (PIXEL_BITS 8: UPSCALE multiplies
// 26.6 coordinates by 4). It draws lines as they are, and flattens curves into
// lines: gray_render_conic steps the curve in 2^-32 fixed point (the DDA build,
// BEZIER_USE_DDA, on x86-64 and ARM64) or bisects it (gray_split_conic, in
// other builds, WebAssembly among them), gray_render_cubic bisects each cubic
// (gray_split_cubic) until its control points lie near the chord's trisection
// points. The walk here makes exactly the cubics' lines, with the same integer
// arithmetic, and sums twice the signed area of the polygon of their ends; a
// conic is summed as its chord, with a bound on what its lines can add that
// holds for both builds.
//
// gray_render_line then splits each line at the cell boundaries it crosses,
// and each crossing point it computes (FT_UDIV) may lie up to a unit (less
// than 2) short of the true one along the boundary. Moving one such point by
// e between its neighbours M and N changes the area by (N - M) x e / 2, whose
// size is at most |e| times the extent of N - M across e; those extents sum to
// at most twice the line's |dx| + |dy|, plus |e| for each neighbour already
// moved. So with k crossings twice the area moves by at most
// 4 (|dx| + |dy|) + 4k units; a vertical line (its crossings are exact) and a
// horizontal one (it adds no area) move nothing.
//
// The cells' areas (FT_INTEGRATE) sum, row by row and so in all, to twice the
// signed area of the polygon the rasteriser drew (every contour is closed), and
// gray_sweep's FT_FILL_RULE gives a pixel no coverage only when its twice area
// lies in [-512, 511] (a whole pixel is 131072). Every drawn point lies in the
// outline's control box (the flattening emits floors of points in the box of
// integer control points; crossing points stay in their cells), so when twice
// the area less the rounding bound exceeds 512 times the box's pixel count,
// some pixel of the box has coverage. An outline flagged FT_OUTLINE_OVERLAP is
// drawn four times larger (ft_smooth_raster_overlap), and a pixel then has
// coverage only when one of its 16 subpixels has coverage 8 or more, which is
// a twice area outside [-4096, 4095] there.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_IMAGE_H

#include <cstdint>

namespace glyphcensus {

// In (1/256 pixel)^2, of the outline as the rasteriser draws it: four times
// larger when it is flagged FT_OUTLINE_OVERLAP.
struct TracedArea {
  int64_t twiceArea = 0;  // twice the signed area of the polygon of the drawn lines' ends
  int64_t rounding = 0;   // how far gray_render_line's crossings can move twiceArea
  int scale = 1;          // 4 for an overlapping outline
};

// Walks the outline's segments exactly as FT_Outline_Decompose
// (src/base/ftoutln.c) hands them to the rasteriser, with shift and delta 0:
// the same segments in the same order, the same implied on-curve points
// between two conic controls ((a + b) / 2 in integers), the same start of a
// contour that begins with a conic control; each curve flattened as ftgrays
// flattens it. False where FT_Outline_Decompose fails (a contour end below 0,
// a contour beginning with a cubic control, cubic controls not in pairs, a
// conic control followed by a cubic one), where it would read past the points
// (a contour end at or past n_points, or contour ends that do not increase),
// which FreeType's loaders never hand out, and for coordinates beyond 2^20
// (26.6) or a cubic bisected more than 15 times deep, which the sums are not
// meant for. `box` is the outline's control box (FT_Outline_Get_CBox).
bool TraceOutlineArea(const FT_Outline& outline, const FT_BBox& box, TracedArea* area);

// Whether an outline traced so surely leaves a pixel of its control box
// (`box`, whose xMin is at least 0) with coverage.
bool TracedAreaLeavesCoverage(const TracedArea& area, const FT_BBox& box);

}  // namespace glyphcensus
