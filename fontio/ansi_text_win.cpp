// DecodeAnsiText for Windows: Macintosh names are read with the worker thread's
// ANSI code page.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "fontio/face_name.h"

namespace glyphcensus {

bool DecodeAnsiText(ByteView text, FaceName* decoded) {
  decoded->clear();
  const uint8_t* end = std::find(text.data, text.data + text.size, uint8_t{0});
  const int length = static_cast<int>(end - text.data);  // names are at most 520 bytes
  if (length == 0) return true;
  const auto* bytes = reinterpret_cast<const char*>(text.data);
  const int units = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, length, nullptr, 0);
  if (units <= 0) return false;
  std::vector<wchar_t> wide(static_cast<size_t>(units));
  if (MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, length, wide.data(), units) != units) return false;
  decoded->assign(wide.begin(), wide.end());
  return true;
}

}  // namespace glyphcensus
