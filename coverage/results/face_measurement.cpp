#include "coverage/results/face_measurement.h"

#include <memory>

#include "coverage/presence/glyph_presence_freetype.h"
#include "coverage/results/set_counting.h"
#include "coverage/shaping/vertical_forms_harfbuzz.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

SetToMeasure CharacterSetToMeasure(const char* id, const CharacterSet& set, SetGroup group) {
  SetToMeasure wanted;
  wanted.id = id;
  wanted.set = &set;
  wanted.group = group;
  return wanted;
}

// Counts a set of variation sequences one by one, in set order.
void MeasureSequences(MeasuringContext* context, const SequenceSet& set, bool listMissing,
                      MeasuredSet* result) {
  for (int32_t i = 0; i < set.total; ++i) {
    const VariationSequence sequence = UnpackSequence(set.packed[i]);
    const GlyphFate fate = JudgeSequence(context, sequence.base, sequence.selector);
    if (fate == GlyphFate::kPresent) {
      ++result->present;
    } else if (listMissing) {
      result->missingSequences.push_back(sequence);
      result->missingReasons.push_back(fate);
    }
  }
}

// Why each missing character is missing. JudgeCharacter reaches the verdict
// the count reached (the same glyph rules, and the verdicts cached in the
// context), so none of them is kPresent.
std::vector<GlyphFate> ReasonsOfMissing(MeasuringContext* context, const std::u16string& missing) {
  std::vector<GlyphFate> reasons;
  for (size_t i = 0; i < missing.size();) {
    size_t units = 1;
    const char32_t c = CodePointAt(missing.c_str() + i, &units);
    reasons.push_back(JudgeCharacter(context, c));
    i += units;
  }
  return reasons;
}

// The fate of the vertical form of `c`: the character's own reason when it
// is missing left to right (a vertical form of a character the font does not
// draw is not counted), kNoVerticalForm when shaping top to bottom keeps the
// horizontal glyph, else the fate of the vertical glyph.
GlyphFate JudgeVerticalForm(MeasuringContext* context, VerticalShaper* shaper, char32_t c) {
  const GlyphFate horizontal = JudgeCharacter(context, c);
  if (horizontal != GlyphFate::kPresent) return horizontal;
  const VerticalShaping shaping = ShapeBothWays(shaper, c);
  if (!HasVerticalForm(shaping)) return GlyphFate::kNoVerticalForm;
  return JudgeGlyphIndex(context, shaping.verticalGlyph);
}

// Counts the set of characters with vertical forms one by one, in set order,
// shaping the face the context measures.
void MeasureVerticalForms(MeasuringContext* context, const CharacterSet& set, bool listMissing,
                          MeasuredSet* result) {
  std::unique_ptr<VerticalShaper, void (*)(VerticalShaper*)> shaper{
      OpenVerticalShaper(MeasuredImage(context), MeasuredFaceIndex(context)),
      CloseVerticalShaper};
  for (int32_t chunk = 0; chunk < set.chunkCount; ++chunk) {
    const char16_t* text = set.chunks[chunk];
    for (size_t i = 0; text[i] != 0;) {
      size_t units = 1;
      const char32_t c = CodePointAt(text + i, &units);
      const GlyphFate fate = JudgeVerticalForm(context, shaper.get(), c);
      if (fate == GlyphFate::kPresent) {
        ++result->present;
      } else if (listMissing) {
        AppendUtf16(&result->missing, c);
        result->missingReasons.push_back(fate);
      }
      i += units;
    }
  }
}

}  // namespace

std::vector<SetToMeasure> BuiltInSets() {
  std::vector<SetToMeasure> sets;
  for (int index = 0; index < kCharacterSetCount; ++index) {
    sets.push_back(
        CharacterSetToMeasure(kCharacterSetIds[index], kCharacterSets[index], SetGroup::kDialog));
  }
  return sets;
}

std::vector<SetToMeasure> ExtendedBuiltInSets() {
  std::vector<SetToMeasure> sets;
  for (int index = 0; index < kExtendedCharacterSetCount; ++index) {
    if (index == kVerticalFormsSet) continue;  // measured by shaping, after the sequences
    sets.push_back(CharacterSetToMeasure(kExtendedCharacterSetIds[index],
                                         kExtendedCharacterSets[index], SetGroup::kExtended));
  }
  for (int supplement = 0; supplement < kAdobeJapan1SupplementCount; ++supplement) {
    SetToMeasure wanted = CharacterSetToMeasure(AdobeJapan1SetId(supplement),
                                                AdobeJapan1Set(supplement), SetGroup::kExtended);
    wanted.lastCid = kAdobeJapan1LastCids[supplement];
    sets.push_back(wanted);
  }
  for (const SequenceSet& sequences : kSequenceSets) {
    SetToMeasure wanted;
    wanted.id = sequences.id;
    wanted.sequences = &sequences;
    wanted.group = SetGroup::kExtended;
    sets.push_back(wanted);
  }
  SetToMeasure vertical = CharacterSetToMeasure(kExtendedCharacterSetIds[kVerticalFormsSet],
                                                kExtendedCharacterSets[kVerticalFormsSet],
                                                SetGroup::kExtended);
  vertical.verticalForms = true;
  sets.push_back(vertical);
  return sets;
}

std::vector<SetToMeasure> AllBuiltInSets() {
  std::vector<SetToMeasure> sets = BuiltInSets();
  for (SetToMeasure& set : ExtendedBuiltInSets()) sets.push_back(std::move(set));
  return sets;
}

const SetToMeasure* FindBuiltInSet(const std::string& id) {
  static const std::vector<SetToMeasure> sets = AllBuiltInSets();
  for (const SetToMeasure& set : sets) {
    if (set.id == id) return &set;
  }
  return nullptr;
}

std::vector<MeasuredSet> MeasureSets(MeasuringContext* context,
                                     const std::vector<SetToMeasure>& sets, bool listMissing) {
  std::vector<MeasuredSet> measured;
  measured.reserve(sets.size());
  for (const SetToMeasure& wanted : sets) {
    MeasuredSet result;
    result.id = wanted.id;
    result.group = wanted.group;
    if (wanted.sequences != nullptr) {
      result.kind = SetKind::kSequences;
      result.label = wanted.sequences->label;
      result.total = wanted.sequences->total;
      MeasureSequences(context, *wanted.sequences, listMissing, &result);
    } else if (wanted.verticalForms) {
      result.label = wanted.set->label;
      result.total = wanted.set->total;
      MeasureVerticalForms(context, *wanted.set, listMissing, &result);
    } else {
      result.label = wanted.set->label;
      result.total = wanted.set->total;
      result.present = CountCharacterSet(context, *wanted.set,
                                         listMissing ? &result.missing : nullptr);
      if (listMissing) result.missingReasons = ReasonsOfMissing(context, result.missing);
    }
    if (wanted.lastCid > 0) {
      const int32_t cids = CountInkedCids(context, static_cast<uint32_t>(wanted.lastCid));
      result.cidsCounted = cids >= 0;
      result.cidsPresent = cids < 0 ? 0 : cids;
      result.cidsTotal = wanted.lastCid;
    }
    measured.push_back(std::move(result));
  }
  return measured;
}

}  // namespace glyphcensus
