#pragma once
// Counting one character set against an open measuring context: the one
// counting loop behind the dialog's report and the command line's results.
#include <cstdint>
#include <string>

#include "coverage/sets/character_set_ids.h"  // the sets' identifiers, for callers of the counting
#include "coverage/sets/character_sets.h"
#include "coverage/presence/glyph_presence.h"

namespace glyphcensus {

// Called before each chunk of a set is tested, with the chunk's index.
using ChunkHook = void (*)(void* user, const CharacterSet& set, int32_t chunk);

// The number of characters of `set` that the font draws, tested chunk by
// chunk. When `missing` is given, each character the font does not draw is
// appended to it (a surrogate pair as one), in set order; the characters are
// then tested one by one, with the same verdicts.
int32_t CountCharacterSet(MeasuringContext* context, const CharacterSet& set,
                          std::u16string* missing = nullptr, ChunkHook hook = nullptr,
                          void* user = nullptr);

}  // namespace glyphcensus
