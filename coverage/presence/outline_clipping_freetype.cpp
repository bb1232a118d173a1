// The FreeType glyph presence test, stage by stage: outlines far larger than
// the surface, drawn clipped to the pixels the ink scan can reach.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <vector>

#include "coverage/presence/glyph_presence_freetype_stages.h"

namespace glyphcensus {

namespace {

FT_Pos FloorPixel(FT_Pos value) { return (value >= 0 ? value : value - 63) / 64; }
FT_Pos CeilPixel(FT_Pos value) { return -FloorPixel(-value); }

// Clipping of outlines far larger than the surface. FreeType's rasteriser
// walks every line through every pixel it crosses, also outside its target,
// once per band of rows, and FT_Render_Glyph allocates the outline's whole
// box: a hostile glyph of thousands of points at the 16-bit coordinate limits
// takes a minute and gigabytes. So such an outline is flattened to polygons,
// clipped (Sutherland-Hodgman) to the pixels that the scan can reach plus one
// pixel, and drawn into a bitmap of just those pixels. Clipping to a
// convex box keeps the winding number of every point inside the box, so every
// pixel of the part gets the coverage the whole outline gives it (up to the
// flattening of curves, a quarter of a pixel).
struct PointD {
  double x, y;
};
using Polygon = std::vector<PointD>;

// Flattened points beyond which a clipped outline is not drawn at all.
constexpr size_t kMostFlattenedPoints = 1 << 18;
// FT_Outline counts points in a short.
constexpr size_t kMostOutlinePoints = 32767;

struct Flattening {
  std::vector<Polygon> contours;
  PointD current{0, 0};
  size_t points = 0;
};

PointD ToPoint(const FT_Vector* v) { return PointD{static_cast<double>(v->x), static_cast<double>(v->y)}; }

void AddPoint(Flattening* f, PointD point) {
  f->contours.back().push_back(point);
  f->current = point;
  ++f->points;
}

// Segments for a curve whose control points stray `deviation` 26.6 units
// from the chord: the error shrinks with the square of the count.
int CurveSegments(double deviation) {
  return static_cast<int>(std::clamp(std::ceil(std::sqrt(deviation / 16.0)), 1.0, 32.0));
}

int FlattenMoveTo(const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattening*>(user);
  f->contours.emplace_back();
  AddPoint(f, ToPoint(to));
  return f->points > kMostFlattenedPoints ? 1 : 0;
}

int FlattenLineTo(const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattening*>(user);
  AddPoint(f, ToPoint(to));
  return f->points > kMostFlattenedPoints ? 1 : 0;
}

int FlattenConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattening*>(user);
  const PointD a = f->current, b = ToPoint(control), c = ToPoint(to);
  const int n = CurveSegments(std::abs(a.x - 2 * b.x + c.x) + std::abs(a.y - 2 * b.y + c.y));
  for (int i = 1; i <= n; ++i) {
    const double t = static_cast<double>(i) / n, u = 1 - t;
    AddPoint(f, PointD{u * u * a.x + 2 * u * t * b.x + t * t * c.x, u * u * a.y + 2 * u * t * b.y + t * t * c.y});
  }
  return f->points > kMostFlattenedPoints ? 1 : 0;
}

int FlattenCubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
  auto* f = static_cast<Flattening*>(user);
  const PointD a = f->current, b = ToPoint(control1), c = ToPoint(control2), d = ToPoint(to);
  const double deviation = std::max(std::abs(a.x - 2 * b.x + c.x) + std::abs(a.y - 2 * b.y + c.y),
                                    std::abs(b.x - 2 * c.x + d.x) + std::abs(b.y - 2 * c.y + d.y));
  const int n = CurveSegments(deviation);
  for (int i = 1; i <= n; ++i) {
    const double t = static_cast<double>(i) / n, u = 1 - t;
    const double wa = u * u * u, wb = 3 * u * u * t, wc = 3 * u * t * t, wd = t * t * t;
    AddPoint(f, PointD{wa * a.x + wb * b.x + wc * c.x + wd * d.x, wa * a.y + wb * b.y + wc * c.y + wd * d.y});
  }
  return f->points > kMostFlattenedPoints ? 1 : 0;
}

// The polygon cut to one side of the line x = bound (axis 0) or y = bound
// (axis 1): keeps the side >= bound when `keepAbove`, else <= bound.
Polygon ClipPolygon(const Polygon& polygon, int axis, double bound, bool keepAbove) {
  auto coordinate = [axis](const PointD& p) { return axis == 0 ? p.x : p.y; };
  auto inside = [&](const PointD& p) { return keepAbove ? coordinate(p) >= bound : coordinate(p) <= bound; };
  Polygon out;
  for (size_t i = 0; i < polygon.size(); ++i) {
    const PointD& from = polygon[(i + polygon.size() - 1) % polygon.size()];
    const PointD& to = polygon[i];
    if (inside(from) != inside(to)) {
      const double t = (bound - coordinate(from)) / (coordinate(to) - coordinate(from));
      PointD cut{from.x + t * (to.x - from.x), from.y + t * (to.y - from.y)};
      (axis == 0 ? cut.x : cut.y) = bound;
      out.push_back(cut);
    }
    if (inside(to)) out.push_back(to);
  }
  return out;
}

}  // namespace

bool ClippedOutlineInked(MeasuringContext* context, FT_GlyphSlot slot, int advance) {
  FT_BBox box;
  FT_Outline_Get_CBox(&slot->outline, &box);
  // The pixels ScanFindsInk can look at: columns 0 to min(width, 255) (only
  // column 0 without a cell) of the cell's rows (only row 0 without a cell).
  // The part is where the glyph's box meets them.
  const int width = std::clamp(advance, 0, kSurfaceSize);
  const int height = std::clamp(context->cellHeight, 0, kSurfaceSize);
  const FT_Pos scanRight = width == 0 ? 1 : std::min(width, kSurfaceSize - 1) + 1;
  const FT_Pos scanBottom = width == 0 ? std::min(height, 1) : height;
  const FT_Pos x0 = std::max<FT_Pos>(0, FloorPixel(box.xMin));
  const FT_Pos x1 = std::min<FT_Pos>(scanRight, CeilPixel(box.xMax));
  const FT_Pos y0 = std::max<FT_Pos>(0, context->cellAscent - CeilPixel(box.yMax));
  const FT_Pos y1 = std::min<FT_Pos>(scanBottom, context->cellAscent - FloorPixel(box.yMin));
  if (x0 >= x1 || y0 >= y1) return false;  // nothing on the surface

  Flattening flat;
  FT_Outline_Funcs funcs{FlattenMoveTo, FlattenLineTo, FlattenConicTo, FlattenCubicTo, 0, 0};
  if (FT_Outline_Decompose(&slot->outline, &funcs, &flat) != 0) return false;

  // Outline units, y up from the baseline; one pixel of margin on each side.
  const double left = static_cast<double>(x0 - 1) * 64, right = static_cast<double>(x1 + 1) * 64;
  const double bottom = static_cast<double>(context->cellAscent - y1 - 1) * 64;
  const double top = static_cast<double>(context->cellAscent - y0 + 1) * 64;
  std::vector<Polygon> clipped;
  size_t points = 0;
  for (const Polygon& contour : flat.contours) {
    Polygon polygon = ClipPolygon(contour, 0, left, true);
    polygon = ClipPolygon(polygon, 0, right, false);
    polygon = ClipPolygon(polygon, 1, bottom, true);
    polygon = ClipPolygon(polygon, 1, top, false);
    if (polygon.size() < 3) continue;
    points += polygon.size();
    if (points > kMostOutlinePoints) return false;  // not drawn: counted as missing
    clipped.push_back(std::move(polygon));
  }
  if (clipped.empty()) return false;

  FT_Outline outline;
  if (FT_Outline_New(context->library, static_cast<FT_UInt>(points), static_cast<FT_Int>(clipped.size()),
                     &outline) != 0) {
    return false;
  }
  int at = 0;
  uint64_t cost = points;
  for (size_t c = 0; c < clipped.size(); ++c) {
    for (size_t i = 0; i < clipped[c].size(); ++i) {
      const PointD& p = clipped[c][i];
      const PointD& q = clipped[c][(i + 1) % clipped[c].size()];
      cost += static_cast<uint64_t>((std::abs(q.x - p.x) + std::abs(q.y - p.y)) / 64);
      // Shift so that the part's bottom-left corner, surface (x0, y1), is the origin.
      outline.points[at].x = std::lround(p.x) - x0 * 64;
      outline.points[at].y = std::lround(p.y) - (context->cellAscent - y1) * 64;
      outline.tags[at] = FT_CURVE_TAG_ON;
      ++at;
    }
    outline.contours[c] = static_cast<short>(at - 1);
  }
  // Keep FT_OUTLINE_OWNER, or FT_Outline_Done frees nothing.
  outline.flags = (outline.flags & FT_OUTLINE_OWNER) | (slot->outline.flags & FT_OUTLINE_EVEN_ODD_FILL);

  bool inked = false;
  if (cost <= context->drawingBudget) {
    context->drawingBudget -= cost;
    std::vector<unsigned char> pixels(static_cast<size_t>((x1 - x0) * (y1 - y0)), 0);
    FT_Bitmap part{};
    part.rows = static_cast<unsigned>(y1 - y0);
    part.width = static_cast<unsigned>(x1 - x0);
    part.pitch = static_cast<int>(x1 - x0);
    part.buffer = pixels.data();
    part.num_grays = 256;
    part.pixel_mode = FT_PIXEL_MODE_GRAY;
    inked = FT_Outline_Get_Bitmap(context->library, &outline, &part) == 0 &&
            ScanFindsInk(*context, part, static_cast<int>(x0), static_cast<int>(y0), advance);
  } else {
    context->refusedByBudget = true;
  }
  FT_Outline_Done(context->library, &outline);
  return inked;
}

}  // namespace glyphcensus
