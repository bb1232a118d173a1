// Fuzz target: the whole Linux pipeline on arbitrary bytes: container
// detection and conversion, the face name and its marks, then the FreeType
// presence test on a few chunks of characters (ASCII, kana, kanji, the
// supplementary kanji of level 3 with their surrogate pairs, and the IBM
// extensions), a chunk of each extended set of characters, the first
// sequences of each set of variation sequences (cmap format 14), the CIDs
// of Adobe-Japan1-0 (CID-keyed CFF) and the vertical forms (shaped with
// HarfBuzz over the same image). The work per input is bounded: images
// above 4 MiB are skipped, and only those parts are measured.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "coverage/results/face_measurement.h"
#include "coverage/sets/character_sets.h"
#include "coverage/sets/extended_sets.h"
#include "coverage/presence/glyph_presence.h"
#include "coverage/presence/glyph_presence_freetype.h"
#include "coverage/presence/stop_token.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"
#include "fuzz/fuzz_measuring.h"

using namespace glyphcensus;

namespace {

constexpr size_t kLargestImage = 4u << 20;

struct Chunk {
  CharacterSetIndex set;
  int32_t chunk;
};
constexpr Chunk kChunks[] = {{kLatinLetters, 0}, {kHiragana, 0}, {kEducationKanji, 0},
                             {kJisLevel3, 0},    {kIbmExtensions, 0}, {kCyrillicLetters, 0}};

constexpr int32_t kSequencesPerSet = 64;

// Characters in a chunk: code units less the low halves of surrogate pairs.
uint32_t CharacterCount(const char16_t* text) {
  uint32_t count = 0;
  for (size_t i = 0; text[i] != u'\0'; ++i) {
    if (!(text[i] >= 0xDC00 && text[i] <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF)) {
      ++count;
    }
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FontImage image;
  StopToken stop;
  MeasuringContext* context = OpenFuzzedFont(data, size, kLargestImage, &image, &stop);
  if (context == nullptr) return 0;
  for (const Chunk& chunk : kChunks) {
    const char16_t* text = kCharacterSets[chunk.set].chunks[chunk.chunk];
    if (CountPresentGlyphs(context, text) > CharacterCount(text)) std::abort();
  }
  for (const CharacterSet& set : kExtendedCharacterSets) {
    if (CountPresentGlyphs(context, set.chunks[0]) > CharacterCount(set.chunks[0])) std::abort();
  }
  for (const SequenceSet& set : kSequenceSets) {
    for (int32_t i = 0; i < kSequencesPerSet && i < set.total; ++i) {
      const VariationSequence sequence = UnpackSequence(set.packed[i]);
      const GlyphFate fate = JudgeSequence(context, sequence.base, sequence.selector);
      // A present sequence has a glyph, so its base is either mapped or not needed.
      if (fate == GlyphFate::kNoVerticalForm) std::abort();
    }
  }
  // Every vertical form is present or missing for a reason other than a sequence's.
  const std::vector<MeasuredSet> vertical =
      MeasureSets(context, {*FindBuiltInSet("vertical-forms")}, true);
  if (vertical.size() != 1 || vertical[0].present < 0 ||
      vertical[0].present + static_cast<int32_t>(vertical[0].missingReasons.size()) != vertical[0].total) {
    std::abort();
  }
  for (const GlyphFate fate : vertical[0].missingReasons) {
    if (fate == GlyphFate::kPresent || fate == GlyphFate::kNotInFormat14) std::abort();
  }
  const int32_t cids = CountInkedCids(context, static_cast<uint32_t>(kAdobeJapan1LastCids[0]));
  if (cids < -1 || cids > kAdobeJapan1LastCids[0]) std::abort();
  // A requested stop makes every count 0 at once.
  RequestStop(&stop);
  if (CountPresentGlyphs(context, kCharacterSets[kLatinLetters].chunks[0]) != 0) std::abort();
  CloseMeasuringContext(context);
  return 0;
}
