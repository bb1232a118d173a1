#include "coverage/set_counting.h"

#include "coverage/missing_characters.h"

const char* const kCharacterSetIds[kCharacterSetCount] = {
    "ascii-letters",      "digits",             "ascii-symbols",      "hiragana",
    "katakana",           "education-kanji",    "regular-use-kanji",  "jis-x-0208-level-1",
    "jis-x-0208-level-2", "jis-x-0213-level-3", "jis-x-0213-level-4", "ibm-extensions",
    "nec-special",        "greek",              "cyrillic",
};

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
