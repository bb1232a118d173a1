#pragma once
// Finding a point deep inside a glyph outline, for judging a glyph from an
// outline that hinting will still move a little.
#include <cstdint>
#include <vector>

#include "fontio/plain_outline.h"

namespace glyphcensus {

// A box of the outline plane (y up), left and bottom included, right and top
// excluded.
struct OutlineBox {
  int64_t left = 0, right = 0, bottom = 0, top = 0;
};

// How far a point must stay from every piece of the outline, each way.
struct Clearance {
  int64_t x = 0, y = 0;
};

// Reused storage, so that judging many glyphs allocates only at first.
struct InteriorScratch {
  struct Crossing {
    double x;
    int direction;
  };
  struct Blocked {
    double from, to;
  };
  struct Box {
    int32_t xMin, yMin, xMax, yMax;
  };
  // A vertical line of the outline between two on-curve points.
  struct Upright {
    int32_t x, low, high;
    bool up;
  };
  std::vector<Box> contourBoxes;
  std::vector<Crossing> crossings;
  std::vector<Blocked> blocked;  // ranges of x the obstacles rule out on a row
  std::vector<Upright> uprights;
};

// Whether a point q of `box` lies inside the outline (nonzero winding) while
// every piece of the outline (a line, or the box of a curve's control points)
// stays outside the box q +- clearance. Then any outline whose points
// each lie within the clearance of this outline's (less the part of the
// clearance the caller keeps for coverage) winds the same way around all of
// that box: a curve stays inside the hull of its control points, and those
// move no further than the points. Tries the middle of the widest vertical
// stems first, then a few rows of the box, so it may miss such a point; a
// true answer is always right. Work is linear in the outline's points.
// An outline with an even-odd fill rule must not be passed (it has none in
// TrueType or CFF glyphs).
bool FindClearInteriorPoint(const PlainOutline& outline, const OutlineBox& box,
                            const Clearance& clearance, InteriorScratch* scratch);

}  // namespace glyphcensus
