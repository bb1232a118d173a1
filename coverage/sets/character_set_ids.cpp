#include "coverage/sets/character_set_ids.h"

namespace glyphcensus {

const char* const kCharacterSetIds[kCharacterSetCount] = {
    "ascii-letters",      "digits",             "ascii-symbols",      "hiragana",
    "katakana",           "education-kanji",    "regular-use-kanji",  "jis-x-0208-level-1",
    "jis-x-0208-level-2", "jis-x-0213-level-3", "jis-x-0213-level-4", "ibm-extensions",
    "nec-special",        "greek",              "cyrillic",
};

}  // namespace glyphcensus
