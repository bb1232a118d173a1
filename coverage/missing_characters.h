#pragma once
// The characters of a set that the font does not draw, one presence test per
// character (CountPresentGlyphs on a one-character string).
#include <string>

#include "coverage/character_sets.h"
#include "coverage/glyph_presence.h"

// Appends to `missing` each character of `set` (a surrogate pair as one) that
// is not present, in set order. Returns the number of present characters.
int32_t ListMissingCharacters(MeasuringContext* context, const CharacterSet& set,
                              std::u16string* missing);
