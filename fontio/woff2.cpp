#include "fontio/woff2.h"

#include <woff2/decode.h>
#include <woff2/output.h>

#include <algorithm>
#include <string>

static_assert(kWoff2MaxImageSize == woff2::kDefaultMaxSize, "the image cap is the decoder's limit");

uint32_t Woff2FinalSize(ByteView woff2) {
  uint32_t total = 0;
  if (woff2.size < 20 || !ReadU32(woff2, 16, &total)) return 0;
  return std::min(total, kWoff2MaxImageSize);
}

FontBytes ConvertWoff2File(ByteView woff2, bool* decoded) {
  std::string buffer(Woff2FinalSize(woff2), '\0');
  woff2::WOFF2StringOut out(&buffer);  // default maximum: kWoff2MaxImageSize
  // The outcome is not examined: a failed conversion still yields the buffer as
  // the decoder left it. The image length is the buffer's, not out.Size().
  const bool took = woff2::ConvertWOFF2ToTTF(woff2.data, woff2.size, &out);
  if (decoded != nullptr) *decoded = took;
  return FontBytes(buffer.begin(), buffer.end());
}
