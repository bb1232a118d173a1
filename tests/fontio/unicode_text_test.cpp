// The Unicode module: surrogate pairs, UTF-16 and UTF-8 both ways, code point
// names, ASCII case.
#include <gtest/gtest.h>

#include <string>

#include "fontio/unicode_text.h"

using namespace glyphcensus;

namespace {

TEST(Utf16, CodePointAtDecodesPairsAndLeavesUnpairedHalvesAlone) {
  size_t units = 0;
  EXPECT_EQ(CodePointAt(u"A", &units), U'A');
  EXPECT_EQ(units, 1u);
  EXPECT_EQ(CodePointAt(u"\U00020B9Fx", &units), U'\U00020B9F');
  EXPECT_EQ(units, 2u);
  EXPECT_EQ(CodePointAt(u"\U0010FFFF", &units), U'\U0010FFFF');
  EXPECT_EQ(units, 2u);
  const char16_t highAtEnd[] = {0xD842, 0};
  EXPECT_EQ(CodePointAt(highAtEnd, &units), char32_t{0xD842});  // the terminator is not a low half
  EXPECT_EQ(units, 1u);
  const char16_t reversed[] = {0xDF9F, 0xD842, 0};
  EXPECT_EQ(CodePointAt(reversed, &units), char32_t{0xDF9F});
  EXPECT_EQ(units, 1u);
  const char16_t highThenLetter[] = {0xD842, u'A', 0};
  EXPECT_EQ(CodePointAt(highThenLetter, &units), char32_t{0xD842});
  EXPECT_EQ(units, 1u);
}

TEST(Utf16, AppendUtf16AtThePlaneBoundaries) {
  std::u16string text;
  for (char32_t c : {U'\u0000', U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) AppendUtf16(&text, c);
  EXPECT_EQ(text, (std::u16string{0x0000, 0xFFFF, 0xD800, 0xDC00, 0xDBFF, 0xDFFF}));
  EXPECT_EQ(CombineSurrogates(0xD800, 0xDC00), U'\U00010000');
  EXPECT_EQ(CombineSurrogates(0xDBFF, 0xDFFF), U'\U0010FFFF');
}

// Moved here from the coverage map tests with the encoder.
TEST(Utf8, EncodingOfEveryLengthAndOfWhatIsNoScalarValue) {
  std::string out;
  for (char32_t c : {U'A', U'\u00E9', U'\u4E9C', U'\U00020B9F'}) AppendCodePointUtf8(&out, c);
  EXPECT_EQ(out, "A\xC3\xA9\xE4\xBA\x9C\xF0\xA0\xAE\x9F");
  out.clear();
  AppendCodePointUtf8(&out, 0xD800);
  AppendCodePointUtf8(&out, 0x110000);
  EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, ToUtf16ReplacesEachStrayByte) {
  EXPECT_EQ(Utf8ToUtf16("a\xE4\xBA\x9C\xF0\xA0\xAE\x9F"), u"a\u4E9C\U00020B9F");
  // A cut sequence, a lone continuation byte and an encoded surrogate: one
  // U+FFFD per byte, and what follows is read again.
  EXPECT_EQ(Utf8ToUtf16("\xE4\xBA" "b\x80\xED\xA0\x80"), u"\uFFFD\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(Utf8, FromUtf16ReplacesLoneSurrogatesOnly) {
  EXPECT_EQ(Utf16ToUtf8(u"英字：全52"), "英字：全52");
  EXPECT_EQ(Utf16ToUtf8(u"\U00020B9F"), "\xF0\xA0\xAE\x9F");
  const char16_t unpaired[] = {u'a', 0xD842, u'b', 0xDF9F, 0};
  EXPECT_EQ(Utf16ToUtf8(unpaired), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  const std::u16string highLast{u'a', 0xD842};
  EXPECT_EQ(Utf16ToUtf8(highLast), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\0')), std::string(1, '\0'));
  EXPECT_EQ(Utf16ToUtf8(u""), "");
}

Utf8Decoding Decode(const std::string& text, char32_t* c = nullptr, size_t* length = nullptr) {
  char32_t ignoredC = 0;
  size_t ignoredLength = 0;
  return DecodeUtf8At(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0,
                      c != nullptr ? c : &ignoredC, length != nullptr ? length : &ignoredLength);
}

TEST(Utf8, DecodingEachOutcome) {
  char32_t c = 0;
  size_t length = 0;
  EXPECT_EQ(Decode("\xF0\xA0\xAE\x9F", &c, &length), Utf8Decoding::kCharacter);
  EXPECT_EQ(c, U'\U00020B9F');
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(Decode("\xF4\x8F\xBF\xBF", &c), Utf8Decoding::kCharacter);
  EXPECT_EQ(c, U'\U0010FFFF');
  EXPECT_EQ(Decode("\xC2\x80", &c), Utf8Decoding::kCharacter);
  EXPECT_EQ(c, U'\u0080');
  EXPECT_EQ(Decode("\xED\xA0\x80", &c, &length), Utf8Decoding::kSurrogate);
  EXPECT_EQ(c, char32_t{0xD800});
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(Decode("\xE4\xBA"), Utf8Decoding::kTruncated);
  EXPECT_EQ(Decode("\xF0"), Utf8Decoding::kTruncated);
  EXPECT_EQ(Decode("\x80"), Utf8Decoding::kInvalid);          // a continuation byte first
  EXPECT_EQ(Decode("\xC0\xAF"), Utf8Decoding::kInvalid);      // overlong lead
  EXPECT_EQ(Decode("\xE0\x80\xAF"), Utf8Decoding::kInvalid);  // overlong three bytes
  EXPECT_EQ(Decode("\xF4\x90\x80\x80"), Utf8Decoding::kInvalid);  // past U+10FFFF
  EXPECT_EQ(Decode("\xF5\x80\x80\x80"), Utf8Decoding::kInvalid);
  EXPECT_EQ(Decode("\xE4\x41\x9C"), Utf8Decoding::kInvalid);  // a bad continuation byte
}

TEST(Names, CodePointNamesHaveAtLeastFourDigits) {
  EXPECT_EQ(CodePointName(0x41), "U+0041");
  EXPECT_EQ(CodePointName(0x4E9C), "U+4E9C");
  EXPECT_EQ(CodePointName(0x20B9F), "U+20B9F");
  EXPECT_EQ(CodePointName(0x10FFFF), "U+10FFFF");
}

TEST(AsciiCase, OnlyAToZAreLowered) {
  EXPECT_EQ(LowerAscii('A'), 'a');
  EXPECT_EQ(LowerAscii('Z'), 'z');
  EXPECT_EQ(LowerAscii('@'), '@');
  EXPECT_EQ(LowerAscii('['), '[');
  EXPECT_EQ(LowerAscii(u'\u00C0'), u'\u00C0');
  EXPECT_TRUE(EqualsIgnoringAsciiCase("tTcF", "TTCF"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("ttc", "ttcf"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("tt@f", "tt`f"));
}

}  // namespace
