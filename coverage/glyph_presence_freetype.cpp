// The glyph presence test of the command-line tool, done with FreeType. It
// follows the Windows test (GDI and Uniscribe) stage by stage so that both
// give the same counts:
//
// 1. The cmap maps the character. The walk steps one UTF-16 unit at a time, as
//    on Windows: a surrogate pair is decoded to one code point at its high
//    unit, and the low unit that follows is then tested alone, as an unpaired
//    surrogate, which is always missing. So a pair counts at most once.
// 2. The glyph is not glyph 0, not the glyph of U+0020 (the blank glyph) and
//    not the glyph of OS/2 usDefaultChar when that is set (the default glyph).
// 3. The glyph, drawn as GDI draws it with ExtTextOutW at (0, 0), top-left
//    aligned, opaque background, leaves ink where the Windows ink scan finds
//    it. GDI paints the character cell white: x from 0 to the advance, y from
//    0 to ascent + descent, the baseline at y = ascent. The 256 x 256 surface
//    around it stays red, and ink lands wherever the glyph has coverage. The
//    scan below replays the Windows scan on that picture without drawing it.
//
// Sizes: the Windows measuring font asks for an 11-point em at 96 dpi, height
// -MulDiv(11, 96, 72) = -15, that is 15 pixels per em. GDI's cell metrics for
// a TrueType face are
//     emScale  = MulDiv(15, 65536, unitsPerEm)            (16.16 fixed point)
//     ascent   = round(winAscent  * emScale / 65536)
//     descent  = round(winDescent * emScale / 65536)
// (hhea ascender and -descender when winAscent + winDescent is 0), and the
// advance is the hinted advance rounded up to whole pixels. Glyphs are loaded
// with FreeType's default hinting, as GDI's FreeType-based implementation
// (Wine) loads them, and rendered anti-aliased; any coverage is ink.
//
// Cases where this test and the Windows test can disagree:
// - Ink below the cell. Real Windows draws it, and its scan, which goes on to
//   the row below the cell when that row begins with ink, would count ink at
//   the first pixel of that row. Wine, like this test, draws nothing outside
//   the cell's rows, so there such ink never counts.
// - Rendering mode. GDI may draw bi-level (no smoothing in the system
//   settings, or the font's 'gasp' table denies grey at 15 ppem, as IPAGothic's
//   does), in grey, or ClearType, and blends faint coverage away: under Wine
//   with grey smoothing, a lone vertical hairline of 0.12 pixel (coverage
//   about 30/255) leaves no visible ink, one of 0.14 pixel does. Here any
//   anti-aliased coverage is ink. They differ only for a glyph whose whole ink
//   inside the cell is that faint (a hairline, a stroke lying almost entirely
//   outside the cell); no real font compared so far has one.
// - Hinting. Real Windows runs its own TrueType interpreter and never the
//   FreeType auto-hinter; for unhinted fonts FreeType's auto-hinter may move
//   edges by up to a pixel. Only ink that lies at the cell's edge is affected.
// - Cell metrics. A VDMX table entry for 15 ppem replaces the ascent and
//   descent on Windows; it is not read here. Wine widens the advance of
//   full-width glyphs of fonts flagged fixed-pitch to twice the half width;
//   not done here. Real Windows may round the scaled winAscent/winDescent and
//   the advance (hdmx) differently by a pixel.
// - Special glyphs. Wine's Uniscribe takes as blank the glyph of U+0020, as
//   default glyph 0, and as invalid glyph that of U+F71B, else U+200B, else
//   U+0020; real Windows takes the glyph of the default character as default
//   glyph. The Windows test also rejects the glyph GDI hands unmapped
//   characters (the glyph of usDefaultChar), so that case agrees under Wine
//   too. Left over: under Wine a character mapped to the glyph of U+F71B or
//   U+200B is missing there and present here if it has ink.
// - Character mapping. FreeType picks the Unicode cmap itself (format 12
//   (3,10) before (3,1), and Unicode-platform subtables too); GDI maps BMP
//   characters through (3,1) and needs Windows subtables. Symbol fonts
//   (3,0) map U+F0xx on Windows; here they map nothing.
// - Which face. Here the image's first face is always measured. GDI measures
//   whatever face its font mapper finds for the marked Windows family name:
//   another face of a collection that shares the family name, or no face at
//   all for formats it does not take (bitmap-only fonts, odd cmaps). When the
//   mapper hands out another family (an empty name, a font with Macintosh
//   family names only), the Windows test measures nothing.
// - Bitmap strikes. Embedded bitmaps for 15 ppem are used by both; colour
//   bitmaps (CBDT, sbix) count by their alpha here and are not drawn by GDI.
#include "coverage/glyph_presence.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "coverage/glyph_presence_freetype.h"
#include "coverage/job_active.h"
#include "coverage/outline_interior.h"
#include "fontio/font_structure.h"

namespace {

// An 11-point em at 96 dots per inch: MulDiv(11, 96, 72).
constexpr FT_UInt kPixelsPerEm = 15;
// The Windows drawing surface is 256 x 256 pixels.
constexpr int kSurfaceSize = 256;

enum GlyphVerdict : uint8_t { kUnknown = 0, kInked = 1, kBlank = 2 };

bool inkShortcut = true;
UnhintedJudging unhintedJudging = UnhintedJudging::kWhenHintingIsDear;

enum class UnhintedShortcut : uint8_t { kUntested, kAllowed, kRefused };

// Drawing work allowed per report, in pixel steps of the rasteriser (see
// DrawingCost). A real font's full report takes a few million; a hostile one
// (thousands of glyphs of tens of thousands of points) could otherwise take
// hours. Glyphs drawn after the budget is spent count as missing. Glyphs
// judged from their unhinted outline are not drawn and cost nothing, so past
// the budget, and only there, the shortcut can change a count.
constexpr uint64_t kDrawingBudget = uint64_t{1} << 28;
// Outlines whose box is larger than this (26.6 units, either way) are drawn
// clipped to the surface instead of whole (ClippedOutlineInked).
constexpr FT_Pos kLargestWholeOutline = 2 * kSurfaceSize * 64;

// Windows' MulDiv for the non-negative values used here: rounded to nearest.
int64_t MulDivRounded(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return -1;
  return (a * b + c / 2) / c;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Any coverage at (column, row) of the glyph bitmap.
bool InkAt(const FT_Bitmap& bitmap, int column, int row) {
  const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO: return (line[column >> 3] & (0x80 >> (column & 7))) != 0;
    case FT_PIXEL_MODE_GRAY2: return ((line[column >> 2] >> (6 - 2 * (column & 3))) & 3) != 0;
    case FT_PIXEL_MODE_GRAY4: return ((line[column >> 1] >> (4 - 4 * (column & 1))) & 15) != 0;
    case FT_PIXEL_MODE_GRAY: return line[column] != 0;
    case FT_PIXEL_MODE_BGRA: return line[column * 4 + 3] != 0;
    default: return false;
  }
}

}  // namespace

struct MeasuringContext {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int cellAscent = 0;   // GDI's tmAscent: the baseline's row
  int cellHeight = 0;   // tmAscent + tmDescent
  FT_UInt blankGlyph = 0;
  FT_UInt defaultGlyph = 0;
  // The verdict for a glyph depends on nothing but the glyph, so it is worked
  // out once per report. Sets share many characters (every education kanji is
  // also a regular-use and a level-1 kanji).
  std::vector<uint8_t> verdicts;
  uint64_t drawingBudget = kDrawingBudget;
  // Whether glyphs may be judged from their unhinted outlines; decided at the
  // first glyph (see HintingLooksTame).
  UnhintedShortcut unhinted = UnhintedShortcut::kUntested;
  uint32_t unhintedVerdicts = 0;
  InteriorScratch scratch;
};

namespace {

void ReleaseContext(MeasuringContext* context) {
  if (context->face != nullptr) FT_Done_Face(context->face);
  if (context->library != nullptr) FT_Done_FreeType(context->library);
  delete context;
}

// GDI's ascent and descent of the measuring font, in pixels.
void ComputeCellMetrics(MeasuringContext* context) {
  FT_Face face = context->face;
  FT_Long ascent = face->ascender;
  FT_Long descent = -face->descender;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent != 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else if (hhea != nullptr) {
    ascent = hhea->Ascender;
    descent = -hhea->Descender;
  }
  const FT_Long emScale = static_cast<FT_Long>(
      MulDivRounded(kPixelsPerEm, 1 << 16, std::max<FT_UShort>(face->units_per_EM, 1)));
  context->cellAscent = static_cast<int>(FT_MulFix(ascent, emScale));
  const int cellDescent = static_cast<int>(FT_MulFix(descent, emScale));
  context->cellHeight = context->cellAscent + cellDescent;
}

// Replays the Windows ink scan on the surface GDI draws: the cell
// [0, advance) x [0, cellHeight) white, the glyph's coverage as ink, the rest
// red. The scan reads rows from the top; a row whose first pixel is red ends
// it (missing); along a row, white is skipped, red moves to the next row, and
// anything else is ink. So ink just right of the cell, touching it, is reached
// too. Rows below the cell hold no ink here: Wine draws nothing of a glyph
// outside the cell's rows (and a glyph wholly above or below them is not
// drawn at all), so the row below the cell always begins red there. Real
// Windows draws such ink, and its scan would count ink at the very start of
// the row below the cell; this test, like Wine, does not.
// `left` and `top` are the surface position of the bitmap's first column and row.
bool ScanFindsInk(const MeasuringContext& context, const FT_Bitmap& bitmap, int left, int top,
                  int advance) {
  const int width = std::clamp(advance, 0, kSurfaceSize);
  const int height = std::clamp(context.cellHeight, 0, kSurfaceSize);
  // Without a cell the first pixel is red unless ink covers it.
  const int lastX = width == 0 ? 0 : std::min(width, kSurfaceSize - 1);
  const int endY = width == 0 ? std::min(height, 1) : height;

  // Inside the cell's rows, ink counts up to and including the column just
  // right of the cell (x == width), which is red only where it has no ink.
  const int firstRow = std::max(0, top);
  const int endRow = std::min(endY, top + static_cast<int>(bitmap.rows));
  const int firstX = std::max(0, left);
  const int endX = std::min(lastX + 1, left + static_cast<int>(bitmap.width));
  for (int y = firstRow; y < endRow; ++y) {
    for (int x = firstX; x < endX; ++x) {
      if (InkAt(bitmap, x - left, y - top)) return true;
    }
  }
  return false;
}

// The outline's signed area and how far flattening its curves can change it,
// both in 26.6 square units.
struct AreaBound {
  FT_Vector current{0, 0};
  double twiceArea = 0;  // twice the area of the polygon of the segment ends
  double slack = 0;      // sum over curves of the area their hull adds
  long segments = 0;
};

double Cross(const FT_Vector& a, const FT_Vector& b) {
  return static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x;
}

int AreaMoveTo(const FT_Vector* to, void* user) {
  static_cast<AreaBound*>(user)->current = *to;
  return 0;
}

int AreaLineTo(const FT_Vector* to, void* user) {
  auto* bound = static_cast<AreaBound*>(user);
  bound->twiceArea += Cross(bound->current, *to);
  bound->current = *to;
  ++bound->segments;
  return 0;
}

int AreaConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* bound = static_cast<AreaBound*>(user);
  const FT_Vector& from = bound->current;
  // The flattened curve stays inside the triangle of its control points.
  const FT_Vector a{control->x - from.x, control->y - from.y};
  const FT_Vector b{to->x - from.x, to->y - from.y};
  bound->slack += std::abs(Cross(a, b)) / 2;
  return AreaLineTo(to, user);
}

int AreaCubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
                void* user) {
  auto* bound = static_cast<AreaBound*>(user);
  const FT_Vector& from = bound->current;
  // The flattened curve stays inside the box of its control points.
  const double width = std::max({from.x, control1->x, control2->x, to->x}) -
                       std::min({from.x, control1->x, control2->x, to->x});
  const double height = std::max({from.y, control1->y, control2->y, to->y}) -
                        std::min({from.y, control1->y, control2->y, to->y});
  bound->slack += width * height;
  return AreaLineTo(to, user);
}

// The part of the outline plane where ink counts, in 26.6 units (y up,
// baseline at 0): columns 0 to min(width, 255), rows 0 to height - 1 of the
// surface. Empty (right <= left) without a cell.
struct InkRegion {
  FT_Pos left = 0, right = 0, bottom = 0, top = 0;
};

InkRegion ScannedRegion(const MeasuringContext& context, int advance) {
  const int width = std::clamp(advance, 0, kSurfaceSize);
  const int height = std::clamp(context.cellHeight, 0, kSurfaceSize);
  if (width == 0 || height == 0) return InkRegion{};
  InkRegion region;
  region.right = static_cast<FT_Pos>(std::min(width, kSurfaceSize - 1) + 1) * 64;
  region.top = static_cast<FT_Pos>(context.cellAscent) * 64;
  region.bottom = static_cast<FT_Pos>(context.cellAscent - height) * 64;
  return region;
}

// A shortcut that gives the verdict of the full drawing and scan without
// drawing, for the common glyph that lies wholly inside the scanned region:
// its ink is present if any pixel gets coverage. The coverages of the pixels
// of the outline's box sum to the outline's signed area (nonzero winding), so
// when that area, less what flattening the curves can take away, exceeds the
// box's pixel count times 8/256 of a pixel, some pixel is covered by more than
// 8/256 and the anti-aliased rasteriser gives it coverage. Everything else is
// drawn and scanned.
bool OutlineSurelyInked(const MeasuringContext& context, const FT_Outline& outline,
                        int advance) {
  if (outline.n_points == 0 || (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0) return false;
  const InkRegion region = ScannedRegion(context, advance);
  if (region.right <= region.left) return false;
  FT_BBox box;
  FT_Outline_Get_CBox(&outline, &box);
  if (box.xMin < region.left || box.xMax > region.right || box.yMax > region.top ||
      box.yMin < region.bottom) {
    return false;
  }

  AreaBound bound;
  FT_Outline_Funcs funcs{AreaMoveTo, AreaLineTo, AreaConicTo, AreaCubicTo, 0, 0};
  if (FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &funcs, &bound) != 0) return false;
  const double pixels = static_cast<double>(((box.xMax + 63) / 64 - box.xMin / 64)) *
                        static_cast<double>(((box.yMax + 63) / 64 - (box.yMin >> 6)));
  const double unitsPerPixel = 64.0 * 64.0;
  const double area = std::abs(bound.twiceArea) / 2 / unitsPerPixel;
  const double loss = bound.slack / unitsPerPixel + static_cast<double>(bound.segments) / 16 + 1;
  return area - loss >= pixels * 8 / 256;
}

FT_Pos FloorPixel(FT_Pos value) { return (value >= 0 ? value : value - 63) / 64; }
FT_Pos CeilPixel(FT_Pos value) { return -FloorPixel(-value); }

// At most how many pixel steps FreeType's rasteriser takes for the outline:
// the length of its control polygon in pixels (|dx| + |dy|; the rasteriser
// walks every line through every pixel it crosses, also outside the target)
// plus one per point.
uint64_t DrawingCost(const FT_Outline& outline) {
  uint64_t cost = static_cast<uint64_t>(std::max<int>(outline.n_points, 0));
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    if (last < first || last >= outline.n_points) break;
    for (int i = first; i <= last; ++i) {
      const FT_Vector& a = outline.points[i];
      const FT_Vector& b = outline.points[i == last ? first : i + 1];
      cost += static_cast<uint64_t>(std::abs(b.x - a.x) + std::abs(b.y - a.y)) / 64;
    }
    first = last + 1;
  }
  return cost;
}

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
  }
  FT_Outline_Done(context->library, &outline);
  return inked;
}

// Hinting is the dearest step of loading a glyph: FreeType runs the font's
// TrueType programs (or its CFF or automatic hinter) for every glyph, three
// times the work of loading the glyph unhinted. In real fonts it moves outline
// points by a pixel or so at most, vertically (FreeType keeps the horizontal
// positions of TrueType points), and the advance by less than a pixel. So a
// glyph with a point deep inside its ink, well inside the scanned region, has
// ink there hinted or not; such glyphs are judged from the unhinted outline,
// the others are loaded hinted and judged as before.
//
// Hinting programs could move points anywhere, so the shortcut is taken only
// for a font whose hinting, tried on a sample of its glyphs, moves no point
// and no advance further than the sample tolerance (and, by default, only when
// the sampled glyphs have programs long enough for hinting to cost more than
// the search; fonts without glyph programs, and CFF fonts, hint cheaply). A
// glyph judged unhinted must then have a point in the scanned region that
// stays inside the outline when every point moves by the sample tolerance plus
// a reserve for glyphs the sample missed (FindClearInteriorPoint), with a
// square of half a pixel around it. The pixel of that point gets at least a sixteenth of a pixel of coverage
// (unless a contour of the opposite direction overlaps that pixel, which fonts
// do not do).
constexpr FT_Int32 kHintedLoad = FT_LOAD_DEFAULT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
constexpr FT_Int32 kUnhintedLoad =
    FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
constexpr int kSampleGlyphs = 64;
// Bytes of TrueType instructions per sampled glyph, on average, from which
// hinting costs more than the search for a point deep inside the glyph.
constexpr FT_ULong kDearHintingBytes = 32;
// 26.6 units: a sixteenth of a pixel across, a pixel up or down.
constexpr Clearance kSampleTolerance{4, 64};
constexpr Clearance kReserve{4, 32};
constexpr FT_Pos kSampleAdvanceTolerance = 48;
constexpr FT_Pos kAdvanceReserve = 48;
constexpr FT_Pos kCoveredHalfSide = 16;
constexpr Clearance kUnhintedClearance{kSampleTolerance.x + kReserve.x + kCoveredHalfSide,
                                       kSampleTolerance.y + kReserve.y + kCoveredHalfSide};

struct LoadedShape {
  bool loaded = false;
  FT_Glyph_Format format = FT_GLYPH_FORMAT_NONE;
  FT_Pos advance = 0;
  FT_BBox box{};
  std::vector<FT_Vector> points;
};

LoadedShape LoadShape(FT_Face face, FT_UInt glyph, FT_Int32 flags) {
  LoadedShape shape;
  if (FT_Load_Glyph(face, glyph, flags) != 0) return shape;
  const FT_GlyphSlot slot = face->glyph;
  shape.loaded = true;
  shape.format = slot->format;
  shape.advance = slot->metrics.horiAdvance;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Get_CBox(&slot->outline, &shape.box);
    const int count = std::max<int>(slot->outline.n_points, 0);
    shape.points.assign(slot->outline.points, slot->outline.points + count);
  }
  return shape;
}

bool Near(FT_Pos a, FT_Pos b, FT_Pos tolerance) { return std::abs(a - b) <= tolerance; }

// Whether hinting moves the glyph's outline and advance within the sample
// tolerance. Outlines of different point counts (the CFF hinter may split
// curves) are compared by their boxes.
bool HintingMovesLittle(FT_Face face, FT_UInt glyph, FT_ULong* programBytes) {
  const LoadedShape plain = LoadShape(face, glyph, kUnhintedLoad);
  const LoadedShape hinted = LoadShape(face, glyph, kHintedLoad);
  // The glyph's TrueType instructions, which the hinted load ran.
  if (hinted.loaded) *programBytes += static_cast<FT_ULong>(std::max<FT_Long>(face->glyph->control_len, 0));
  if (plain.loaded != hinted.loaded || plain.format != hinted.format) return false;
  if (!plain.loaded) return true;
  if (!Near(plain.advance, hinted.advance, kSampleAdvanceTolerance)) return false;
  const FT_Pos tx = kSampleTolerance.x, ty = kSampleTolerance.y;
  if (!Near(plain.box.xMin, hinted.box.xMin, tx) || !Near(plain.box.xMax, hinted.box.xMax, tx) ||
      !Near(plain.box.yMin, hinted.box.yMin, ty) || !Near(plain.box.yMax, hinted.box.yMax, ty)) {
    return false;
  }
  if (plain.points.size() != hinted.points.size()) return true;
  for (size_t i = 0; i < plain.points.size(); ++i) {
    if (!Near(plain.points[i].x, hinted.points[i].x, tx) ||
        !Near(plain.points[i].y, hinted.points[i].y, ty)) {
      return false;
    }
  }
  return true;
}

// Whether the font may be judged from unhinted outlines: scalable outlines
// only (no bitmap strikes, which the hinted load would use), not a "tricky"
// font (whose hinting assembles the glyphs), and hinting that moves little on
// a sample of glyphs spread over the font.
bool HintingLooksTame(FT_Face face) {
  if (!FT_IS_SCALABLE(face) || FT_HAS_FIXED_SIZES(face) || FT_IS_TRICKY(face)) return false;
  const FT_Long glyphs = face->num_glyphs;
  if (glyphs <= 1) return false;
  const FT_Long samples = std::min<FT_Long>(glyphs - 1, kSampleGlyphs);
  FT_ULong programBytes = 0;
  for (FT_Long i = 0; i < samples; ++i) {
    const auto glyph = static_cast<FT_UInt>(1 + i * (glyphs - 1) / samples);
    if (!HintingMovesLittle(face, glyph, &programBytes)) return false;
  }
  return unhintedJudging == UnhintedJudging::kAlways ||
         programBytes >= kDearHintingBytes * static_cast<FT_ULong>(samples);
}

bool UnhintedSurelyInked(MeasuringContext* context, FT_UInt glyph) {
  if (unhintedJudging == UnhintedJudging::kOff) return false;
  if (context->unhinted == UnhintedShortcut::kUntested) {
    context->unhinted = HintingLooksTame(context->face) ? UnhintedShortcut::kAllowed
                                                        : UnhintedShortcut::kRefused;
  }
  if (context->unhinted != UnhintedShortcut::kAllowed) return false;
  FT_Face face = context->face;
  if (FT_Load_Glyph(face, glyph, kUnhintedLoad) != 0) return false;
  const FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  // The fewest whole pixels the hinted advance can round up to.
  const FT_Pos least = std::max<FT_Pos>(slot->metrics.horiAdvance - kSampleAdvanceTolerance - kAdvanceReserve, 0);
  const int advance = static_cast<int>(std::min<FT_Pos>((least + 63) / 64, kSurfaceSize));
  const InkRegion region = ScannedRegion(*context, advance);
  if (region.right <= region.left) return false;
  return FindClearInteriorPoint(slot->outline,
                                OutlineBox{region.left, region.right, region.bottom, region.top},
                                kUnhintedClearance, &context->scratch);
}

GlyphVerdict JudgeGlyph(MeasuringContext* context, FT_UInt glyph) {
  FT_Face face = context->face;
  if (UnhintedSurelyInked(context, glyph)) {
    ++context->unhintedVerdicts;
    return kInked;
  }
  if (FT_Load_Glyph(face, glyph, kHintedLoad) != 0) return kBlank;
  FT_GlyphSlot slot = face->glyph;
  // GDI's advance: the hinted advance rounded up to whole pixels.
  const int advance = static_cast<int>((std::max<FT_Pos>(slot->metrics.horiAdvance, 0) + 63) >> 6);
  if (inkShortcut && slot->format == FT_GLYPH_FORMAT_OUTLINE &&
      OutlineSurelyInked(*context, slot->outline, advance)) {
    return kInked;
  }
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    if (box.xMax - box.xMin > kLargestWholeOutline || box.yMax - box.yMin > kLargestWholeOutline) {
      return ClippedOutlineInked(context, slot, advance) ? kInked : kBlank;
    }
    const uint64_t cost = DrawingCost(slot->outline);
    if (cost > context->drawingBudget) return kBlank;
    context->drawingBudget -= cost;
  }
  if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
    return kBlank;
  }
  if (slot->bitmap.buffer == nullptr) return kBlank;  // nothing drawn at all
  return ScanFindsInk(*context, slot->bitmap, slot->bitmap_left,
                      context->cellAscent - slot->bitmap_top, advance)
             ? kInked
             : kBlank;
}

bool GlyphIsInked(MeasuringContext* context, FT_UInt glyph) {
  if (glyph >= context->verdicts.size()) return JudgeGlyph(context, glyph) == kInked;
  uint8_t& verdict = context->verdicts[glyph];
  if (verdict == kUnknown) verdict = JudgeGlyph(context, glyph);
  return verdict == kInked;
}

// The glyph to judge for the character at text[i], as on Windows one UTF-16
// unit at a time: a surrogate pair is decoded at its high unit and its low
// unit is then skipped (an unpaired surrogate is always missing). 0 when the
// character is not to be judged: unmapped, or mapped to the blank or default
// glyph.
FT_UInt GlyphToJudge(const MeasuringContext& context, const char16_t* text, size_t i) {
  const char16_t unit = text[i];
  FT_ULong codePoint = unit;
  if (IsHighSurrogate(unit)) {
    const char16_t next = text[i + 1];  // the terminator at the end of the text
    if (!IsLowSurrogate(next)) return 0;
    codePoint = 0x10000 + ((static_cast<FT_ULong>(unit) - 0xD800) << 10) + (next - 0xDC00);
  } else if (IsLowSurrogate(unit)) {
    return 0;  // unpaired (or the second half of a pair tested before)
  }
  const FT_UInt glyph = FT_Get_Char_Index(context.face, codePoint);
  if (glyph == context.blankGlyph || glyph == context.defaultGlyph) return 0;
  return glyph;
}

// The distinct cached glyphs the texts' characters lead to that have no
// verdict yet, in order of first appearance.
std::vector<FT_UInt> GlyphsNotYetJudged(const MeasuringContext& context,
                                        const std::vector<const char16_t*>& texts) {
  std::vector<FT_UInt> glyphs;
  std::vector<bool> listed(context.verdicts.size());
  for (const char16_t* text : texts) {
    for (size_t i = 0; text[i] != u'\0'; ++i) {
      const FT_UInt glyph = GlyphToJudge(context, text, i);
      if (glyph == 0 || glyph >= listed.size() || listed[glyph]) continue;
      listed[glyph] = true;
      if (context.verdicts[glyph] == kUnknown) glyphs.push_back(glyph);
    }
  }
  return glyphs;
}

// Judges glyphs[part], glyphs[part + parts], ... in `context`.
void JudgeEveryNth(MeasuringContext* context, const std::vector<FT_UInt>* glyphs, size_t part,
                   size_t parts) {
  for (size_t k = part; k < glyphs->size() && JobActive.load() != 0; k += parts) {
    GlyphIsInked(context, (*glyphs)[k]);
  }
}

// Moves the helpers' verdicts into `context`. A verdict depends only on the
// glyph as long as the drawing budget lasts, and every glyph costs the same
// wherever it is judged, so when the work of all contexts together fits the
// one budget, one context judging them all would have reached the same
// verdicts and spent the same. When it does not fit, every verdict is dropped
// and the glyphs are judged again one by one, as without threads.
void TakeVerdicts(MeasuringContext* context, uint64_t budgetBefore,
                  const std::vector<MeasuringContext*>& helpers) {
  uint64_t spent = budgetBefore - context->drawingBudget;
  for (const MeasuringContext* helper : helpers) spent += kDrawingBudget - helper->drawingBudget;
  if (spent > budgetBefore) {
    std::fill(context->verdicts.begin(), context->verdicts.end(), kUnknown);
    context->drawingBudget = kDrawingBudget;
    context->unhintedVerdicts = 0;
    return;
  }
  for (const MeasuringContext* helper : helpers) {
    for (size_t glyph = 0; glyph < context->verdicts.size(); ++glyph) {
      if (context->verdicts[glyph] == kUnknown) context->verdicts[glyph] = helper->verdicts[glyph];
    }
    context->unhintedVerdicts += helper->unhintedVerdicts;
  }
  context->drawingBudget = budgetBefore - spent;
}

}  // namespace

MeasuringContext* OpenMeasuringContext(WindowHandle /*dialog*/, MutableByteView image,
                                       const FaceName& /*faceName*/) {
  // The face name only picks the registered font on Windows; here the image
  // (already marked) is opened directly, its first face for a collection.
  if (image.data == nullptr || image.size == 0 ||
      image.size > static_cast<size_t>(INT32_MAX)) {
    return nullptr;
  }
  PrepareImageForMeasuring(image);
  char brokenTable[5];
  if (FindBrokenNeededTable(AsConst(image), 0, brokenTable)) return nullptr;
  return OpenFaceForMeasuring(AsConst(image), 0);
}

MeasuringContext* OpenFaceForMeasuring(ByteView image, uint32_t faceIndex) {
  // FreeType reads the image in place rather than from a copy: the caller
  // closes the context before the image's owner frees the image, and nothing
  // changes the image while it is open.
  if (image.data == nullptr || image.size == 0 ||
      image.size > static_cast<size_t>(INT32_MAX) || faceIndex > 0xFFFF) {
    return nullptr;
  }
  auto* context = new MeasuringContext;
  if (FT_Init_FreeType(&context->library) != 0) {
    context->library = nullptr;
    ReleaseContext(context);
    return nullptr;
  }
  if (FT_New_Memory_Face(context->library, image.data, static_cast<FT_Long>(image.size),
                         static_cast<FT_Long>(faceIndex), &context->face) != 0) {
    context->face = nullptr;
    ReleaseContext(context);
    return nullptr;
  }
  if (FT_Set_Pixel_Sizes(context->face, 0, kPixelsPerEm) != 0) {
    ReleaseContext(context);
    return nullptr;
  }
  ComputeCellMetrics(context);
  context->blankGlyph = FT_Get_Char_Index(context->face, 0x20);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(context->face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version >= 2 && os2->usDefaultChar != 0) {
    context->defaultGlyph = FT_Get_Char_Index(context->face, os2->usDefaultChar);
  }
  context->verdicts.assign(static_cast<size_t>(std::max<FT_Long>(context->face->num_glyphs, 0)),
                           kUnknown);
  return context;
}

void SetFreeTypeInkShortcut(bool enabled) { inkShortcut = enabled; }

void SetFreeTypeUnhintedJudging(UnhintedJudging mode) { unhintedJudging = mode; }

uint32_t CountUnhintedVerdicts(const MeasuringContext* context) {
  return context == nullptr ? 0 : context->unhintedVerdicts;
}

uint32_t CountPresentGlyphs(MeasuringContext* context, const char16_t* text) {
  if (JobActive.load() == 0) return 0;
  uint32_t count = 0;
  for (size_t i = 0; text[i] != u'\0'; ++i) {
    if (JobActive.load() == 0) break;
    const FT_UInt glyph = GlyphToJudge(*context, text, i);
    if (glyph != 0 && GlyphIsInked(context, glyph)) ++count;
  }
  return count;
}

void PrejudgeGlyphs(MeasuringContext* context, ByteView image, uint32_t faceIndex,
                    const std::vector<const char16_t*>& texts, unsigned threads) {
  if (context == nullptr || threads < 2) return;
  const std::vector<FT_UInt> glyphs = GlyphsNotYetJudged(*context, texts);
  if (glyphs.size() < 64 * size_t{threads}) return;  // not worth the threads
  // Each helper opens its own context on its own thread. A helper that cannot
  // open one leaves its share to this thread.
  const uint64_t budgetBefore = context->drawingBudget;
  std::vector<MeasuringContext*> helpers(threads - 1, nullptr);
  std::vector<std::thread> workers;
  for (size_t t = 1; t < threads; ++t) {
    workers.emplace_back([&, t] {
      helpers[t - 1] = OpenFaceForMeasuring(image, faceIndex);
      if (helpers[t - 1] != nullptr) JudgeEveryNth(helpers[t - 1], &glyphs, t, threads);
    });
  }
  JudgeEveryNth(context, &glyphs, 0, threads);
  for (std::thread& worker : workers) worker.join();
  helpers.erase(std::remove(helpers.begin(), helpers.end(), nullptr), helpers.end());
  TakeVerdicts(context, budgetBefore, helpers);
  for (MeasuringContext* helper : helpers) ReleaseContext(helper);
}

void CloseMeasuringContext(MeasuringContext* context) {
  if (context != nullptr) ReleaseContext(context);
}
