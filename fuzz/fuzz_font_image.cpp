// Fuzz target: container detection and WOFF 1.0 conversion of arbitrary bytes.
//
// Checks, besides the sanitizers: a refused file yields an empty image; an sfnt
// or collection image is the file as read; a WOFF image is totalSfntSize bytes
// and never larger than the cap (a larger one is refused as too large); the
// size query and the conversion agree; the image, converted into fresh zeroed
// storage, equals the conversion into a dirty destination. The command's
// collection rule takes every file the dialog's takes, as the same container,
// with a refusal reason exactly when it refuses one; the container's short
// name is empty exactly for a refused file; a conversion asked of a file that
// is no web font is refused as such.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fontio/font_container.h"
#include "fontio/font_image.h"
#include "fontio/woff.h"

using namespace glyphcensus;

namespace {

// Converting into a huge destination only costs time here; the bounds logic
// is the same for every size, so larger WOFF images are converted into a
// destination of this size instead (shorter than the header asks for).
constexpr uint32_t kLargestFuzzedImage = 256u << 10;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The conversion into a destination filled with garbage first.
std::vector<uint8_t> CheckWoff(ByteView file) {
  const int32_t total = ConvertWoffToSfnt(file, kWoffSizeQuery, MutableByteView{});
  uint32_t header = 0;
  if (!ReadU32(file, 16, &header)) {
    Check(total == 0);
  } else {
    Check(header > 0x7FFFFFFFu ? total == -1 : total == static_cast<int32_t>(header));
  }
  // A destination of any size, also one shorter than totalSfntSize, is filled
  // within its bounds.
  const size_t size = total < 0 ? 64 : std::min<uint32_t>(static_cast<uint32_t>(total), kLargestFuzzedImage);
  std::vector<uint8_t> destination(size, 0xEE);
  Check(ConvertWoffToSfnt(file, kWoffConvert, MutableByteView{destination.data(), destination.size()}) ==
        total);
  return destination;
}

// The command's rule (any outlines) against the dialog's (`container`), and
// the container's short name.
void CheckRules(ByteView file, FontContainer container) {
  ContainerRefusal refusal = ContainerRefusal::kNone;
  const FontContainer taken = DetectFontContainer(file, CollectionRule::kAnyOutlines, &refusal);
  Check((taken == FontContainer::kRefused) == (refusal != ContainerRefusal::kNone));
  Check(container == FontContainer::kRefused || taken == container);
  const std::string name = ContainerName(taken, file);
  Check(name.empty() == (taken == FontContainer::kRefused));
  if (taken == FontContainer::kWoff || taken == FontContainer::kWoff2) return;
  FontImage image;
  image.bytes.assign(3, 0xAB);
  Check(!ConvertWebFont(file, taken, &image, &refusal) && refusal == ContainerRefusal::kNotWebFont &&
        image.bytes.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteView file{data, size};
  const FontContainer container = DetectFontContainer(file);
  CheckRules(file, container);
  std::vector<uint8_t> converted;
  if (container == FontContainer::kWoff) {
    converted = CheckWoff(file);
    uint32_t total = 0;
    ReadU32(file, 16, &total);
    // Above the cap, the image is refused before any memory is taken for it.
    if (total > kLargestFuzzedImage && total <= kMaxConvertedImageSize) return 0;
  }
  if (container == FontContainer::kWoff2) return 0;  // fuzz_woff2 covers the WOFF2 decoder

  FontImage image;
  image.bytes.assign(3, 0xAB);  // a previous image must not survive
  ContainerRefusal refusal = ContainerRefusal::kNone;
  const bool made = MakeFontImage(FontBytes(data, data + size), &image, CollectionRule::kFirstFontTrueType,
                                  &refusal);
  Check(made == (refusal == ContainerRefusal::kNone));
  switch (container) {
    case FontContainer::kRefused:
      Check(!made && image.bytes.empty());
      break;
    case FontContainer::kSfnt:
    case FontContainer::kCollection:
      Check(made && image.bytes.size() == size && (size == 0 || std::memcmp(image.bytes.data(), data, size) == 0));
      break;
    case FontContainer::kWoff: {
      uint32_t total = 0;
      ReadU32(file, 16, &total);
      Check(made == (total <= kMaxConvertedImageSize));
      Check(made || refusal == ContainerRefusal::kConvertedTooLarge);
      Check(made ? image.bytes.size() == total : image.bytes.empty());
      Check(!made || total != converted.size() ||
            std::equal(converted.begin(), converted.end(), image.bytes.begin()));
      break;
    }
    case FontContainer::kWoff2:
      break;
  }
  return 0;
}
