#pragma once
// Stable identifiers of the fifteen sets for machines, in measuring order
// ("ascii-letters", "digits", ..., "cyrillic"): the ids of the command's
// --sets and --require, and of the JSON and CSV output. Written with the
// sets by tools/make_character_sets.py (coverage/sets/character_sets.cpp).
#include "coverage/sets/character_sets.h"

namespace glyphcensus {

extern const char* const kCharacterSetIds[kCharacterSetCount];

}  // namespace glyphcensus
