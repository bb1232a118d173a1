#include "fontio/font_structure.h"

#include <cstring>
#include <set>
#include <unordered_set>
#include <utility>
#include <vector>

#include "fontio/font_container.h"

namespace {

constexpr uint64_t kOffsetTableSize = 12;
constexpr uint64_t kTableRecordSize = 16;

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

bool TagIs(const uint8_t tag[4], const char* name) { return std::memcmp(tag, name, 4) == 0; }

// The naming table at `table`: its header, its records and their strings.
bool NamingTableFits(StructureWalk* walk, uint64_t table) {
  if (walk->namingTables.count(table) != 0) return true;
  const ByteView image = walk->image;
  uint16_t count = 0;
  uint16_t storage = 0;
  if (!ReadU16(image, table + 2, &count) || !ReadU16(image, table + 4, &storage) ||
      !FitsIn(image.size, table, 6 + 12 * uint64_t{count}) || !walk->budget.Spend(count)) {
    return false;
  }
  for (uint64_t k = 0; k < count; ++k) {
    uint16_t length = 0;
    uint16_t offset = 0;
    ReadU16(image, table + 6 + 12 * k + 8, &length);
    ReadU16(image, table + 6 + 12 * k + 10, &offset);
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
  if (!SubView(walk->image, table, length, &cmap) || !ReadU16(cmap, 2, &count) ||
      !FitsIn(cmap.size, 4, 8 * uint64_t{count}) || !walk->budget.Spend(count)) {
    return false;
  }
  for (uint64_t k = 0; k < count; ++k) {
    uint16_t platform = 0, encoding = 0, format = 0;
    uint32_t subtable = 0, groups = 0;
    ReadU16(cmap, 4 + 8 * k, &platform);
    ReadU16(cmap, 4 + 8 * k + 2, &encoding);
    ReadU32(cmap, 4 + 8 * k + 4, &subtable);
    if (platform != 3 || encoding != 10) continue;
    if (!ReadU16(cmap, subtable, &format)) return false;
    if (format != 12) continue;
    if (!ReadU32(cmap, uint64_t{subtable} + 12, &groups) || !FitsIn(cmap.size, uint64_t{subtable} + 16, 12 * uint64_t{groups})) {
      return false;
    }
  }
  walk->cmaps.insert({table, length});
  return true;
}

// The number of table records at `directory`, when all of them lie inside the image.
bool ReadTableCount(ByteView image, uint64_t directory, uint16_t* numTables) {
  return ReadU16(image, directory + 4, numTables) &&
         FitsIn(image.size, directory, kOffsetTableSize + kTableRecordSize * *numTables);
}

bool FontFits(StructureWalk* walk, uint64_t directory) {
  const ByteView image = walk->image;
  uint16_t numTables = 0;
  if (!ReadTableCount(image, directory, &numTables) || !walk->budget.Spend(numTables)) return false;
  bool namingTableSeen = false;
  bool cmapSeen = false;
  for (uint64_t k = 0; k < numTables; ++k) {
    const uint64_t record = directory + kOffsetTableSize + kTableRecordSize * k;
    uint8_t tag[4] = {};
    uint32_t offset = 0;
    uint32_t length = 0;
    ReadBytes(image, record, 4, tag);
    ReadU32(image, record + 8, &offset);
    ReadU32(image, record + 12, &length);
    if (!FitsIn(image.size, offset, length)) return false;
    if (!namingTableSeen && TagIs(tag, "name")) {
      namingTableSeen = true;  // loaders use the first one
      if (!NamingTableFits(walk, offset)) return false;
    }
    if (!cmapSeen && TagIs(tag, "cmap")) {
      cmapSeen = true;
      if (!CmapFits(walk, offset, length)) return false;
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
  if (!ReadU32(image, 8, &count)) return false;
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

// searchRange, entrySelector and rangeShift for `numTables` records.
void WriteSearchFields(MutableByteView image, uint64_t directory, uint16_t numTables) {
  uint16_t entrySelector = 0;
  while (numTables >> (entrySelector + 1) != 0) ++entrySelector;
  const uint32_t searchRange = numTables == 0 ? 0 : (uint32_t{1} << entrySelector) * 16;
  WriteU16(image, directory + 6, static_cast<uint16_t>(searchRange));
  WriteU16(image, directory + 8, entrySelector);
  WriteU16(image, directory + 10, static_cast<uint16_t>(numTables * 16u - searchRange));
}

// Removes from the directory the records of tables that run outside the image
// and that measuring does not need; the records after them move up, in order,
// and the freed records at the end become zero.
void DropUnneededTablesOutside(MutableByteView image, uint64_t directory, WalkBudget* budget) {
  const ByteView view = AsConst(image);
  uint16_t numTables = 0;
  if (!ReadTableCount(view, directory, &numTables) || !budget->Spend(numTables)) return;
  uint16_t kept = 0;
  for (uint64_t k = 0; k < numTables; ++k) {
    uint8_t record[kTableRecordSize] = {};
    ReadBytes(view, directory + kOffsetTableSize + kTableRecordSize * k, kTableRecordSize, record);
    uint32_t offset = 0;
    uint32_t length = 0;
    ReadU32(ByteView{record, sizeof record}, 8, &offset);
    ReadU32(ByteView{record, sizeof record}, 12, &length);
    if (!FitsIn(image.size, offset, length) && !IsNeededTable(record)) continue;
    if (kept != k) WriteBytes(image, directory + kOffsetTableSize + kTableRecordSize * kept, record, sizeof record);
    ++kept;
  }
  if (kept == numTables) return;
  const uint8_t zero[kTableRecordSize] = {};
  for (uint64_t k = kept; k < numTables; ++k) {
    WriteBytes(image, directory + kOffsetTableSize + kTableRecordSize * k, zero, sizeof zero);
  }
  WriteU16(image, directory + 4, kept);
  WriteSearchFields(image, directory, kept);
}

}  // namespace

bool IsNeededTable(const uint8_t tag[4]) {
  static const char* const kNeeded[] = {"cmap", "head", "hhea", "hmtx", "maxp", "loca", "glyf",
                                        "CFF ", "CFF2", "OS/2", "name", "post", "EBDT", "EBLC",
                                        "EBSC", "CBDT", "CBLC", "sbix", "bdat", "bloc"};
  for (const char* needed : kNeeded) {
    if (TagIs(tag, needed)) return true;
  }
  return false;
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
  ReadU32(AsConst(image), 8, &count);
  // A font needs at least its offset (4 bytes) and a directory of one table
  // (28 bytes): FreeType's own limit.
  if (count == 0 || count > image.size / 32) WriteU32(image, 8, 1);
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
    if (!ReadU32(image, 8, &count) || faceIndex >= count) return false;
  }
  uint32_t directory = 0;
  if (!FaceDirectoryOffset(image, faceIndex, &directory)) return false;
  uint16_t numTables = 0;
  if (!ReadU16(image, uint64_t{directory} + 4, &numTables)) return false;
  for (uint64_t k = 0; k < numTables; ++k) {
    const uint64_t record = directory + kOffsetTableSize + kTableRecordSize * k;
    uint8_t recordTag[4] = {};
    uint32_t offset = 0;
    uint32_t length = 0;
    if (!ReadBytes(image, record, 4, recordTag) || !ReadU32(image, record + 8, &offset) ||
        !ReadU32(image, record + 12, &length)) {
      return false;  // the rest of the directory lies outside the image
    }
    if (IsNeededTable(recordTag) && !FitsIn(image.size, offset, length)) {
      std::memcpy(tag, recordTag, 4);
      tag[4] = '\0';
      return true;
    }
  }
  return false;
}
