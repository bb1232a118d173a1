#include "fontio/font_image.h"

#include <new>
#include <utility>

#include "fontio/woff.h"
#include "fontio/woff2.h"

namespace glyphcensus {

namespace {

bool MakeWoffImage(ByteView woff, FontImage* image) {
  const int32_t size = ConvertWoffToSfnt(woff, kWoffSizeQuery, MutableByteView{});
  if (size < 0 || static_cast<uint32_t>(size) > kMaxConvertedImageSize) return false;
  // Fresh zeroed storage: the converter need not clear it, and pages that no
  // table reaches are never touched.
  image->bytes = FontBytes(static_cast<size_t>(size));
  WriteWoffTables(woff, ImageBytes(*image));
  return true;
}

}  // namespace

bool MakeFontImage(FontBytes fileBytes, FontImage* image, CollectionRule rule,
                   ContainerRefusal* refusal) {
  ContainerRefusal ignored = ContainerRefusal::kNone;
  ContainerRefusal& why = refusal != nullptr ? *refusal : ignored;
  image->bytes.clear();
  if (fileBytes.size() > 0x7FFFFFFFu) {  // the image length is a signed 32-bit count
    why = ContainerRefusal::kFileTooLarge;
    return false;
  }
  const ByteView file{fileBytes.data(), fileBytes.size()};
  try {
    const FontContainer container = DetectFontContainer(file, rule, &why);
    switch (container) {
      case FontContainer::kSfnt:
      case FontContainer::kCollection:
        image->bytes = std::move(fileBytes);
        return true;
      case FontContainer::kWoff:
      case FontContainer::kWoff2:
        return ConvertWebFont(file, container, image, &why);
      case FontContainer::kRefused:
        break;
    }
  } catch (const std::bad_alloc&) {
    image->bytes.clear();
    why = ContainerRefusal::kNoMemory;
  }
  return false;
}

bool ConvertWebFont(ByteView file, FontContainer container, FontImage* image,
                    ContainerRefusal* refusal, Woff2Decoding* woff2Decoding) {
  ContainerRefusal ignored = ContainerRefusal::kNone;
  ContainerRefusal& why = refusal != nullptr ? *refusal : ignored;
  why = ContainerRefusal::kNone;
  image->bytes.clear();
  try {
    if (container == FontContainer::kWoff) {
      if (MakeWoffImage(file, image)) return true;
      why = ContainerRefusal::kConvertedTooLarge;
      return false;
    }
    if (container == FontContainer::kWoff2) {
      image->bytes = ConvertWoff2File(file, woff2Decoding);
      return true;
    }
    why = ContainerRefusal::kNotWebFont;
  } catch (const std::bad_alloc&) {
    image->bytes.clear();
    why = ContainerRefusal::kNoMemory;
  }
  return false;
}

}  // namespace glyphcensus
