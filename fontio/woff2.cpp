#include "fontio/woff2.h"

#include <woff2/decode.h>
#include <woff2/output.h>

#include <algorithm>
#include <string>

namespace glyphcensus {

static_assert(kWoff2MaxImageSize == woff2::kDefaultMaxSize, "the image cap is the decoder's limit");

namespace {

// The decoder's string output (default maximum: kWoff2MaxImageSize), noting
// whether it refused a write. WOFF2StringOut::Write fails only when the write
// would pass its maximum (woff2's src/woff2_out.cc), and the decoder gives up at
// the first failed write, so a refused write means the font is too large. The
// bytes written are WOFF2StringOut's own.
class LimitNotingOut : public woff2::WOFF2Out {
 public:
  explicit LimitNotingOut(std::string* buffer) : out_(buffer) {}
  bool Write(const void* data, size_t n) override { return Noted(out_.Write(data, n)); }
  bool Write(const void* data, size_t offset, size_t n) override {
    return Noted(out_.Write(data, offset, n));
  }
  size_t Size() override { return out_.Size(); }
  bool refusedWrite = false;

 private:
  bool Noted(bool written) {
    refusedWrite = refusedWrite || !written;
    return written;
  }
  woff2::WOFF2StringOut out_;
};

}  // namespace

uint32_t Woff2FinalSize(ByteView woff2) {
  uint32_t total = 0;
  if (woff2.size < 20 || !ReadU32(woff2, 16, &total)) return 0;
  return std::min(total, kWoff2MaxImageSize);
}

FontBytes ConvertWoff2File(ByteView woff2, Woff2Decoding* decoding) {
  std::string buffer(Woff2FinalSize(woff2), '\0');
  LimitNotingOut out(&buffer);
  // The outcome only informs the caller: a failed conversion still yields the
  // buffer as the decoder left it. The image length is the buffer's, not out.Size().
  const bool took = woff2::ConvertWOFF2ToTTF(woff2.data, woff2.size, &out);
  if (decoding != nullptr) {
    *decoding = took ? Woff2Decoding::kDecoded
                     : out.refusedWrite ? Woff2Decoding::kPastSizeLimit : Woff2Decoding::kRefused;
  }
  return FontBytes(buffer.begin(), buffer.end());
}

}  // namespace glyphcensus
