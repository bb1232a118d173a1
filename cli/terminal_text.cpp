#include "cli/terminal_text.h"

#include <cstdint>

#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

bool ObeyedByTerminals(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string TerminalSafe(const std::string& text) {
  std::string safe;
  safe.reserve(text.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t at = 0; at < text.size();) {
    char32_t codePoint = 0;
    size_t length = 0;
    if (DecodeUtf8At(bytes, text.size(), at, &codePoint, &length) != Utf8Decoding::kCharacter) {
      safe += text[at++];  // not UTF-8: kept as it is
    } else if (ObeyedByTerminals(codePoint)) {
      safe += "<" + CodePointName(codePoint) + ">";
      at += length;
    } else {
      safe.append(text, at, length);
      at += length;
    }
  }
  return safe;
}

}  // namespace glyphcensus
