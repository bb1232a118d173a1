#include "coverage/sets/char_list.h"

#include <unordered_set>

#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

bool IsWhiteSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Decodes one character at `at`; false (with `error`) when the bytes there are
// not valid UTF-8.
bool DecodeUtf8(const uint8_t* text, size_t size, size_t at, char32_t* c, size_t* length,
                std::string* error) {
  switch (DecodeUtf8At(text, size, at, c, length)) {
    case Utf8Decoding::kCharacter:
      return true;
    case Utf8Decoding::kTruncated:
      *error = "not valid UTF-8 at byte offset " + std::to_string(at) + " (truncated)";
      return false;
    case Utf8Decoding::kSurrogate:
      *error = "surrogate code point " + CodePointName(*c) + " at byte offset " + std::to_string(at);
      return false;
    case Utf8Decoding::kInvalid:
      break;
  }
  *error = "not valid UTF-8 at byte offset " + std::to_string(at);
  return false;
}

}  // namespace

bool ParseCharList(const uint8_t* text, size_t size, std::vector<char32_t>* characters,
                   std::string* error) {
  characters->clear();
  std::unordered_set<char32_t> seen;
  for (size_t at = 0; at < size;) {
    char32_t c = 0;
    size_t length = 0;
    if (!DecodeUtf8(text, size, at, &c, &length, error)) return false;
    at += length;
    if (IsWhiteSpace(c) || IsControl(c) || c == 0xFEFF) continue;
    if (seen.insert(c).second) characters->push_back(c);
  }
  return true;
}

}  // namespace glyphcensus
