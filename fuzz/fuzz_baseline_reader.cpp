// Fuzz target: the baseline reader of --baseline and the page's compare.
//
// Checks, besides the sanitizers: a refusal leaves no face; an accepted
// baseline holds no more missing members than each set has, every one a
// Unicode scalar value; and every face read, measured again as it was, loses
// and gains nothing against itself, and reads back from its own baseline
// record unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "coverage/output/baseline_reader.h"
#include "coverage/results/release_comparison.h"
#include "fontio/unicode_text.h"

using namespace glyphcensus;

namespace {

// The face as a measurement that found what the baseline found.
FaceResult MeasuredAsBefore(const BaselineFace& face) {
  FaceResult result;
  result.path = face.path;
  result.faceKnown = face.faceKnown;
  result.faceIndex = face.faceIndex;
  for (const BaselineSet& set : face.sets) {
    MeasuredSet measured;
    measured.id = set.id;
    measured.kind = set.kind;
    measured.total = set.total;
    for (char32_t c : set.missing) AppendUtf16(&measured.missing, c);
    measured.missingSequences = set.missingSequences;
    result.sets.push_back(measured);
  }
  return result;
}

void CheckFace(const BaselineFace& face) {
  for (const BaselineSet& set : face.sets) {
    const size_t missing = set.kind == SetKind::kSequences ? set.missingSequences.size() : set.missing.size();
    if (set.total < 0 || missing > static_cast<size_t>(set.total)) std::abort();
    for (char32_t c : set.missing) {
      if (!IsScalarValue(c)) std::abort();
    }
    for (const VariationSequence& sequence : set.missingSequences) {
      if (!IsScalarValue(sequence.base) || !IsScalarValue(sequence.selector)) std::abort();
    }
  }
  const FaceResult again = MeasuredAsBefore(face);
  const FaceChanges changes = CompareWithBaseline(face, again);
  // Sets of one id read twice are compared with the first: only sets whose
  // ids are distinct must come out unchanged.
  if (BaselineSetIds(Baseline{{face}}).size() == face.sets.size() && !changes.sets.empty()) std::abort();
  const BaselineFace back = BaselineOf(again);
  if (back.sets.size() != face.sets.size()) std::abort();
  for (size_t k = 0; k < face.sets.size(); ++k) {
    if (back.sets[k].missing != face.sets[k].missing) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Baseline baseline;
  const BaselineReading reading =
      ReadBaseline(std::string_view(reinterpret_cast<const char*>(data), size), &baseline);
  if (reading.refusal != BaselineRefusal::kNone) {
    if (!baseline.faces.empty() || BaselineRefusalWords(reading).empty()) std::abort();
    return 0;
  }
  for (const BaselineFace& face : baseline.faces) CheckFace(face);
  return 0;
}
