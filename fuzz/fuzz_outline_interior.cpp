// Fuzz target: the search for a point deep inside a glyph outline, on
// arbitrary outlines (any kinds, contour ends out of order, coordinates up to
// 32 bits), boxes and clearances. The search must neither crash nor overflow
// (UndefinedBehaviorSanitizer), and must find nothing in an empty box.
//
// Input: 4 bytes of box and clearance scale, then per point 9 bytes (x and y,
// 32 bits each, and a kind byte whose top bit ends a contour).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "coverage/geometry/outline_interior.h"

using namespace glyphcensus;

namespace {

int32_t ReadInt32(const uint8_t* data) {
  uint32_t value;
  std::memcpy(&value, data, sizeof value);
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  // Small coordinates most of the time, so that shapes have insides; the
  // top bits of the first byte let some inputs use all 32 bits.
  const int shift = data[0] & 0x80 ? 0 : 20;
  const OutlineBox box{-int64_t{data[1]} * 16, int64_t{data[2]} * 16 + 1, -int64_t{data[3]} * 16,
                       int64_t{data[0] & 0x7F} * 16 + 1};
  const Clearance clearance{1 + (data[1] & 0x0F), 1 + (data[2] & 0x1F)};
  PlainOutline outline;
  for (size_t at = 4; at + 9 <= size && outline.points.size() < 4096; at += 9) {
    outline.points.push_back(OutlinePoint{ReadInt32(data + at) >> shift,
                                          ReadInt32(data + at + 4) >> shift});
    outline.kinds.push_back(data[at + 8] & 0x7F);
    if (data[at + 8] & 0x80) outline.contourEnds.push_back(static_cast<uint16_t>(outline.points.size() - 1));
  }
  if (!outline.points.empty() && size % 2 == 1) {
    outline.contourEnds.push_back(static_cast<uint16_t>(outline.points.size() - 1));
  }
  InteriorScratch scratch;
  FindClearInteriorPoint(outline, box, clearance, &scratch);
  // A box narrower than the area around a point holds no clear point.
  const OutlineBox narrow{box.left, box.left + 2 * clearance.x - 1, box.bottom, box.top};
  if (FindClearInteriorPoint(outline, narrow, clearance, &scratch)) std::abort();
  return 0;
}
