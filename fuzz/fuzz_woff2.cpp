// Fuzz target: WOFF2 conversion of arbitrary bytes by the woff2 decoder.
//
// Checks, besides the sanitizers: the image is at least the final size from the
// header and never above the decoder's 30 MiB limit, and the converter never
// refuses a file that the container rules accept.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fontio/font_image.h"
#include "fontio/woff2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteView file{data, size};
  const std::vector<uint8_t> image = ConvertWoff2File(file);
  if (image.size() < Woff2FinalSize(file) || image.size() > kWoff2MaxImageSize) std::abort();
  // The same image through the font job's entry (skipped for large images: it
  // only repeats the conversion).
  if (DetectFontContainer(file) == FontContainer::Woff2 && image.size() <= (1u << 20)) {
    FontImage made;
    if (!MakeFontImage(std::vector<uint8_t>(data, data + size), &made) || made.bytes != image) std::abort();
  }
  return 0;
}
