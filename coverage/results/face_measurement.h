#pragma once
// The result of measuring one face: plain data that the front ends render.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"
#include "coverage/sets/custom_character_sets.h"  // the sets --chars makes, measured alike
#include "coverage/results/set_counting.h"

namespace glyphcensus {

// A set to measure: one of the fifteen, or one made at run time.
struct SetToMeasure {
  std::string id;           // "ascii-letters", ..., or the name given to a custom set
  const CharacterSet* set;  // must outlive the measurement
};

// One measured set.
struct MeasuredSet {
  std::string id;
  std::u16string label;
  int32_t total = 0;
  int32_t present = 0;
  std::u16string missing;  // the characters not drawn, in set order, when asked for
};

// The fifteen sets, in measuring order.
std::vector<SetToMeasure> BuiltInSets();

// Measures each set in order with CountCharacterSet.
std::vector<MeasuredSet> MeasureSets(MeasuringContext* context,
                                     const std::vector<SetToMeasure>& sets, bool listMissing);

}  // namespace glyphcensus
