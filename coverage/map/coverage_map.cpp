// The coverage map's panels: where each character of the JIS code tables
// stands, and whether the font draws it.
#include "coverage/map/coverage_map.h"

#include <cstdio>
#include <string>

#include "coverage/sets/extended_sets.h"
#include "coverage/sets/jis_tables.h"

namespace glyphcensus {

namespace {

// Reads a set's characters in order, a surrogate pair as one code point.
struct SetReader {
  const CharacterSet* set;
  int32_t chunk = 0;
  size_t at = 0;
};

char32_t NextCharacter(SetReader* reader) {
  while (reader->chunk < reader->set->chunkCount) {
    const char16_t* text = reader->set->chunks[reader->chunk];
    const char16_t unit = text[reader->at];
    if (unit == u'\0') {
      ++reader->chunk;
      reader->at = 0;
      continue;
    }
    ++reader->at;
    if (IsHighSurrogate(unit)) return CombineSurrogates(unit, text[reader->at++]);
    return unit;
  }
  return 0;  // the set is used up
}

SetReader Reader(int set) { return SetReader{&kCharacterSets[set]}; }

MapCell Assigned(int32_t row, int32_t cell, char32_t codePoint, int set) {
  MapCell out;
  out.row = row;
  out.cell = cell;
  out.codePoint = codePoint;
  out.set = static_cast<int8_t>(codePoint == 0 ? -1 : set);
  out.state = codePoint == 0 ? CellState::kUnassigned : CellState::kMissing;
  return out;
}

MapLine RowLine(int32_t row) { return MapLine{std::to_string(row), {}}; }

// JIS X 0208: non-kanji rows 1-8, level 1 in rows 16-47 (row 47 to cell 51),
// level 2 in rows 48-84 (row 84 to cell 6).
MapPanel JisX0208Panel() {
  MapPanel panel{"jisx0208", "JIS X 0208", PanelKind::kCodeTable, 0, {kJisLevel1, kJisLevel2},
                 kJisX0208NonKanjiSet, {}};
  SetReader level1 = Reader(kJisLevel1), level2 = Reader(kJisLevel2);
  for (int32_t row = 1; row <= kJisCells; ++row) {
    MapLine line = RowLine(row);
    for (int32_t cell = 1; cell <= kJisCells; ++cell) {
      char32_t codePoint = 0;
      int set = -1;
      if (row <= kJisX0208NonKanjiRows) {
        codePoint = kJisX0208NonKanji[row - 1][cell - 1];
      } else if (row >= 16 && row <= 47 && (row < 47 || cell <= 51)) {
        codePoint = NextCharacter(&level1), set = kJisLevel1;
      } else if (row >= 48 && row <= 84 && (row < 84 || cell <= 6)) {
        codePoint = NextCharacter(&level2), set = kJisLevel2;
      }
      line.cells.push_back(Assigned(row, cell, codePoint, set));
    }
    panel.lines.push_back(std::move(line));
  }
  return panel;
}

// The plane-1 kanji positions that JIS X 0213 added (level 3).
bool IsLevel3Position(int32_t row, int32_t cell) {
  return row == 14 || row == 15 || (row == 47 && cell >= 52) || (row == 84 && cell >= 7) ||
         row >= 85;
}

MapCell Plane1NonKanji(int32_t row, int32_t cell) {
  MapCell out = Assigned(row, cell, kJisX0213NonKanji[row - 1][cell - 1], -1);
  for (const JisSequence& sequence : kJisX0213Sequences) {
    if (sequence.row == row && sequence.cell == cell) {
      out.codePoint = sequence.first;
      out.mark = sequence.second;
      out.state = CellState::kUnassigned;  // not measured
    }
  }
  return out;
}

// JIS X 0213 plane 1: the JIS X 0208 characters in their places, the added
// non-kanji in rows 1-13 and level 3 in the remaining kanji positions.
MapPanel JisX0213Plane1Panel() {
  MapPanel panel{"jisx0213p1", "JIS X 0213 plane 1", PanelKind::kCodeTable, 1,
                 {kJisLevel1, kJisLevel2, kJisLevel3}, kJisX0213NonKanjiSet, {}};
  SetReader level1 = Reader(kJisLevel1), level2 = Reader(kJisLevel2), level3 = Reader(kJisLevel3);
  for (int32_t row = 1; row <= kJisCells; ++row) {
    MapLine line = RowLine(row);
    for (int32_t cell = 1; cell <= kJisCells; ++cell) {
      if (row <= kJisX0213NonKanjiRows) {
        line.cells.push_back(Plane1NonKanji(row, cell));
      } else if (IsLevel3Position(row, cell)) {
        line.cells.push_back(Assigned(row, cell, NextCharacter(&level3), kJisLevel3));
      } else if (row <= 47) {
        line.cells.push_back(Assigned(row, cell, NextCharacter(&level1), kJisLevel1));
      } else {
        line.cells.push_back(Assigned(row, cell, NextCharacter(&level2), kJisLevel2));
      }
    }
    panel.lines.push_back(std::move(line));
  }
  return panel;
}

// JIS X 0213 plane 2: level 4 in the 26 rows the standard uses (row 94 to
// cell 86); the other rows are left to other standards and not drawn.
MapPanel JisX0213Plane2Panel() {
  MapPanel panel{"jisx0213p2", "JIS X 0213 plane 2", PanelKind::kCodeTable, 2, {kJisLevel4}, -1, {}};
  static const int32_t kRows[] = {1,  3,  4,  5,  8,  12, 13, 14, 15, 78, 79, 80, 81,
                                  82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94};
  SetReader level4 = Reader(kJisLevel4);
  for (int32_t row : kRows) {
    MapLine line = RowLine(row);
    for (int32_t cell = 1; cell <= kJisCells; ++cell) {
      const char32_t codePoint = row == 94 && cell > 86 ? 0 : NextCharacter(&level4);
      line.cells.push_back(Assigned(row, cell, codePoint, kJisLevel4));
    }
    panel.lines.push_back(std::move(line));
  }
  return panel;
}

// Windows-31J: the NEC special characters (row 13) and the IBM extensions,
// Shift_JIS FA40-FC4B, which are rows 115-119 counted on from row 94.
MapPanel Windows31jPanel() {
  MapPanel panel{"windows31j", "Windows-31J extensions", PanelKind::kCodeTable, 0,
                 {kIbmExtensions, kNecSpecials}, -1, {}};
  MapLine nec = RowLine(13);
  for (int32_t cell = 1; cell <= kJisCells; ++cell) {
    nec.cells.push_back(Assigned(13, cell, kNecRow13[cell - 1], kNecSpecials));
  }
  panel.lines.push_back(std::move(nec));
  SetReader ibm = Reader(kIbmExtensions);
  for (int32_t row = 115; row <= 119; ++row) {
    MapLine line = RowLine(row);
    for (int32_t cell = 1; cell <= kJisCells; ++cell) {
      line.cells.push_back(Assigned(row, cell, NextCharacter(&ibm), kIbmExtensions));
    }
    panel.lines.push_back(std::move(line));
  }
  return panel;
}

// Appends `count` characters of the reader's set as lines of at most
// kMapLineCells, the first labelled; `place` numbers them within the set.
void AppendStripLines(MapPanel* panel, SetReader* reader, int set, int32_t count,
                      const std::string& label, int32_t* place) {
  for (int32_t done = 0; done < count;) {
    MapLine line{done == 0 ? label : std::string(), {}};
    for (; done < count && static_cast<int32_t>(line.cells.size()) < kMapLineCells; ++done) {
      line.cells.push_back(Assigned(0, ++*place, NextCharacter(reader), set));
    }
    panel->lines.push_back(std::move(line));
  }
}

MapPanel StripPanel(const char* id, const char* title, std::initializer_list<int> sets) {
  MapPanel panel{id, title, PanelKind::kStrip, 0, sets, -1, {}};
  for (int set : sets) {
    SetReader reader = Reader(set);
    int32_t place = 0;
    AppendStripLines(&panel, &reader, set, kCharacterSets[set].total,
                     Utf16ToUtf8(kCharacterSets[set].label), &place);
  }
  return panel;
}

// The education kanji grade by grade in the table's order; the last section
// is the 20 prefecture-name kanji added to the list in 2020.
MapPanel EducationPanel() {
  MapPanel panel{"education", "教育漢字", PanelKind::kStrip, 0, {kEducationKanji}, -1, {}};
  static const int32_t kSections[] = {80, 160, 200, 200, 185, 181, 20};
  static const char* const kLabels[] = {"1年", "2年", "3年", "4年", "5年", "6年", "都道府県"};
  SetReader reader = Reader(kEducationKanji);
  int32_t place = 0;
  for (size_t i = 0; i < sizeof kSections / sizeof kSections[0]; ++i) {
    AppendStripLines(&panel, &reader, kEducationKanji, kSections[i], kLabels[i], &place);
  }
  return panel;
}

}  // namespace

std::vector<MapPanel> BuildMapLayout() {
  std::vector<MapPanel> panels;
  panels.push_back(JisX0208Panel());
  panels.push_back(JisX0213Plane1Panel());
  panels.push_back(JisX0213Plane2Panel());
  panels.push_back(Windows31jPanel());
  panels.push_back(StripPanel("ascii", "ASCII", {kLatinLetters, kDigits, kAsciiSymbols}));
  panels.push_back(StripPanel("kana", "仮名", {kHiragana, kKatakana}));
  panels.push_back(StripPanel("greek-cyrillic", "ギリシア文字・キリル文字",
                              {kGreekLetters, kCyrillicLetters}));
  panels.push_back(EducationPanel());
  panels.push_back(StripPanel("regular-use", "常用漢字", {kRegularUseKanji}));
  return panels;
}

void MeasureMap(MeasuringContext* context, std::vector<MapPanel>* panels) {
  for (MapPanel& panel : *panels) {
    for (MapLine& line : panel.lines) {
      for (MapCell& cell : line.cells) {
        if (cell.codePoint == 0 || cell.mark != 0) continue;
        std::u16string one;
        AppendUtf16(&one, cell.codePoint);
        cell.state = CountPresentGlyphs(context, one.c_str()) != 0 ? CellState::kPresent
                                                                    : CellState::kMissing;
      }
    }
  }
}

int32_t CountCells(const MapPanel& panel, int set, CellState state) {
  int32_t count = 0;
  for (const MapLine& line : panel.lines) {
    for (const MapCell& cell : line.cells) {
      if (cell.set == set && cell.state == state && cell.codePoint != 0) ++count;
    }
  }
  return count;
}

std::string CellPosition(const MapPanel& panel, const MapCell& cell) {
  char text[32];
  if (panel.plane != 0) {
    std::snprintf(text, sizeof text, "%d-%02d-%02d", panel.plane, cell.row, cell.cell);
  } else {
    std::snprintf(text, sizeof text, "%02d-%02d", cell.row, cell.cell);
  }
  return text;
}

}  // namespace glyphcensus
