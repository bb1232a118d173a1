#include "coverage/geometry/outline_area_freetype.h"

#include <algorithm>
#include <cmath>

namespace glyphcensus {

namespace {

double Cross(const FT_Vector& a, const FT_Vector& b) {
  return static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x;
}

// The callbacks of the walk, as the area shortcut's FT_Outline_Funcs were.
struct AreaWalk {
  OutlineArea* area;
  FT_Vector current{0, 0};

  void MoveTo(const FT_Vector& to) { current = to; }

  void LineTo(const FT_Vector& to) {
    area->twiceArea += Cross(current, to);
    current = to;
    ++area->segments;
  }

  void ConicTo(const FT_Vector& control, const FT_Vector& to) {
    const FT_Vector a{control.x - current.x, control.y - current.y};
    const FT_Vector b{to.x - current.x, to.y - current.y};
    area->slack += std::abs(Cross(a, b)) / 2;
    LineTo(to);
  }

  void CubicTo(const FT_Vector& control1, const FT_Vector& control2, const FT_Vector& to) {
    const double width = std::max({current.x, control1.x, control2.x, to.x}) -
                         std::min({current.x, control1.x, control2.x, to.x});
    const double height = std::max({current.y, control1.y, control2.y, to.y}) -
                          std::min({current.y, control1.y, control2.y, to.y});
    area->slack += width * height;
    LineTo(to);
  }
};

FT_Vector Middle(const FT_Vector& a, const FT_Vector& b) {
  return FT_Vector{(a.x + b.x) / 2, (a.y + b.y) / 2};
}

int TagOf(const FT_Outline& outline, int i) { return FT_CURVE_TAG(outline.tags[i]); }

// One contour, points first..last, as FT_Outline_Decompose's loop body.
bool WalkContour(const FT_Outline& outline, int first, int last, AreaWalk* walk) {
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

bool SumOutlineArea(const FT_Outline& outline, OutlineArea* area) {
  AreaWalk walk{area};
  int first = 0;
  for (int n = 0; n < outline.n_contours; ++n) {
    const int last = outline.contours[n];
    // FT_Outline_Decompose refuses only last < 0; the rest would read past
    // the points or walk backwards, which no loaded outline does.
    if (last < 0 || last < first || last >= outline.n_points) return false;
    if (!WalkContour(outline, first, last, &walk)) return false;
    first = last + 1;
  }
  return true;
}

}  // namespace glyphcensus
