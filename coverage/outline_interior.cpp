#include "coverage/outline_interior.h"

#include <algorithm>

namespace {

using Obstacle = InteriorScratch::Obstacle;
using Crossing = InteriorScratch::Crossing;

// Rows tried, in sixteenths of the height where box and outline meet: the
// middle first, where most glyphs have ink.
constexpr int kRows[] = {8, 4, 12, 6, 10, 2, 14, 5, 11, 3, 13};
// Points tested against every obstacle, at most, per outline.
constexpr int kMostCandidates = 16;

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

// A closed box around a candidate point; its corners are whole 26.6 units.
struct Area {
  FT_Pos left, right, bottom, top;
};

// Whether the obstacle meets the area.
bool Meets(const Obstacle& obstacle, const Area& area) {
  if (obstacle.box.xMax < area.left || obstacle.box.xMin > area.right ||
      obstacle.box.yMax < area.bottom || obstacle.box.yMin > area.top) {
    return false;
  }
  if (!obstacle.line) return true;
  // A line whose box meets the area misses it only when all four corners lie
  // strictly on one side of it.
  const FT_Vector& a = obstacle.from;
  const double dx = static_cast<double>(obstacle.to.x - a.x);
  const double dy = static_cast<double>(obstacle.to.y - a.y);
  int above = 0, below = 0;
  for (FT_Pos x : {area.left, area.right}) {
    for (FT_Pos y : {area.bottom, area.top}) {
      const double side = dx * static_cast<double>(y - a.y) - dy * static_cast<double>(x - a.x);
      if (side > 0) ++above;
      if (side < 0) ++below;
    }
  }
  return above != 4 && below != 4;
}

bool ClearOfEveryObstacle(const std::vector<Obstacle>& obstacles, const Area& area) {
  for (const Obstacle& obstacle : obstacles) {
    if (Meets(obstacle, area)) return false;
  }
  return true;
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

  int candidates = 0;
  for (int sixteenths : kRows) {
    // Rows run half a unit above the grid, so no row passes through a point;
    // the area around a point of the row covers whole units.
    const FT_Pos row = bottom + (top - bottom) * sixteenths / 16;
    CrossRow(outline, scratch->contourBoxes, row, &scratch->crossings);
    if (scratch->crossings.size() < 2) continue;
    int winding = 0;
    for (size_t i = 0; i + 1 < scratch->crossings.size(); ++i) {
      winding += scratch->crossings[i].direction;
      if (winding == 0) continue;
      const double from = std::max<double>(scratch->crossings[i].x, static_cast<double>(left));
      const double to = std::min<double>(scratch->crossings[i + 1].x, static_cast<double>(right));
      if (to - from < 2.0 * static_cast<double>(clearance.x)) continue;
      // The point stays inside the box: its right edge is excluded.
      const FT_Pos x = std::min(static_cast<FT_Pos>((from + to) / 2), right - 1);
      const Area area{x - clearance.x, x + clearance.x, row - clearance.y, row + 1 + clearance.y};
      if (ClearOfEveryObstacle(scratch->obstacles, area)) return true;
      if (++candidates >= kMostCandidates) return false;
    }
  }
  return false;
}
