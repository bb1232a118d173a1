#pragma once
// WOFF2 to sfnt conversion, by the woff2 decoder library.
#include <cstdint>

#include "fontio/big_endian_reader.h"
#include "fontio/font_bytes.h"

// The largest WOFF2 image: the decoder's default output limit (30 MiB).
constexpr uint32_t kWoff2MaxImageSize = 31457280;

// The size the output buffer starts with: totalSfntSize (byte 16) capped at
// kWoff2MaxImageSize, or 0 when the file is shorter than 20 bytes.
uint32_t Woff2FinalSize(ByteView woff2);

// Converts the bytes of a WOFF2 file. Never refuses: the image is the decoder's
// output buffer, which starts as Woff2FinalSize zero bytes, whatever the
// decoder's outcome (possibly empty, partly written, or all zero). `decoded`,
// when given, says whether the decoder took the file.
FontBytes ConvertWoff2File(ByteView woff2, bool* decoded = nullptr);
