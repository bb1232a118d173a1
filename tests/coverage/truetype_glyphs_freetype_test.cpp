// The TrueType glyph reader against FreeType: on every glyph of the test
// fonts, the hostile corpus and installed real fonts, each outline the reader
// gives must be FreeType's field by field, and on real fonts it must answer
// for nearly every simple glyph. Then small damaged glyphs, which both refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "coverage/presence/face_opening_freetype.h"
#include "fontio/font_container.h"
#include "fontio/truetype_glyphs.h"
#include "tests/coverage/outline_match_freetype.h"

using namespace glyphcensus;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

struct Tally {
  size_t compared = 0;       // glyphs the reader answered for, checked against FreeType
  size_t simple = 0;         // glyphs FreeType loads as simple outlines
  size_t simpleAnswered = 0;
};

// Every glyph of every face of `image` (and one past the last), reader against
// FreeType; faces that share a table directory once. Faces FreeType cannot
// open are still read, for the reader's safety.
Tally CompareImage(const Bytes& file, const std::string& name) {
  Tally tally;
  const ByteView image{file.data(), file.size()};
  PlainOutline outline;
  std::set<uint32_t> directories;
  for (uint32_t faceIndex = 0; faceIndex < CountFaces(image); ++faceIndex) {
    uint32_t directory = 0;
    TrueTypeGlyphs glyphs;
    if (!FaceDirectoryOffset(image, faceIndex, &directory) || !directories.insert(directory).second ||
        !OpenTrueTypeGlyphs(image, faceIndex, &glyphs)) {
      continue;
    }
    OpenedFace opened;
    if (!OpenFreeTypeFace(image, faceIndex, &opened) || FT_IS_TRICKY(opened.face)) {
      for (uint32_t glyph = 0; glyph <= glyphs.numGlyphs; ++glyph) ReadSimpleGlyph(glyphs, glyph, &outline);
      CloseFreeTypeFace(&opened);
      continue;
    }
    const uint32_t glyphCount = static_cast<uint32_t>(opened.face->num_glyphs);
    for (uint32_t glyph = 0; glyph <= std::max(glyphCount, glyphs.numGlyphs); ++glyph) {
      const bool answered = ReadSimpleGlyph(glyphs, glyph, &outline);
      if (answered) {
        ++tally.compared;
        EXPECT_EQ(FreeTypeDifference(opened.face, glyph, outline), "")
            << name << " face " << faceIndex << " glyph " << glyph;
      }
      if (FT_Load_Glyph(opened.face, glyph, kFontUnitOutlineLoad | FT_LOAD_NO_RECURSE) == 0 &&
          opened.face->glyph->format == FT_GLYPH_FORMAT_OUTLINE &&
          opened.face->glyph->outline.n_contours > 0) {
        ++tally.simple;
        tally.simpleAnswered += answered;
      }
    }
    CloseFreeTypeFace(&opened);
  }
  return tally;
}

TEST(TrueTypeGlyphsTest, GeneratedFontsAndHostileCorpusAgreeWithFreeType) {
  Tally total;
  size_t files = 0;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(GLYPHCENSUS_TEST_DATA_DIR)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".ttf" && extension != ".ttc" &&
                                     extension != ".otf" && extension != ".sfnt")) {
      continue;
    }
    const Tally tally = CompareImage(ReadWholeFile(entry.path().string()), entry.path().string());
    total.compared += tally.compared;
    total.simple += tally.simple;
    total.simpleAnswered += tally.simpleAnswered;
    ++files;
  }
  std::cout << files << " files: " << total.compared << " glyphs compared, "
            << total.simpleAnswered << " of " << total.simple << " simple glyphs answered\n";
  EXPECT_GT(files, 50u);
  EXPECT_GT(total.compared, 1000u);
}

// The second face of a collection is read from its own directory.
TEST(TrueTypeGlyphsTest, CollectionFaceAfterTheFirstIsCompared) {
  const std::string folder = GLYPHCENSUS_TEST_DATA_DIR;
  const Tally first = CompareImage(ReadWholeFile(folder + "/glyphtest_edges.ttf"), "edges");
  const Tally both = CompareImage(ReadWholeFile(folder + "/glyphtest_collection.ttc"), "collection");
  EXPECT_GT(first.compared, 0u);
  EXPECT_GT(both.compared, first.compared);
}

// Installed real fonts (skipped when absent): all agree, and the reader
// answers for at least 99% of their simple glyphs.
TEST(TrueTypeGlyphsTest, RealFontsAgreeAndAreAnsweredForNearlyWhole) {
  for (const char* path : {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"}) {
    const Bytes file = ReadWholeFile(path);
    if (file.empty()) continue;
    const Tally tally = CompareImage(file, path);
    std::cout << path << ": " << tally.compared << " compared, " << tally.simpleAnswered
              << " of " << tally.simple << " simple glyphs answered\n";
    EXPECT_GT(tally.simple, 1000u) << path;
    EXPECT_GE(tally.simpleAnswered * 100, tally.simple * 99) << path;
  }
}

// --- Small fonts made here, one glyph changed at a time. ---

void PutU16(Bytes* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value >> 8));
  out->push_back(static_cast<uint8_t>(value));
}
void PutU32(Bytes* out, uint32_t value) {
  PutU16(out, value >> 16);
  PutU16(out, value & 0xFFFF);
}

// Five points in one contour, (50,0) on, (50,500) on, (500,500) off,
// (500,250) on, (500,0) on: short, same, long and repeated flags, one
// instruction byte.
const Bytes kGlyph = {0x00, 0x01, 0x00, 0x32, 0x00, 0x00, 0x01, 0xF4, 0x01, 0xF4,  // header
                      0x00, 0x04,                                                  // end
                      0x00, 0x01, 0x00,                                            // instructions
                      0x33, 0x11, 0x20, 0x19, 0x01,                                // flags
                      0x32, 0x01, 0xC2,                                            // x
                      0x01, 0xF4, 0xFF, 0x06, 0xFF, 0x06};                         // y
constexpr size_t kFlagsAt = 15, kXAt = 20;

struct FontShape {
  std::vector<Bytes> glyphs = {kGlyph, kGlyph};
  uint32_t glyfCut = 0;    // bytes taken off the glyf table's length
  uint16_t hMetrics = 0;   // numberOfHMetrics; 0 for one per glyph
  bool variable = false;   // adds an (empty) fvar table
};

// An sfnt with head, hhea, maxp, hmtx (advance 500, bearing 10), loca
// (long offsets) and glyf.
Bytes MakeFont(const FontShape& shape) {
  const uint32_t glyphCount = static_cast<uint32_t>(shape.glyphs.size());
  const uint32_t hMetrics = shape.hMetrics != 0 ? shape.hMetrics : glyphCount;
  Bytes head(54, 0), hhea(36, 0), maxp, hmtx, loca, glyf, fvar(16, 0);
  head[12] = 0x5F, head[13] = 0x0F, head[14] = 0x3C, head[15] = 0xF5;
  head[18] = 0x03, head[19] = 0xE8, head[51] = 1;
  hhea[1] = 1, hhea[34] = static_cast<uint8_t>(hMetrics >> 8), hhea[35] = static_cast<uint8_t>(hMetrics);
  PutU32(&maxp, 0x5000), PutU16(&maxp, glyphCount);
  for (uint32_t i = 0; i < hMetrics; ++i) PutU16(&hmtx, 500), PutU16(&hmtx, 10);
  for (const Bytes& glyph : shape.glyphs) {
    PutU32(&loca, static_cast<uint32_t>(glyf.size()));
    glyf.insert(glyf.end(), glyph.begin(), glyph.end());
  }
  PutU32(&loca, static_cast<uint32_t>(glyf.size()));
  std::vector<std::pair<const char*, const Bytes*>> tables = {
      {"glyf", &glyf}, {"head", &head}, {"hhea", &hhea}, {"hmtx", &hmtx}, {"loca", &loca}, {"maxp", &maxp}};
  if (shape.variable) tables.insert(tables.begin(), {"fvar", &fvar});
  Bytes font;
  PutU32(&font, 0x00010000), PutU16(&font, static_cast<uint32_t>(tables.size()));
  PutU16(&font, 0), PutU16(&font, 0), PutU16(&font, 0);
  uint32_t offset = static_cast<uint32_t>(12 + 16 * tables.size());
  for (const auto& [tag, bytes] : tables) {
    for (int i = 0; i < 4; ++i) font.push_back(static_cast<uint8_t>(tag[i]));
    const uint32_t length = static_cast<uint32_t>(bytes->size()) - (bytes == &glyf ? shape.glyfCut : 0);
    PutU32(&font, 0), PutU32(&font, offset), PutU32(&font, length);
    offset += (static_cast<uint32_t>(bytes->size()) + 3) & ~3u;
  }
  for (const auto& table : tables) {
    font.insert(font.end(), table.second->begin(), table.second->end());
    font.resize((font.size() + 3) & ~size_t{3}, 0);
  }
  return font;
}

// What the reader and FreeType make of glyph `glyph` of the font.
struct Verdicts {
  bool opened = false, read = false, freeTypeLoads = false;
  PlainOutline outline;
  std::string difference;
};

Verdicts Judge(const FontShape& shape, uint32_t glyph = 1) {
  const Bytes font = MakeFont(shape);
  const ByteView image{font.data(), font.size()};
  Verdicts verdicts;
  TrueTypeGlyphs glyphs;
  verdicts.opened = OpenTrueTypeGlyphs(image, 0, &glyphs);
  verdicts.read = verdicts.opened && ReadSimpleGlyph(glyphs, glyph, &verdicts.outline);
  OpenedFace opened;
  if (OpenFreeTypeFace(image, 0, &opened)) {
    verdicts.freeTypeLoads = FT_Load_Glyph(opened.face, glyph, kFontUnitOutlineLoad) == 0;
    if (verdicts.read) verdicts.difference = FreeTypeDifference(opened.face, glyph, verdicts.outline);
  }
  CloseFreeTypeFace(&opened);
  return verdicts;
}

// A copy of kGlyph with `count` bytes from `at` replaced by `bytes`.
Bytes Changed(size_t at, size_t count, const Bytes& bytes) {
  Bytes glyph = kGlyph;
  glyph.erase(glyph.begin() + at, glyph.begin() + at + count);
  glyph.insert(glyph.begin() + at, bytes.begin(), bytes.end());
  return glyph;
}

TEST(TrueTypeGlyphsTest, WellFormedGlyphIsReadExactly) {
  const Verdicts verdicts = Judge(FontShape{});
  ASSERT_TRUE(verdicts.read);
  EXPECT_EQ(verdicts.difference, "");
  // Moved by bearing - xMin = 10 - 50.
  const std::vector<std::pair<int, int>> expected = {{10, 0}, {10, 500}, {460, 500}, {460, 250}, {460, 0}};
  ASSERT_EQ(verdicts.outline.points.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(verdicts.outline.points[i].x, expected[i].first) << i;
    EXPECT_EQ(verdicts.outline.points[i].y, expected[i].second) << i;
  }
  EXPECT_EQ(verdicts.outline.kinds, (std::vector<uint8_t>{1, 1, 0, 1, 1}));
  EXPECT_EQ(verdicts.outline.contourEnds, std::vector<uint16_t>{4});
  EXPECT_EQ(verdicts.outline.advance, 500);
}

TEST(TrueTypeGlyphsTest, DamagedGlyphsFreeTypeRefusesAreDeclined) {
  const Bytes truncatedFlags(kGlyph.begin(), kGlyph.begin() + kFlagsAt + 2);
  const Bytes xMissing(kGlyph.begin(), kGlyph.begin() + kXAt + 2);  // half the long delta
  const Bytes yMissing(kGlyph.begin(), kGlyph.end() - 1);
  const Bytes repeatPastPoints = Changed(kFlagsAt + 4, 1, {0x02});
  const Bytes endsNotIncreasing = Changed(0, 12, {0x00, 0x02, 0x00, 0x32, 0x00, 0x00, 0x01, 0xF4,
                                                  0x01, 0xF4, 0x00, 0x04, 0x00, 0x04});
  const Bytes negativeEnd = Changed(10, 2, {0x80, 0x04});
  for (const Bytes& glyph : {truncatedFlags, xMissing, yMissing, repeatPastPoints,
                             endsNotIncreasing, negativeEnd}) {
    FontShape shape;
    shape.glyphs[1] = glyph;
    const Verdicts verdicts = Judge(shape);
    EXPECT_TRUE(verdicts.opened);
    EXPECT_FALSE(verdicts.read) << &glyph - &truncatedFlags;
    EXPECT_FALSE(verdicts.freeTypeLoads) << &glyph - &truncatedFlags;
  }
}

// One contour of `count` on-curve points at the origin, their flags repeated.
Bytes ManyPoints(size_t count) {
  Bytes glyph = {0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0};
  PutU16(&glyph, static_cast<uint32_t>(count - 1));
  PutU16(&glyph, 0);
  for (size_t left = count; left > 0;) {
    const size_t run = std::min<size_t>(left, 256);
    glyph.insert(glyph.end(), {0x39, static_cast<uint8_t>(run - 1)});  // on, same x and y, repeat
    left -= run;
  }
  return glyph;
}

// FreeType's loader holds at most 32756 points of a glyph.
TEST(TrueTypeGlyphsTest, PointCountAtFreeTypesLimit) {
  FontShape shape;
  shape.glyphs[1] = ManyPoints(32756);
  Verdicts verdicts = Judge(shape);
  EXPECT_TRUE(verdicts.read);
  EXPECT_EQ(verdicts.difference, "");
  shape.glyphs[1] = ManyPoints(32757);
  verdicts = Judge(shape);
  EXPECT_FALSE(verdicts.read);
  EXPECT_FALSE(verdicts.freeTypeLoads);
}

TEST(TrueTypeGlyphsTest, GlyphsOutsideThePlainCaseAreDeclined) {
  FontShape shape;
  EXPECT_FALSE(Judge(shape, 2).read);  // glyph >= numGlyphs
  shape.glyfCut = 1;                   // the last loca entry past glyf
  EXPECT_FALSE(Judge(shape, 1).read);
  EXPECT_TRUE(Judge(shape, 0).read);
  shape = FontShape{};
  shape.glyphs[1] = Changed(0, 2, {0xFF, 0xFF});  // a composite's contour count
  EXPECT_FALSE(Judge(shape).read);
  shape.glyphs[1] = {};  // empty
  EXPECT_FALSE(Judge(shape).read);
  shape.glyphs[1] = Bytes(kGlyph.begin(), kGlyph.begin() + 9);  // shorter than a header
  EXPECT_FALSE(Judge(shape).read);
}

TEST(TrueTypeGlyphsTest, FacesOutsideThePlainCaseAreDeclined) {
  FontShape shape;
  shape.variable = true;
  EXPECT_FALSE(Judge(shape).opened);
  // One long metric: glyph 1's bearing is missing from hmtx, glyph 0's is not.
  shape = FontShape{};
  shape.hMetrics = 1;
  EXPECT_TRUE(Judge(shape, 0).read);
  EXPECT_FALSE(Judge(shape, 1).read);
  // No face 1 in an sfnt; an image too short for its directory.
  const Bytes font = MakeFont(FontShape{});
  TrueTypeGlyphs glyphs;
  EXPECT_FALSE(OpenTrueTypeGlyphs(ByteView{font.data(), font.size()}, 1, &glyphs));
  EXPECT_FALSE(OpenTrueTypeGlyphs(ByteView{font.data(), 40}, 0, &glyphs));
}

}  // namespace
