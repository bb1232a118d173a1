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

using namespace glyphcensus;

namespace {

// Output buffers of up to 30 MiB make each run slow without reaching other
// code: totalSfntSize is folded below this (the cap itself has unit tests).
constexpr uint32_t kLargestFuzzedTotal = 1u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  std::vector<uint8_t> bytes(input, input + size);
  uint32_t total = 0;
  if (ReadU32(ByteView{bytes.data(), bytes.size()}, 16, &total) && total > kLargestFuzzedTotal) {
    WriteU32(MutableByteView{bytes.data(), bytes.size()}, 16, total % kLargestFuzzedTotal);
  }
  const uint8_t* data = bytes.data();
  const ByteView file{data, size};
  const FontBytes image = ConvertWoff2File(file);
  if (image.size() < Woff2FinalSize(file) || image.size() > kWoff2MaxImageSize) std::abort();
  // The same image through the font job's entry (skipped for large images: it
  // only repeats the conversion).
  if (DetectFontContainer(file) == FontContainer::kWoff2 && image.size() <= (1u << 20)) {
    FontImage made;
    if (!MakeFontImage(FontBytes(data, data + size), &made) || made.bytes != image) std::abort();
  }
  return 0;
}
