// Fuzz target: the coverage map on arbitrary bytes: the image, the face name,
// the presence test of every cell, the glyph outlines as SVG paths. Images
// above 4 MiB are skipped. Checks: the map is written whenever the outlines
// open, it starts as an SVG document and ends it, and it stays under the
// bound the path budget and the cells give.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cli/render_svg_map.h"
#include "coverage/job_active.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"

namespace {

constexpr size_t kLargestImage = 4u << 20;
// Paths (24 MiB at most) and cells (about 25,000, each well under 512 bytes).
constexpr size_t kLargestMap = (24u << 20) + (16u << 20);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t total = 0;
  const ByteView file{data, size};
  if (DetectFontContainer(file) == FontContainer::Woff && ReadU32(file, 16, &total) && total > kLargestImage) {
    return 0;
  }
  FontImage image;
  if (!MakeFontImage(FontBytes(data, data + size), &image) || image.bytes.size() > kLargestImage) {
    return 0;
  }
  FaceName name;
  if (!ReadFaceName(ImageBytes(image), &name)) return 0;
  MeasuringContext* context = OpenMeasuringContext(nullptr, ImageBytes(image), name);
  if (context == nullptr) return 0;
  JobActive.store(1);
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
