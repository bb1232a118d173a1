#pragma once
// The fifteen character repertoires, as constant UTF-16 data, in measuring order.
#include <cstdint>

namespace glyphcensus {

enum class ProgressKind {
  kGroup,    // a caption named for a group of sets is shown before this set
  kNone,     // shares the caption of the set before it
  kNumbered, // a caption with chunk number and chunk count before each chunk
};

struct CharacterSet {
  const char16_t* label;
  const char16_t* const* chunks;  // NUL-terminated strings
  int32_t chunkCount;
  int32_t total;  // characters in all chunks, a surrogate pair counted once
  ProgressKind progress;
};

enum CharacterSetIndex {
  kLatinLetters,
  kDigits,
  kAsciiSymbols,
  kHiragana,
  kKatakana,
  kEducationKanji,
  kRegularUseKanji,
  kJisLevel1,
  kJisLevel2,
  kJisLevel3,
  kJisLevel4,
  kIbmExtensions,
  kNecSpecials,
  kGreekLetters,
  kCyrillicLetters,
  kCharacterSetCount
};

extern const CharacterSet kCharacterSets[kCharacterSetCount];
// Their ids (character_set_ids.h), written beside them by the generator.
extern const char* const kCharacterSetIds[kCharacterSetCount];

}  // namespace glyphcensus
