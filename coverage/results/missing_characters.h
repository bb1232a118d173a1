#pragma once
// The characters of a text that the font does not draw, one presence test per
// character (CountPresentGlyphs on a one-character string).
#include <string>

#include "coverage/sets/character_sets.h"
#include "coverage/presence/glyph_presence.h"

namespace glyphcensus {

// Appends to `missing` each character of the NUL-terminated `text` (a
// surrogate pair as one) that is not present, in text order. Returns the
// number of present characters.
int32_t ListMissingInText(MeasuringContext* context, const char16_t* text,
                          std::u16string* missing);

// The same for every chunk of `set`.
int32_t ListMissingCharacters(MeasuringContext* context, const CharacterSet& set,
                              std::u16string* missing);

}  // namespace glyphcensus
