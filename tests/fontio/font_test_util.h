#pragma once
// Helpers of the font-input tests: generated test fonts, and small fonts
// assembled byte by byte.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fontio/big_endian_reader.h"
#include "fontio/font_image.h"

using namespace glyphcensus;

using Bytes = std::vector<uint8_t>;

inline FontBytes AsFontBytes(const Bytes& bytes) { return FontBytes(bytes.begin(), bytes.end()); }
inline Bytes AsBytes(const FontBytes& bytes) { return Bytes(bytes.begin(), bytes.end()); }

inline std::string TestDataPath(const std::string& name) {
  return std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/" + name;
}

// The bytes of the file at `path`; empty when it cannot be read.
inline Bytes ReadFileAt(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The test data file's bytes; empty when it cannot be read.
inline Bytes ReadTestFile(const std::string& name) { return ReadFileAt(TestDataPath(name)); }

inline ByteView View(const Bytes& bytes) { return ByteView{bytes.data(), bytes.size()}; }
inline MutableByteView MutableView(Bytes& bytes) { return MutableByteView{bytes.data(), bytes.size()}; }

inline void AppendU16(Bytes* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value >> 8));
  out->push_back(static_cast<uint8_t>(value));
}

inline void AppendU32(Bytes* out, uint32_t value) {
  AppendU16(out, value >> 16);
  AppendU16(out, value & 0xFFFF);
}

inline void AppendText(Bytes* out, const std::string& text) { out->insert(out->end(), text.begin(), text.end()); }

// Big-endian UTF-16 of a UTF-16 text.
inline Bytes Utf16Be(const std::u16string& text) {
  Bytes out;
  for (char16_t unit : text) AppendU16(&out, unit);
  return out;
}

inline uint32_t U32At(const Bytes& bytes, uint64_t offset) {
  uint32_t value = 0;
  ReadU32(View(bytes), offset, &value);
  return value;
}

inline uint16_t U16At(const Bytes& bytes, uint64_t offset) {
  uint16_t value = 0;
  ReadU16(View(bytes), offset, &value);
  return value;
}

struct SfntTable {
  std::string tag;
  Bytes data;
};

// A TrueType sfnt with the given tables, records in the given order, each table
// padded to 4 bytes. Checksums are left zero.
inline Bytes BuildSfnt(const std::vector<SfntTable>& tables, uint32_t version = 0x00010000) {
  Bytes out;
  AppendU32(&out, version);
  AppendU16(&out, static_cast<uint32_t>(tables.size()));
  AppendU16(&out, 0);
  AppendU16(&out, 0);
  AppendU16(&out, 0);
  uint32_t offset = static_cast<uint32_t>(12 + 16 * tables.size());
  for (const SfntTable& table : tables) {
    AppendText(&out, table.tag);
    AppendU32(&out, 0);
    AppendU32(&out, offset);
    AppendU32(&out, static_cast<uint32_t>(table.data.size()));
    offset += static_cast<uint32_t>((table.data.size() + 3) & ~size_t{3});
  }
  for (const SfntTable& table : tables) {
    out.insert(out.end(), table.data.begin(), table.data.end());
    out.resize((out.size() + 3) & ~size_t{3}, 0);
  }
  return out;
}

// Offset and length of the table with the tag in an sfnt's directory at
// `directory`; false when there is none.
inline bool FindTable(const Bytes& font, const std::string& tag, uint32_t* offset, uint32_t* length,
                      uint64_t directory = 0) {
  const uint16_t count = U16At(font, directory + 4);
  for (uint64_t k = 0; k < count; ++k) {
    const uint64_t record = directory + 12 + 16 * k;
    if (record + 16 > font.size()) return false;
    if (std::string(font.begin() + record, font.begin() + record + 4) == tag) {
      *offset = U32At(font, record + 8);
      *length = U32At(font, record + 12);
      return true;
    }
  }
  return false;
}
