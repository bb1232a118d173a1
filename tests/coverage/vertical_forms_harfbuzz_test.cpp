// The vertical forms found by shaping: the rule that makes a vertical form,
// and the shaper on bad input and on a real font.
#include "coverage/shaping/vertical_forms_harfbuzz.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

using namespace glyphcensus;

namespace {

const char kIpaGothic[] = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), {});
}

VerticalShaping Shaping(uint32_t verticalGlyphs, uint32_t vertical, uint32_t horizontal) {
  VerticalShaping shaping;
  shaping.verticalGlyphs = verticalGlyphs;
  shaping.verticalGlyph = vertical;
  shaping.horizontalGlyphs = 1;
  shaping.horizontalGlyph = horizontal;
  return shaping;
}

// Shapes `c` in the bytes as face `faceIndex`; the shaper must open.
VerticalShaping ShapeIn(const std::vector<uint8_t>& bytes, uint32_t faceIndex, char32_t c) {
  VerticalShaper* shaper = OpenVerticalShaper(ByteView{bytes.data(), bytes.size()}, faceIndex);
  EXPECT_NE(shaper, nullptr);
  const VerticalShaping shaping = ShapeBothWays(shaper, c);
  CloseVerticalShaper(shaper);
  return shaping;
}

}  // namespace

TEST(HasVerticalForm, OneGlyphOtherThanTheHorizontalOne) {
  EXPECT_TRUE(HasVerticalForm(Shaping(1, 8, 7)));
  // A 'vert' lookup may lead to glyph 0: a form, whose fate is notdef.
  EXPECT_TRUE(HasVerticalForm(Shaping(1, 0, 7)));
  EXPECT_FALSE(HasVerticalForm(Shaping(1, 7, 7)));
  EXPECT_FALSE(HasVerticalForm(Shaping(1, 0, 0)));
}

TEST(HasVerticalForm, NoGlyphOrSeveralAreNoForm) {
  EXPECT_FALSE(HasVerticalForm(Shaping(0, 0, 7)));
  EXPECT_FALSE(HasVerticalForm(Shaping(2, 8, 7)));
  EXPECT_FALSE(HasVerticalForm(Shaping(std::numeric_limits<uint32_t>::max(), 8, 7)));
}

TEST(VerticalShaper, NothingToShapeOpensNothing) {
  EXPECT_EQ(OpenVerticalShaper(ByteView{}, 0), nullptr);
  const uint8_t byte = 0;
  EXPECT_EQ(OpenVerticalShaper(ByteView{&byte, 0}, 0), nullptr);
  EXPECT_EQ(OpenVerticalShaper(ByteView{nullptr, 16}, 0), nullptr);
  // Null shapers shape nothing and close quietly.
  const VerticalShaping shaping = ShapeBothWays(nullptr, U'\u3001');
  EXPECT_EQ(shaping.verticalGlyphs, 0u);
  EXPECT_EQ(shaping.horizontalGlyphs, 0u);
  EXPECT_FALSE(HasVerticalForm(shaping));
  CloseVerticalShaper(nullptr);
}

TEST(VerticalShaper, BytesThatAreNoFontGiveGlyphZeroBothWays) {
  for (const uint8_t fill : {0x00, 0xFF, 0x41}) {
    const std::vector<uint8_t> bytes(4096, fill);
    const VerticalShaping shaping = ShapeIn(bytes, 0, U'\u3001');
    EXPECT_EQ(shaping.verticalGlyph, 0u) << int(fill);
    EXPECT_EQ(shaping.horizontalGlyph, 0u) << int(fill);
    EXPECT_FALSE(HasVerticalForm(shaping)) << int(fill);
  }
  // One byte, and an 'ttcf' header claiming far more faces than it holds.
  EXPECT_FALSE(HasVerticalForm(ShapeIn({0x00}, 0, U'\u3001')));
  std::vector<uint8_t> collection = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  collection.resize(64, 0xFF);
  EXPECT_FALSE(HasVerticalForm(ShapeIn(collection, 1000, U'\u3001')));
  EXPECT_FALSE(HasVerticalForm(ShapeIn(collection, 0xFFFF, U'\u3001')));
}

TEST(VerticalShaper, ARealFontsVerticalForms) {
  const std::vector<uint8_t> font = ReadFile(kIpaGothic);
  if (font.empty()) GTEST_SKIP() << kIpaGothic << " is not installed";
  // The ideographic comma has a vertical form; a Latin letter and a kanji
  // keep their glyphs.
  const VerticalShaping comma = ShapeIn(font, 0, U'\u3001');
  EXPECT_EQ(comma.verticalGlyphs, 1u);
  EXPECT_NE(comma.horizontalGlyph, 0u);
  EXPECT_TRUE(HasVerticalForm(comma));
  for (const char32_t c : {U'A', U'\u4E00'}) {
    const VerticalShaping same = ShapeIn(font, 0, c);
    EXPECT_NE(same.horizontalGlyph, 0u);
    EXPECT_FALSE(HasVerticalForm(same)) << static_cast<uint32_t>(c);
  }
  // Past the code points, and a surrogate: glyph 0 both ways.
  for (const char32_t c : {char32_t{0x110000}, char32_t{0xD800}, char32_t{0xFFFFFFFF}}) {
    EXPECT_FALSE(HasVerticalForm(ShapeIn(font, 0, c))) << static_cast<uint32_t>(c);
  }
  // HarfBuzz ignores the face index of a font that is no collection.
  EXPECT_TRUE(HasVerticalForm(ShapeIn(font, 1, U'\u3001')));
  // An index whose high 16 bits would name an instance opens nothing.
  const ByteView image{font.data(), font.size()};
  VerticalShaper* last = OpenVerticalShaper(image, 0xFFFF);
  EXPECT_NE(last, nullptr);
  CloseVerticalShaper(last);
  EXPECT_EQ(OpenVerticalShaper(image, 0x10000), nullptr);
  EXPECT_EQ(OpenVerticalShaper(image, std::numeric_limits<uint32_t>::max()), nullptr);
}

TEST(VerticalShaper, ATruncatedFontShapesWithoutHarm) {
  const std::vector<uint8_t> font = ReadFile(kIpaGothic);
  if (font.empty()) GTEST_SKIP() << kIpaGothic << " is not installed";
  // Cut anywhere: within the table directory, within the tables, before GSUB's end.
  for (const size_t size : {size_t{12}, size_t{200}, size_t{4096}, font.size() / 2, font.size() - 1}) {
    const std::vector<uint8_t> cut(font.begin(), font.begin() + static_cast<std::ptrdiff_t>(size));
    const VerticalShaping shaping = ShapeIn(cut, 0, U'\u3001');
    EXPECT_LE(shaping.verticalGlyphs, 1u) << size;
  }
}
