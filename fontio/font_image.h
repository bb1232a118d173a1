#pragma once
// The font image: one contiguous, writable block holding a complete sfnt font or
// a whole TrueType collection, made from the bytes of one font file.
#include <cstdint>

#include "fontio/big_endian_reader.h"
#include "fontio/font_bytes.h"
#include "fontio/font_container.h"
#include "fontio/woff2.h"

namespace glyphcensus {

struct FontImage {
  FontBytes bytes;  // its length always fits a signed 32-bit count
};

inline MutableByteView ImageBytes(FontImage& image) {
  return MutableByteView{image.bytes.data(), image.bytes.size()};
}

// Upper bound of a converted WOFF 1.0 image; larger totalSfntSize values are
// refused, which also bounds the memory one conversion takes. (WOFF2 images are
// capped lower, by the decoder's limit.)
constexpr uint32_t kMaxConvertedImageSize = 256u * 1024 * 1024;

// Turns the bytes of a font file into its image: sfnt and collections as read,
// WOFF 1.0 and WOFF2 converted. False when the file is refused: an unrecognised
// container, a file of 2 GiB or more, a WOFF totalSfntSize above
// kMaxConvertedImageSize, or memory that cannot be had. The image is then empty.
// `refusal`, when given, receives why (ContainerRefusal::kNone when made).
bool MakeFontImage(FontBytes fileBytes, FontImage* image,
                   CollectionRule rule = CollectionRule::kFirstFontTrueType,
                   ContainerRefusal* refusal = nullptr);

// The conversion half of MakeFontImage, for a WOFF or WOFF2 file that stays
// where it is: false for any other container (kNotWebFont), a WOFF
// totalSfntSize above kMaxConvertedImageSize (kConvertedTooLarge), or memory
// that cannot be had (kNoMemory). `refusal`, when given, receives why.
// `woff2Decoding`, when given, receives the WOFF2 decoder's outcome (when it
// refused the file, the image is its buffer as the decoder left it); it is left
// alone for other containers.
bool ConvertWebFont(ByteView file, FontContainer container, FontImage* image,
                    ContainerRefusal* refusal = nullptr, Woff2Decoding* woff2Decoding = nullptr);

}  // namespace glyphcensus
