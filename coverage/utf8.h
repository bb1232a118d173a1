#pragma once
// UTF-8 output of code points.
#include <string>

// Appends the UTF-8 form of one code point (U+FFFD for surrogates and values
// past U+10FFFF).
void AppendCodePointUtf8(std::string* out, char32_t codePoint);
