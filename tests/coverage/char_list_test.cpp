// Character lists (--chars): UTF-8 decoding at its boundaries, and what is
// left out of a list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coverage/sets/char_list.h"

using namespace glyphcensus;

namespace {

struct Parsed {
  bool ok;
  std::vector<char32_t> characters;
  std::string error;
};

Parsed Parse(const std::string& text) {
  Parsed parsed;
  parsed.ok = ParseCharList(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                            &parsed.characters, &parsed.error);
  return parsed;
}

TEST(CharListTest, DistinctCharactersInFirstOrderWithoutSpaceOrControls) {
  const Parsed parsed = Parse("\xEF\xBB\xBF" "b a\tb\r\n\x7F\xC2\x85\xC2\xA0\xE3\x80\x80"
                              "\xC2\x80\xF0\xA0\xAE\x9F" "a");
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.characters, (std::vector<char32_t>{U'b', U'a', 0x20B9F}));
  EXPECT_TRUE(Parse("").ok);
}

TEST(CharListTest, EncodingBoundaries) {
  // The smallest and largest value of each length decode.
  const Parsed edges = Parse("\x21\xC2\xA1\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
  ASSERT_TRUE(edges.ok) << edges.error;
  EXPECT_EQ(edges.characters,
            (std::vector<char32_t>{0x21, 0xA1, 0x7FF, 0x800, 0xFFFD, 0x10000, 0x10FFFF}));
  // Just inside the surrogates is fine; the surrogates themselves are named.
  EXPECT_TRUE(Parse("\xED\x9F\xBF\xEE\x80\x80").ok);
  const Parsed surrogate = Parse("ab\xED\xBF\xBF");
  EXPECT_FALSE(surrogate.ok);
  EXPECT_EQ(surrogate.error, "surrogate code point U+DFFF at byte offset 2");
}

TEST(CharListTest, InvalidUtf8NamesItsOffset) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\xC0\xAF", "not valid UTF-8 at byte offset 1"},          // overlong "/"
      {"ab\xE0\x9F\xBF", "not valid UTF-8 at byte offset 2"},     // overlong, 3 bytes
      {"\xF0\x8F\xBF\xBF", "not valid UTF-8 at byte offset 0"},   // overlong, 4 bytes
      {"\xF4\x90\x80\x80", "not valid UTF-8 at byte offset 0"},   // above U+10FFFF
      {"x\x80", "not valid UTF-8 at byte offset 1"},              // lone continuation
      {"\xE3\x81" "a", "not valid UTF-8 at byte offset 0"},       // continuation missing
      {"abc\xE3\x81", "not valid UTF-8 at byte offset 3 (truncated)"},
      {"\xFF", "not valid UTF-8 at byte offset 0"},
  };
  for (const auto& [text, error] : cases) {
    const Parsed parsed = Parse(text);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error, error);
  }
}

}  // namespace
