#pragma once
// Shared by the fuzz targets that measure: the fuzzed bytes made into an image
// and opened for the glyph presence test, as the font job does.
#include <cstddef>
#include <cstdint>

#include "coverage/presence/glyph_presence.h"
#include "coverage/presence/stop_token.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"

using namespace glyphcensus;

// Opens the image made of the input, or null. Images larger than
// `largestImage` (WOFF files say how large up front) are skipped: they only
// cost time.
inline MeasuringContext* OpenFuzzedFont(const uint8_t* data, size_t size, size_t largestImage,
                                        FontImage* image, const StopToken* stop = nullptr) {
  uint32_t total = 0;
  const ByteView file{data, size};
  if (DetectFontContainer(file) == FontContainer::kWoff && ReadU32(file, 16, &total) &&
      total > largestImage) {
    return nullptr;
  }
  if (!MakeFontImage(FontBytes(data, data + size), image) || image->bytes.size() > largestImage) {
    return nullptr;
  }
  FaceName name;
  if (!ReadFaceName(ImageBytes(*image), &name)) return nullptr;
  MeasuringContext* context = OpenMeasuringContext(ImageBytes(*image), name, stop);
  return context;
}
