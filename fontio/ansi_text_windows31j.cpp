// DecodeAnsiText for the builds without a Windows-31J converter in the C
// library (WebAssembly): Macintosh names are read as Windows-31J from a table,
// as the Linux build reads them with iconv.
#include <algorithm>

#include "fontio/face_name.h"
#include "fontio/windows31j.h"

namespace glyphcensus {

bool DecodeAnsiText(ByteView text, FaceName* decoded) {
  const uint8_t* end = std::find(text.data, text.data + text.size, uint8_t{0});
  return DecodeWindows31J(ByteView{text.data, static_cast<size_t>(end - text.data)}, decoded);
}

}  // namespace glyphcensus
