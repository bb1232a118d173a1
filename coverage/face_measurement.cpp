#include "coverage/face_measurement.h"

namespace {

constexpr int32_t kCharactersPerChunk = 100;

void AppendUtf16(std::u16string* text, char32_t codePoint) {
  if (codePoint < 0x10000) {
    text->push_back(static_cast<char16_t>(codePoint));
  } else {
    const char32_t offset = codePoint - 0x10000;
    text->push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
    text->push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
  }
}

}  // namespace

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

void MakeOwnedCharacterSet(const std::u16string& label, const std::vector<char32_t>& characters,
                           OwnedCharacterSet* owned) {
  owned->label = label;
  owned->chunkTexts.clear();
  for (size_t i = 0; i < characters.size(); ++i) {
    if (i % kCharactersPerChunk == 0) owned->chunkTexts.emplace_back();
    AppendUtf16(&owned->chunkTexts.back(), characters[i]);
  }
  owned->chunkPointers.clear();
  for (const std::u16string& chunk : owned->chunkTexts) owned->chunkPointers.push_back(chunk.c_str());
  owned->total = static_cast<int32_t>(characters.size());
}

CharacterSet ViewOf(const OwnedCharacterSet& owned) {
  return CharacterSet{owned.label.c_str(), owned.chunkPointers.data(),
                      static_cast<int32_t>(owned.chunkPointers.size()), owned.total,
                      ProgressKind::None};
}
