// Fuzz target: the character list reader of --chars.
//
// Checks, besides the sanitizers: a list that parses holds distinct Unicode
// scalar values, none of them white space or a control character, never more
// than the input has bytes; and re-encoding the list parses to the same list.
// The UTF conversions of fontio/unicode_text.h on the same bytes: any input
// becomes UTF-16 of at most one unit per byte, and a list's UTF-16 form reads
// back, character by character, to the list and converts to and from its
// UTF-8 form.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "coverage/sets/char_list.h"
#include "fontio/unicode_text.h"

using namespace glyphcensus;

namespace {

// The list as UTF-16, walked back one character at a time, and both ways
// between it and its UTF-8 form.
void CheckUtf16(const std::vector<char32_t>& characters, const std::string& utf8) {
  std::u16string utf16;
  for (const char32_t c : characters) AppendUtf16(&utf16, c);
  size_t at = 0;
  for (const char32_t c : characters) {
    size_t units = 0;
    if (at >= utf16.size() || CodePointAt(utf16.c_str() + at, &units) != c || units != (c > 0xFFFF ? 2u : 1u)) {
      std::abort();
    }
    at += units;
  }
  if (at != utf16.size() || Utf8ToUtf16(utf8) != utf16 || Utf16ToUtf8(utf16) != utf8) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (Utf8ToUtf16(std::string(reinterpret_cast<const char*>(data), size)).size() > size) std::abort();
  std::vector<char32_t> characters;
  std::string error;
  if (!ParseCharList(data, size, &characters, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (characters.size() > size) std::abort();
  std::set<char32_t> distinct(characters.begin(), characters.end());
  if (distinct.size() != characters.size()) std::abort();
  std::string encoded;
  for (const char32_t c : characters) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || c < 0x21 || c == 0xFEFF) std::abort();
    AppendCodePointUtf8(&encoded, c);
  }
  std::vector<char32_t> again;
  if (!ParseCharList(reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size(), &again,
                     &error) ||
      again != characters) {
    std::abort();
  }
  CheckUtf16(characters, encoded);
  return 0;
}
