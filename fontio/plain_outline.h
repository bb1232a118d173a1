#pragma once
// A glyph outline as plain data: what a glyph reader fills and the point
// search reads, with no font engine's types.
#include <cstdint>
#include <vector>

struct OutlinePoint {
  int32_t x = 0, y = 0;
};

// The values equal FreeType's curve tags (FT_CURVE_TAG_ON, _CONIC, _CUBIC).
enum PointKind : uint8_t { kQuadraticControl = 0, kOnCurve = 1, kCubicControl = 2 };

struct PlainOutline {
  std::vector<OutlinePoint> points;
  std::vector<uint8_t> kinds;         // a PointKind per point
  std::vector<uint16_t> contourEnds;  // the last point of each contour
  int32_t advance = 0;                // horizontal advance, font units
};
