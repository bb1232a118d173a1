#include "fontio/font_structure.h"

#include <set>
#include <unordered_set>
#include <utility>
#include <vector>

#include "fontio/font_container.h"
#include "fontio/sfnt_tables.h"
#include "fontio/table_fields.h"

namespace glyphcensus {

namespace {

// Bounds the records a walk over an image visits. A collection may list many
// directories that overlap one another, and directories may share naming
// tables; valid images stay far below the budget, while without it a small
// file could cost the square of its size.
struct WalkBudget {
  uint64_t left;
  explicit WalkBudget(ByteView image) : left(image.size / 4 + 65536) {}
  bool Spend(uint64_t records) {
    if (records > left) return false;
    left -= records;
    return true;
  }
};

// What one check of an image has looked at already.
struct StructureWalk {
  ByteView image;
  WalkBudget budget;
  std::set<uint64_t> namingTables;                  // checked and fitting
  std::set<std::pair<uint64_t, uint64_t>> cmaps;    // (offset, length), checked and fitting
};

// The naming table at `table`: its header, its records and their strings.
bool NamingTableFits(StructureWalk* walk, uint64_t table) {
  if (walk->namingTables.count(table) != 0) return true;
  const ByteView image = walk->image;
  uint16_t count = 0;
  uint16_t storage = 0;
  if (!ReadU16(image, table + name_table::kCount, &count) ||
      !ReadU16(image, table + name_table::kStorageOffset, &storage) ||
      !FitsIn(image.size, table, name_table::kRecords + name_table::kRecordSize * uint64_t{count}) ||
      !walk->budget.Spend(count)) {
    return false;
  }
  for (uint64_t k = 0; k < count; ++k) {
    const uint64_t record = table + name_table::kRecords + name_table::kRecordSize * k;
    uint16_t length = 0;
    uint16_t offset = 0;
    ReadU16(image, record + name_record::kLength, &length);
    ReadU16(image, record + name_record::kStringOffset, &offset);
    if (!FitsIn(image.size, table + storage + offset, length)) return false;
  }
  walk->namingTables.insert(table);
  return true;
}

// The cmap at [table, table + length): its encoding records, and for the
// (3, 10) subtables of format 12 their groups, lie inside the table. (Wine's
// Uniscribe reads a copy of the table that long and searches those groups for
// characters outside the Basic Multilingual Plane.)
bool CmapFits(StructureWalk* walk, uint64_t table, uint64_t length) {
  if (walk->cmaps.count({table, length}) != 0) return true;
  ByteView cmap;
  uint16_t count = 0;
  if (!SubView(walk->image, table, length, &cmap) || !ReadU16(cmap, cmap_table::kNumTables, &count) ||
      !FitsIn(cmap.size, cmap_table::kEncodingRecords, cmap_table::kEncodingRecordSize * uint64_t{count}) ||
      !walk->budget.Spend(count)) {
    return false;
  }
  for (uint64_t k = 0; k < count; ++k) {
    const uint64_t record = cmap_table::kEncodingRecords + cmap_table::kEncodingRecordSize * k;
    uint16_t platform = 0, encoding = 0, format = 0;
    uint32_t subtable = 0, groups = 0;
    ReadU16(cmap, record + cmap_encoding_record::kPlatformId, &platform);
    ReadU16(cmap, record + cmap_encoding_record::kEncodingId, &encoding);
    ReadU32(cmap, record + cmap_encoding_record::kSubtableOffset, &subtable);
    if (platform != 3 || encoding != 10) continue;
    if (!ReadU16(cmap, uint64_t{subtable} + cmap_subtable::kFormat, &format)) return false;
    if (format != 12) continue;
    if (!ReadU32(cmap, uint64_t{subtable} + cmap_format12::kNumGroups, &groups) ||
        !FitsIn(cmap.size, uint64_t{subtable} + cmap_format12::kGroups,
                cmap_format12::kGroupSize * uint64_t{groups})) {
      return false;
    }
  }
  walk->cmaps.insert({table, length});
  return true;
}

// The offset table at `directory`, when all of its records lie inside the image.
bool ReadWholeDirectory(ByteView image, uint64_t directory, TableDirectory* tables) {
  return ReadTableDirectory(image, directory, tables) && AllRecordsInImage(*tables);
}

// Every record's table inside the image; of the naming tables and cmaps only
// the first of each is looked into, as loaders use the first one.
bool FontFits(StructureWalk* walk, uint64_t directory) {
  TableDirectory tables;
  if (!ReadWholeDirectory(walk->image, directory, &tables) || !walk->budget.Spend(tables.numTables)) {
    return false;
  }
  bool namingTableSeen = false;
  bool cmapSeen = false;
  for (uint16_t k = 0; k < tables.numTables; ++k) {
    const TableRecord record = ReadTableRecord(tables, k);
    if (!TableBytes(tables, record)) return false;
    if (!namingTableSeen && record.tag == Tag("name")) {
      namingTableSeen = true;
      if (!NamingTableFits(walk, record.offset)) return false;
    }
    if (!cmapSeen && record.tag == Tag("cmap")) {
      cmapSeen = true;
      if (!CmapFits(walk, record.offset, record.length)) return false;
    }
  }
  return true;
}

// The table directories of the fonts the image lists, each once, in the order
// of their first mention: offset 0 for an sfnt, the header's offsets for a
// collection. False when a collection's offset lies outside the image; the
// offsets before it are still given.
bool ListDirectories(ByteView image, std::vector<uint64_t>* directories) {
  directories->clear();
  if (!IsFontSignature(image, "ttcf")) {
    directories->push_back(0);
    return true;
  }
  uint32_t count = 0;
  if (!ReadU32(image, ttc_header::kNumFonts, &count)) return false;
  std::unordered_set<uint32_t> seen;
  // An offset that lies outside the image ends the loop, so it runs at most
  // image.size / 4 times.
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t directory = 0;
    if (!FaceDirectoryOffset(image, i, &directory)) return false;
    if (seen.insert(directory).second) directories->push_back(directory);
  }
  return true;
}

// Removes from the directory the records of tables that run outside the image
// and that measuring does not need; the records after them move up, in order,
// and the freed records at the end become zero.
void DropUnneededTablesOutside(MutableByteView image, uint64_t directory, WalkBudget* budget) {
  TableDirectory tables;
  if (!ReadWholeDirectory(AsConst(image), directory, &tables) || !budget->Spend(tables.numTables)) return;
  constexpr uint64_t kRecordSize = sfnt_directory::kRecordSize;
  const uint64_t firstRecord = directory + sfnt_directory::kRecords;
  uint16_t kept = 0;
  // A record moves only to a place before it, so every record is read before
  // anything is written over it.
  for (uint16_t k = 0; k < tables.numTables; ++k) {
    const TableRecord record = ReadTableRecord(tables, k);
    if (!TableBytes(tables, record) && !IsNeededTable(record.tag)) continue;
    if (kept != k) {
      uint8_t bytes[kRecordSize] = {};
      ReadBytes(tables.image, record.at, kRecordSize, bytes);
      WriteBytes(image, firstRecord + kRecordSize * kept, bytes, kRecordSize);
    }
    ++kept;
  }
  if (kept == tables.numTables) return;
  const uint8_t zero[kRecordSize] = {};
  for (uint64_t k = kept; k < tables.numTables; ++k) {
    WriteBytes(image, firstRecord + kRecordSize * k, zero, kRecordSize);
  }
  WriteTableCount(image, directory, kept);
}

}  // namespace

bool IsNeededTable(Tag tag) {
  static constexpr Tag kNeeded[] = {Tag("cmap"), Tag("head"), Tag("hhea"), Tag("hmtx"), Tag("maxp"),
                                    Tag("loca"), Tag("glyf"), Tag("CFF "), Tag("CFF2"), Tag("OS/2"),
                                    Tag("name"), Tag("post"), Tag("EBDT"), Tag("EBLC"), Tag("EBSC"),
                                    Tag("CBDT"), Tag("CBLC"), Tag("sbix"), Tag("bdat"), Tag("bloc")};
  return IsOneOf(tag, kNeeded);
}

bool FontStructureFits(ByteView image) {
  std::vector<uint64_t> directories;
  if (!ListDirectories(image, &directories)) return false;
  StructureWalk walk{image, WalkBudget(image), {}, {}};
  for (uint64_t directory : directories) {
    if (!FontFits(&walk, directory)) return false;
  }
  return true;
}

void NormalizeCollectionHeader(MutableByteView image) {
  if (!IsFontSignature(AsConst(image), "ttcf")) return;
  WriteBytes(image, 0, reinterpret_cast<const uint8_t*>("ttcf"), 4);
  uint32_t count = 0;
  ReadU32(AsConst(image), ttc_header::kNumFonts, &count);
  // A font needs at least its offset (4 bytes) and a directory of one table
  // (28 bytes): FreeType's own limit.
  if (count == 0 || count > image.size / 32) WriteU32(image, ttc_header::kNumFonts, 1);
}

void PrepareImageForMeasuring(MutableByteView image) {
  NormalizeCollectionHeader(image);
  std::vector<uint64_t> directories;
  ListDirectories(AsConst(image), &directories);
  WalkBudget budget(AsConst(image));
  for (uint64_t directory : directories) DropUnneededTablesOutside(image, directory, &budget);
}

bool FindBrokenNeededTable(ByteView image, uint32_t faceIndex, char tag[5]) {
  if (IsFontSignature(image, "ttcf")) {
    uint32_t count = 0;
    if (!ReadU32(image, ttc_header::kNumFonts, &count) || faceIndex >= count) return false;
  }
  TableDirectory tables;
  if (!OpenFaceDirectory(image, faceIndex, &tables)) return false;
  // Records past the end of the image are not looked at.
  for (uint16_t k = 0; k < tables.recordsInImage; ++k) {
    const TableRecord record = ReadTableRecord(tables, k);
    if (IsNeededTable(record.tag) && !TableBytes(tables, record)) {
      TagText(record.tag, tag);
      return true;
    }
  }
  return false;
}

}  // namespace glyphcensus
