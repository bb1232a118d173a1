#include "fontio/font_image.h"

#include <new>
#include <utility>

#include "fontio/woff.h"
#include "fontio/woff2.h"

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

bool MakeFontImage(FontBytes fileBytes, FontImage* image, CollectionRule rule) {
  image->bytes.clear();
  if (fileBytes.size() > 0x7FFFFFFFu) return false;  // the image length is a signed 32-bit count
  const ByteView file{fileBytes.data(), fileBytes.size()};
  try {
    switch (DetectFontContainer(file, rule)) {
      case FontContainer::Sfnt:
      case FontContainer::Collection:
        image->bytes = std::move(fileBytes);
        return true;
      case FontContainer::Woff:
      case FontContainer::Woff2:
        return ConvertWebFont(file, DetectFontContainer(file, rule), image);
      case FontContainer::Refused:
        break;
    }
  } catch (const std::bad_alloc&) {
    image->bytes.clear();
  }
  return false;
}

bool ConvertWebFont(ByteView file, FontContainer container, FontImage* image,
                    bool* woff2Decoded) {
  image->bytes.clear();
  try {
    if (container == FontContainer::Woff) return MakeWoffImage(file, image);
    if (container == FontContainer::Woff2) {
      image->bytes = ConvertWoff2File(file, woff2Decoded);
      return true;
    }
  } catch (const std::bad_alloc&) {
    image->bytes.clear();
  }
  return false;
}
