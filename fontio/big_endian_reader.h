#pragma once
// The one bounds-checked reader (and writer) for font data.
//
// Every byte of a font file is untrusted, so every access names its offset and
// count, and fails by returning false instead of leaving the buffer. Offsets are
// 64-bit so that sums of 32-bit file fields cannot wrap around. Numbers in font
// files are big-endian.
#include <cstddef>
#include <cstdint>

namespace glyphcensus {

struct ByteView {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

struct MutableByteView {
  uint8_t* data = nullptr;
  size_t size = 0;
};

inline ByteView AsConst(MutableByteView bytes) { return ByteView{bytes.data, bytes.size}; }

// The small reads are inline: glyph outlines are read a few bytes at a time,
// and a call per byte would cost more than the read.

// True when [offset, offset + count) lies inside a buffer of `size` bytes.
inline bool FitsIn(size_t size, uint64_t offset, uint64_t count) {
  // offset + count <= size without overflow; the first test does not depend
  // on the offset, so that loops with a fixed count can take it out.
  return count <= size && offset <= size - count;
}

inline bool ReadU8(ByteView bytes, uint64_t offset, uint8_t* value) {
  if (offset >= bytes.size) return false;  // FitsIn(bytes.size, offset, 1), one comparison
  *value = bytes.data[offset];
  return true;
}

inline bool ReadU16(ByteView bytes, uint64_t offset, uint16_t* value) {
  if (!FitsIn(bytes.size, offset, 2)) return false;
  const uint8_t* p = bytes.data + offset;
  *value = static_cast<uint16_t>((p[0] << 8) | p[1]);
  return true;
}

inline bool ReadU32(ByteView bytes, uint64_t offset, uint32_t* value) {
  if (!FitsIn(bytes.size, offset, 4)) return false;
  const uint8_t* p = bytes.data + offset;
  *value = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
  return true;
}

// Signed fields (int16, FWORD, int32) are stored in two's complement.
inline bool ReadS16(ByteView bytes, uint64_t offset, int16_t* value) {
  uint16_t raw = 0;
  if (!ReadU16(bytes, offset, &raw)) return false;
  *value = static_cast<int16_t>(raw);
  return true;
}

inline bool ReadS32(ByteView bytes, uint64_t offset, int32_t* value) {
  uint32_t raw = 0;
  if (!ReadU32(bytes, offset, &raw)) return false;
  *value = static_cast<int32_t>(raw);
  return true;
}

bool ReadBytes(ByteView bytes, uint64_t offset, uint64_t count, uint8_t* out);

// The part [offset, offset + count) of `bytes`, without copying.
inline bool SubView(ByteView bytes, uint64_t offset, uint64_t count, ByteView* part) {
  if (!FitsIn(bytes.size, offset, count)) return false;
  *part = ByteView{bytes.data + offset, static_cast<size_t>(count)};
  return true;
}
bool SubView(MutableByteView bytes, uint64_t offset, uint64_t count, MutableByteView* part);

bool WriteU8(MutableByteView bytes, uint64_t offset, uint8_t value);
bool WriteU16(MutableByteView bytes, uint64_t offset, uint16_t value);
bool WriteU32(MutableByteView bytes, uint64_t offset, uint32_t value);
bool WriteBytes(MutableByteView bytes, uint64_t offset, const uint8_t* source, uint64_t count);

}  // namespace glyphcensus
