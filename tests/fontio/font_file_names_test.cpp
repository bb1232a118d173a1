// Which names are font files, and the natural order of names.
#include "fontio/font_file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(FontFileNames, TakesTheFiveExtensionsInAnyCaseAndNothingElse) {
  for (const char* name : {"a.ttc", "a.TTF", "a.oTf", "a.WOFF", "a.Woff2", "b.ttf.otf", ".ttf",
                           "dir.x/a.ttf", "dir/with space.ttf"}) {
    EXPECT_TRUE(HasFontFileExtension(std::string(name))) << name;
    EXPECT_TRUE(HasFontFileExtension(std::wstring(name, name + std::char_traits<char>::length(name))))
        << name;
  }
  for (const char* name : {"", "ttf", "a.tt", "a.ttff", "a.woff3", "a.ttf.bak", "a.ttf ", "a. ttf",
                           "a.ttf/b", "a.ttf\\b", "a.t\xC3\xBF", "a_ttf"}) {
    EXPECT_FALSE(HasFontFileExtension(std::string(name))) << name;
  }
  // Letter case is ASCII only: a wide unit that folds to 't' elsewhere does not.
  EXPECT_FALSE(HasFontFileExtension(std::wstring(L"a.\u0162tf")));
}

TEST(FontFileNames, DigitRunsCompareAsNumbersOfAnyLength) {
  EXPECT_LT(CompareNaturally("a2.ttf", "a10.ttf"), 0);
  EXPECT_GT(CompareNaturally("a10.ttf", "a9.ttf"), 0);
  EXPECT_LT(CompareNaturally("v1.2.ttf", "v1.10.ttf"), 0);
  EXPECT_EQ(CompareNaturally("a01.ttf", "a1.ttf"), 0);
  EXPECT_LT(CompareNaturally("a0.ttf", "a00001.ttf"), 0);
  // Past 64 bits, still by value.
  EXPECT_LT(CompareNaturally("n99999999999999999999.ttf", "n100000000000000000000.ttf"), 0);
  EXPECT_LT(CompareNaturally("n18446744073709551616", "n18446744073709551617"), 0);
  // A digit sorts before any other character.
  EXPECT_LT(CompareNaturally("a1", "aa"), 0);
  EXPECT_LT(CompareNaturally("9", "a"), 0);
  EXPECT_LT(CompareNaturally("a9z", "a10"), 0);
}

TEST(FontFileNames, LettersIgnoreCaseAndOtherUnitsCompareByValue) {
  EXPECT_EQ(CompareNaturally("Font.TTF", "font.ttf"), 0);
  EXPECT_LT(CompareNaturally("apple", "Banana"), 0);
  EXPECT_LT(CompareNaturally("a", "ab"), 0);
  EXPECT_GT(CompareNaturally("ab", "a"), 0);
  EXPECT_EQ(CompareNaturally("", ""), 0);
  // Folded to lower case, so '_' (0x5F) sorts before the letters.
  EXPECT_LT(CompareNaturally("_x", "A"), 0);
  // UTF-8: code point order, after ASCII ("\xE3\x81\x82" is hiragana a).
  EXPECT_LT(CompareNaturally("z.ttf", "\xE3\x81\x82.ttf"), 0);
  EXPECT_LT(CompareNaturally(std::wstring(L"z"), std::wstring(L"\u3042")), 0);
}

TEST(FontFileNames, SortingIsTotalAndRepeatable) {
  std::vector<std::string> names = {"font.ttf", "a10.ttf", "Font.ttf", "a01.ttf", "a1.ttf", "FONT.ttf",
                                    "a2.ttf"};
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return NaturalFileNameLess(a, b); });
  EXPECT_EQ(names, (std::vector<std::string>{"a01.ttf", "a1.ttf", "a2.ttf", "a10.ttf", "FONT.ttf",
                                             "Font.ttf", "font.ttf"}));
  EXPECT_FALSE(NaturalFileNameLess("x", "x"));
}

}  // namespace
