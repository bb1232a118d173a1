#include "fontio/unicode_text.h"

#include <cstdio>

namespace glyphcensus {

char32_t CodePointAt(const char16_t* text, size_t* units) {
  if (IsHighSurrogate(text[0]) && IsLowSurrogate(text[1])) {
    *units = 2;
    return CombineSurrogates(text[0], text[1]);
  }
  *units = 1;
  return text[0];
}

std::u32string Utf16ToCodePoints(const std::u16string& text) {
  std::u32string points;
  for (size_t i = 0; i < text.size();) {
    size_t units = 1;
    points.push_back(CodePointAt(text.c_str() + i, &units));
    i += units;
  }
  return points;
}

void AppendUtf16(std::u16string* text, char32_t codePoint) {
  if (codePoint < 0x10000) {
    text->push_back(static_cast<char16_t>(codePoint));
  } else {
    const char32_t offset = codePoint - 0x10000;
    text->push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
    text->push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
  }
}

void AppendCodePointUtf8(std::string* out, char32_t codePoint) {
  if (IsSurrogate(codePoint) || codePoint > 0x10FFFF) codePoint = 0xFFFD;
  if (codePoint < 0x80) {
    out->push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendCodePointUtf8(&out, CombineSurrogates(unit, text[i + 1]));
      ++i;
    } else {
      AppendCodePointUtf8(&out, unit);  // an unpaired surrogate becomes U+FFFD
    }
  }
  return out;
}

Utf8Decoding DecodeUtf8At(const uint8_t* text, size_t size, size_t at, char32_t* codePoint,
                          size_t* length) {
  const uint8_t lead = text[at];
  size_t count = 0;
  char32_t value = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    *codePoint = lead;
    *length = 1;
    return Utf8Decoding::kCharacter;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    count = 1, value = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 2, value = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 3, value = lead & 0x07, smallest = 0x10000;
  } else {
    return Utf8Decoding::kInvalid;
  }
  if (size - at - 1 < count) return Utf8Decoding::kTruncated;
  for (size_t k = 1; k <= count; ++k) {
    const uint8_t next = text[at + k];
    if ((next & 0xC0) != 0x80) return Utf8Decoding::kInvalid;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < smallest || value > 0x10FFFF) return Utf8Decoding::kInvalid;
  *codePoint = value;
  *length = count + 1;
  return IsSurrogate(value) ? Utf8Decoding::kSurrogate : Utf8Decoding::kCharacter;
}

std::string CodePointName(char32_t codePoint) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
  return text;
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a != '\0' || *b != '\0'; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  }
  return true;
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string converted;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0;
    size_t length = 0;
    if (DecodeUtf8At(bytes, text.size(), at, &c, &length) != Utf8Decoding::kCharacter) {
      c = 0xFFFD;
      length = 1;
    }
    at += length;
    AppendUtf16(&converted, c);
  }
  return converted;
}

}  // namespace glyphcensus
