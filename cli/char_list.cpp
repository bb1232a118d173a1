#include "cli/char_list.h"

#include <cstdio>
#include <cstring>
#include <cerrno>
#include <unordered_set>

#include "fontio/unicode_text.h"

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

bool ReadCharListFile(const std::string& path, std::vector<char32_t>* characters,
                      std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  // One byte more than the limit tells a file at the limit from a larger one.
  std::vector<uint8_t> bytes(kMaxCharListBytes + 1);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  const bool failed = std::ferror(file) != 0;
  const int readErrno = errno;
  std::fclose(file);
  if (failed) {
    *error = std::string("cannot read: ") + std::strerror(readErrno);
    return false;
  }
  if (got > kMaxCharListBytes) {
    *error = "larger than the limit of " + std::to_string(kMaxCharListBytes) + " bytes";
    return false;
  }
  return ParseCharList(bytes.data(), got, characters, error);
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string converted;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0xFFFD;
    size_t length = 1;
    std::string ignored;
    if (!DecodeUtf8(bytes, text.size(), at, &c, &length, &ignored)) c = 0xFFFD, length = 1;
    at += length;
    AppendUtf16(&converted, c);
  }
  return converted;
}
