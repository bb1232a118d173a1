// The shaper of vertical forms on bad input, and the rule that makes one.
#include "coverage/shaping/vertical_forms_harfbuzz.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

using namespace glyphcensus;

namespace {

// Shapes U+3001 (、) in the bytes as face `faceIndex`; the shaper must open.
VerticalShaping ShapeComma(const std::vector<uint8_t>& bytes, uint32_t faceIndex = 0) {
  VerticalShaper* shaper = OpenVerticalShaper(ByteView{bytes.data(), bytes.size()}, faceIndex);
  EXPECT_NE(shaper, nullptr);
  const VerticalShaping shaping = ShapeBothWays(shaper, U'\u3001');
  CloseVerticalShaper(shaper);
  return shaping;
}

}  // namespace

TEST(HasVerticalForm, OneGlyphOtherThanTheHorizontalOne) {
  const auto shaping = [](uint32_t glyphs, uint32_t vertical) {
    return VerticalShaping{glyphs, vertical, 1, 7};
  };
  EXPECT_TRUE(HasVerticalForm(shaping(1, 8)));
  EXPECT_FALSE(HasVerticalForm(shaping(1, 7)));  // the horizontal glyph
  EXPECT_FALSE(HasVerticalForm(shaping(0, 0)));  // no glyph
  EXPECT_FALSE(HasVerticalForm(shaping(2, 8)));  // several glyphs
}

TEST(VerticalShaper, NothingOrTooMuchOpensNothing) {
  const std::vector<uint8_t> bytes(64, 0);
  EXPECT_EQ(OpenVerticalShaper(ByteView{}, 0), nullptr);
  EXPECT_EQ(OpenVerticalShaper(ByteView{bytes.data(), 0}, 0), nullptr);
  // HarfBuzz would read an index's high 16 bits as a named instance.
  EXPECT_EQ(OpenVerticalShaper(ByteView{bytes.data(), bytes.size()}, 0x10000), nullptr);
  EXPECT_FALSE(HasVerticalForm(ShapeBothWays(nullptr, U'\u3001')));
  CloseVerticalShaper(nullptr);
}

TEST(VerticalShaper, BytesThatAreNoFontHaveNoForms) {
  for (const uint8_t fill : {0x00, 0xFF}) {
    const VerticalShaping shaping = ShapeComma(std::vector<uint8_t>(4096, fill));
    EXPECT_EQ(shaping.verticalGlyph, 0u);
    EXPECT_FALSE(HasVerticalForm(shaping));
  }
  // A collection header that claims far more faces than it holds.
  std::vector<uint8_t> collection = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  collection.resize(64, 0xFF);
  EXPECT_FALSE(HasVerticalForm(ShapeComma(collection, 0xFFFF)));
}

TEST(VerticalShaper, AFontCutShortShapesWithoutHarm) {
  std::ifstream file("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", std::ios::binary);
  const std::vector<uint8_t> font((std::istreambuf_iterator<char>(file)), {});
  if (font.empty()) GTEST_SKIP() << "IPAGothic is not installed";
  EXPECT_TRUE(HasVerticalForm(ShapeComma(font)));
  for (const size_t size : {size_t{12}, size_t{4096}, font.size() / 2, font.size() - 1}) {
    EXPECT_LE(ShapeComma({font.begin(), font.begin() + static_cast<long>(size)}).verticalGlyphs, 1u);
  }
}
