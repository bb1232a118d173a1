// The coverage map's SVG writer and glyph outlines: escaping of the font's
// text, paths of known glyphs, and bounded output for hostile fonts.
#include "coverage/map/map_svg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "coverage/map/glyph_outline.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"

using namespace glyphcensus;

namespace {

FontImage LoadImage(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(file)), {});
  FontImage image;
  EXPECT_TRUE(MakeFontImage(FontBytes(data.begin(), data.end()), &image)) << path;
  return image;
}

std::string Data(const char* name) { return std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/" + name; }

std::string PathOf(const std::string& font, char32_t codePoint, int32_t cell = 40) {
  FontImage image = LoadImage(font);
  GlyphOutlines* outlines = OpenGlyphOutlines(AsConst(ImageBytes(image)), 0, cell);
  EXPECT_NE(outlines, nullptr);
  if (outlines == nullptr) return "(none)";
  std::string path;
  const uint32_t glyph = GlyphForCharacter(outlines, codePoint);
  if (glyph == 0 || !GlyphPathData(outlines, glyph, &path)) path = "(none)";
  CloseGlyphOutlines(outlines);
  return path;
}

// Writes the map of a font file the way the command does; empty on failure.
std::string MapOf(const std::string& font, const std::string& family) {
  FontImage image = LoadImage(font);
  FaceName name;
  if (!ReadFaceName(ImageBytes(image), &name)) return "";
  MeasuringContext* context = OpenMeasuringContext(ImageBytes(image), name);
  if (context == nullptr) return "";
  MapInput input;
  input.familyName = family;
  input.reportLines = {"英字：全52"};
  input.image = AsConst(ImageBytes(image));
  input.context = context;
  std::string svg;
  EXPECT_TRUE(WriteCoverageMapSvg(input, &svg));
  CloseMeasuringContext(context);
  return svg;
}

TEST(EscapeXmlTest, EscapesMarkupAndReplacesWhatXmlForbids) {
  EXPECT_EQ(EscapeXml("A&B <\"x\"> 'y'"), "A&amp;B &lt;&quot;x&quot;&gt; &apos;y&apos;");
  EXPECT_EQ(EscapeXml("\xE5\xAD\x97\xF0\xA0\xAE\x9F"), "\xE5\xAD\x97\xF0\xA0\xAE\x9F");
  const std::string replacement = "\xEF\xBF\xBD";
  // Control characters, a lone continuation byte, an overlong form, an
  // encoded surrogate, U+FFFE, a sequence cut short at the end.
  EXPECT_EQ(EscapeXml(std::string("a\x01" "b", 3)), "a" + replacement + "b");
  EXPECT_EQ(EscapeXml(std::string("\0", 1)), replacement);
  EXPECT_EQ(EscapeXml("\x80"), replacement);
  EXPECT_EQ(EscapeXml("\xC0\xAF"), replacement + replacement);
  EXPECT_EQ(EscapeXml("\xED\xA0\x80"), replacement + replacement + replacement);
  EXPECT_EQ(EscapeXml("\xEF\xBF\xBE"), replacement);
  EXPECT_EQ(EscapeXml("x\xE5\xAD"), "x" + replacement + replacement);
  EXPECT_EQ(EscapeXml("\xF4\x90\x80\x80").substr(0, 3), replacement);  // past U+10FFFF
}

// The glyph test fonts: 1500 units per em, ascender 1200, descender 300, the
// box (100,0)-(500,700) with an advance of 600. In a cell of 40: scale 2/75,
// baseline at 32, the advance (16) centred from x = 12.
TEST(GlyphOutlineTest, BoxGlyphIsScaledIntoTheCell) {
  EXPECT_EQ(PathOf(Data("glyphtest_edges.ttf"), U'A'), "M15 32v-19h10v19");
  EXPECT_EQ(PathOf(Data("glyphtest_cff.otf"), U'A'), PathOf(Data("glyphtest_edges.ttf"), U'A'));
  EXPECT_EQ(PathOf(Data("glyphtest_edges.ttf"), U'B'), "(none)");  // empty glyph
  // The same box with an advance of a whole em: not moved.
  EXPECT_EQ(PathOf(Data("glyphtest_edges.ttf"), U'\U00020B9F'), "M3 32v-19h10v19");
}

// Glyphs drawn unscaled (see tools/make_map_test_fonts.py): collinear lines
// joined, a mirrored control point as the smooth command, and the closing
// line of each contour left to the fill.
TEST(GlyphOutlineTest, PathsAreShort) {
  EXPECT_EQ(PathOf(Data("map_paths.ttf"), U'A'), "M0 32v-20h20v20");
  EXPECT_EQ(PathOf(Data("map_paths.ttf"), U'B'), "M0 32q0-20 10-20t10 20");
}

TEST(GlyphOutlineTest, RealGlyphsUseWholeNumbersInsideTheCell) {
  const std::string path = PathOf("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", U'\u9B31');
  EXPECT_GT(path.size(), 100u);
  EXPECT_TRUE(std::regex_match(path, std::regex("(M[0-9]+ [0-9]+([hvlqtc][-0-9 ]+)+)+"))) << path;
  // Absolute moves stay inside the cell.
  std::smatch move;
  for (auto it = path.cbegin(); std::regex_search(it, path.cend(), move, std::regex("M([0-9]+) ([0-9]+)"));
       it = move.suffix().first) {
    EXPECT_LE(std::stoi(move[1]), 40);
    EXPECT_LE(std::stoi(move[2]), 40);
  }
}

TEST(GlyphOutlineTest, RefusesWhatItCannotOpen) {
  EXPECT_EQ(OpenGlyphOutlines(ByteView{}, 0, 40), nullptr);
  FontImage image = LoadImage(Data("glyphtest_edges.ttf"));
  EXPECT_EQ(OpenGlyphOutlines(AsConst(ImageBytes(image)), 5, 40), nullptr);  // no such face
  EXPECT_EQ(OpenGlyphOutlines(AsConst(ImageBytes(image)), 0, 0), nullptr);
}

TEST(CoverageMapSvgTest, FamilyNameIsEscaped) {
  const std::string svg = MapOf(Data("glyphtest_full.ttf"), "A&B <script>");
  EXPECT_NE(svg.find("<title>A&amp;B &lt;script&gt;"), std::string::npos);
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  // Glyph Full draws ASCII letters with one box glyph: one path, shared.
  EXPECT_NE(svg.find("<use class=\"present\" data-index=\"1\" href=\"#g"), std::string::npos);
  EXPECT_NE(svg.find("<g class=\"missing\" data-kuten=\"16-01\"><title>\xE4\xBA\x9C U+4E9C 16-01</title>"),
            std::string::npos);
}

// Fonts made to cost time and memory: huge outlines, a glyph count at the
// limit. The map stays bounded by the path budget and the point limit.
TEST(CoverageMapSvgTest, HostileFontsGiveBoundedMaps) {
  for (const char* name : {"regression-huge-outline.ttf", "regression-numtables-65535.ttf",
                           "regression-cmap12-groups-huge.ttf"}) {
    const std::string svg =
        MapOf(std::string(GLYPHCENSUS_SOURCE_DIR) + "/fuzz/corpus/fuzz_pipeline/" + name, "x");
    EXPECT_LT(svg.size(), 40u << 20) << name;
  }
}

}  // namespace
