#pragma once
// The font image: one contiguous, writable block holding a complete sfnt font or
// a whole TrueType collection, made from the bytes of one font file.
#include <cstdint>
#include <vector>

#include "fontio/big_endian_reader.h"

struct FontImage {
  std::vector<uint8_t> bytes;  // its length always fits a signed 32-bit count
};

inline MutableByteView ImageBytes(FontImage& image) {
  return MutableByteView{image.bytes.data(), image.bytes.size()};
}

enum class FontContainer { Sfnt, Collection, Woff, Woff2, Refused };

// The container signature rules: the first four bytes as text up to the first
// zero byte, ASCII case ignored, compared with "ttcf", "wOFF", "wOF2" in that
// order, then the version, flavor or first-font checks. A file too short for the
// bytes its rule reads is Refused.
FontContainer DetectFontContainer(ByteView file);

// Turns the bytes of a font file into its image: sfnt and collections as read,
// WOFF 1.0 and WOFF2 converted. False when the file is refused (unrecognised
// container, or a size the converters will not take); the image is then empty.
bool MakeFontImage(std::vector<uint8_t> fileBytes, FontImage* image);
