// Fuzz target: the coverage map on arbitrary bytes: the image, the face name,
// the presence test of every cell, the glyph outlines as SVG paths. Images
// above 4 MiB are skipped. Checks: the map is written whenever the outlines
// open, it starts as an SVG document and ends it, and it stays under the
// bound the path budget and the cells give.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "coverage/map/map_svg.h"
#include "coverage/presence/stop_token.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"
#include "fuzz/fuzz_measuring.h"

using namespace glyphcensus;

namespace {

constexpr size_t kLargestImage = 4u << 20;
// Paths (24 MiB at most) and cells (about 25,000, each well under 512 bytes).
constexpr size_t kLargestMap = (24u << 20) + (16u << 20);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FontImage image;
  MeasuringContext* context = OpenFuzzedFont(data, size, kLargestImage, &image);
  if (context == nullptr) return 0;
  MapInput input;
  input.familyName = std::string(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
  input.reportLines = {"\xE8\x8B\xB1\xE5\xAD\x97"};
  input.image = AsConst(ImageBytes(image));
  input.context = context;
  std::string svg;
  if (WriteCoverageMapSvg(input, &svg)) {
    if (svg.rfind("<?xml", 0) != 0 || svg.size() > kLargestMap ||
        svg.compare(svg.size() - 7, 7, "</svg>\n") != 0) {
      std::abort();
    }
  }
  CloseMeasuringContext(context);
  return 0;
}
