#include "coverage/results/missing_characters.h"

#include "fontio/unicode_text.h"

namespace glyphcensus {

int32_t ListMissingInText(MeasuringContext* context, const char16_t* text,
                          std::u16string* missing) {
  int32_t present = 0;
  for (size_t i = 0; text[i] != u'\0';) {
    // One character: a surrogate pair stays whole.
    size_t units = 1;
    CodePointAt(text + i, &units);
    const char16_t one[3] = {text[i], units == 2 ? text[i + 1] : u'\0', u'\0'};
    if (CountPresentGlyphs(context, one) != 0) {
      ++present;
    } else {
      missing->append(one, units);
    }
    i += units;
  }
  return present;
}

int32_t ListMissingCharacters(MeasuringContext* context, const CharacterSet& set,
                              std::u16string* missing) {
  int32_t present = 0;
  for (int32_t chunk = 0; chunk < set.chunkCount; ++chunk) {
    present += ListMissingInText(context, set.chunks[chunk], missing);
  }
  return present;
}

}  // namespace glyphcensus
