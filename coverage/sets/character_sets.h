#pragma once
// The fifteen character repertoires, as constant UTF-16 data, in measuring order.
#include <cstdint>

enum class ProgressKind {
  Group,     // a caption named for a group of sets is shown before this set
  None,      // shares the caption of the set before it
  Numbered,  // a caption with chunk number and chunk count before each chunk
};

struct CharacterSet {
  const char16_t* label;
  const char16_t* const* chunks;  // NUL-terminated strings
  int32_t chunkCount;
  int32_t total;  // characters in all chunks, a surrogate pair counted once
  ProgressKind progress;
};

enum CharacterSetIndex {
  LatinLetters,
  Digits,
  AsciiSymbols,
  Hiragana,
  Katakana,
  EducationKanji,
  RegularUseKanji,
  JisLevel1,
  JisLevel2,
  JisLevel3,
  JisLevel4,
  IbmExtensions,
  NecSpecials,
  GreekLetters,
  CyrillicLetters,
  kCharacterSetCount
};

extern const CharacterSet kCharacterSets[kCharacterSetCount];
