// Which names are font files, and the natural order of names.
#include "fontio/font_file_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

using namespace glyphcensus;

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

// The cases the page's natural order is checked against too
// (web/test/page_logic_test.js): name, name and the sign of their comparison,
// separated by tabs, one case a line; lines starting with '#' are comments.
struct NaturalOrderCase {
  std::string a;
  std::string b;
  int sign = 0;
};

std::vector<NaturalOrderCase> ReadNaturalOrderCases() {
  std::ifstream in(std::string(GLYPHCENSUS_SOURCE_DIR) + "/tests/data/natural_order_cases.tsv",
                   std::ios::binary);
  std::vector<NaturalOrderCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t first = line.find('\t');
    const size_t second = line.find('\t', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
      ADD_FAILURE() << "not a case: " << line;
      continue;
    }
    cases.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1),
                     std::stoi(line.substr(second + 1))});
  }
  return cases;
}

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(FontFileNames, NaturalOrderAgreesWithTheSharedCasesBothWays) {
  const std::vector<NaturalOrderCase> cases = ReadNaturalOrderCases();
  ASSERT_GE(cases.size(), 15u) << "tests/data/natural_order_cases.tsv unread";
  for (const NaturalOrderCase& each : cases) {
    EXPECT_EQ(Sign(CompareNaturally(each.a, each.b)), each.sign) << each.a << " vs " << each.b;
    EXPECT_EQ(Sign(CompareNaturally(each.b, each.a)), -each.sign) << each.b << " vs " << each.a;
  }
}

TEST(FontFileNames, WideNamesCompareByCodeUnit) {
  EXPECT_LT(CompareNaturally(std::wstring(L"z"), std::wstring(L"\u3042")), 0);
  EXPECT_LT(CompareNaturally(std::wstring(L"a2"), std::wstring(L"A10")), 0);
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
