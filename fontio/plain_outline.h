#pragma once
// One glyph's outline as plain data, with no font engine's types: what the
// TrueType glyph reader fills (in font units) and the point search reads.
#include <cstdint>
#include <vector>

namespace glyphcensus {

struct OutlinePoint {
  int32_t x = 0, y = 0;
};

// The values equal FreeType's FT_CURVE_TAG_ON, _CONIC and _CUBIC.
enum PointKind : uint8_t { kOnCurve = 1, kQuadraticControl = 0, kCubicControl = 2 };

struct PlainOutline {
  std::vector<OutlinePoint> points;
  std::vector<uint8_t> kinds;         // a PointKind per point
  std::vector<uint16_t> contourEnds;  // the index of the last point of each contour
  int32_t advance = 0;                // horizontal advance, font units
};

}  // namespace glyphcensus
