#pragma once
// Finding a point deep inside a glyph outline, for judging a glyph from an
// outline that hinting will still move a little.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <vector>

// A box of the outline plane, in 26.6 units (y up), left and bottom included,
// right and top excluded.
struct OutlineBox {
  FT_Pos left = 0, right = 0, bottom = 0, top = 0;
};

// How far a point must stay from every piece of the outline, each way, in
// 26.6 units.
struct Clearance {
  FT_Pos x = 0, y = 0;
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
  std::vector<FT_BBox> contourBoxes;
  std::vector<Crossing> crossings;
  std::vector<Blocked> blocked;  // ranges of x the obstacles rule out on a row
};

// Whether a point q of `box` lies inside the outline (nonzero winding) while
// every piece of the outline (a line, or the box of a curve's control points)
// stays outside the box q +- clearance. Then any outline whose points
// each lie within the clearance of this outline's (less the part of the
// clearance the caller keeps for coverage) winds the same way around all of
// that box: a curve stays inside the hull of its control points, and those
// move no further than the points. Looks at a few rows of the box only, so it
// may miss such a point; a true answer is always right. Work is linear in the
// outline's points.
bool FindClearInteriorPoint(const FT_Outline& outline, const OutlineBox& box,
                            const Clearance& clearance, InteriorScratch* scratch);
