#include "coverage/geometry/outline_area_freetype.h"

#include <algorithm>
#include <cstdlib>

namespace glyphcensus {

namespace {

// ftgrays' units: 1/256 of a pixel (PIXEL_BITS 8).
constexpr int64_t kOnePixel = 256;
constexpr FT_Pos kLargestCoordinate = FT_Pos{1} << 20;
// gray_render_cubic's bez_stack holds 16 * 3 + 1 points: 15 bisections deep.
constexpr int kDeepestCubicSplit = 15;

struct Point {
  int64_t x = 0, y = 0;
};

// The lines the rasteriser draws, summed as gray_render_line draws them.
struct TracedWalk {
  TracedArea* area;
  int scale;
  Point current;  // ras.x, ras.y
  bool failed = false;

  Point Upscaled(const FT_Vector& v) const {
    return Point{static_cast<int64_t>(v.x) * scale * 4, static_cast<int64_t>(v.y) * scale * 4};
  }

  void MoveTo(const FT_Vector& to) { current = Upscaled(to); }

  // gray_render_line from `current` to `to`: a slanted line crosses at most
  // L1 / 256 + 2 cells (L1 = |dx| + |dy|), so its crossings move twice the area
  // by at most 4 L1 + L1 / 64 + 8 (see the header).
  void Line(const Point& to) {
    area->twiceArea += current.x * to.y - current.y * to.x;
    const int64_t dx = to.x - current.x, dy = to.y - current.y;
    if (dx != 0 && dy != 0) {
      const int64_t length = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
      area->rounding += 4 * length + ((length + 63) >> 6) + 8;
    }
    current = to;
  }

  void LineTo(const FT_Vector& to) { Line(Upscaled(to)); }

  // gray_render_conic draws the curve as one line when its deviation
  // |p0 + p2 - 2 p1| is at most a quarter pixel, and otherwise as 2^shift
  // lines through points of the curve, each off by less than a unit per
  // coordinate in the DDA build (the floor of a point stepped exactly in 2^-32
  // fixed point) and by less than `shift` units in the bisecting build (a floor
  // at each level); `shift` serves for both, so the bound holds whichever build
  // the FreeType library is. Instead of making those lines, the chord is
  // summed, and the rounding bound takes what the lines can differ from it:
  // - The exact points of a parabolic arc and its chord make a convex polygon
  //   inside the control triangle: twice its area is at most |cross(p1 - p0,
  //   p2 - p0)|. Moving each point by at most e per coordinate moves twice the
  //   area by at most e times the L1 length of its neighbours' span (plus 2e
  //   for a neighbour already moved), at most 4 e L + 2 e^2 m in all, L being
  //   the control polygon's L1 length (which bounds the arc's and so the
  //   polyline's) and m the number of lines.
  // - The m lines' own crossings (see Line), of L1 lengths summing to at most
  //   L + 4 e m.
  void ConicTo(const FT_Vector& control, const FT_Vector& to) {
    const Point p0 = current, p1 = Upscaled(control), p2 = Upscaled(to);
    int64_t deviation =
        std::max(std::llabs(p0.x + p2.x - 2 * p1.x), std::llabs(p0.y + p2.y - 2 * p1.y));
    int shift = 0;
    while (deviation > kOnePixel / 4) {
      deviation >>= 2;
      ++shift;
    }
    if (shift == 0) return Line(p2);
    const int64_t lines = int64_t{1} << shift;
    const int64_t error = shift;
    const int64_t controlLength = std::llabs(p1.x - p0.x) + std::llabs(p1.y - p0.y) +
                                  std::llabs(p2.x - p1.x) + std::llabs(p2.y - p1.y);
    const int64_t linesLength = controlLength + 4 * error * lines;
    area->twiceArea += current.x * p2.y - current.y * p2.x;
    area->rounding += std::llabs((p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x)) +
                      4 * error * controlLength + 2 * error * error * lines +
                      4 * linesLength + ((linesLength + 63) >> 6) + 8 * lines;
    current = p2;
  }

  // gray_split_cubic, one coordinate at a time.
  static void SplitCubic(Point* base, int64_t Point::*axis) {
    const int64_t a0 = base[0].*axis + base[1].*axis;
    const int64_t b = base[1].*axis + base[2].*axis;
    int64_t c = base[2].*axis + base[3].*axis;
    base[6].*axis = base[3].*axis;
    base[5].*axis = c >> 1;
    c += b;
    base[4].*axis = c >> 2;
    base[1].*axis = a0 >> 1;
    const int64_t a = a0 + b;
    base[2].*axis = a >> 2;
    base[3].*axis = (a + c) >> 3;
  }

  static bool FlatEnough(const Point* arc) {
    constexpr int64_t kHalfPixel = kOnePixel / 2;
    return std::llabs(2 * arc[0].x - 3 * arc[1].x + arc[3].x) <= kHalfPixel &&
           std::llabs(2 * arc[0].y - 3 * arc[1].y + arc[3].y) <= kHalfPixel &&
           std::llabs(arc[0].x - 3 * arc[2].x + 2 * arc[3].x) <= kHalfPixel &&
           std::llabs(arc[0].y - 3 * arc[2].y + 2 * arc[3].y) <= kHalfPixel;
  }

  // gray_render_cubic.
  void CubicTo(const FT_Vector& control1, const FT_Vector& control2, const FT_Vector& to) {
    Point stack[16 * 3 + 1];
    Point* arc = stack;
    arc[0] = Upscaled(to);
    arc[1] = Upscaled(control2);
    arc[2] = Upscaled(control1);
    arc[3] = current;
    for (;;) {
      if (FlatEnough(arc)) {
        Line(arc[0]);
        if (arc == stack) return;
        arc -= 3;
        continue;
      }
      if (arc >= stack + 3 * kDeepestCubicSplit) {
        failed = true;
        return;
      }
      SplitCubic(arc, &Point::x);
      SplitCubic(arc, &Point::y);
      arc += 3;
    }
  }
};

FT_Vector Middle(const FT_Vector& a, const FT_Vector& b) {
  return FT_Vector{(a.x + b.x) / 2, (a.y + b.y) / 2};
}

int TagOf(const FT_Outline& outline, int i) { return FT_CURVE_TAG(outline.tags[i]); }

// One contour, points first..last, as FT_Outline_Decompose's loop body.
bool WalkContour(const FT_Outline& outline, int first, int last, TracedWalk* walk) {
  const FT_Vector* points = outline.points;
  FT_Vector start = points[first];
  const FT_Vector lastPoint = points[last];
  int limit = last;
  int point = first;
  int tag = TagOf(outline, first);
  if (tag == FT_CURVE_TAG_CUBIC) return false;
  if (tag == FT_CURVE_TAG_CONIC) {
    if (TagOf(outline, last) == FT_CURVE_TAG_ON) {
      start = lastPoint;  // start at the last point, which is on the curve
      --limit;
    } else {
      start = Middle(start, lastPoint);
    }
    --point;
  }
  walk->MoveTo(start);
  while (point < limit) {
    ++point;
    tag = TagOf(outline, point);
    if (tag == FT_CURVE_TAG_ON) {
      walk->LineTo(points[point]);
      continue;
    }
    if (tag == FT_CURVE_TAG_CONIC) {
      FT_Vector control = points[point];
      for (;;) {
        if (point >= limit) {
          walk->ConicTo(control, start);
          return true;  // closed by the curve
        }
        ++point;
        tag = TagOf(outline, point);
        const FT_Vector& next = points[point];
        if (tag == FT_CURVE_TAG_ON) {
          walk->ConicTo(control, next);
          break;
        }
        if (tag != FT_CURVE_TAG_CONIC) return false;
        walk->ConicTo(control, Middle(control, next));
        control = next;
      }
      continue;
    }
    // A cubic control: two of them, then the end point or the start.
    if (point + 1 > limit || TagOf(outline, point + 1) != FT_CURVE_TAG_CUBIC) return false;
    point += 2;
    if (point <= limit) {
      walk->CubicTo(points[point - 2], points[point - 1], points[point]);
      continue;
    }
    walk->CubicTo(points[point - 2], points[point - 1], start);
    return true;  // closed by the curve
  }
  walk->LineTo(start);
  return true;
}

}  // namespace

bool TraceOutlineArea(const FT_Outline& outline, const FT_BBox& box, TracedArea* area) {
  *area = TracedArea{};
  // ft_smooth_render draws an overlapping outline four times larger.
  const int scale = (outline.flags & FT_OUTLINE_OVERLAP) != 0 ? 4 : 1;
  area->scale = scale;
  if (box.xMin < -kLargestCoordinate || box.yMin < -kLargestCoordinate ||
      box.xMax > kLargestCoordinate || box.yMax > kLargestCoordinate) {
    return false;
  }
  TracedWalk walk{area, scale};
  int first = 0;
  for (int n = 0; n < outline.n_contours; ++n) {
    const int last = outline.contours[n];
    // FT_Outline_Decompose refuses only last < 0; the rest would read past
    // the points or walk backwards, which no loaded outline does.
    if (last < 0 || last < first || last >= outline.n_points) return false;
    if (!WalkContour(outline, first, last, &walk) || walk.failed) return false;
    first = last + 1;
  }
  return true;
}

bool TracedAreaLeavesCoverage(const TracedArea& area, const FT_BBox& box) {
  // The box's pixels ((yMax + 63) / 64 rounds a negative yMax up or beyond,
  // which only counts more pixels).
  const int64_t pixels = static_cast<int64_t>((box.xMax + 63) / 64 - box.xMin / 64) *
                         static_cast<int64_t>((box.yMax + 63) / 64 - (box.yMin >> 6));
  // A pixel without coverage has a twice area within [-512, 511]; drawn four
  // times larger, each of its 16 subpixels within [-4096, 4095].
  const int64_t blankLimit = area.scale == 4 ? 4096 * 16 * pixels : 512 * pixels;
  return std::llabs(area.twiceArea) - area.rounding > blankLimit;
}

}  // namespace glyphcensus
