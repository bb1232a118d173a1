// Fuzz target: the table directory reader on arbitrary images, against a
// plain reading of the same bytes. For the directories of faces 0 to 3 and
// for offsets at the image's end: a directory is read exactly when its
// version and numTables lie inside; recordsInImage counts the records that
// lie wholly inside, and the next one does not; every record reads as its 16
// bytes; a table's view is its range of the image, or nothing when that
// range runs outside; FindTableRecord gives the first record of its tag;
// WriteTableCount writes only numTables and the search fields.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fontio/sfnt_tables.h"

using namespace glyphcensus;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

uint32_t U32(ByteView image, uint64_t at) {
  uint32_t value = 0;
  Check(ReadU32(image, at, &value));
  return value;
}

void CheckRecords(const TableDirectory& directory) {
  const ByteView image = directory.image;
  const uint64_t first = directory.offset + 12;
  Check(directory.recordsInImage <= directory.numTables);
  // (An offset table at the image's end has its records' start past it.)
  Check(directory.recordsInImage == 0 || FitsIn(image.size, first, 16 * uint64_t{directory.recordsInImage}));
  if (!AllRecordsInImage(directory)) {
    Check(!FitsIn(image.size, first, 16 * (uint64_t{directory.recordsInImage} + 1)));
  }
  for (uint16_t k = 0; k < directory.recordsInImage; ++k) {
    const TableRecord record = ReadTableRecord(directory, k);
    Check(record.at == first + 16 * uint64_t{k});
    Check(record.tag.value == U32(image, record.at) && record.checksum == U32(image, record.at + 4) &&
          record.offset == U32(image, record.at + 8) && record.length == U32(image, record.at + 12));
    const std::optional<ByteView> table = TableBytes(directory, record);
    const bool inside = uint64_t{record.offset} + record.length <= image.size;
    Check(table.has_value() == inside);
    if (table) Check(table->data == image.data + record.offset && table->size == record.length);
  }
  // The first record of a tag, for the tags of the first records and two
  // fixed ones; each search visits every record at most once.
  std::vector<Tag> tags = {Tag("name"), Tag("head")};
  for (uint16_t k = 0; k < directory.recordsInImage && k < 6; ++k) tags.push_back(ReadTableRecord(directory, k).tag);
  for (Tag tag : tags) {
    int expected = -1;
    for (uint16_t k = 0; k < directory.recordsInImage && expected < 0; ++k) {
      if (ReadTableRecord(directory, k).tag == tag) expected = k;
    }
    TableRecord found;
    const bool has = FindTableRecord(directory, tag, &found);
    Check(has == (expected >= 0));
    if (!has) {
      Check(!FindTable(directory, tag).has_value());
      continue;
    }
    Check(found.at == first + 16 * uint64_t(expected));
    const std::optional<ByteView> table = FindTable(directory, tag);
    const std::optional<ByteView> direct = TableBytes(directory, found);
    Check(table.has_value() == direct.has_value());
    if (table) Check(table->data == direct->data && table->size == direct->size);
  }
}

void CheckDirectory(ByteView image, uint64_t offset) {
  TableDirectory directory;
  const bool read = ReadTableDirectory(image, offset, &directory);
  Check(read == FitsIn(image.size, offset, 6));
  if (!read) return;
  Check(directory.sfntVersion == U32(image, offset) && directory.offset == offset);
  CheckRecords(directory);
}

// WriteTableCount on a copy: numTables read back, searchRange the largest
// power of two not above it times 16 (in 16 bits), and nothing else changed.
void CheckTableCount(const std::vector<uint8_t>& original) {
  if (original.size() < 12) return;
  std::vector<uint8_t> copy = original;
  uint16_t count = 0;
  ReadU16(ByteView{original.data(), original.size()}, 0, &count);
  WriteTableCount(MutableByteView{copy.data(), copy.size()}, 0, count);
  const ByteView written{copy.data(), copy.size()};
  uint16_t numTables = 0, searchRange = 0, entrySelector = 0, rangeShift = 0;
  ReadU16(written, 4, &numTables);
  ReadU16(written, 6, &searchRange);
  ReadU16(written, 8, &entrySelector);
  ReadU16(written, 10, &rangeShift);
  Check(numTables == count);
  const uint32_t power = count == 0 ? 0 : uint32_t{1} << entrySelector;
  Check(power <= count && (count == 0 || 2 * power > count));
  Check(searchRange == static_cast<uint16_t>(16 * power));
  Check(rangeShift == static_cast<uint16_t>(16 * uint32_t{count} - 16 * power));
  for (size_t i = 0; i < copy.size(); ++i) {
    if (i < 4 || i >= 12) Check(copy[i] == original[i]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const ByteView image{bytes.data(), bytes.size()};
  for (uint32_t face = 0; face < 4; ++face) {
    TableDirectory directory;
    if (OpenFaceDirectory(image, face, &directory)) CheckRecords(directory);
  }
  for (uint64_t back = 0; back <= 7 && back <= size; ++back) CheckDirectory(image, size - back);
  CheckDirectory(image, 0);
  CheckTableCount(bytes);
  return 0;
}
