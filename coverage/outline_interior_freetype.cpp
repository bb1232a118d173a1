#include "coverage/outline_interior_freetype.h"

#include <algorithm>
#include <cmath>

namespace {

using Crossing = InteriorScratch::Crossing;
// The x positions (whole 26.6 units) that an obstacle rules out on a row:
// those x for which it meets the closed box [x - cx, x + cx] x [low, high].
using Blocked = InteriorScratch::Blocked;

// Rows tried, in sixteenths of the height where box and outline meet: the
// middle first, where most glyphs have ink.
constexpr int kRows[] = {8, 4, 12, 6, 10, 2, 14, 5, 11, 3, 13};

// The box of each contour and of the whole outline. False for an outline
// whose contours are not in order, or with a run of cubic control points
// other than two (FreeType draws nothing of such an outline).
bool ReadContours(const FT_Outline& outline, std::vector<FT_BBox>* boxes, FT_BBox* extent) {
  boxes->clear();
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    if (last < first || last >= outline.n_points) return false;
    const int count = last - first + 1;
    FT_BBox box{outline.points[first].x, outline.points[first].y, outline.points[first].x,
                outline.points[first].y};
    for (int i = first; i <= last; ++i) {
      const FT_Vector& point = outline.points[i];
      box.xMin = std::min(box.xMin, point.x);
      box.xMax = std::max(box.xMax, point.x);
      box.yMin = std::min(box.yMin, point.y);
      box.yMax = std::max(box.yMax, point.y);
      if (FT_CURVE_TAG(outline.tags[i]) != FT_CURVE_TAG_CUBIC) continue;
      auto cubic = [&](int step) {
        return FT_CURVE_TAG(outline.tags[first + (i - first + step + 2 * count) % count]) ==
               FT_CURVE_TAG_CUBIC;
      };
      if (count < 4 || (cubic(-1) && cubic(-2)) || cubic(-1) == cubic(1)) return false;
    }
    boxes->push_back(box);
    first = last + 1;
  }
  *extent = boxes->front();
  for (const FT_BBox& box : *boxes) {
    extent->xMin = std::min(extent->xMin, box.xMin);
    extent->xMax = std::max(extent->xMax, box.xMax);
    extent->yMin = std::min(extent->yMin, box.yMin);
    extent->yMax = std::max(extent->yMax, box.yMax);
  }
  return true;
}

// Where the line from `a` to `b` runs within [low, high] vertically, as a
// range of x; false when it never does.
bool LineSpanInBand(const FT_Vector& a, const FT_Vector& b, FT_Pos low, FT_Pos high,
                    double* from, double* to) {
  if (std::max(a.y, b.y) < low || std::min(a.y, b.y) > high) return false;
  if (a.y == b.y || a.x == b.x) {
    *from = static_cast<double>(std::min(a.x, b.x));
    *to = static_cast<double>(std::max(a.x, b.x));
    return true;
  }
  // The x where the line leaves the band on either side, or its ends inside it.
  const double dy = static_cast<double>(b.y - a.y), dx = static_cast<double>(b.x - a.x);
  auto xAt = [&](FT_Pos y) {
    const FT_Pos clamped = std::clamp(y, std::min(a.y, b.y), std::max(a.y, b.y));
    return static_cast<double>(a.x) + dx * (static_cast<double>(clamped - a.y) / dy);
  };
  const double x1 = xAt(low), x2 = xAt(high);
  // Rounding of the division can only widen the range: never a false clear.
  constexpr double kSlack = 1e-6;
  *from = std::min(x1, x2) - kSlack - std::abs(x1 - x2) * kSlack;
  *to = std::max(x1, x2) + kSlack + std::abs(x1 - x2) * kSlack;
  return true;
}

// Whether some whole x in [from, to] is ruled out by no range of `blocked`
// and has the control polygons' crossings (sorted by x) winding around it.
// The winding number is the same all along a gap between ranges, because
// every crossing lies on an obstacle of the band.
bool FindClearX(const std::vector<Blocked>& blocked, const std::vector<Crossing>& crossings,
                FT_Pos from, FT_Pos to) {
  size_t crossed = 0;
  int winding = 0;
  double reach = -1e300;  // the furthest end of the ranges so far
  size_t next = 0;
  FT_Pos x = from;
  while (x <= to) {
    // Skip past every range that starts at or before x and reaches it.
    while (next < blocked.size() && blocked[next].from <= static_cast<double>(x)) {
      reach = std::max(reach, blocked[next].to);
      ++next;
    }
    if (reach >= static_cast<double>(x)) {
      x = static_cast<FT_Pos>(std::floor(reach)) + 1;
      continue;
    }
    // x is clear: wind up to it.
    while (crossed < crossings.size() && crossings[crossed].x < static_cast<double>(x)) {
      winding += crossings[crossed].direction;
      ++crossed;
    }
    if (winding != 0) return true;
    if (next == blocked.size()) return false;  // clear to the end, all outside
    x = std::max<FT_Pos>(x + 1, static_cast<FT_Pos>(std::ceil(blocked[next].from)));
  }
  return false;
}

// What a point of the row must stay clear of: a line between two on-curve
// points, or the box of the control points of the curve an off-curve point
// belongs to (a conic curve's control points are its off-curve point and the
// points, or midpoints, on either side, inside the box of the three; a cubic
// curve's are its two off-curve points and their on-curve neighbours). Every
// piece of the control polygon of a contour lies on such an obstacle. Adds
// the range of x the obstacle of point i rules out on the band [low, high].
void BlockByPoint(const FT_Outline& outline, int first, int last, int i, FT_Pos low, FT_Pos high,
                  FT_Pos cx, std::vector<Blocked>* blocked) {
  const int count = last - first + 1;
  auto at = [&](int step) { return first + (i - first + step + 2 * count) % count; };
  const FT_Vector* points = outline.points;
  const int tag = FT_CURVE_TAG(outline.tags[i]);
  double from, to;
  if (tag == FT_CURVE_TAG_ON) {
    const int next = i == last ? first : i + 1;
    if (FT_CURVE_TAG(outline.tags[next]) != FT_CURVE_TAG_ON) return;
    if (!LineSpanInBand(points[i], points[next], low, high, &from, &to)) return;
  } else {
    // Conic: the point and its neighbours. Cubic: the run of four control
    // points it belongs to (ReadContours checked the runs).
    const int previous = i == first ? last : i - 1;
    int run[4] = {previous, i, i == last ? first : i + 1, 0};
    int length = 3;
    if (tag != FT_CURVE_TAG_CONIC) {
      const bool second = FT_CURVE_TAG(outline.tags[previous]) == FT_CURVE_TAG_CUBIC;
      for (int k = 0; k < 4; ++k) run[k] = at(k + (second ? -2 : -1));
      length = 4;
    }
    FT_Pos yMin = points[run[0]].y, yMax = yMin;
    FT_Pos xMin = points[run[0]].x, xMax = xMin;
    for (int k = 1; k < length; ++k) {
      const FT_Vector& point = points[run[k]];
      yMin = std::min(yMin, point.y);
      yMax = std::max(yMax, point.y);
      xMin = std::min(xMin, point.x);
      xMax = std::max(xMax, point.x);
    }
    if (yMax < low || yMin > high) return;
    from = static_cast<double>(xMin);
    to = static_cast<double>(xMax);
  }
  blocked->push_back(Blocked{from - static_cast<double>(cx), to + static_cast<double>(cx)});
}

// Whether a contour's points reach past the band [low, high] both ways. Only
// such a contour can wind around a point of the band clear of its obstacles:
// from that point, the way straight down (or up) to the band's edge crosses
// no piece of the contour's control polygon, which winds zero times beyond
// its points.
bool Spans(const FT_BBox& contourBox, FT_Pos low, FT_Pos high) {
  return contourBox.yMin <= low && contourBox.yMax >= high;
}

// For the row half a unit above `row`: the crossings of the control polygons
// of the contours that span the band with it, by x (where a point is clear of
// every obstacle, the control polygons wind around it as the curves do), and
// the ranges of x that the obstacles rule out on the band
// [row - cy, row + 1 + cy], by start. Contours wholly above or below the band
// are skipped.
void ReadRow(const FT_Outline& outline, const std::vector<FT_BBox>& contourBoxes, FT_Pos row,
             const Clearance& clearance, InteriorScratch* scratch) {
  scratch->crossings.clear();
  scratch->blocked.clear();
  const FT_Pos low = row - clearance.y, high = row + 1 + clearance.y;
  const double y = static_cast<double>(row) + 0.5;
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    if (contourBoxes[c].yMax < low || contourBoxes[c].yMin > high) {
      first = last + 1;
      continue;
    }
    const bool spans = Spans(contourBoxes[c], low, high);
    const FT_Vector* a = &outline.points[last];
    for (int i = first; i <= last; ++i) {
      const FT_Vector* b = &outline.points[i];
      const FT_Vector* from = a;
      a = b;
      if (spans && (from->y <= row) != (b->y <= row)) {
        const double t = (y - static_cast<double>(from->y)) / static_cast<double>(b->y - from->y);
        scratch->crossings.push_back(Crossing{
            static_cast<double>(from->x) + t * static_cast<double>(b->x - from->x), b->y > from->y ? 1 : -1});
      }
      BlockByPoint(outline, first, last, i, low, high, clearance.x, &scratch->blocked);
    }
    first = last + 1;
  }
  std::sort(scratch->crossings.begin(), scratch->crossings.end(),
            [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
  std::sort(scratch->blocked.begin(), scratch->blocked.end(),
            [](const Blocked& p, const Blocked& q) { return p.from < q.from; });
}

}  // namespace

bool FindClearInteriorPoint(const FT_Outline& outline, const OutlineBox& box,
                            const Clearance& clearance, InteriorScratch* scratch) {
  if (outline.n_points <= 0 || outline.n_contours <= 0) return false;
  if ((outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0) return false;
  FT_BBox extent;
  if (!ReadContours(outline, &scratch->contourBoxes, &extent)) return false;
  const FT_Pos bottom = std::max(box.bottom, extent.yMin), top = std::min(box.top, extent.yMax);
  const FT_Pos left = std::max(box.left, extent.xMin), right = std::min(box.right, extent.xMax);
  if (top - bottom < 2 * clearance.y || right - left < 2 * clearance.x) return false;

  // The area around x must lie within the box left and right.
  const FT_Pos firstX = left + clearance.x, lastX = std::min(right - clearance.x, right - 1);
  if (firstX > lastX) return false;
  for (int sixteenths : kRows) {
    // Rows run half a unit above the grid, so no row passes through a point;
    // the area around a point of the row covers whole units.
    const FT_Pos row = bottom + (top - bottom) * sixteenths / 16;
    // Without a contour spanning the band, no clear point of it is inside.
    const FT_Pos low = row - clearance.y, high = row + 1 + clearance.y;
    if (std::none_of(scratch->contourBoxes.begin(), scratch->contourBoxes.end(),
                     [&](const FT_BBox& contourBox) { return Spans(contourBox, low, high); })) {
      continue;
    }
    ReadRow(outline, scratch->contourBoxes, row, clearance, scratch);
    if (scratch->crossings.size() < 2) continue;
    if (FindClearX(scratch->blocked, scratch->crossings, firstX, lastX)) return true;
  }
  return false;
}
