// The report's line format: numbers around a thousand, none and all of a set,
// and every set's full line.
#include "coverage/output/report_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "coverage/sets/character_sets.h"
#include "coverage/sets/extended_sets.h"

using namespace glyphcensus;

namespace {

std::u16string Line(int set, int32_t count) {
  char16_t line[kReportLineCapacity];
  FormatCoverageLine(kCharacterSets[set], count, line);
  return line;
}

TEST(FormatCoverageLineTest, NumbersAroundAThousand) {
  EXPECT_EQ(Line(kRegularUseKanji, 999), u"常用漢字：999/2,136");
  EXPECT_EQ(Line(kRegularUseKanji, 1000), u"常用漢字：1,000/2,136");
  EXPECT_EQ(Line(kRegularUseKanji, 2135), u"常用漢字：2,135/2,136");
  EXPECT_EQ(Line(kJisLevel1, 1005), u"第一水準：1,005/2,965");
  EXPECT_EQ(Line(kJisLevel1, 2000), u"第一水準：2,000/2,965");
  EXPECT_EQ(Line(kJisLevel2, 1), u"第二水準：1/3,390");
}

TEST(FormatCoverageLineTest, NoneAndAll) {
  EXPECT_EQ(Line(kLatinLetters, 0), u"英字：－");
  EXPECT_EQ(Line(kEducationKanji, 0), u"教育漢字：－");
  EXPECT_EQ(Line(kLatinLetters, 52), u"英字：全52");
  EXPECT_EQ(Line(kLatinLetters, 51), u"英字：51/52");
  EXPECT_EQ(Line(kJisLevel4, 2436), u"第四水準：全2,436");
  EXPECT_EQ(Line(kIbmExtensions, 388), u"IBM拡張文字：全388");
  EXPECT_EQ(Line(kCyrillicLetters, 65), u"キリル文字：65/66");
}

TEST(FormatCoverageLineTest, EveryFullLine) {
  const char16_t* expected[kCharacterSetCount] = {
      u"英字：全52", u"数字：全10", u"記号：全32", u"ひらがな：全77", u"カタカナ：全78",
      u"教育漢字：全1,026", u"常用漢字：全2,136", u"第一水準：全2,965", u"第二水準：全3,390",
      u"第三水準：全1,259", u"第四水準：全2,436", u"IBM拡張文字：全388", u"NEC特殊文字：全83",
      u"ギリシア文字：全48", u"キリル文字：全66"};
  for (int set = 0; set < kCharacterSetCount; ++set) {
    EXPECT_EQ(Line(set, kCharacterSets[set].total), expected[set]) << set;
  }
}

}  // namespace

// Missing sequences: ten to a line, each the sequence and both code points;
// a supplementary base keeps its pair whole.
TEST(MissingSequenceLinesTest, TenToALine) {
  std::vector<VariationSequence> missing;
  for (int i = 0; i < 11; ++i) missing.push_back({0x4E08, static_cast<char32_t>(0xE0100 + i)});
  missing.push_back({0x20B9F, 0xFE00});
  const std::vector<std::string> lines = MissingSequenceLines(missing);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("丈\xF3\xA0\x84\x80 U+4E08 U+E0100  丈", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "丈\xF3\xA0\x84\x8A U+4E08 U+E010A  \xF0\xA0\xAE\x9F\xEF\xB8\x80 U+20B9F U+FE00");
  EXPECT_TRUE(MissingSequenceLines({}).empty());
}

// The packed sequences of the tables: VS1-VS16 and VS17-VS256 at both ends.
TEST(MissingSequenceLinesTest, PackedSequencesUnpack) {
  EXPECT_EQ(UnpackSequence(0x4E0800).selector, 0xFE00u);
  EXPECT_EQ(UnpackSequence(0x4E080F).selector, 0xFE0Fu);
  EXPECT_EQ(UnpackSequence(0x4E0810).selector, 0xE0100u);
  EXPECT_EQ(UnpackSequence(0x2A6D6FF).selector, 0xE01EFu);
  EXPECT_EQ(UnpackSequence(0x2A6D6FF).base, 0x2A6D6u);
  for (const SequenceSet& set : kSequenceSets) {
    EXPECT_GT(set.total, 0);
    for (int32_t i = 0; i < set.total; ++i) {
      const VariationSequence sequence = UnpackSequence(set.packed[i]);
      const bool selector = (sequence.selector >= 0xFE00 && sequence.selector <= 0xFE0F) ||
                            (sequence.selector >= 0xE0100 && sequence.selector <= 0xE01EF);
      ASSERT_TRUE(selector && sequence.base >= 0x3400) << set.id << " " << i;
    }
  }
}

// The Adobe-Japan1 supplements nest, each in code point order.
TEST(MissingSequenceLinesTest, AdobeJapan1SetsNest) {
  const int32_t totals[] = {7776, 7806, 8152, 8152, 10113, 13780, 15841, 15842};
  for (int n = 0; n < kAdobeJapan1SupplementCount; ++n) {
    EXPECT_EQ(AdobeJapan1Set(n).total, totals[n]) << n;
  }
  EXPECT_EQ(std::u16string(AdobeJapan1Set(7).label), u"AJ1-7");
  EXPECT_EQ(std::string(AdobeJapan1SetId(0)), "adobe-japan1-0");
}
