#pragma once
// WOFF2 to sfnt conversion, by the woff2 decoder library.
#include <cstdint>

#include "fontio/big_endian_reader.h"
#include "fontio/font_bytes.h"

namespace glyphcensus {

// The largest WOFF2 image: the decoder's default output limit (30 MiB).
constexpr uint32_t kWoff2MaxImageSize = 31457280;

// The size the output buffer starts with: totalSfntSize (byte 16) capped at
// kWoff2MaxImageSize, or 0 when the file is shorter than 20 bytes.
uint32_t Woff2FinalSize(ByteView woff2);

// What the decoder made of a WOFF2 file.
enum class Woff2Decoding : uint8_t {
  kDecoded,          // it took the file
  kRefused,          // it refused the file's data
  kPastSizeLimit,    // it refused a write past kWoff2MaxImageSize: the font is larger
};

// Converts the bytes of a WOFF2 file. Never refuses: the image is the decoder's
// output buffer, which starts as Woff2FinalSize zero bytes, whatever the
// decoder's outcome (possibly empty, partly written, or all zero). `decoding`,
// when given, says whether the decoder took the file, and if not, why.
FontBytes ConvertWoff2File(ByteView woff2, Woff2Decoding* decoding = nullptr);

}  // namespace glyphcensus
