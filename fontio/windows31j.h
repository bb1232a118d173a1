#pragma once
// Windows-31J (code page 932) to UTF-16 without the C library: for the builds
// whose C library has no converter for it (WebAssembly). Decodes what glibc's
// CP932 converter decodes.
#include "fontio/face_name.h"

namespace glyphcensus {

constexpr int kWindows31JLeads = 60;    // lead bytes 81-9F and E0-FC
constexpr int kWindows31JTrails = 189;  // trail bytes 40-FC
extern const char16_t kWindows31JDoubleBytes[kWindows31JLeads][kWindows31JTrails];

// Decodes all of `text`. False (and `decoded` empty) when a byte or byte pair
// is not a character of Windows-31J, or a lead byte ends the text.
bool DecodeWindows31J(ByteView text, FaceName* decoded);

}  // namespace glyphcensus
