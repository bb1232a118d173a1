#include "coverage/results/face_measurement.h"

#include "coverage/results/set_counting.h"

namespace glyphcensus {

std::vector<SetToMeasure> BuiltInSets() {
  std::vector<SetToMeasure> sets;
  for (int index = 0; index < kCharacterSetCount; ++index) {
    sets.push_back(SetToMeasure{kCharacterSetIds[index], &kCharacterSets[index]});
  }
  return sets;
}

std::vector<MeasuredSet> MeasureSets(MeasuringContext* context,
                                     const std::vector<SetToMeasure>& sets, bool listMissing) {
  std::vector<MeasuredSet> measured;
  measured.reserve(sets.size());
  for (const SetToMeasure& wanted : sets) {
    MeasuredSet result;
    result.id = wanted.id;
    result.label = wanted.set->label;
    result.total = wanted.set->total;
    result.present = CountCharacterSet(context, *wanted.set,
                                       listMissing ? &result.missing : nullptr);
    measured.push_back(std::move(result));
  }
  return measured;
}

}  // namespace glyphcensus
