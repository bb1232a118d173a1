// Fuzz target: the covered pixel test against FreeType's drawing on
// arbitrary outlines (lines, conics, cubics, contours of any winding, the
// overlap and even-odd flags). Whenever the test says a pixel of the region
// is covered, the drawing must give a pixel of the region coverage 255
// (abort otherwise).
//
// Input: 1 byte of flags (bit 0 overlap, bit 1 even-odd, bits 2-7 the
// region's size in pixels), then per point 3 bytes: x and y (0 to 255 in
// 26.6, so the outline spans 4 pixels and lands on pixel edges often) and a
// byte whose low 2 bits give the point's kind (on, conic, cubic) and whose top
// bit ends a contour.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/coverage/covered_pixel_check_freetype.h"

using namespace glyphcensus;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    if (FT_Init_FreeType(&made) != 0) std::abort();
    return made;
  }();
  if (size < 4) return 0;
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> contours;
  for (size_t at = 1; at + 3 <= size && points.size() < 1000; at += 3) {
    points.push_back(FT_Vector{data[at] - 32, data[at + 1] - 32});
    const int kind = data[at + 2] & 3;
    tags.push_back(kind == 1 ? FT_CURVE_TAG_CONIC : kind == 2 ? FT_CURVE_TAG_CUBIC : FT_CURVE_TAG_ON);
    if (data[at + 2] & 0x80) contours.push_back(static_cast<short>(points.size() - 1));
  }
  if (points.empty()) return 0;
  if (contours.empty() || contours.back() != static_cast<short>(points.size() - 1)) {
    contours.push_back(static_cast<short>(points.size() - 1));
  }
  FT_Outline outline{};
  outline.n_points = static_cast<short>(points.size());
  outline.n_contours = static_cast<short>(contours.size());
  outline.points = points.data();
  outline.tags = tags.data();
  outline.contours = contours.data();
  outline.flags = (data[0] & 1 ? FT_OUTLINE_OVERLAP : 0) | (data[0] & 2 ? FT_OUTLINE_EVEN_ODD_FILL : 0);
  const FT_Pos extent = 64 * (1 + (data[0] >> 2) % 5);
  const FT_BBox region{-64, -64, extent - 64, extent - 64};
  static CoveredPixelScratch scratch;
  if (!CoveredPixelAgreesWithDrawing(library, outline, region, &scratch)) std::abort();
  return 0;
}
