#pragma once
// Character lists (--chars): the distinct characters of a UTF-8 text file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Larger character list files are refused.
constexpr size_t kMaxCharListBytes = 16 * 1024 * 1024;

// The distinct characters of `text` in order of first appearance, leaving out
// white space (Unicode White_Space), control characters (Cc) and U+FEFF (a
// byte order mark). False for text that is not valid UTF-8 (overlong forms,
// surrogate code points, values above U+10FFFF, truncated sequences); `error`
// then names the problem and its byte offset.
bool ParseCharList(const uint8_t* text, size_t size, std::vector<char32_t>* characters,
                   std::string* error);

// Reads and parses the file; `error` names the problem (not the file).
bool ReadCharListFile(const std::string& path, std::vector<char32_t>* characters,
                      std::string* error);

// UTF-8 to UTF-16, each byte that is not part of valid UTF-8 as U+FFFD (for
// labels made of file names).
std::u16string Utf8ToUtf16(const std::string& text);
