#include "coverage/geometry/plain_outline_freetype.h"

#include <cstdint>

namespace glyphcensus {

bool ReadFreeTypeOutline(const FT_Outline& from, PlainOutline* to) {
  if (from.n_points <= 0 || from.n_contours <= 0 || (from.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0) {
    return false;
  }
  const auto points = static_cast<size_t>(from.n_points);
  to->points.resize(points);
  to->kinds.resize(points);
  for (size_t i = 0; i < points; ++i) {
    const FT_Vector& point = from.points[i];
    if (point.x < INT32_MIN || point.x > INT32_MAX || point.y < INT32_MIN || point.y > INT32_MAX) {
      return false;
    }
    to->points[i] = OutlinePoint{static_cast<int32_t>(point.x), static_cast<int32_t>(point.y)};
    to->kinds[i] = static_cast<uint8_t>(FT_CURVE_TAG(from.tags[i]));
  }
  to->contourEnds.resize(static_cast<size_t>(from.n_contours));
  for (size_t c = 0; c < to->contourEnds.size(); ++c) {
    if (from.contours[c] < 0) return false;
    to->contourEnds[c] = static_cast<uint16_t>(from.contours[c]);
  }
  return true;
}

}  // namespace glyphcensus
