#pragma once
// The coverage map's content: panels of cells laid out as the JIS code tables
// print them (rows of 94 cells), and strips of the smaller sets, each cell
// present, missing or unassigned as the glyph presence test finds it.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"
#include "coverage/presence/glyph_presence.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

enum class CellState : uint8_t { kUnassigned, kPresent, kMissing };

struct MapCell {
  int32_t row = 0;       // code-table row; 0 in a strip
  int32_t cell = 0;      // code-table cell (1-94), or the place in the strip's set (from 1)
  char32_t codePoint = 0;  // 0 for an unassigned position
  // A JIS X 0213 position that is a character and a combining mark holds the
  // mark here. Such a position is not measured (the report counts no
  // sequences) and stays Unassigned, its characters shown as text.
  char32_t mark = 0;
  int8_t set = -1;  // the report's set the cell counts toward, or -1
  CellState state = CellState::kUnassigned;
};

struct MapLine {
  std::string label;  // UTF-8: the row number, or a strip's caption
  std::vector<MapCell> cells;  // at most kMapLineCells
};

enum class PanelKind : uint8_t { kCodeTable, kStrip };

struct MapPanel {
  std::string id;     // short ASCII name, unique among the panels
  std::string title;  // UTF-8
  PanelKind kind = PanelKind::kCodeTable;
  int32_t plane = 0;  // 1 or 2 for JIS X 0213 (positions then name the plane)
  std::vector<int> sets;  // the report's sets in this panel, in report order
  // The extended set of the panel's non-kanji rows (kJisX0208NonKanji,
  // kJisX0213NonKanji), whose count its title gives; -1 for none.
  int nonKanjiSet = -1;
  std::vector<MapLine> lines;
};

constexpr int32_t kMapLineCells = 94;

// The panels with every cell Unassigned or Missing (no font asked): JIS X
// 0208, JIS X 0213 planes 1 and 2, Windows-31J NEC row 13 and IBM rows
// 115-119, then strips of ASCII, kana, Greek and Cyrillic, education kanji by
// grade, and regular-use kanji.
std::vector<MapPanel> BuildMapLayout();

// Asks the glyph presence test about every assigned, single-character cell,
// one character at a time as the missing-character list does, so the present
// cells of a set's region are the report's count for that set.
void MeasureMap(MeasuringContext* context, std::vector<MapPanel>* panels);

// Cells of the panel in `state` that count toward `set` (-1: cells of no set),
// positions without a character left out.
int32_t CountCells(const MapPanel& panel, int set, CellState state);

// "16-01", or "1-16-01" in a panel with a plane: the cell's position.
std::string CellPosition(const MapPanel& panel, const MapCell& cell);

}  // namespace glyphcensus
