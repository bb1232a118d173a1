#include "coverage/sets/custom_character_sets.h"

#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

constexpr int32_t kCharactersPerChunk = 100;

}  // namespace

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
                      ProgressKind::kNone};
}

}  // namespace glyphcensus
