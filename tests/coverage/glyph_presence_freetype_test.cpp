// The FreeType glyph presence test on the synthesized edge-case fonts and on
// real fonts. (The dialog's whole reports of them:
// tests/app/coverage_report_freetype_test.cpp.)
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"
#include "coverage/presence/glyph_presence.h"
#include "coverage/presence/glyph_presence_freetype.h"
#include "coverage/presence/stop_token.h"
#include "coverage/results/missing_characters.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"

using namespace glyphcensus;

namespace {

const char kIpaGothic[] = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// CFF outlines with cubic curves (fonts-urw-base35), when installed.
const char kNimbusSans[] = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";
// Strokes thinner than a pixel at 15 pixels per em (fonts-mplus), when
// installed: no pixel is clear of edges, so the covered pixel test settles few
// of the glyphs the area leaves, and a face stops trying it after its first
// glyphs and tries it again only now and then.
const char kMplusExtraLight[] = "/usr/share/fonts/opentype/mplus/Mplus1-ExtraLight.otf";

FontBytes ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return FontBytes((std::istreambuf_iterator<char>(file)), {});
}

std::string TestFont(const char* name) { return std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/" + name; }

// One font, opened as the report opens it.
class Measured {
 public:
  explicit Measured(const std::string& path, const StopToken* stop = nullptr) {
    if (!MakeFontImage(ReadFile(path), &image_)) return;
    if (!ReadFaceName(ImageBytes(image_), &name_)) return;
    context_ = OpenMeasuringContext(ImageBytes(image_), name_, stop);
  }
  ~Measured() { CloseMeasuringContext(context_); }
  MeasuringContext* context() const { return context_; }
  ByteView bytes() { return AsConst(ImageBytes(image_)); }
  uint32_t Count(const char16_t* text) const { return CountPresentGlyphs(context_, text); }

 private:
  FontImage image_;
  FaceName name_;
  MeasuringContext* context_ = nullptr;
};

// The missing characters of every set, one string per set; with threads,
// every set's glyphs judged in advance on that many.
std::vector<std::u16string> MissingLists(const std::string& path, unsigned threads = 1) {
  Measured font(path);
  std::vector<std::u16string> lists(kCharacterSetCount);
  if (font.context() == nullptr) return lists;
  std::vector<const char16_t*> texts;
  for (const CharacterSet& set : kCharacterSets) {
    for (int32_t chunk = 0; chunk < set.chunkCount; ++chunk) texts.push_back(set.chunks[chunk]);
  }
  PrejudgeGlyphs(font.context(), font.bytes(), 0, texts, threads);
  for (int set = 0; set < kCharacterSetCount; ++set) {
    ListMissingCharacters(font.context(), kCharacterSets[set], &lists[set]);
  }
  return lists;
}

class FreeTypePresenceTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetFreeTypeInkShortcut(true);
  }
};

TEST_F(FreeTypePresenceTest, InkTestEdgeCases) {
  Measured font(TestFont("glyphtest_edges.ttf"));
  ASSERT_NE(font.context(), nullptr);
  EXPECT_EQ(font.Count(u"A"), 1u) << "box inside the cell";
  EXPECT_EQ(font.Count(u" "), 0u) << "the blank glyph";
  EXPECT_EQ(font.Count(u"K"), 0u) << "mapped to the blank glyph";
  EXPECT_EQ(font.Count(u"B"), 0u) << "empty glyph";
  EXPECT_EQ(font.Count(u"C"), 0u) << "zero advance";
  EXPECT_EQ(font.Count(u"D"), 0u) << "ink right of the cell";
  EXPECT_EQ(font.Count(u"E"), 0u) << "ink below the cell";
  EXPECT_EQ(font.Count(u"F"), 0u) << "ink left of x = 0";
  EXPECT_EQ(font.Count(u"H"), 0u) << "ink above the cell";
  EXPECT_EQ(font.Count(u"G"), 1u) << "ink in the first column";
  EXPECT_EQ(font.Count(u"I"), 1u) << "ink touching the cell's right edge";
  EXPECT_EQ(font.Count(u"J"), 0u) << "ink at the start of the row below the cell";
  EXPECT_EQ(font.Count(u"x"), 0u) << "unmapped (the inked .notdef is not drawn)";
  EXPECT_EQ(font.Count(u"ABCDEFGHIJK "), 3u);
  EXPECT_EQ(font.Count(u""), 0u);
}

TEST_F(FreeTypePresenceTest, SupplementaryCharactersCountOnce) {
  Measured font(TestFont("glyphtest_edges.ttf"));
  ASSERT_NE(font.context(), nullptr);
  EXPECT_EQ(font.Count(u"\U00020B9F"), 1u);
  EXPECT_EQ(font.Count(u"\U00020B9F\U0002000B\U00020089A"), 4u);  // 7 units
  EXPECT_EQ(font.Count(u"\U00020B9E"), 0u) << "pair mapped to the empty glyph";
  const char16_t unpairedHigh[] = {0xD842, u'A', 0};
  EXPECT_EQ(font.Count(unpairedHigh), 1u);
  const char16_t lowFirst[] = {0xDF9F, 0xD842, 0};
  EXPECT_EQ(font.Count(lowFirst), 0u) << "reversed halves are two unpaired surrogates";
}

TEST_F(FreeTypePresenceTest, RequestedStopCountsNothing) {
  StopToken stop;
  Measured font(TestFont("glyphtest_edges.ttf"), &stop);
  ASSERT_NE(font.context(), nullptr);
  RequestStop(&stop);
  EXPECT_EQ(font.Count(u"AGI"), 0u);
  ClearStop(&stop);
  EXPECT_EQ(font.Count(u"AGI"), 3u);
}

TEST_F(FreeTypePresenceTest, DefaultCharacterGlyphIsMissing) {
  Measured font(TestFont("glyphtest_default.ttf"));
  ASSERT_NE(font.context(), nullptr);
  EXPECT_EQ(font.Count(u"?"), 0u);
  EXPECT_EQ(font.Count(u"Z"), 0u);
  EXPECT_EQ(font.Count(u"A"), 1u);
  EXPECT_EQ(font.Count(u"b"), 0u);
}

// A symbol font (cmap (3,0) only): characters U+0020-U+00FF are looked up
// U+F000 above, then at their own code, as GDI draws them.
TEST_F(FreeTypePresenceTest, SymbolFontsMapAsGdiDoes) {
  Measured font(TestFont("gdi_symbol.ttf"));
  ASSERT_NE(font.context(), nullptr);
  EXPECT_EQ(font.Count(u"A"), 1u) << "at U+F041";
  EXPECT_EQ(font.Count(u"\uF041"), 1u) << "its own code";
  EXPECT_EQ(font.Count(u"B"), 1u) << "at U+0042 only, as old symbol fonts have it";
  EXPECT_EQ(font.Count(u"\uF042"), 1u) << "U+F042 looked up again U+F000 below";
  EXPECT_EQ(font.Count(u"\u00B1"), 1u) << "U+00B1 at U+F0B1";
  EXPECT_EQ(font.Count(u" "), 0u) << "U+F020 is the blank glyph";
  EXPECT_EQ(font.Count(u"C?\u0141\u3042\u4E9C"), 0u) << "unmapped";
  EXPECT_EQ(font.Count(u"\u0141"), 0u) << "U+0141 is not looked up at U+F141";
  EXPECT_EQ(font.Count(u"AZa09!"), 6u);
}

TEST_F(FreeTypePresenceTest, CffOutlines) {
  Measured font(TestFont("glyphtest_cff.otf"));
  ASSERT_NE(font.context(), nullptr);
  EXPECT_EQ(font.Count(u"AB "), 1u);
}

TEST_F(FreeTypePresenceTest, BitmapStrikeGlyphsAreDrawnFromTheirBitmaps) {
  Measured font(TestFont("glyphtest_strike.ttf"));
  ASSERT_NE(font.context(), nullptr);
  EXPECT_EQ(font.Count(u"A"), 0u) << "blank bitmap over an inked outline";
  EXPECT_EQ(font.Count(u"B"), 1u) << "not in the strike: its outline";
  EXPECT_EQ(font.Count(u"C"), 1u) << "inked bitmap, no outline";
}

TEST_F(FreeTypePresenceTest, IpaGothicLacksOneNecSpecial) {
  // The one NEC special character IPAGothic lacks: N-ARY SUMMATION (it has
  // only the Greek capital sigma).
  EXPECT_EQ(MissingLists(kIpaGothic)[kNecSpecials], u"∑");
}

// The shortcut that skips drawing must never change a verdict.
TEST_F(FreeTypePresenceTest, ShortcutGivesTheSameVerdicts) {
  std::vector<std::string> paths = {kIpaGothic, kDejaVuSans, TestFont("glyphtest_edges.ttf"),
                                    TestFont("glyphtest_full.ttf"), TestFont("glyphtest_cff.otf")};
  for (const char* optional : {kNimbusSans, kMplusExtraLight}) {
    if (std::ifstream(optional).good()) paths.push_back(optional);
  }
  for (const std::string& path : paths) {
    SetFreeTypeInkShortcut(true);
    const std::vector<std::u16string> quick = MissingLists(path);
    ASSERT_FALSE(quick[kLatinLetters].size() == 52) << path << " measured nothing";
    SetFreeTypeInkShortcut(false);
    const std::vector<std::u16string> drawn = MissingLists(path);
    EXPECT_EQ(quick, drawn) << path;
  }
}

// Judged on threads, each context keeps its own record of how the shortcuts
// fare and so tries them on other glyphs than one context would: the
// verdicts are still the drawing's, on a face where the covered pixel test
// stops being tried (thin strokes) and on one where the area settles nearly
// every glyph.
TEST_F(FreeTypePresenceTest, ThreadsGiveTheDrawnVerdicts) {
  std::vector<std::string> paths = {kIpaGothic, TestFont("glyphtest_full.ttf")};
  if (std::ifstream(kMplusExtraLight).good()) paths.push_back(kMplusExtraLight);
  for (const std::string& path : paths) {
    SetFreeTypeInkShortcut(false);
    const std::vector<std::u16string> drawn = MissingLists(path);
    SetFreeTypeInkShortcut(true);
    for (unsigned threads : {2u, 3u}) EXPECT_EQ(MissingLists(path, threads), drawn) << path;
  }
}

// The comparison above means something for the covered pixel test only if
// it settles glyphs that the area shortcut does not: a few in DejaVu Sans
// (the area settles nearly every glyph that lies inside its cell, and most
// others have no pixel clear of edges). By default no glyph is judged from its
// unhinted outline.
TEST_F(FreeTypePresenceTest, CoveredPixelSettlesGlyphsTheAreaDoesNot) {
  Measured sans(kDejaVuSans);
  ASSERT_NE(sans.context(), nullptr);
  for (const CharacterSet& set : kCharacterSets) {
    for (int32_t chunk = 0; chunk < set.chunkCount; ++chunk) sans.Count(set.chunks[chunk]);
  }
  EXPECT_GT(CountCoveredPixelVerdicts(sans.context()), 0u);
  EXPECT_EQ(CountUnhintedVerdicts(sans.context()), 0u);
  // A glyph program outside the sample that flattens its glyph: exact.
  Measured programs(TestFont("glyphtest_programs.ttf"));
  ASSERT_NE(programs.context(), nullptr);
  EXPECT_EQ(programs.Count(kCharacterSets[kHiragana].chunks[0]), 67u);
}

}  // namespace
