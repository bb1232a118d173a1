#include "fontio/windows31j.h"

namespace glyphcensus {

namespace {

// The row of kWindows31JDoubleBytes for a lead byte, or -1.
int LeadRow(uint8_t byte) {
  if (byte >= 0x81 && byte <= 0x9F) return byte - 0x81;
  if (byte >= 0xE0 && byte <= 0xFC) return byte - 0xE0 + (0x9F - 0x81 + 1);
  return -1;
}

}  // namespace

bool DecodeWindows31J(ByteView text, FaceName* decoded) {
  decoded->clear();
  for (size_t i = 0; i < text.size; ++i) {
    const uint8_t byte = text.data[i];
    const int row = LeadRow(byte);
    char16_t unit = 0;
    if (byte < 0x80) {
      unit = byte;
    } else if (byte >= 0xA1 && byte <= 0xDF) {
      unit = static_cast<char16_t>(0xFF61 + (byte - 0xA1));  // half-width katakana
    } else if (row >= 0 && i + 1 < text.size && text.data[i + 1] >= 0x40 &&
               text.data[i + 1] <= 0xFC) {
      unit = kWindows31JDoubleBytes[row][text.data[i + 1] - 0x40];
      ++i;
    }
    if (unit == 0 && byte != 0) {
      decoded->clear();
      return false;
    }
    decoded->push_back(unit);
  }
  return true;
}

}  // namespace glyphcensus
