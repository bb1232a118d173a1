#include "coverage/results/set_counting.h"

#include "coverage/results/missing_characters.h"

namespace glyphcensus {

int32_t CountCharacterSet(MeasuringContext* context, const CharacterSet& set,
                          std::u16string* missing, ChunkHook hook, void* user) {
  int32_t count = 0;
  for (int32_t chunk = 0; chunk < set.chunkCount; ++chunk) {
    if (hook != nullptr) hook(user, set, chunk);
    if (missing != nullptr) {
      count += ListMissingInText(context, set.chunks[chunk], missing);
    } else {
      count += static_cast<int32_t>(CountPresentGlyphs(context, set.chunks[chunk]));
    }
  }
  return count;
}

}  // namespace glyphcensus
