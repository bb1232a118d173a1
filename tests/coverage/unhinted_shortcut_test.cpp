// Judging glyphs from unhinted outlines must never change a count: for every
// test font and two real fonts, the per-set counts and the lists of missing
// characters are the same with the shortcut and without it.
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

struct SetResult {
  uint32_t present = 0;  // summed over the set's chunks, as the report counts
  int32_t listedPresent = 0;
  std::u16string missing;
  bool operator==(const SetResult& other) const {
    return present == other.present && listedPresent == other.listedPresent &&
           missing == other.missing;
  }
};

// Every set's result, or nothing when the font cannot be measured.
std::vector<SetResult> Measure(const std::string& path, UnhintedJudging mode) {
  SetFreeTypeUnhintedJudging(mode);
  std::ifstream file(path, std::ios::binary);
  FontImage image;
  FaceName name;
  std::vector<SetResult> results;
  if (!MakeFontImage(FontBytes((std::istreambuf_iterator<char>(file)), {}), &image) ||
      !ReadFaceName(ImageBytes(image), &name)) {
    return results;
  }
  MeasuringContext* context = OpenMeasuringContext(ImageBytes(image), name);
  if (context == nullptr) return results;
  for (int set = 0; set < kCharacterSetCount; ++set) {
    SetResult result;
    const CharacterSet& characters = kCharacterSets[set];
    for (int32_t chunk = 0; chunk < characters.chunkCount; ++chunk) {
      result.present += CountPresentGlyphs(context, characters.chunks[chunk]);
    }
    result.listedPresent = ListMissingCharacters(context, characters, &result.missing);
    results.push_back(result);
  }
  CloseMeasuringContext(context);
  return results;
}

std::string TestFont(const char* name) { return std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/" + name; }

class UnhintedShortcutTest : public ::testing::Test {
 protected:
  void TearDown() override { SetFreeTypeUnhintedJudging(UnhintedJudging::kOff); }
};

TEST_F(UnhintedShortcutTest, SameCountsAndMissingCharactersForEveryTestFont) {
  const std::vector<std::string> fonts = {
      "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
      "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf",
      "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
      TestFont("glyphtest_edges.ttf"), TestFont("glyphtest_default.ttf"),
      TestFont("glyphtest_full.ttf"), TestFont("glyphtest_cff.otf"),
      TestFont("glyphtest_strike.ttf"),
      TestFont("glyphtest_collection.ttc"), TestFont("glyphtest_full.woff"),
      TestFont("glyphtest_full.woff2"),
      TestFont("gdi_edge.ttf"), TestFont("gdi_twin_a.ttf"), TestFont("tt.ttf"),
      TestFont("cff.otf"), TestFont("collection.ttc"), TestFont("ipag.woff"),
      TestFont("dejavu.woff2"), TestFont("dejavu.ttf"), TestFont("gdi_twin_b.ttf"),
      TestFont("names_sorted.ttf"), TestFont("names_shared.ttf"), TestFont("cff.woff2"),
      TestFont("tt.woff"), TestFont("dejavu_plain.woff2")};
  for (const std::string& font : fonts) {
    const std::vector<SetResult> quick = Measure(font, UnhintedJudging::kAlways);
    const std::vector<SetResult> exact = Measure(font, UnhintedJudging::kOff);
    ASSERT_EQ(quick.size(), static_cast<size_t>(kCharacterSetCount)) << font << " not measured";
    ASSERT_EQ(exact.size(), quick.size()) << font;
    for (int set = 0; set < kCharacterSetCount; ++set) {
      EXPECT_EQ(quick[set].present, exact[set].present) << font << ", set " << set;
      EXPECT_EQ(quick[set].listedPresent, quick[set].present) << font << ", set " << set;
      EXPECT_TRUE(quick[set].missing == exact[set].missing) << font << ", set " << set;
    }
  }
}

// The comparison above means something only if the shortcut is taken: with
// --ink-test sampled most of IPAGothic's glyphs are judged unhinted, and many of IPA
// Mincho's, whose hinting moves the sampled points by more than a pixel (so
// its glyphs need a point deeper inside), and DejaVu Sans's, whose glyphs the
// glyph reader reads though their short programs hint cheaply; but none of a
// CFF font's, whose outlines FreeType loads and hints cheaply (they are when
// asked to), and none when the shortcut is off.
TEST_F(UnhintedShortcutTest, TakenForTameHintingOnly) {
  auto unhintedVerdicts = [](const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    FontImage image;
    FaceName name;
    if (!MakeFontImage(FontBytes((std::istreambuf_iterator<char>(file)), {}), &image) ||
        !ReadFaceName(ImageBytes(image), &name)) {
      return uint32_t{0};
    }
    MeasuringContext* context = OpenMeasuringContext(ImageBytes(image), name);
    if (context == nullptr) return uint32_t{0};
    for (int set = 0; set < kCharacterSetCount; ++set) {
      for (int32_t chunk = 0; chunk < kCharacterSets[set].chunkCount; ++chunk) {
        CountPresentGlyphs(context, kCharacterSets[set].chunks[chunk]);
      }
    }
    const uint32_t count = CountUnhintedVerdicts(context);
    CloseMeasuringContext(context);
    return count;
  };
  const std::string ipaGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
  // By default no glyph is judged unhinted.
  EXPECT_EQ(unhintedVerdicts(ipaGothic), 0u);
  SetFreeTypeUnhintedJudging(UnhintedJudging::kWhenHintingIsDear);
  const std::string dejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  EXPECT_GT(unhintedVerdicts(ipaGothic), 8000u);
  EXPECT_GT(unhintedVerdicts("/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf"), 4000u);
  EXPECT_GT(unhintedVerdicts(dejaVuSans), 100u);
  const std::string cff = TestFont("glyphtest_cff.otf");
  EXPECT_EQ(unhintedVerdicts(cff), 0u);
  SetFreeTypeUnhintedJudging(UnhintedJudging::kAlways);
  EXPECT_GT(unhintedVerdicts(cff), 0u);
  SetFreeTypeUnhintedJudging(UnhintedJudging::kOff);
  EXPECT_EQ(unhintedVerdicts(ipaGothic), 0u);
}

}  // namespace
