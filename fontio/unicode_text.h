#pragma once
// Unicode text, the one home of its arithmetic: UTF-16 surrogate pairs, UTF-8
// encoding and decoding, code point names ("U+4E9C") and ASCII letter case.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace glyphcensus {

constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t value) { return value >= 0xD800 && value <= 0xDFFF; }
// A code point that is neither a surrogate nor past U+10FFFF.
constexpr bool IsScalarValue(uint64_t value) { return value <= 0x10FFFF && !IsSurrogate(static_cast<char32_t>(value)); }

// The code point of a high and a low surrogate.
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// The character that starts at text[0] of a NUL-terminated UTF-16 text, which
// must not be at its terminator: a surrogate pair decoded (2 units), anything
// else, an unpaired surrogate too, as it stands (1 unit). Reads text[1] only
// after a high surrogate.
char32_t CodePointAt(const char16_t* text, size_t* units);

// The characters of a UTF-16 text, as CodePointAt reads them one by one.
std::u32string Utf16ToCodePoints(const std::u16string& text);

// Appends the UTF-16 form of a Unicode scalar value (a pair past U+FFFF).
void AppendUtf16(std::u16string* text, char32_t codePoint);

// Appends the UTF-8 form of one code point (U+FFFD for surrogates and values
// past U+10FFFF).
void AppendCodePointUtf8(std::string* out, char32_t codePoint);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// How the bytes at a position of a UTF-8 text decode.
enum class Utf8Decoding {
  kCharacter,  // a Unicode scalar value
  kInvalid,    // not a UTF-8 sequence (bad lead or continuation byte, overlong, past U+10FFFF)
  kTruncated,  // a lead byte whose sequence runs past the end
  kSurrogate,  // a well-formed sequence of a surrogate code point (in `codePoint`)
};

// Decodes the character at text[at] (at < size) into `codePoint` and its byte
// count into `length` (set for kCharacter and kSurrogate).
Utf8Decoding DecodeUtf8At(const uint8_t* text, size_t size, size_t at, char32_t* codePoint,
                          size_t* length);

// UTF-8 to UTF-16, each byte that is not part of valid UTF-8 as U+FFFD (for
// labels made of file names).
std::u16string Utf8ToUtf16(const std::string& text);

// "U+" and at least four upper-case hexadecimal digits: "U+0041", "U+20B9F".
std::string CodePointName(char32_t codePoint);

// A to Z lowered; every other unit unchanged.
template <typename Char>
constexpr Char LowerAscii(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Compares two NUL-terminated texts, ignoring the case of A to Z only.
bool EqualsIgnoringAsciiCase(const char* a, const char* b);

}  // namespace glyphcensus
