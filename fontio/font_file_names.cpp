#include "fontio/font_file_names.h"

#include <cstddef>
#include <type_traits>

#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

template <typename Char>
bool IsDigit(Char c) {
  return c >= '0' && c <= '9';
}

template <typename Char>
bool EqualIgnoringAsciiCase(std::basic_string_view<Char> text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (LowerAscii(text[i]) != static_cast<Char>(lower[i])) return false;
  }
  return true;
}

template <typename Char>
bool HasFontFileExtensionOf(std::basic_string_view<Char> name) {
  // The text after the last dot. Were that dot in an earlier component of a
  // path, the text would hold a separator and match no extension.
  const size_t dot = name.rfind(static_cast<Char>('.'));
  if (dot == std::basic_string_view<Char>::npos) return false;
  const std::basic_string_view<Char> extension = name.substr(dot + 1);
  for (const char* font : {"ttc", "ttf", "otf", "woff", "woff2"}) {
    if (EqualIgnoringAsciiCase(extension, font)) return true;
  }
  return false;
}

// Compares the digit runs that start at a[i] and b[j] by value and moves both
// indexes past them. Leading zeros are skipped, so a longer run of significant
// digits is the larger number.
template <typename Char>
int CompareDigitRuns(std::basic_string_view<Char> a, size_t* i, std::basic_string_view<Char> b,
                     size_t* j) {
  while (*i < a.size() && a[*i] == '0') ++*i;
  while (*j < b.size() && b[*j] == '0') ++*j;
  const size_t aStart = *i;
  const size_t bStart = *j;
  while (*i < a.size() && IsDigit(a[*i])) ++*i;
  while (*j < b.size() && IsDigit(b[*j])) ++*j;
  const size_t aLength = *i - aStart;
  const size_t bLength = *j - bStart;
  if (aLength != bLength) return aLength < bLength ? -1 : 1;
  for (size_t k = 0; k < aLength; ++k) {
    if (a[aStart + k] != b[bStart + k]) return a[aStart + k] < b[bStart + k] ? -1 : 1;
  }
  return 0;
}

template <typename Char>
int CompareNaturallyOf(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const bool aDigit = IsDigit(a[i]);
    const bool bDigit = IsDigit(b[j]);
    if (aDigit && bDigit) {
      const int numbers = CompareDigitRuns(a, &i, b, &j);
      if (numbers != 0) return numbers;
      continue;
    }
    if (aDigit != bDigit) return aDigit ? -1 : 1;
    // Units compare as unsigned values, so that UTF-8 lead bytes sort last.
    using Unsigned = std::make_unsigned_t<Char>;
    const auto x = static_cast<Unsigned>(LowerAscii(a[i]));
    const auto y = static_cast<Unsigned>(LowerAscii(b[j]));
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

bool HasFontFileExtension(std::string_view name) { return HasFontFileExtensionOf(name); }
bool HasFontFileExtension(std::wstring_view name) { return HasFontFileExtensionOf(name); }

int CompareNaturally(std::string_view a, std::string_view b) { return CompareNaturallyOf(a, b); }
int CompareNaturally(std::wstring_view a, std::wstring_view b) { return CompareNaturallyOf(a, b); }

bool NaturalFileNameLess(std::string_view a, std::string_view b) {
  const int natural = CompareNaturally(a, b);
  if (natural != 0) return natural < 0;
  return a < b;
}

}  // namespace glyphcensus
