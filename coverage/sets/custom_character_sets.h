#pragma once
// Character sets made at run time (the command's --chars lists): their
// storage, and the CharacterSet view the counting reads.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"

namespace glyphcensus {

// A character set made at run time from distinct code points: the storage
// behind a CharacterSet, cut into chunks of 100 characters like the kanji sets.
struct OwnedCharacterSet {
  std::u16string label;
  std::vector<std::u16string> chunkTexts;
  std::vector<const char16_t*> chunkPointers;
  int32_t total = 0;
};

// Fills `owned` from `characters` (distinct Unicode scalar values).
void MakeOwnedCharacterSet(const std::u16string& label, const std::vector<char32_t>& characters,
                           OwnedCharacterSet* owned);

// A view of `owned`, valid while `owned` is neither changed nor destroyed.
CharacterSet ViewOf(const OwnedCharacterSet& owned);

}  // namespace glyphcensus
