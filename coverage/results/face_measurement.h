#pragma once
// The result of measuring one face: plain data that the front ends render.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"
#include "coverage/presence/glyph_presence.h"
#include "coverage/sets/custom_character_sets.h"  // the sets --chars makes, measured alike
#include "coverage/results/set_counting.h"

namespace glyphcensus {

// A set to measure: one of the fifteen, or one made at run time.
struct SetToMeasure {
  std::string id;           // "ascii-letters", ..., or the name given to a custom set
  const CharacterSet* set;  // must outlive the measurement
};

// What a set's members are: characters, or variation sequences (a base
// character and a variation selector).
enum class SetKind : uint8_t { kCharacters, kSequences };

struct VariationSequence {
  char32_t base = 0;
  char32_t selector = 0;
};

// One measured set.
struct MeasuredSet {
  std::string id;
  std::u16string label;
  SetKind kind = SetKind::kCharacters;
  int32_t total = 0;
  int32_t present = 0;
  std::u16string missing;  // the characters not drawn, in set order, when asked for
  std::vector<VariationSequence> missingSequences;  // the same for a set of sequences
  // Why each missing member is missing: parallel to the characters of
  // `missing` (a surrogate pair as one) or to `missingSequences`.
  std::vector<GlyphFate> missingReasons;
  // The Adobe-Japan1 sets of a CID-keyed face of that collection: the CIDs
  // 1 to `cidsTotal` (the supplement's last CID) that the face draws.
  bool cidsCounted = false;
  int32_t cidsPresent = 0;
  int32_t cidsTotal = 0;
};

// The fifteen sets, in measuring order.
std::vector<SetToMeasure> BuiltInSets();

// Measures each set in order with CountCharacterSet.
std::vector<MeasuredSet> MeasureSets(MeasuringContext* context,
                                     const std::vector<SetToMeasure>& sets, bool listMissing);

}  // namespace glyphcensus
