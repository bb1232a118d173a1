// The coverage map's layout: every set's characters in their code-table
// places, the unassigned positions, the strips, and the position names.
#include "coverage/map/coverage_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace glyphcensus;

namespace {

const MapPanel& Panel(const std::vector<MapPanel>& panels, const std::string& id) {
  for (const MapPanel& panel : panels) {
    if (panel.id == id) return panel;
  }
  ADD_FAILURE() << "no panel " << id;
  return panels.front();
}

const MapCell* Find(const MapPanel& panel, int32_t row, int32_t cell) {
  for (const MapLine& line : panel.lines) {
    for (const MapCell& c : line.cells) {
      if (c.row == row && c.cell == cell) return &c;
    }
  }
  return nullptr;
}

// The set's characters as code points, in set order.
std::u32string SetCharacters(int set) {
  std::u32string out;
  for (int32_t chunk = 0; chunk < kCharacterSets[set].chunkCount; ++chunk) {
    for (const char16_t* p = kCharacterSets[set].chunks[chunk]; *p != u'\0'; ++p) {
      if (*p >= 0xD800 && *p <= 0xDBFF) {
        out.push_back(0x10000 + ((static_cast<char32_t>(*p) - 0xD800) << 10) + (p[1] - 0xDC00));
        ++p;
      } else {
        out.push_back(*p);
      }
    }
  }
  return out;
}

// The panel's cells that count toward `set`, in panel order.
std::u32string CellsOf(const MapPanel& panel, int set) {
  std::u32string out;
  for (const MapLine& line : panel.lines) {
    for (const MapCell& cell : line.cells) {
      if (cell.set == set) out.push_back(cell.codePoint);
    }
  }
  return out;
}

class MapLayoutTest : public testing::Test {
 protected:
  std::vector<MapPanel> panels = BuildMapLayout();
};

TEST_F(MapLayoutTest, EverySetFillsItsRegionInOrder) {
  const struct {
    const char* panel;
    int set;
  } kRegions[] = {{"jisx0208", kJisLevel1},         {"jisx0208", kJisLevel2},
                  {"jisx0213p1", kJisLevel1},       {"jisx0213p1", kJisLevel2},
                  {"jisx0213p1", kJisLevel3},       {"jisx0213p2", kJisLevel4},
                  {"windows31j", kNecSpecials},     {"windows31j", kIbmExtensions},
                  {"ascii", kLatinLetters},         {"ascii", kDigits},
                  {"ascii", kAsciiSymbols},         {"kana", kHiragana},
                  {"kana", kKatakana},              {"greek-cyrillic", kGreekLetters},
                  {"greek-cyrillic", kCyrillicLetters}, {"education", kEducationKanji},
                  {"regular-use", kRegularUseKanji}};
  for (const auto& region : kRegions) {
    EXPECT_EQ(CellsOf(Panel(panels, region.panel), region.set), SetCharacters(region.set))
        << region.panel << " " << region.set;
  }
}

TEST_F(MapLayoutTest, CodeTablesHaveTheStandardsShape) {
  const MapPanel& jis0208 = Panel(panels, "jisx0208");
  ASSERT_EQ(jis0208.lines.size(), 94u);
  for (const MapLine& line : jis0208.lines) EXPECT_EQ(line.cells.size(), 94u);
  EXPECT_EQ(jis0208.lines[15].label, "16");
  // The first and last kanji of each level, and the first free cells after them.
  EXPECT_EQ(Find(jis0208, 16, 1)->codePoint, U'\u4E9C');
  EXPECT_EQ(Find(jis0208, 47, 51)->codePoint, U'\u8155');
  EXPECT_EQ(Find(jis0208, 47, 52)->state, CellState::kUnassigned);
  EXPECT_EQ(Find(jis0208, 84, 6)->codePoint, U'\u7199');
  EXPECT_EQ(Find(jis0208, 84, 7)->codePoint, 0u);
  EXPECT_EQ(Find(jis0208, 9, 1)->codePoint, 0u);
  EXPECT_EQ(Find(jis0208, 1, 1)->codePoint, U'\u3000');
  EXPECT_EQ(Find(jis0208, 1, 1)->set, -1);

  const MapPanel& plane1 = Panel(panels, "jisx0213p1");
  EXPECT_EQ(Find(plane1, 14, 1)->codePoint, U'\u4FF1');
  EXPECT_EQ(Find(plane1, 47, 52)->codePoint, U'\U00020B9F');
  EXPECT_EQ(Find(plane1, 84, 7)->codePoint, U'\u5653');
  EXPECT_EQ(Find(plane1, 16, 1)->set, kJisLevel1);

  const MapPanel& plane2 = Panel(panels, "jisx0213p2");
  ASSERT_EQ(plane2.lines.size(), 26u);
  EXPECT_EQ(plane2.lines[1].label, "3");
  EXPECT_EQ(Find(plane2, 94, 86)->codePoint, U'\U0002A6B2');
  EXPECT_EQ(Find(plane2, 94, 87)->state, CellState::kUnassigned);

  const MapPanel& windows = Panel(panels, "windows31j");
  EXPECT_EQ(Find(windows, 13, 1)->codePoint, U'\u2460');
  EXPECT_EQ(Find(windows, 13, 31)->codePoint, 0u);  // a gap in the NEC row
  EXPECT_EQ(Find(windows, 115, 1)->codePoint, U'\u2170');
  EXPECT_EQ(Find(windows, 119, 12)->codePoint, U'\u9ED1');
  EXPECT_EQ(Find(windows, 119, 13)->codePoint, 0u);
}

TEST_F(MapLayoutTest, CombiningSequencesAreShownButNotMeasured) {
  const MapPanel& plane1 = Panel(panels, "jisx0213p1");
  int sequences = 0;
  for (const MapLine& line : plane1.lines) {
    for (const MapCell& cell : line.cells) {
      if (cell.mark == 0) continue;
      ++sequences;
      EXPECT_NE(cell.codePoint, 0u);
      EXPECT_EQ(cell.state, CellState::kUnassigned);
      EXPECT_EQ(cell.set, -1);
    }
  }
  EXPECT_EQ(sequences, 25);
  const MapCell* ka = Find(plane1, 4, 87);  // か with the semi-voiced mark
  ASSERT_NE(ka, nullptr);
  EXPECT_EQ(ka->codePoint, U'\u304B');
  EXPECT_EQ(ka->mark, U'\u309A');
  // Not counted: the cells of no set that are measured.
  EXPECT_EQ(CountCells(plane1, -1, CellState::kMissing), 1183 - 25);
}

TEST_F(MapLayoutTest, StripsWrapAndLabelTheirSections) {
  const MapPanel& education = Panel(panels, "education");
  std::vector<std::string> labels;
  for (const MapLine& line : education.lines) {
    EXPECT_LE(line.cells.size(), 94u);
    if (!line.label.empty()) labels.push_back(line.label);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"1年", "2年", "3年", "4年", "5年", "6年", "都道府県"}));
  EXPECT_EQ(education.lines.size(), 1u + 2 + 3 + 3 + 2 + 2 + 1);
  EXPECT_EQ(education.lines.back().cells.back().cell, 1026);
  const MapPanel& ascii = Panel(panels, "ascii");
  ASSERT_EQ(ascii.lines.size(), 3u);
  EXPECT_EQ(ascii.lines[0].label, "英字");
  EXPECT_EQ(ascii.lines[2].cells.front().cell, 1);  // places count within each set
}

TEST(MapPositionTest, NamesPlaneRowAndCell) {
  MapPanel plane;
  plane.plane = 1;
  MapCell cell;
  cell.row = 16;
  cell.cell = 1;
  EXPECT_EQ(CellPosition(plane, cell), "1-16-01");
  plane.plane = 0;
  cell.row = 115;
  cell.cell = 94;
  EXPECT_EQ(CellPosition(plane, cell), "115-94");
}

}  // namespace
