#pragma once
// The non-kanji rows of the JIS code tables, for the coverage map. The kanji
// rows come from the kanji sets of character_sets.h, which hold them in code
// order.
#include <cstdint>

namespace glyphcensus {

constexpr int kJisCells = 94;
constexpr int kJisX0208NonKanjiRows = 8;   // rows 1-8
constexpr int kJisX0213NonKanjiRows = 13;  // plane 1, rows 1-13
constexpr int kJisX0213SequenceCount = 25;

// A plane-1 position whose character is a base character and a combining mark.
struct JisSequence {
  uint8_t row;
  uint8_t cell;
  char32_t first;
  char32_t second;
};

extern const char32_t kJisX0208NonKanji[kJisX0208NonKanjiRows][kJisCells];
extern const char32_t kJisX0213NonKanji[kJisX0213NonKanjiRows][kJisCells];
extern const JisSequence kJisX0213Sequences[kJisX0213SequenceCount];
// Windows-31J row 13: the NEC special characters.
extern const char32_t kNecRow13[kJisCells];

}  // namespace glyphcensus
