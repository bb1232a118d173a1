// The geometric judgement of a hinted outline: a pixel no piece of the
// outline touches, with a nonzero winding number at its centre (why that is
// FreeType's verdict too: covered_pixel_freetype.h).
#include "coverage/geometry/covered_pixel_freetype.h"

#include <algorithm>
#include <cstdlib>

namespace glyphcensus {

namespace {

// Outlines taller than this (pixels) are not judged: it keeps every product
// below in 64 bits whatever the coordinates (the grid lies in the region).
constexpr int64_t kTallestJudgedOutline = 4096;
// ftgrays sums a row's covers, times ONE_PIXEL * 2, in an int (TArea). A line
// adds at most ONE_PIXEL of cover to a row, a curve's flattening a few times
// that (a cubic has at most three y-monotone parts), so with at most this many
// points every partial sum stays below 2^31 and |w| * ONE_PIXEL^2 * 2 fits.
constexpr int kMostJudgedPoints = 2000;
constexpr int kLargestWinding = (1 << 14) - 1;

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// The pixels judged: those inside both the region and the outline's control
// box (a pixel of nonzero winding lies inside it), columns and rows in pixels.
struct PixelGrid {
  int64_t left = 0, bottom = 0, columns = 0, rows = 0;
};

struct Walk {
  CoveredPixelScratch* scratch;
  PixelGrid grid;
  FT_Vector current{0, 0};
};

// The first and last index of the pixels (of size 64, index 0 at `origin`)
// whose closed extents meet [low, high], within [origin, origin + count).
bool PixelSpan(int64_t low, int64_t high, int64_t origin, int64_t count, int64_t* first,
               int64_t* last) {
  *first = std::max(CeilDiv(low, 64) - 1, origin);
  *last = std::min(FloorDiv(high, 64), origin + count - 1);
  return *first <= *last;
}

void MarkColumns(Walk* walk, int64_t row, int64_t xLow, int64_t xHigh) {
  const PixelGrid& grid = walk->grid;
  int64_t first, last;
  if (!PixelSpan(xLow, xHigh, grid.left, grid.columns, &first, &last)) return;
  uint8_t* line = walk->scratch->touched.data() + (row - grid.bottom) * grid.columns;
  std::fill(line + (first - grid.left), line + (last - grid.left) + 1, uint8_t{1});
}

void MarkBox(Walk* walk, int64_t xLow, int64_t xHigh, int64_t yLow, int64_t yHigh) {
  int64_t first, last;
  if (!PixelSpan(yLow, yHigh, walk->grid.bottom, walk->grid.rows, &first, &last)) return;
  for (int64_t row = first; row <= last; ++row) MarkColumns(walk, row, xLow, xHigh);
}

// The x of the line from `a` to `b` (not horizontal) at height y, rounded
// down, or up.
int64_t XAtHeight(const FT_Vector& a, const FT_Vector& b, int64_t y, bool roundUp) {
  int64_t numerator = (int64_t{b.x} - a.x) * (y - a.y);
  int64_t denominator = int64_t{b.y} - a.y;
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  return a.x + (roundUp ? CeilDiv(numerator, denominator) : FloorDiv(numerator, denominator));
}

// Marks every pixel whose closed square the segment meets: per pixel row,
// the columns between the segment's x where it enters and leaves the row.
void MarkLine(Walk* walk, const FT_Vector& a, const FT_Vector& b) {
  const int64_t yLow = std::min(a.y, b.y), yHigh = std::max(a.y, b.y);
  int64_t first, last;
  if (!PixelSpan(yLow, yHigh, walk->grid.bottom, walk->grid.rows, &first, &last)) return;
  for (int64_t row = first; row <= last; ++row) {
    if (a.y == b.y) {
      MarkColumns(walk, row, std::min(a.x, b.x), std::max(a.x, b.x));
      continue;
    }
    const int64_t bandLow = std::max(yLow, row * 64), bandHigh = std::min(yHigh, row * 64 + 64);
    MarkColumns(walk, row,
                std::min(XAtHeight(a, b, bandLow, false), XAtHeight(a, b, bandHigh, false)),
                std::max(XAtHeight(a, b, bandLow, true), XAtHeight(a, b, bandHigh, true)));
  }
}

// Counts a line of the outline, or a curve's chord, for the winding numbers
// at the centres of the grid's pixels: for each row whose centre line it
// crosses (half-open, so a vertex on the line counts once), a step of +1 or -1
// at the first column whose centre lies right of the crossing. The crossing
// is never at a centre of an untouched pixel (that centre lies on no piece),
// and floor(x) < c exactly when x < c for a whole c.
void CountCrossings(Walk* walk, const FT_Vector& a, const FT_Vector& b) {
  const PixelGrid& grid = walk->grid;
  const int64_t yLow = std::min(a.y, b.y), yHigh = std::max(a.y, b.y);
  const int64_t first = std::max(CeilDiv(yLow - 32, 64), grid.bottom);
  const int64_t last = std::min(CeilDiv(yHigh - 32, 64) - 1, grid.bottom + grid.rows - 1);
  const int step = b.y > a.y ? 1 : -1;
  for (int64_t row = first; row <= last; ++row) {
    const int64_t x = XAtHeight(a, b, row * 64 + 32, false);
    const int64_t column = std::max(FloorDiv(x - 32, 64) + 1, grid.left) - grid.left;
    if (column < grid.columns) {
      walk->scratch->windingSteps[static_cast<size_t>((row - grid.bottom) * grid.columns + column)] +=
          step;
    }
  }
}

int MoveTo(const FT_Vector* to, void* user) {
  static_cast<Walk*>(user)->current = *to;
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  auto* walk = static_cast<Walk*>(user);
  MarkLine(walk, walk->current, *to);
  CountCrossings(walk, walk->current, *to);
  walk->current = *to;
  return 0;
}

// A curve: its control points' box is marked, its chord counts for the
// winding numbers.
int CurveTo(Walk* walk, const FT_Vector* const* points, int count) {
  int64_t xLow = walk->current.x, xHigh = xLow, yLow = walk->current.y, yHigh = yLow;
  for (int i = 0; i < count; ++i) {
    xLow = std::min<int64_t>(xLow, points[i]->x);
    xHigh = std::max<int64_t>(xHigh, points[i]->x);
    yLow = std::min<int64_t>(yLow, points[i]->y);
    yHigh = std::max<int64_t>(yHigh, points[i]->y);
  }
  MarkBox(walk, xLow, xHigh, yLow, yHigh);
  const FT_Vector& to = *points[count - 1];
  CountCrossings(walk, walk->current, to);
  walk->current = to;
  return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  const FT_Vector* points[] = {control, to};
  return CurveTo(static_cast<Walk*>(user), points, 2);
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
            void* user) {
  const FT_Vector* points[] = {control1, control2, to};
  return CurveTo(static_cast<Walk*>(user), points, 3);
}

// Whether some untouched pixel of the row has a nonzero winding number at
// its centre: the row's steps summed from the left.
bool RowHasCoveredPixel(const Walk& walk, int64_t row) {
  const PixelGrid& grid = walk.grid;
  const size_t start = static_cast<size_t>((row - grid.bottom) * grid.columns);
  const uint8_t* line = walk.scratch->touched.data() + start;
  const int* steps = walk.scratch->windingSteps.data() + start;
  int winding = 0;
  for (int64_t c = 0; c < grid.columns; ++c) {
    winding += steps[c];
    if (line[c] == 0 && winding != 0 && std::abs(winding) <= kLargestWinding) return true;
  }
  return false;
}

// Whether the rasteriser would draw the outline without failing and with
// the nonzero rule, and whether it is small enough for this judgement.
bool JudgedOutline(const FT_Outline& outline, const FT_BBox& box) {
  if (outline.n_points <= 0 || outline.n_points > kMostJudgedPoints ||
      outline.n_contours <= 0 || outline.points == nullptr || outline.contours == nullptr ||
      outline.n_points != outline.contours[outline.n_contours - 1] + 1 ||
      (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0) {
    return false;
  }
  const int64_t widest =
      (outline.flags & FT_OUTLINE_OVERLAP) != 0 ? kWidestJudgedOutline / 4 : kWidestJudgedOutline;
  return int64_t{box.xMax} - box.xMin <= widest * 64 &&
         int64_t{box.yMax} - box.yMin <= kTallestJudgedOutline * 64;
}

}  // namespace

bool FindCoveredPixel(const FT_Outline& outline, const FT_BBox& region,
                      CoveredPixelScratch* scratch) {
  FT_BBox box;
  FT_Outline_Get_CBox(&outline, &box);
  return FindCoveredPixel(outline, box, region, scratch);
}

bool FindCoveredPixel(const FT_Outline& outline, const FT_BBox& box, const FT_BBox& region,
                      CoveredPixelScratch* scratch) {
  if (!JudgedOutline(outline, box)) return false;
  Walk walk{scratch, PixelGrid{}, FT_Vector{0, 0}};
  PixelGrid& grid = walk.grid;
  grid.left = std::max(CeilDiv(box.xMin, 64), FloorDiv(region.xMin, 64));
  grid.bottom = std::max(CeilDiv(box.yMin, 64), FloorDiv(region.yMin, 64));
  grid.columns = std::min(FloorDiv(box.xMax, 64), FloorDiv(region.xMax, 64)) - grid.left;
  grid.rows = std::min(FloorDiv(box.yMax, 64), FloorDiv(region.yMax, 64)) - grid.bottom;
  if (grid.columns <= 0 || grid.rows <= 0) return false;

  scratch->touched.assign(static_cast<size_t>(grid.columns * grid.rows), 0);
  scratch->windingSteps.assign(static_cast<size_t>(grid.columns * grid.rows), 0);
  const FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  // The same decomposition as the rasteriser's: what it refuses, it refuses.
  if (FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &funcs, &walk) != 0) return false;
  for (int64_t row = grid.bottom; row < grid.bottom + grid.rows; ++row) {
    if (RowHasCoveredPixel(walk, row)) return true;
  }
  return false;
}

}  // namespace glyphcensus
