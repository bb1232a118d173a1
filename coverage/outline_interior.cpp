#include "coverage/outline_interior.h"

#include <algorithm>
#include <cmath>

namespace {

using Obstacle = InteriorScratch::Obstacle;
using Crossing = InteriorScratch::Crossing;
// The x positions (whole 26.6 units) that an obstacle rules out on a row:
// those x for which it meets the closed box [x - cx, x + cx] x [low, high].
using Blocked = InteriorScratch::Blocked;

// Rows tried, in sixteenths of the height where box and outline meet: the
// middle first, where most glyphs have ink.
constexpr int kRows[] = {8, 4, 12, 6, 10, 2, 14, 5, 11, 3, 13};

FT_BBox BoxOf(const FT_Vector* const* points, int count) {
  FT_BBox box{points[0]->x, points[0]->y, points[0]->x, points[0]->y};
  for (int i = 1; i < count; ++i) {
    box.xMin = std::min(box.xMin, points[i]->x);
    box.xMax = std::max(box.xMax, points[i]->x);
    box.yMin = std::min(box.yMin, points[i]->y);
    box.yMax = std::max(box.yMax, points[i]->y);
  }
  return box;
}

// The obstacles of the outline, read from its points and tags. A conic curve's
// control points are its off-curve point and the points (or midpoints) on
// either side, inside the box of that point and its two neighbours; a cubic
// curve's are its two off-curve points and their on-curve neighbours. The
// control polygon of a contour is its points in order (an implied on-curve
// point lies on the line between its two off-curve neighbours). Also gives
// the box of all points. False for an outline whose contours are not in order.
bool GatherObstacles(const FT_Outline& outline, InteriorScratch* scratch, FT_BBox* extent) {
  std::vector<Obstacle>* obstacles = &scratch->obstacles;
  obstacles->clear();
  scratch->contourBoxes.clear();
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    if (last < first || last >= outline.n_points) return false;
    scratch->contourBoxes.push_back(FT_BBox{outline.points[first].x, outline.points[first].y,
                                            outline.points[first].x, outline.points[first].y});
    FT_BBox* contourBox = &scratch->contourBoxes.back();
    const int count = last - first + 1;
    // The contour's point i steps away from `index`, going round.
    auto at = [&](int index, int step) {
      int i = index + step;
      while (i < first) i += count;
      while (i > last) i -= count;
      return &outline.points[i];
    };
    for (int i = first; i <= last; ++i) {
      const FT_Vector& point = outline.points[i];
      contourBox->xMin = std::min(contourBox->xMin, point.x);
      contourBox->xMax = std::max(contourBox->xMax, point.x);
      contourBox->yMin = std::min(contourBox->yMin, point.y);
      contourBox->yMax = std::max(contourBox->yMax, point.y);
      const int tag = FT_CURVE_TAG(outline.tags[i]);
      if (tag == FT_CURVE_TAG_ON) {
        const int next = i == last ? first : i + 1;
        if (FT_CURVE_TAG(outline.tags[next]) != FT_CURVE_TAG_ON) continue;
        const FT_Vector* ends[] = {&point, &outline.points[next]};
        obstacles->push_back(Obstacle{BoxOf(ends, 2), true, *ends[0], *ends[1]});
      } else if (tag == FT_CURVE_TAG_CONIC) {
        const FT_Vector* controls[] = {at(i, -1), &point, at(i, 1)};
        obstacles->push_back(Obstacle{BoxOf(controls, 3), false, {}, {}});
      } else {
        // The first or the second control point of a cubic curve; FreeType
        // draws nothing of an outline with other runs of cubic points.
        auto cubic = [&](int step) {
          return FT_CURVE_TAG(outline.tags[at(i, step) - outline.points]) == FT_CURVE_TAG_CUBIC;
        };
        if (count < 4 || (cubic(-1) && cubic(-2)) || (cubic(-1) == cubic(1))) return false;
        const int from = cubic(-1) ? -2 : -1;
        const FT_Vector* controls[] = {at(i, from), at(i, from + 1), at(i, from + 2),
                                       at(i, from + 3)};
        obstacles->push_back(Obstacle{BoxOf(controls, 4), false, {}, {}});
      }
    }
    first = last + 1;
  }
  *extent = scratch->contourBoxes.front();
  for (const FT_BBox& box : scratch->contourBoxes) {
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

// The ranges of x the obstacles rule out on the row band [low, high], with
// `cx` units kept clear either way, sorted by start.
void BlockRow(const std::vector<Obstacle>& obstacles, FT_Pos low, FT_Pos high, FT_Pos cx,
              std::vector<Blocked>* blocked) {
  blocked->clear();
  for (const Obstacle& obstacle : obstacles) {
    if (obstacle.box.yMax < low || obstacle.box.yMin > high) continue;
    double from = static_cast<double>(obstacle.box.xMin), to = static_cast<double>(obstacle.box.xMax);
    if (obstacle.line && !LineSpanInBand(obstacle.from, obstacle.to, low, high, &from, &to)) continue;
    blocked->push_back(Blocked{from - static_cast<double>(cx), to + static_cast<double>(cx)});
  }
  std::sort(blocked->begin(), blocked->end(),
            [](const Blocked& p, const Blocked& q) { return p.from < q.from; });
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

// The crossings of the row half a unit above `row` with the contours'
// control polygons, by x. Where a point is clear of every obstacle, the
// control polygons wind around it as the curves do.
void CrossRow(const FT_Outline& outline, const std::vector<FT_BBox>& contourBoxes, FT_Pos row,
              std::vector<Crossing>* crossings) {
  crossings->clear();
  const double y = static_cast<double>(row) + 0.5;
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    if (contourBoxes[c].yMin > row || contourBoxes[c].yMax <= row) {
      first = last + 1;
      continue;  // wholly above or below the row
    }
    const FT_Vector* a = &outline.points[last];
    for (int i = first; i <= last; ++i) {
      const FT_Vector* b = &outline.points[i];
      if ((a->y <= row) != (b->y <= row)) {
        const double t = (y - static_cast<double>(a->y)) / static_cast<double>(b->y - a->y);
        crossings->push_back(
            Crossing{static_cast<double>(a->x) + t * static_cast<double>(b->x - a->x), b->y > a->y ? 1 : -1});
      }
      a = b;
    }
    first = last + 1;
  }
  std::sort(crossings->begin(), crossings->end(),
            [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
}

}  // namespace

bool FindClearInteriorPoint(const FT_Outline& outline, const OutlineBox& box,
                            const Clearance& clearance, InteriorScratch* scratch) {
  if (outline.n_points <= 0 || outline.n_contours <= 0) return false;
  if ((outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0) return false;
  FT_BBox extent;
  if (!GatherObstacles(outline, scratch, &extent)) return false;
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
    CrossRow(outline, scratch->contourBoxes, row, &scratch->crossings);
    if (scratch->crossings.size() < 2) continue;
    BlockRow(scratch->obstacles, row - clearance.y, row + 1 + clearance.y, clearance.x,
             &scratch->blocked);
    if (FindClearX(scratch->blocked, scratch->crossings, firstX, lastX)) return true;
  }
  return false;
}
