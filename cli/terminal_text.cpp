#include "cli/terminal_text.h"

#include <cstdio>

namespace {

std::string Escaped(unsigned codePoint) {
  char text[12];
  std::snprintf(text, sizeof text, "<U+%04X>", codePoint);
  return text;
}

// The code point of a character that must be escaped at `at`, and its length
// in bytes; 0 bytes when the character there is shown as it is.
size_t EscapedCharacterAt(const std::string& text, size_t at, unsigned* codePoint) {
  const auto byte = [&](size_t k) {
    return at + k < text.size() ? static_cast<unsigned char>(text[at + k]) : 0u;
  };
  const unsigned first = byte(0);
  if (first < 0x20 || first == 0x7F) {
    *codePoint = first;
    return 1;
  }
  if (first == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F) {  // U+0080 to U+009F
    *codePoint = byte(1);
    return 2;
  }
  if (first == 0xE2 && (byte(1) == 0x80 || byte(1) == 0x81) && byte(2) >= 0x80 && byte(2) <= 0xBF) {
    const unsigned point = 0x2000 + ((byte(1) & 0x3F) << 6) + (byte(2) & 0x3F);
    if ((point >= 0x202A && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069)) {
      *codePoint = point;
      return 3;
    }
  }
  return 0;
}

}  // namespace

std::string TerminalSafe(const std::string& text) {
  std::string safe;
  safe.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    unsigned codePoint = 0;
    const size_t length = EscapedCharacterAt(text, at, &codePoint);
    if (length == 0) {
      safe += text[at++];
    } else {
      safe += Escaped(codePoint);
      at += length;
    }
  }
  return safe;
}
