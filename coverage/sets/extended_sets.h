#pragma once
// The extended repertoires, beside the fifteen of the dialog: JIS non-kanji,
// JIS X 0212 kanji, name kanji, Adobe-Japan1's supplements, the sets of
// variation sequences and the characters with vertical forms. Constant data
// written by tools/make_extended_sets.py (extended_set_tables.cpp); the
// Adobe-Japan1 sets are cut from one table when first asked for.
#include <cstdint>

#include "coverage/sets/character_sets.h"

namespace glyphcensus {

// What a set's members are: characters, or variation sequences (a base
// character and a variation selector).
enum class SetKind : uint8_t { kCharacters, kSequences };

struct VariationSequence {
  char32_t base = 0;
  char32_t selector = 0;
};

enum ExtendedCharacterSetIndex {
  kJisX0208NonKanjiSet,
  kJisX0213NonKanjiSet,
  kJisX0212KanjiSet,
  kJinmeiyoKanjiSet,
  kVerticalFormsSet,
  kExtendedCharacterSetCount
};
extern const CharacterSet kExtendedCharacterSets[kExtendedCharacterSetCount];
extern const char* const kExtendedCharacterSetIds[kExtendedCharacterSetCount];

// A set of variation sequences, each packed as base << 8 | selector index
// (0-15 for U+FE00-FE0F, 16-255 for U+E0100-E01EF), in its source's order.
struct SequenceSet {
  const char* id;
  const char16_t* label;
  const uint32_t* packed;
  int32_t total;
};

inline VariationSequence UnpackSequence(uint32_t packed) {
  const uint32_t index = packed & 0xFF;
  return VariationSequence{packed >> 8, index < 16 ? 0xFE00 + index : 0xE0100 + index - 16};
}

enum SequenceSetIndex {
  kIvsAdobeJapan1,
  kIvsHanyoDenshi,
  kIvsMojiJoho,
  kSvsCjkCompatibility,
  kSequenceSetCount
};
extern const SequenceSet kSequenceSets[kSequenceSetCount];

// Adobe-Japan1-0 to -7: the code points UniJIS2004-UTF32-H maps to a CID of
// that supplement or an earlier one, in code point order.
constexpr int kAdobeJapan1SupplementCount = 8;
extern const int32_t kAdobeJapan1LastCids[kAdobeJapan1SupplementCount];
// The set of supplement `supplement` (0 to 7); "adobe-japan1-N", "AJ1-N".
const CharacterSet& AdobeJapan1Set(int supplement);
const char* AdobeJapan1SetId(int supplement);

// The generated table behind AdobeJapan1Set: every code point in order, and
// one digit per code point, its CID's supplement.
extern const char16_t kAdobeJapan1Characters[];
extern const char kAdobeJapan1SupplementDigits[];
extern const int32_t kAdobeJapan1Count;

}  // namespace glyphcensus
