#include "coverage/sets/extended_sets.h"

#include <string>
#include <vector>

#include "coverage/sets/custom_character_sets.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

// The eight sets, made in place once (a function-local static is made once,
// also when several threads ask at the same time); never moved, since the
// views point into the owned texts.
struct AdobeJapan1Sets {
  OwnedCharacterSet owned[kAdobeJapan1SupplementCount];
  CharacterSet views[kAdobeJapan1SupplementCount];

  AdobeJapan1Sets() {
    std::vector<char32_t> members[kAdobeJapan1SupplementCount];
    const char16_t* text = kAdobeJapan1Characters;
    for (int32_t i = 0; i < kAdobeJapan1Count; ++i) {
      size_t units = 1;
      const char32_t c = CodePointAt(text, &units);
      text += units;
      for (int n = kAdobeJapan1SupplementDigits[i] - '0'; n < kAdobeJapan1SupplementCount; ++n) {
        members[n].push_back(c);
      }
    }
    for (int n = 0; n < kAdobeJapan1SupplementCount; ++n) {
      MakeOwnedCharacterSet(u"AJ1-" + Utf8ToUtf16(std::to_string(n)), members[n], &owned[n]);
      views[n] = ViewOf(owned[n]);
    }
  }
  AdobeJapan1Sets(const AdobeJapan1Sets&) = delete;
  AdobeJapan1Sets& operator=(const AdobeJapan1Sets&) = delete;
};

}  // namespace

const CharacterSet& AdobeJapan1Set(int supplement) {
  static const AdobeJapan1Sets sets;
  return sets.views[supplement];
}

const char* AdobeJapan1SetId(int supplement) {
  static const char* const kIds[kAdobeJapan1SupplementCount] = {
      "adobe-japan1-0", "adobe-japan1-1", "adobe-japan1-2", "adobe-japan1-3",
      "adobe-japan1-4", "adobe-japan1-5", "adobe-japan1-6", "adobe-japan1-7"};
  return kIds[supplement];
}

}  // namespace glyphcensus
