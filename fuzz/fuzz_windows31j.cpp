// Fuzz target: the Windows-31J table decoder of the WebAssembly build against
// glibc's CP932 converter (DecodeAnsiText on Linux), on arbitrary bytes: the
// same verdict, and the same name when both decode. Names are cut at the
// first zero byte, as the naming-table reader passes them.
#include <cstdint>
#include <cstdlib>

#include "fontio/face_name.h"
#include "fontio/windows31j.h"

using namespace glyphcensus;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteView text{data, size};
  FaceName fromIconv, fromTable;
  const bool iconvDecoded = DecodeAnsiText(text, &fromIconv);
  size_t length = 0;
  while (length < size && data[length] != 0) ++length;
  const bool tableDecoded = DecodeWindows31J(ByteView{data, length}, &fromTable);
  if (iconvDecoded != tableDecoded || (iconvDecoded && fromIconv != fromTable)) std::abort();
  if (!tableDecoded && !fromTable.empty()) std::abort();
  return 0;
}
