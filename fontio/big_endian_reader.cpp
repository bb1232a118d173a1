#include "fontio/big_endian_reader.h"

#include <cstring>

namespace glyphcensus {

bool ReadBytes(ByteView bytes, uint64_t offset, uint64_t count, uint8_t* out) {
  if (!FitsIn(bytes.size, offset, count)) return false;
  if (count != 0) std::memcpy(out, bytes.data + offset, count);
  return true;
}

bool SubView(MutableByteView bytes, uint64_t offset, uint64_t count, MutableByteView* part) {
  if (!FitsIn(bytes.size, offset, count)) return false;
  *part = MutableByteView{bytes.data + offset, static_cast<size_t>(count)};
  return true;
}

bool WriteU8(MutableByteView bytes, uint64_t offset, uint8_t value) {
  if (!FitsIn(bytes.size, offset, 1)) return false;
  bytes.data[offset] = value;
  return true;
}

bool WriteU16(MutableByteView bytes, uint64_t offset, uint16_t value) {
  if (!FitsIn(bytes.size, offset, 2)) return false;
  bytes.data[offset] = static_cast<uint8_t>(value >> 8);
  bytes.data[offset + 1] = static_cast<uint8_t>(value);
  return true;
}

bool WriteU32(MutableByteView bytes, uint64_t offset, uint32_t value) {
  if (!FitsIn(bytes.size, offset, 4)) return false;
  for (int i = 0; i < 4; ++i) bytes.data[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  return true;
}

bool WriteBytes(MutableByteView bytes, uint64_t offset, const uint8_t* source, uint64_t count) {
  if (!FitsIn(bytes.size, offset, count)) return false;
  if (count != 0) std::memmove(bytes.data + offset, source, count);
  return true;
}

}  // namespace glyphcensus
