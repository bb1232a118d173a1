#pragma once
// The table directory of one face: its offset table, its table records and
// the table a tag names. Every walk over a face's tables reads them here; the
// rules a caller applies to what it finds (the first record of a tag, every
// record, each table once) stay with the caller.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fontio/big_endian_reader.h"

namespace glyphcensus {

// A table tag: its four bytes as one big-endian number, so that tags compare
// as numbers.
struct Tag {
  uint32_t value = 0;
  constexpr Tag() = default;
  constexpr explicit Tag(uint32_t bytes) : value(bytes) {}
  // The four characters of a tag literal, such as Tag("OS/2").
  constexpr explicit Tag(const char (&name)[5])
      : value((uint32_t{static_cast<uint8_t>(name[0])} << 24) |
              (uint32_t{static_cast<uint8_t>(name[1])} << 16) |
              (uint32_t{static_cast<uint8_t>(name[2])} << 8) | uint32_t{static_cast<uint8_t>(name[3])}) {}
};
constexpr bool operator==(Tag a, Tag b) { return a.value == b.value; }
constexpr bool operator!=(Tag a, Tag b) { return a.value != b.value; }

// True when `tag` is one of `tags`.
template <size_t kCount>
constexpr bool IsOneOf(Tag tag, const Tag (&tags)[kCount]) {
  for (Tag listed : tags) {
    if (listed == tag) return true;
  }
  return false;
}

// The tag's four bytes as a text with a terminating zero (a zero byte inside
// the tag ends the text early).
void TagText(Tag tag, char text[5]);

// The offset table of a face.
struct TableDirectory {
  ByteView image;
  uint64_t offset = 0;        // of the offset table, from the start of the image
  uint32_t sfntVersion = 0;
  uint16_t numTables = 0;     // as the offset table says
  uint16_t recordsInImage = 0;  // how many of the first records lie wholly inside the image
};

// One table record, and where it lies.
struct TableRecord {
  Tag tag;
  uint32_t checksum = 0;
  uint32_t offset = 0;  // of the table, from the start of the image
  uint32_t length = 0;
  uint64_t at = 0;      // of the record itself, from the start of the image
};

// The offset table at `offset` of the image. False when its version and
// numTables lie outside the image. The records are not looked at: records
// past the end of the image are the caller's to refuse or to leave.
bool ReadTableDirectory(ByteView image, uint64_t offset, TableDirectory* directory);

// The offset table of face `faceIndex` (FaceDirectoryOffset, then
// ReadTableDirectory). The sfnt version and a collection's version and font
// count are not looked at.
bool OpenFaceDirectory(ByteView image, uint32_t faceIndex, TableDirectory* directory);

// True when all numTables records lie inside the image. Records follow one
// another, so when one lies outside, so does every later one.
inline bool AllRecordsInImage(const TableDirectory& directory) {
  return directory.recordsInImage == directory.numTables;
}

// Record `index`, which must be below recordsInImage.
TableRecord ReadTableRecord(const TableDirectory& directory, uint16_t index);

// The first record tagged `tag` among the records inside the image; false
// when there is none. Later records of the same tag are not looked at.
bool FindTableRecord(const TableDirectory& directory, Tag tag, TableRecord* record);

// The table of the first record tagged `tag`, when that table lies wholly
// inside the image; nothing when there is no such record or its table runs
// outside (a later record of the tag is then not taken).
std::optional<ByteView> FindTable(const TableDirectory& directory, Tag tag);

// The table a record names, when it lies wholly inside the image.
std::optional<ByteView> TableBytes(const TableDirectory& directory, const TableRecord& record);

// Writes numTables and the searchRange, entrySelector and rangeShift that go
// with it (each the low 16 bits of its value) into the offset table at
// `offset`.
void WriteTableCount(MutableByteView image, uint64_t offset, uint16_t numTables);

// The vertical metrics tables of a face, each counted only when it lies
// wholly inside the image: 'vhea' and 'vmtx' (the vertical advances and
// origins; without them renderers make advances up), and, for a CFF face
// ('CFF ' or 'CFF2'), 'VORG' (the vertical origins of its glyphs).
struct VerticalMetricsTables {
  bool vhea = false;
  bool vmtx = false;
  bool cff = false;   // the face's outlines are CFF: VORG applies
  bool vorg = false;
};

// False when the face's table directory cannot be read.
bool ReadVerticalMetricsTables(ByteView image, uint32_t faceIndex, VerticalMetricsTables* tables);

}  // namespace glyphcensus
