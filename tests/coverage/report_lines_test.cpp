// The report's line format: numbers around a thousand, none and all of a set,
// and every set's full line.
#include "coverage/output/report_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "coverage/sets/character_sets.h"

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
