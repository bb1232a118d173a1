#include "coverage/geometry/outline_interior.h"

#include <algorithm>
#include <cmath>

namespace glyphcensus {

namespace {

using Box = InteriorScratch::Box;
using Crossing = InteriorScratch::Crossing;
using Upright = InteriorScratch::Upright;
// The x positions (whole units) that an obstacle rules out on a row: those x
// for which it meets the closed box [x - cx, x + cx] x [low, high].
using Blocked = InteriorScratch::Blocked;

// Rows tried, in sixteenths of the height where box and outline meet: the
// middle first, where most glyphs have ink.
constexpr int kRows[] = {8, 4, 12};
// Stems tried (each costs a pass over the outline) before the rows.
constexpr int kStemTries = 3;

// What the searches read: the outline's arrays, checked to hold together.
struct Contours {
  const OutlinePoint* points;
  const uint8_t* kinds;
  const uint16_t* ends;
  int count;
};

// The outline's arrays, or false when its contours are not in order (FreeType
// draws nothing of such an outline).
bool ReadEnds(const PlainOutline& outline, Contours* contours) {
  const size_t points = outline.points.size();
  if (points == 0 || outline.kinds.size() != points || outline.contourEnds.empty()) return false;
  int first = 0;
  for (uint16_t last : outline.contourEnds) {
    if (last < first || last >= points) return false;
    first = last + 1;
  }
  *contours = Contours{outline.points.data(), outline.kinds.data(), outline.contourEnds.data(),
                       static_cast<int>(outline.contourEnds.size())};
  return true;
}

// Whether every run of cubic control points is two long in a contour of at
// least four points (FreeType draws nothing of an outline with another).
bool CubicRunsDrawable(const Contours& contours) {
  int first = 0;
  for (int c = 0; c < contours.count; ++c) {
    const int last = contours.ends[c];
    const int count = last - first + 1;
    for (int i = first; i <= last; ++i) {
      if (contours.kinds[i] != kCubicControl) continue;
      auto cubic = [&](int step) {
        return contours.kinds[first + (i - first + step + 2 * count) % count] == kCubicControl;
      };
      if (count < 4 || (cubic(-1) && cubic(-2)) || cubic(-1) == cubic(1)) return false;
    }
    first = last + 1;
  }
  return true;
}

// What ReadOutline finds: the box of the whole outline, whether every
// point's kind is known and whether any is a cubic control point.
struct OutlineReading {
  Box extent;
  bool kindsKnown;
  bool cubic;
};

// The box of the contour [first, last], and adds its vertical lines between
// on-curve points that reach into [low, high]. One simple loop: it runs over
// every point of every glyph.
Box ReadContour(const Contours& contours, int first, int last, int64_t low, int64_t high,
                std::vector<Upright>* uprights) {
  OutlinePoint previous = contours.points[last];
  uint8_t previousKind = contours.kinds[last];
  int32_t xMin = previous.x, xMax = previous.x, yMin = previous.y, yMax = previous.y;
  for (int i = first; i <= last; ++i) {
    const OutlinePoint point = contours.points[i];
    const uint8_t kind = contours.kinds[i];
    xMin = std::min(xMin, point.x);
    xMax = std::max(xMax, point.x);
    yMin = std::min(yMin, point.y);
    yMax = std::max(yMax, point.y);
    if (point.x == previous.x && point.y != previous.y && (kind & previousKind) == kOnCurve) {
      const int32_t bottom = std::min(point.y, previous.y), top = std::max(point.y, previous.y);
      if (top >= low && bottom <= high) {
        uprights->push_back(Upright{point.x, bottom, top, point.y > previous.y});
      }
    }
    previous = point;
    previousKind = kind;
  }
  return Box{xMin, yMin, xMax, yMax};
}

// The box of each contour and of the whole outline, the vertical lines between
// on-curve points that reach into [low, high] (the rows a stem's point may lie
// on), and what kinds of point there are.
OutlineReading ReadOutline(const Contours& contours, size_t pointCount, int64_t low,
                           int64_t high, InteriorScratch* scratch) {
  scratch->contourBoxes.clear();
  scratch->uprights.clear();
  int first = 0;
  for (int c = 0; c < contours.count; ++c) {
    const int last = contours.ends[c];
    scratch->contourBoxes.push_back(ReadContour(contours, first, last, low, high, &scratch->uprights));
    first = last + 1;
  }
  OutlineReading reading{scratch->contourBoxes.front(), true, false};
  for (const Box& box : scratch->contourBoxes) {
    reading.extent.xMin = std::min(reading.extent.xMin, box.xMin);
    reading.extent.xMax = std::max(reading.extent.xMax, box.xMax);
    reading.extent.yMin = std::min(reading.extent.yMin, box.yMin);
    reading.extent.yMax = std::max(reading.extent.yMax, box.yMax);
  }
  uint8_t largestKind = 0;
  for (size_t i = 0; i < pointCount; ++i) largestKind = std::max(largestKind, contours.kinds[i]);
  reading.kindsKnown = largestKind <= kCubicControl;
  reading.cubic = largestKind == kCubicControl;
  return reading;
}

// Where the line from `a` to `b` runs within [low, high] vertically, as a
// range of x; false when it never does.
bool LineSpanInBand(const OutlinePoint& a, const OutlinePoint& b, int64_t low, int64_t high,
                    double* from, double* to) {
  if (std::max(a.y, b.y) < low || std::min(a.y, b.y) > high) return false;
  if (a.y == b.y || a.x == b.x) {
    *from = static_cast<double>(std::min(a.x, b.x));
    *to = static_cast<double>(std::max(a.x, b.x));
    return true;
  }
  // The x where the line leaves the band on either side, or its ends inside it.
  const double dy = static_cast<double>(b.y) - a.y, dx = static_cast<double>(b.x) - a.x;
  auto xAt = [&](int64_t y) {
    const int64_t clamped = std::clamp<int64_t>(y, std::min(a.y, b.y), std::max(a.y, b.y));
    return static_cast<double>(a.x) + dx * (static_cast<double>(clamped - a.y) / dy);
  };
  const double x1 = xAt(low), x2 = xAt(high);
  // Rounding of the division can only widen the range: never a false clear.
  constexpr double kSlack = 1e-6;
  *from = std::min(x1, x2) - kSlack - std::abs(x1 - x2) * kSlack;
  *to = std::max(x1, x2) + kSlack + std::abs(x1 - x2) * kSlack;
  return true;
}

// The box of the control points of the cubic curve the cubic control point i
// belongs to: its two off-curve points and their on-curve neighbours
// (CubicRunsDrawable checked the runs).
Box CubicControlBox(const Contours& contours, int first, int last, int i) {
  const int count = last - first + 1;
  auto at = [&](int step) { return first + (i - first + step + 2 * count) % count; };
  const bool second = contours.kinds[i == first ? last : i - 1] == kCubicControl;
  Box box{};
  for (int k = 0; k < 4; ++k) {
    const OutlinePoint& point = contours.points[at(k + (second ? -2 : -1))];
    box = k == 0 ? Box{point.x, point.y, point.x, point.y}
                 : Box{std::min(box.xMin, point.x), std::min(box.yMin, point.y),
                       std::max(box.xMax, point.x), std::max(box.yMax, point.y)};
  }
  return box;
}

// --- Stems: the middle of a vertical stroke, checked against every piece.

// The part of the plane a clear point's area must stay inside, and the area
// around the point.
struct Area {
  int64_t west, east, low, high;
};

bool LineMeetsArea(const OutlinePoint& a, const OutlinePoint& b, const Area& area) {
  if (std::max(a.y, b.y) < area.low || std::min(a.y, b.y) > area.high) return false;
  if (std::max(a.x, b.x) < area.west || std::min(a.x, b.x) > area.east) return false;
  double from, to;
  if (!LineSpanInBand(a, b, area.low, area.high, &from, &to)) return false;
  return from <= static_cast<double>(area.east) && to >= static_cast<double>(area.west);
}

// Coordinates up to this size either way keep the products of the triangle
// test within 64 bits.
constexpr int64_t kLargestTriangleCoordinate = int64_t{1} << 28;

// Whether the triangle abc meets the area, given that their boxes meet: no
// side of the triangle has the whole area strictly beyond it (separating
// axes; the area's own sides are the boxes'). A triangle too large for exact
// products is taken to meet it.
bool TriangleMeetsArea(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c,
                       const Area& area) {
  const int64_t bounds[] = {a.x, a.y, b.x, b.y, c.x, c.y, area.west, area.east, area.low, area.high};
  for (int64_t bound : bounds) {
    if (bound > kLargestTriangleCoordinate || bound < -kLargestTriangleCoordinate) return true;
  }
  const OutlinePoint* corners[] = {&a, &b, &c};
  const int64_t xs[] = {area.west, area.east}, ys[] = {area.low, area.high};
  for (int side = 0; side < 3; ++side) {
    const OutlinePoint& p = *corners[side];
    const OutlinePoint& q = *corners[(side + 1) % 3];
    const OutlinePoint& r = *corners[(side + 2) % 3];
    const int64_t dx = int64_t{q.x} - p.x, dy = int64_t{q.y} - p.y;
    auto across = [&](int64_t x, int64_t y) { return dx * (y - p.y) - dy * (x - p.x); };
    const int64_t third = across(r.x, r.y);
    int below = 0, above = 0;
    for (int64_t x : xs) {
      for (int64_t y : ys) {
        const int64_t corner = across(x, y);
        below += corner < 0;
        above += corner > 0;
      }
    }
    if ((third >= 0 && below == 4) || (third <= 0 && above == 4)) return false;
  }
  return true;
}

// Whether the curve the off-curve point i belongs to may meet the area: for
// a conic curve, the triangle of its off-curve point and the points on either
// side, which holds the curve and its control polygon (the on-curve points a
// conic curve runs between are those points, or midpoints on the way to
// them); for a cubic curve, the box of its control points (see CubicControlBox).
bool CurveMeetsArea(const Contours& contours, int first, int last, int i, const Area& area) {
  if (contours.kinds[i] == kCubicControl) {
    const Box box = CubicControlBox(contours, first, last, i);
    return box.xMax >= area.west && box.xMin <= area.east && box.yMax >= area.low &&
           box.yMin <= area.high;
  }
  const OutlinePoint& a = contours.points[i == first ? last : i - 1];
  const OutlinePoint& b = contours.points[i];
  const OutlinePoint& c = contours.points[i == last ? first : i + 1];
  if (std::max({a.y, b.y, c.y}) < area.low || std::min({a.y, b.y, c.y}) > area.high) return false;
  if (std::max({a.x, b.x, c.x}) < area.west || std::min({a.x, b.x, c.x}) > area.east) return false;
  return TriangleMeetsArea(a, b, c, area);
}

// Whether the line from a to b crosses the row y = row + 1/2 right of x.
// Called for a line clear of the point's area, so it never crosses near x.
bool CrossesRightOf(const OutlinePoint& a, const OutlinePoint& b, int64_t x, int64_t row) {
  const double t = (static_cast<double>(row) + 0.5 - a.y) / (static_cast<double>(b.y) - a.y);
  return static_cast<double>(a.x) + t * (static_cast<double>(b.x) - a.x) > static_cast<double>(x);
}

// Whether the point (x, row + 1/2) is inside the outline while every piece
// stays outside [x - cx, x + cx] x [row - cy, row + 1 + cy]: one pass over
// the contours that meet that area. The control polygons wind around a point
// clear of every piece as the curves do; a contour whose box misses the area
// has no piece in it and does not wind around the point.
bool PointClearInside(const Contours& contours, const std::vector<Box>& contourBoxes, int64_t x,
                      int64_t row, const Clearance& clearance) {
  const Area area{x - clearance.x, x + clearance.x, row - clearance.y, row + 1 + clearance.y};
  const OutlinePoint* points = contours.points;
  const uint8_t* kinds = contours.kinds;
  int winding = 0;
  int first = 0;
  for (int c = 0; c < contours.count; first = contours.ends[c] + 1, ++c) {
    const int last = contours.ends[c];
    const Box& box = contourBoxes[c];
    if (box.xMax < area.west || box.xMin > area.east || box.yMax < area.low ||
        box.yMin > area.high) {
      continue;
    }
    int previous = last;
    for (int i = first; i <= last; previous = i, ++i) {
      const OutlinePoint& a = points[previous];
      const OutlinePoint& b = points[i];
      if (kinds[i] != kOnCurve) {
        if (CurveMeetsArea(contours, first, last, i, area)) return false;
      } else if (kinds[previous] == kOnCurve && LineMeetsArea(a, b, area)) {
        return false;
      }
      if ((a.y <= row) != (b.y <= row) && CrossesRightOf(a, b, x, row)) {
        winding += b.y > a.y ? 1 : -1;
      }
    }
  }
  return winding != 0;
}

// The rows of the stems' points: those whose band lies within the box.
int64_t StemRowLow(const OutlineBox& box, const Clearance& clearance) {
  return box.bottom + clearance.y;
}
int64_t StemRowHigh(const OutlineBox& box, const Clearance& clearance) {
  return box.top - 1 - clearance.y;
}

// Joins the vertical lines of one direction at one x that overlap or leave
// a gap of at most `gap` between them: the side of a stem that strokes cross
// is broken where each crossing stroke joins it, though the stem's ink runs
// on past the break.
void JoinUprights(std::vector<Upright>* uprights, int64_t gap) {
  std::sort(uprights->begin(), uprights->end(), [](const Upright& p, const Upright& q) {
    if (p.up != q.up) return p.up < q.up;
    if (p.x != q.x) return p.x < q.x;
    return p.low < q.low;
  });
  size_t kept = 0;
  for (size_t i = 0; i < uprights->size(); ++i) {
    const Upright& line = (*uprights)[i];
    Upright& last = (*uprights)[kept == 0 ? 0 : kept - 1];
    if (kept > 0 && line.up == last.up && line.x == last.x && line.low <= last.high + gap) {
      last.high = std::max(last.high, line.high);
    } else {
      (*uprights)[kept++] = line;
    }
  }
  uprights->resize(kept);
}

// The rows [from, to] along a vertical line where the band around the row
// lies beside the line and within the rows allowed.
struct RowSpan {
  int64_t from, to;
};

RowSpan RowsAlong(const Upright& line, const Clearance& clearance, int64_t lowRow,
                  int64_t highRow) {
  return RowSpan{std::max(line.low + clearance.y, lowRow),
                 std::min(line.high - 1 - clearance.y, highRow)};
}

// The nearest line of the other direction on the given side of `edge` that
// runs past the row, or null.
const Upright* FacingLine(const std::vector<Upright>& uprights, const Upright& edge, bool right,
                          int64_t row) {
  const Upright* facing = nullptr;
  for (const Upright& other : uprights) {
    if (other.up == edge.up || (right ? other.x <= edge.x : other.x >= edge.x)) continue;
    if (other.low > row || other.high <= row) continue;
    if (facing == nullptr || std::abs(other.x - edge.x) < std::abs(facing->x - edge.x)) {
      facing = &other;
    }
  }
  return facing;
}

// Where the stems' points may lie, and the points tried so far.
struct StemSearch {
  int64_t lowRow, highRow;  // rows whose band lies within the box
  int64_t firstX, lastX;    // x whose area lies within the box
  // Whether the ink beside an upward line of an outer contour lies to its
  // right: TrueType draws outer contours clockwise, CFF (cubic curves) the
  // other way round. Read from the glyph alone, so that which points are
  // tried, and so whether the glyph is drawn, never depends on the glyphs
  // judged before it.
  bool inkRightOfUpward;
  struct Point {
    int64_t x, row;
  } tried[kStemTries];
  int passes;
};

// Tries the middle of the stems beside the two lines of `uprights` with the
// most rows along which the band fits: the point's row lies half way along
// the line, its x half way to the nearest line facing it, first on the side
// where the ink of an outer contour lies, then on the other side. A point
// tried before is not tried again.
bool TryLongestStems(const Contours& contours, const std::vector<Upright>& uprights,
                     const Clearance& clearance, StemSearch* search, InteriorScratch* scratch) {
  const Upright* longest[2] = {nullptr, nullptr};
  int64_t rows[2] = {-1, -1};
  for (const Upright& line : uprights) {
    const RowSpan span = RowsAlong(line, clearance, search->lowRow, search->highRow);
    const int64_t count = span.to - span.from;
    if (count > rows[0]) {
      longest[1] = longest[0], rows[1] = rows[0];
      longest[0] = &line, rows[0] = count;
    } else if (count > rows[1]) {
      longest[1] = &line, rows[1] = count;
    }
  }
  for (const Upright* edge : longest) {
    if (edge == nullptr) break;
    const RowSpan span = RowsAlong(*edge, clearance, search->lowRow, search->highRow);
    const int64_t row = (span.from + span.to) >> 1;
    const bool inkSide = edge->up == search->inkRightOfUpward;
    for (bool right : {inkSide, !inkSide}) {
      const Upright* facing = FacingLine(uprights, *edge, right, row);
      if (facing == nullptr || search->passes == kStemTries) continue;
      const int64_t x = (static_cast<int64_t>(edge->x) + facing->x) >> 1;
      if (x < search->firstX || x > search->lastX) continue;
      const StemSearch::Point* begin = search->tried;
      const StemSearch::Point* end = begin + search->passes;
      if (std::find_if(begin, end, [&](const StemSearch::Point& point) {
            return point.x == x && point.row == row;
          }) != end) {
        continue;
      }
      search->tried[search->passes++] = StemSearch::Point{x, row};
      if (PointClearInside(contours, scratch->contourBoxes, x, row, clearance)) return true;
    }
  }
  return false;
}

// Tries the middle of the stems beside the longest vertical lines: the common
// case of a stroke of a CJK glyph, settled in two passes over the outline
// instead of one per row of the row search. The lines as they are first, then
// joined where strokes crossing a stem break its sides.
bool FindClearStem(const Contours& contours, bool cubic, const OutlineBox& box,
                   const Clearance& clearance, InteriorScratch* scratch) {
  StemSearch search{StemRowLow(box, clearance), StemRowHigh(box, clearance),
                    box.left + clearance.x, std::min(box.right - clearance.x, box.right - 1),
                    !cubic, {}, 0};
  if (search.lowRow > search.highRow || search.firstX > search.lastX) return false;
  std::vector<Upright>& uprights = scratch->uprights;
  if (TryLongestStems(contours, uprights, clearance, &search, scratch)) return true;
  if (search.passes == kStemTries) return false;
  JoinUprights(&uprights, 2 * clearance.y + 1);
  return TryLongestStems(contours, uprights, clearance, &search, scratch);
}

// --- Rows: every clear point of a few rows.

// Whether some whole x in [from, to] is ruled out by no range of `blocked`
// and has the control polygons' crossings (sorted by x) winding around it.
// The winding number is the same all along a gap between ranges, because
// every crossing lies on an obstacle of the band.
bool FindClearX(const std::vector<Blocked>& blocked, const std::vector<Crossing>& crossings,
                int64_t from, int64_t to) {
  size_t crossed = 0;
  int winding = 0;
  double reach = -1e300;  // the furthest end of the ranges so far
  size_t next = 0;
  int64_t x = from;
  while (x <= to) {
    // Skip past every range that starts at or before x and reaches it.
    while (next < blocked.size() && blocked[next].from <= static_cast<double>(x)) {
      reach = std::max(reach, blocked[next].to);
      ++next;
    }
    if (reach >= static_cast<double>(x)) {
      x = static_cast<int64_t>(std::floor(reach)) + 1;
      continue;
    }
    // x is clear: wind up to it.
    while (crossed < crossings.size() && crossings[crossed].x < static_cast<double>(x)) {
      winding += crossings[crossed].direction;
      ++crossed;
    }
    if (winding != 0) return true;
    if (next == blocked.size()) return false;  // clear to the end, all outside
    x = std::max<int64_t>(x + 1, static_cast<int64_t>(std::ceil(blocked[next].from)));
  }
  return false;
}

// Where the triangle abc runs within [low, high] vertically, as a range of
// x: that of the parts of its sides within the band. False when it never does.
bool TriangleSpanInBand(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c,
                        int64_t low, int64_t high, double* from, double* to) {
  bool inBand = false;
  const OutlinePoint* corners[] = {&a, &b, &c};
  for (int side = 0; side < 3; ++side) {
    double sideFrom, sideTo;
    if (!LineSpanInBand(*corners[side], *corners[(side + 1) % 3], low, high, &sideFrom, &sideTo)) {
      continue;
    }
    *from = inBand ? std::min(*from, sideFrom) : sideFrom;
    *to = inBand ? std::max(*to, sideTo) : sideTo;
    inBand = true;
  }
  return inBand;
}

// What a point of the row must stay clear of: a line between two on-curve
// points, or for the curve an off-curve point belongs to the triangle of its
// control points (conic) or their box (cubic). Every piece of the control
// polygon of a contour lies on such an obstacle. Adds the range of x the
// obstacle of point i rules out on the band [low, high].
void BlockByPoint(const Contours& contours, int first, int last, int i, int64_t low, int64_t high,
                  int64_t cx, std::vector<Blocked>* blocked) {
  double from, to;
  if (contours.kinds[i] == kOnCurve) {
    const int next = i == last ? first : i + 1;
    if (contours.kinds[next] != kOnCurve) return;
    if (!LineSpanInBand(contours.points[i], contours.points[next], low, high, &from, &to)) return;
  } else if (contours.kinds[i] == kCubicControl) {
    const Box box = CubicControlBox(contours, first, last, i);
    if (box.yMax < low || box.yMin > high) return;
    from = static_cast<double>(box.xMin);
    to = static_cast<double>(box.xMax);
  } else if (!TriangleSpanInBand(contours.points[i == first ? last : i - 1], contours.points[i],
                                 contours.points[i == last ? first : i + 1], low, high, &from,
                                 &to)) {
    return;
  }
  blocked->push_back(Blocked{from - static_cast<double>(cx), to + static_cast<double>(cx)});
}

// Whether a contour's points reach past the band [low, high] both ways. Only
// such a contour can wind around a point of the band clear of its obstacles:
// from that point, the way straight down (or up) to the band's edge crosses
// no piece of the contour's control polygon, which winds zero times beyond
// its points.
bool Spans(const Box& contourBox, int64_t low, int64_t high) {
  return contourBox.yMin <= low && contourBox.yMax >= high;
}

// For the row half a unit above `row`: the crossings of the control polygons
// of the contours that span the band with it, by x (where a point is clear of
// every obstacle, the control polygons wind around it as the curves do), and
// the ranges of x that the obstacles rule out on the band
// [row - cy, row + 1 + cy], by start. Contours wholly above or below the band
// are skipped.
void ReadRow(const Contours& contours, const std::vector<Box>& contourBoxes, int64_t row,
             const Clearance& clearance, InteriorScratch* scratch) {
  scratch->crossings.clear();
  scratch->blocked.clear();
  const int64_t low = row - clearance.y, high = row + 1 + clearance.y;
  const double y = static_cast<double>(row) + 0.5;
  int first = 0;
  for (int c = 0; c < contours.count; ++c) {
    const int last = contours.ends[c];
    if (contourBoxes[c].yMax < low || contourBoxes[c].yMin > high) {
      first = last + 1;
      continue;
    }
    const bool spans = Spans(contourBoxes[c], low, high);
    const OutlinePoint* a = &contours.points[last];
    for (int i = first; i <= last; ++i) {
      const OutlinePoint* b = &contours.points[i];
      const OutlinePoint* from = a;
      a = b;
      if (spans && (from->y <= row) != (b->y <= row)) {
        const double t = (y - static_cast<double>(from->y)) / (static_cast<double>(b->y) - from->y);
        scratch->crossings.push_back(
            Crossing{static_cast<double>(from->x) + t * (static_cast<double>(b->x) - from->x),
                     b->y > from->y ? 1 : -1});
      }
      BlockByPoint(contours, first, last, i, low, high, clearance.x, &scratch->blocked);
    }
    first = last + 1;
  }
  std::sort(scratch->crossings.begin(), scratch->crossings.end(),
            [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
  std::sort(scratch->blocked.begin(), scratch->blocked.end(),
            [](const Blocked& p, const Blocked& q) { return p.from < q.from; });
}

bool FindClearRow(const Contours& contours, const Box& extent, const OutlineBox& box,
                  const Clearance& clearance, InteriorScratch* scratch) {
  const int64_t bottom = std::max<int64_t>(box.bottom, extent.yMin);
  const int64_t top = std::min<int64_t>(box.top, extent.yMax);
  const int64_t left = std::max<int64_t>(box.left, extent.xMin);
  const int64_t right = std::min<int64_t>(box.right, extent.xMax);
  if (top - bottom < 2 * clearance.y || right - left < 2 * clearance.x) return false;

  // The area around x must lie within the box left and right.
  const int64_t firstX = left + clearance.x, lastX = std::min(right - clearance.x, right - 1);
  if (firstX > lastX) return false;
  for (int sixteenths : kRows) {
    // Rows run half a unit above the grid, so no row passes through a point;
    // the area around a point of the row covers whole units.
    const int64_t row = bottom + (top - bottom) * sixteenths / 16;
    // Without a contour spanning the band, no clear point of it is inside.
    const int64_t low = row - clearance.y, high = row + 1 + clearance.y;
    if (std::none_of(scratch->contourBoxes.begin(), scratch->contourBoxes.end(),
                     [&](const Box& contourBox) { return Spans(contourBox, low, high); })) {
      continue;
    }
    ReadRow(contours, scratch->contourBoxes, row, clearance, scratch);
    if (scratch->crossings.size() < 2) continue;
    if (FindClearX(scratch->blocked, scratch->crossings, firstX, lastX)) return true;
  }
  return false;
}

}  // namespace

bool FindClearInteriorPoint(const PlainOutline& outline, const OutlineBox& box,
                            const Clearance& clearance, InteriorScratch* scratch) {
  Contours contours;
  if (!ReadEnds(outline, &contours)) return false;
  const OutlineReading reading = ReadOutline(contours, outline.points.size(),
                                             StemRowLow(box, clearance),
                                             StemRowHigh(box, clearance), scratch);
  if (!reading.kindsKnown || (reading.cubic && !CubicRunsDrawable(contours))) return false;
  return FindClearStem(contours, reading.cubic, box, clearance, scratch) ||
         FindClearRow(contours, reading.extent, box, clearance, scratch);
}

}  // namespace glyphcensus
