#pragma once
// The signed area of a FreeType outline and how far flattening its curves can
// change it, in one walk over its points: what the area shortcut of the glyph
// presence test needs.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_IMAGE_H

namespace glyphcensus {

// Sums over the outline's segments, in 26.6 square units.
struct OutlineArea {
  double twiceArea = 0;  // twice the signed area of the polygon of the segment ends
  double slack = 0;      // sum over curves of the area their hull adds
  long segments = 0;     // lines and curves
};

// Walks the outline's segments exactly as FT_Outline_Decompose
// (src/base/ftoutln.c, FreeType 2.12.1) hands them to its callbacks, with
// shift and delta 0: the same segments in the same order, the same implied
// on-curve points between two conic controls ((a + b) / 2 in integers), the
// same start of a contour that begins with a conic control. For each
// segment from `a` to `b` it adds Cross(a, b) to twiceArea; a conic curve adds
// half the absolute cross product of its control and end points relative to
// its start (the triangle the flattened curve stays in), a cubic the product of
// its control box's width and height. The sums are the same doubles a
// callback walk through FT_Outline_Decompose gives, added in the same order;
// it only spares the calls. False, with `area` partly summed, where
// FT_Outline_Decompose fails (a contour end below 0, a contour beginning with
// a cubic control, cubic controls not in pairs, a conic control followed by a
// cubic one), and also where it would read past the points (a contour end
// at or past n_points, or contour ends that do not increase), which FreeType's
// loaders never hand out.
bool SumOutlineArea(const FT_Outline& outline, OutlineArea* area);

}  // namespace glyphcensus
