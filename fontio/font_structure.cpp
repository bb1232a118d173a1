#include "fontio/font_structure.h"

#include "fontio/font_image.h"

namespace {

// The naming table at `table`: its header, its records and their strings.
bool NamingTableFits(ByteView image, uint64_t table) {
  uint16_t count = 0;
  uint16_t storage = 0;
  if (!ReadU16(image, table + 2, &count) || !ReadU16(image, table + 4, &storage) ||
      !FitsIn(image.size, table, 6 + 12 * uint64_t{count})) {
    return false;
  }
  for (uint64_t k = 0; k < count; ++k) {
    uint16_t length = 0;
    uint16_t offset = 0;
    ReadU16(image, table + 6 + 12 * k + 8, &length);
    ReadU16(image, table + 6 + 12 * k + 10, &offset);
    if (!FitsIn(image.size, table + storage + offset, length)) return false;
  }
  return true;
}

// The cmap at [table, table + length): its encoding records, and for the
// (3, 10) subtables of format 12 their groups, lie inside the table. (Wine's
// Uniscribe reads a copy of the table that long and searches those groups for
// characters outside the Basic Multilingual Plane.)
bool CmapFits(ByteView image, uint64_t table, uint64_t length) {
  ByteView cmap;
  uint16_t count = 0;
  if (!SubView(image, table, length, &cmap) || !ReadU16(cmap, 2, &count) || !FitsIn(cmap.size, 4, 8 * uint64_t{count})) {
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
  return true;
}

bool FontFits(ByteView image, uint64_t directory) {
  uint16_t numTables = 0;
  if (!ReadU16(image, directory + 4, &numTables) || !FitsIn(image.size, directory, 12 + 16 * uint64_t{numTables})) {
    return false;
  }
  bool namingTableSeen = false;
  bool cmapSeen = false;
  for (uint64_t k = 0; k < numTables; ++k) {
    const uint64_t record = directory + 12 + 16 * k;
    uint8_t tag[4] = {};
    uint32_t offset = 0;
    uint32_t length = 0;
    ReadBytes(image, record, 4, tag);
    ReadU32(image, record + 8, &offset);
    ReadU32(image, record + 12, &length);
    if (!FitsIn(image.size, offset, length)) return false;
    if (!namingTableSeen && tag[0] == 'n' && tag[1] == 'a' && tag[2] == 'm' && tag[3] == 'e') {
      namingTableSeen = true;  // loaders use the first one
      if (!NamingTableFits(image, offset)) return false;
    }
    if (!cmapSeen && tag[0] == 'c' && tag[1] == 'm' && tag[2] == 'a' && tag[3] == 'p') {
      cmapSeen = true;
      if (!CmapFits(image, offset, length)) return false;
    }
  }
  return true;
}

}  // namespace

bool FontStructureFits(ByteView image) {
  if (!IsFontSignature(image, "ttcf")) return FontFits(image, 0);
  uint32_t count = 0;
  if (!ReadU32(image, 8, &count)) return false;
  // An offset that lies outside the image ends the loop, so it runs at most
  // image.size / 4 times.
  for (uint64_t i = 0; i < count; ++i) {
    uint32_t directory = 0;
    if (!ReadU32(image, 12 + 4 * i, &directory) || !FontFits(image, directory)) return false;
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
