// Glyph outlines as SVG path data, read with FreeType in font units and
// scaled into the map's cell: the em fills the cell, the baseline stands where
// the face's ascender and descender put it, and the advance is centred.
#include "coverage/map/glyph_outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "coverage/presence/face_opening_freetype.h"

namespace glyphcensus {

namespace {

// Outlines with more points than this are not written: no real glyph comes
// near it, and a hostile one could otherwise make a path of megabytes.
constexpr short kMostPoints = 4000;
// Path text allowed for all glyphs of one map together.
constexpr size_t kPathBudget = 24u * 1024 * 1024;

struct Placement {
  double scale = 1;    // cell units per font unit
  double originX = 0;  // cell position of the glyph origin
  double baseline = 0;
  int32_t limit = 0;   // coordinates are clamped to [-limit, 2 * limit]
};

// Writes the path as it is decomposed: absolute moves, relative segments,
// the command letter only when it changes. Subpaths are left open: filling
// closes them.
struct PathWriter {
  const Placement* place;
  std::string* out;
  long x = 0, y = 0;  // the current point, in whole cell units
  char command = 0;
  // The control point of the last curve, when the last segment was a curve;
  // TrueType's runs of off-curve points make curves whose control points
  // mirror each other, written with the shorter smooth command.
  bool afterCurve = false;
  long controlX = 0, controlY = 0;
  // A line not yet written, so that the next collinear one extends it and a
  // last one back to the subpath's start is left out (filling closes it).
  long lineX = 0, lineY = 0;  // its end; the current point is its start
  bool lineHeld = false;
  long startX = 0, startY = 0;  // the subpath's first point
};

long Clamp(double value, int32_t limit) {
  return std::lround(std::clamp(value, -static_cast<double>(limit), 2.0 * limit));
}

long CellX(const PathWriter& w, FT_Pos x) {
  return Clamp(w.place->originX + static_cast<double>(x) * w.place->scale, w.place->limit);
}

long CellY(const PathWriter& w, FT_Pos y) {
  return Clamp(w.place->baseline - static_cast<double>(y) * w.place->scale, w.place->limit);
}

// Writes the command (when it changes) and its numbers, each number with a
// separator only where it would run into the one before.
void Segment(PathWriter* w, char command, std::initializer_list<long> values, long x, long y) {
  bool first = w->command != command;
  if (first) w->out->push_back(command);
  w->command = command;
  for (long value : values) {
    if (!first && value >= 0) w->out->push_back(' ');
    w->out->append(std::to_string(value));
    first = false;
  }
  w->x = x;
  w->y = y;
  w->afterCurve = false;
}

// Twice the area of the triangle (a, b, c): with |c - a|, how far b lies off
// the line through a and c.
long TwiceArea(long ax, long ay, long bx, long by, long cx, long cy) {
  return std::labs((bx - ax) * (cy - ay) - (by - ay) * (cx - ax));
}

// Whether a control point lies within a unit of the chord from the current
// point (the end of a held line), so the curve is a line at this scale.
bool NearChord(const PathWriter& w, long bx, long by, long x, long y) {
  const long fromX = w.lineHeld ? w.lineX : w.x, fromY = w.lineHeld ? w.lineY : w.y;
  const long area = TwiceArea(fromX, fromY, bx, by, x, y);
  const long length = std::labs(x - fromX) + std::labs(y - fromY);
  return area <= length;
}

void WriteLine(PathWriter* w, long x, long y) {
  if (y == w->y) {
    Segment(w, 'h', {x - w->x}, x, y);
  } else if (x == w->x) {
    Segment(w, 'v', {y - w->y}, x, y);
  } else {
    Segment(w, 'l', {x - w->x, y - w->y}, x, y);
  }
}

// Writes the held line, if any.
void FlushLine(PathWriter* w) {
  if (w->lineHeld) WriteLine(w, w->lineX, w->lineY);
  w->lineHeld = false;
}

// Ends a subpath: a held line back to its start is not needed.
void EndSubpath(PathWriter* w) {
  if (w->lineHeld && w->lineX == w->startX && w->lineY == w->startY) w->lineHeld = false;
  FlushLine(w);
}

void LineTo(PathWriter* w, long x, long y) {
  const long fromX = w->lineHeld ? w->lineX : w->x, fromY = w->lineHeld ? w->lineY : w->y;
  if (x == fromX && y == fromY) return;
  if (w->lineHeld) {
    // The same direction as the held line: one line from its start.
    const long ax = w->lineX - w->x, ay = w->lineY - w->y, bx = x - fromX, by = y - fromY;
    if (ax * by - ay * bx != 0 || ax * bx + ay * by <= 0) FlushLine(w);
  }
  w->lineX = x;
  w->lineY = y;
  w->lineHeld = true;
}

int MoveTo(const FT_Vector* to, void* user) {
  auto* w = static_cast<PathWriter*>(user);
  EndSubpath(w);
  w->command = 0;
  const long x = CellX(*w, to->x), y = CellY(*w, to->y);
  Segment(w, 'M', {x, y}, x, y);
  w->startX = x;
  w->startY = y;
  w->command = 0;  // pairs after M would be absolute: name the next command
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  auto* w = static_cast<PathWriter*>(user);
  LineTo(w, CellX(*w, to->x), CellY(*w, to->y));
  return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* w = static_cast<PathWriter*>(user);
  const long cx = CellX(*w, control->x), cy = CellY(*w, control->y);
  const long x = CellX(*w, to->x), y = CellY(*w, to->y);
  if (NearChord(*w, cx, cy, x, y)) {
    LineTo(w, x, y);
    return 0;
  }
  FlushLine(w);
  // The mirror of the last control point, off by at most a unit: smooth.
  const long mirrorX = 2 * w->x - w->controlX, mirrorY = 2 * w->y - w->controlY;
  const bool smooth = w->afterCurve && std::labs(mirrorX - cx) <= 1 && std::labs(mirrorY - cy) <= 1;
  const long startX = w->x, startY = w->y;
  if (smooth) {
    Segment(w, 't', {x - startX, y - startY}, x, y);
    w->controlX = mirrorX, w->controlY = mirrorY;
  } else {
    Segment(w, 'q', {cx - startX, cy - startY, x - startX, y - startY}, x, y);
    w->controlX = cx, w->controlY = cy;
  }
  w->afterCurve = true;
  return 0;
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
            void* user) {
  auto* w = static_cast<PathWriter*>(user);
  const long ax = CellX(*w, control1->x), ay = CellY(*w, control1->y);
  const long bx = CellX(*w, control2->x), by = CellY(*w, control2->y);
  const long x = CellX(*w, to->x), y = CellY(*w, to->y);
  if (NearChord(*w, ax, ay, x, y) && NearChord(*w, bx, by, x, y)) {
    LineTo(w, x, y);
    return 0;
  }
  FlushLine(w);
  const long startX = w->x, startY = w->y;
  Segment(w, 'c', {ax - startX, ay - startY, bx - startX, by - startY, x - startX, y - startY},
          x, y);
  return 0;
}

}  // namespace

struct GlyphOutlines {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int32_t cellUnits = 0;
  double scale = 1;
  double baseline = 0;
  size_t budget = kPathBudget;
};

GlyphOutlines* OpenGlyphOutlines(ByteView image, uint32_t faceIndex, int32_t cellUnits) {
  if (cellUnits <= 0 || cellUnits > 4096) return nullptr;
  OpenedFace opened;
  if (!OpenFreeTypeFace(image, faceIndex, &opened)) return nullptr;
  auto* outlines = new GlyphOutlines;
  outlines->library = opened.library;
  outlines->face = opened.face;
  FT_Face face = outlines->face;
  outlines->cellUnits = cellUnits;
  outlines->scale = static_cast<double>(cellUnits) / std::max<FT_UShort>(face->units_per_EM, 16);
  // The baseline divides the cell as ascender and descender divide their sum
  // (CJK faces put about an eighth of the em below it).
  const double ascender = std::max<FT_Short>(face->ascender, 0);
  const double descender = std::max(-static_cast<double>(face->descender), 0.0);
  const double share = ascender + descender > 0 ? ascender / (ascender + descender) : 0.88;
  outlines->baseline = cellUnits * std::clamp(share, 0.5, 1.0);
  return outlines;
}

uint32_t GlyphForCharacter(GlyphOutlines* outlines, char32_t codePoint) {
  return CharacterGlyph(outlines->face, codePoint);
}

bool GlyphPathData(GlyphOutlines* outlines, uint32_t glyph, std::string* path) {
  path->clear();
  FT_Face face = outlines->face;
  if (outlines->budget == 0 ||
      FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) {
    return false;
  }
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_points <= 0 ||
      slot->outline.n_points > kMostPoints) {
    return false;
  }
  Placement place;
  place.scale = outlines->scale;
  place.baseline = outlines->baseline;
  place.limit = outlines->cellUnits;
  // Centre the advance in the cell; a glyph wider than the em starts at 0.
  const double advance = static_cast<double>(slot->metrics.horiAdvance) * place.scale;
  place.originX = std::clamp((outlines->cellUnits - advance) / 2, 0.0,
                             static_cast<double>(outlines->cellUnits));
  PathWriter writer{&place, path};
  FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  const bool failed = FT_Outline_Decompose(&slot->outline, &funcs, &writer) != 0;
  EndSubpath(&writer);
  if (failed || path->empty()) {
    path->clear();
    return false;
  }
  if (path->size() > outlines->budget) {
    outlines->budget = 0;
    path->clear();
    return false;
  }
  outlines->budget -= path->size();
  return true;
}

void CloseGlyphOutlines(GlyphOutlines* outlines) {
  if (outlines == nullptr) return;
  OpenedFace opened{outlines->library, outlines->face};
  CloseFreeTypeFace(&opened);
  delete outlines;
}

}  // namespace glyphcensus
