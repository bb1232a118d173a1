// DecodeAnsiText for Linux: Macintosh names are read as code page 932
// (Windows-31J), the ANSI code page of the Japanese systems the tool is made for.
#include <iconv.h>

#include <algorithm>
#include <string>

#include "fontio/face_name.h"

namespace glyphcensus {

namespace {

struct IconvHandle {
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  ~IconvHandle() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

}  // namespace

bool DecodeAnsiText(ByteView text, FaceName* decoded) {
  decoded->clear();
  const uint8_t* end = std::find(text.data, text.data + text.size, uint8_t{0});
  const size_t length = static_cast<size_t>(end - text.data);
  // One converter per thread, kept: a naming table may hold thousands of names.
  thread_local IconvHandle converter;
  if (converter.cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv(converter.cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state

  // One byte of code page 932 never gives more than one UTF-16 unit.
  std::string utf16(2 * length, '\0');
  char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data));
  size_t inLeft = length;
  char* out = &utf16[0];
  size_t outLeft = utf16.size();
  if (length != 0 && iconv(converter.cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
    return false;
  }
  const size_t units = (utf16.size() - outLeft) / 2;
  for (size_t i = 0; i < units; ++i) {
    const auto lo = static_cast<uint8_t>(utf16[2 * i]);
    const auto hi = static_cast<uint8_t>(utf16[2 * i + 1]);
    decoded->push_back(static_cast<char16_t>(lo | (hi << 8)));
  }
  return true;
}

}  // namespace glyphcensus
