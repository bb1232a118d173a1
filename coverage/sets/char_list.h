#pragma once
// Character lists (the command's --chars, the page's list): the distinct
// characters of a UTF-8 text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace glyphcensus {

// Larger character list files are refused (the command's reader checks it).
constexpr size_t kMaxCharListBytes = 16 * 1024 * 1024;

// The distinct characters of `text` in order of first appearance, leaving out
// white space (Unicode White_Space), control characters (Cc) and U+FEFF (a
// byte order mark). False for text that is not valid UTF-8 (overlong forms,
// surrogate code points, values above U+10FFFF, truncated sequences); `error`
// then names the problem and its byte offset.
bool ParseCharList(const uint8_t* text, size_t size, std::vector<char32_t>* characters,
                   std::string* error);

}  // namespace glyphcensus
