#pragma once
// The result of measuring one face: plain data that the front ends render.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"
#include "coverage/presence/glyph_presence.h"
#include "coverage/sets/custom_character_sets.h"  // the sets --chars makes, measured alike
#include "coverage/sets/extended_sets.h"
#include "coverage/results/set_counting.h"

namespace glyphcensus {

// Which built-in sets a set belongs to: the dialog's fifteen, or the
// extended repertoires of the command and the page. A --chars set is kCustom.
enum class SetGroup : uint8_t { kDialog, kExtended, kCustom };

// A set to measure: one of the built-in sets, or one made at run time.
struct SetToMeasure {
  std::string id;           // "ascii-letters", ..., or the name given to a custom set
  const CharacterSet* set = nullptr;        // a set of characters; must outlive the measurement
  const SequenceSet* sequences = nullptr;   // or a set of variation sequences
  SetGroup group = SetGroup::kCustom;
  // An Adobe-Japan1 supplement's set: its last CID, for the CIDs a CID-keyed
  // face of that collection draws; 0 for every other set.
  int32_t lastCid = 0;
  // The set of characters with vertical forms, measured by shaping.
  bool verticalForms = false;
};

// How many members the set has: characters or sequences.
inline int32_t SetTotal(const SetToMeasure& set) {
  return set.sequences != nullptr ? set.sequences->total : set.set->total;
}

// One measured set.
struct MeasuredSet {
  std::string id;
  std::u16string label;
  SetKind kind = SetKind::kCharacters;
  SetGroup group = SetGroup::kCustom;
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

// The fifteen sets of the dialog, in measuring order.
std::vector<SetToMeasure> BuiltInSets();
// The extended sets, in report order: the sets of characters, the
// Adobe-Japan1 supplements, the sets of variation sequences, the vertical forms.
std::vector<SetToMeasure> ExtendedBuiltInSets();
// Both, the fifteen first.
std::vector<SetToMeasure> AllBuiltInSets();
// The built-in set with the id, or null.
const SetToMeasure* FindBuiltInSet(const std::string& id);

// Measures each set in order with CountCharacterSet.
std::vector<MeasuredSet> MeasureSets(MeasuringContext* context,
                                     const std::vector<SetToMeasure>& sets, bool listMissing);

}  // namespace glyphcensus
