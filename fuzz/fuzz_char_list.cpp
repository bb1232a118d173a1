// Fuzz target: the character list reader of --chars.
//
// Checks, besides the sanitizers: a list that parses holds distinct Unicode
// scalar values, none of them white space or a control character, never more
// than the input has bytes; and re-encoding the list parses to the same list.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "coverage/char_list.h"
#include "fontio/unicode_text.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
  return 0;
}
