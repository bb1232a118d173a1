#include "fontio/sfnt_tables.h"

#include <algorithm>

#include "fontio/font_container.h"
#include "fontio/table_fields.h"

namespace glyphcensus {

void TagText(Tag tag, char text[5]) {
  for (int i = 0; i < 4; ++i) text[i] = static_cast<char>(tag.value >> (24 - 8 * i));
  text[4] = '\0';
}

bool ReadTableDirectory(ByteView image, uint64_t offset, TableDirectory* directory) {
  *directory = TableDirectory{};
  directory->image = image;
  directory->offset = offset;
  // The version and numTables; inside the image, `offset` is small enough
  // that the sums below cannot wrap.
  if (!FitsIn(image.size, offset, sfnt_directory::kNumTables + 2)) return false;
  ReadU16(image, offset + sfnt_directory::kNumTables, &directory->numTables);
  ReadU32(image, offset + sfnt_directory::kVersion, &directory->sfntVersion);
  const uint64_t records = offset + sfnt_directory::kRecords;
  const uint64_t room = records <= image.size ? (image.size - records) / sfnt_directory::kRecordSize : 0;
  directory->recordsInImage = static_cast<uint16_t>(std::min<uint64_t>(directory->numTables, room));
  return true;
}

bool OpenFaceDirectory(ByteView image, uint32_t faceIndex, TableDirectory* directory) {
  uint32_t offset = 0;
  if (!FaceDirectoryOffset(image, faceIndex, &offset)) {
    *directory = TableDirectory{};
    directory->image = image;
    return false;
  }
  return ReadTableDirectory(image, offset, directory);
}

TableRecord ReadTableRecord(const TableDirectory& directory, uint16_t index) {
  TableRecord record;
  record.at = directory.offset + sfnt_directory::kRecords + sfnt_directory::kRecordSize * uint64_t{index};
  ReadU32(directory.image, record.at + table_record::kTag, &record.tag.value);
  ReadU32(directory.image, record.at + table_record::kChecksum, &record.checksum);
  ReadU32(directory.image, record.at + table_record::kOffset, &record.offset);
  ReadU32(directory.image, record.at + table_record::kLength, &record.length);
  return record;
}

bool FindTableRecord(const TableDirectory& directory, Tag tag, TableRecord* record) {
  for (uint16_t k = 0; k < directory.recordsInImage; ++k) {
    const TableRecord candidate = ReadTableRecord(directory, k);
    if (candidate.tag == tag) {
      *record = candidate;
      return true;
    }
  }
  return false;
}

std::optional<ByteView> FindTable(const TableDirectory& directory, Tag tag) {
  TableRecord record;
  if (!FindTableRecord(directory, tag, &record)) return std::nullopt;
  return TableBytes(directory, record);
}

std::optional<ByteView> TableBytes(const TableDirectory& directory, const TableRecord& record) {
  ByteView table;
  if (!SubView(directory.image, record.offset, record.length, &table)) return std::nullopt;
  return table;
}

void WriteTableCount(MutableByteView image, uint64_t offset, uint16_t numTables) {
  // entrySelector = floor(log2(numTables)), searchRange = 16 * 2^entrySelector
  // (0 for no tables), rangeShift = 16 * numTables - searchRange.
  uint16_t entrySelector = 0;
  while (numTables >> (entrySelector + 1) != 0) ++entrySelector;
  const uint32_t searchRange = numTables == 0 ? 0 : (uint32_t{1} << entrySelector) * 16;
  WriteU16(image, offset + sfnt_directory::kNumTables, numTables);
  WriteU16(image, offset + sfnt_directory::kSearchRange, static_cast<uint16_t>(searchRange));
  WriteU16(image, offset + sfnt_directory::kEntrySelector, entrySelector);
  WriteU16(image, offset + sfnt_directory::kRangeShift, static_cast<uint16_t>(numTables * 16u - searchRange));
}

bool ReadVerticalMetricsTables(ByteView image, uint32_t faceIndex, VerticalMetricsTables* tables) {
  *tables = VerticalMetricsTables();
  TableDirectory directory;
  if (!OpenFaceDirectory(image, faceIndex, &directory)) return false;
  tables->vhea = FindTable(directory, Tag("vhea")).has_value();
  tables->vmtx = FindTable(directory, Tag("vmtx")).has_value();
  tables->cff = FindTable(directory, Tag("CFF ")).has_value() || FindTable(directory, Tag("CFF2")).has_value();
  tables->vorg = FindTable(directory, Tag("VORG")).has_value();
  return true;
}

}  // namespace glyphcensus
