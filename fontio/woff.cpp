#include "fontio/woff.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <vector>

#include "fontio/sfnt_tables.h"
#include "fontio/table_fields.h"

namespace glyphcensus {

namespace {

constexpr uint64_t kWoffHeaderSize = 44;
constexpr uint64_t kWoffEntrySize = 20;

int32_t ReadTotalSfntSize(ByteView woff) {
  uint32_t total = 0;
  if (!ReadU32(woff, 16, &total)) return 0;
  if (total > 0x7FFFFFFFu) return -1;
  return static_cast<int32_t>(total);
}

// The sfnt offset table: the flavor as its version, and the WOFF header's
// numTables with the search fields for it.
void WriteOffsetTable(ByteView woff, MutableByteView sfnt) {
  uint32_t flavor = 0;
  uint16_t numTables = 0;
  ReadU32(woff, 4, &flavor);
  ReadU16(woff, 12, &numTables);
  WriteU32(sfnt, sfnt_directory::kVersion, flavor);
  WriteTableCount(sfnt, 0, numTables);
}

// A directory entry and whether its stored data may be used.
struct PlacedEntry {
  WoffTableEntry entry;
  bool hasData;
};

bool PlacedTagLess(const PlacedEntry& a, const PlacedEntry& b) { return TableTagLess(a.entry, b.entry); }

// Marks the entries whose stored range [offset, offset + compLength) overlaps
// the range of an entry before them in the directory: they get no data. Table
// data never overlaps in a valid file, and without this rule a few bytes of
// directory could make every entry inflate the same large stream again. With
// it, the ranges that are read are disjoint, so the conversion reads each byte
// of the file at most once.
void RefuseOverlappingRanges(std::vector<PlacedEntry>* entries) {
  std::map<uint64_t, uint64_t> claimed;  // start -> end of the union of earlier ranges
  for (PlacedEntry& placed : *entries) {
    const uint64_t start = placed.entry.offset;
    const uint64_t end = start + placed.entry.compLength;
    if (start == end) continue;  // an empty range overlaps nothing
    auto next = claimed.lower_bound(end);  // the first claimed range starting at or after end
    uint64_t mergedStart = start;
    uint64_t mergedEnd = end;
    // Claimed ranges that start before `end` and end after `start` overlap.
    while (next != claimed.begin()) {
      auto before = std::prev(next);
      if (before->second <= start) break;
      placed.hasData = false;
      mergedStart = std::min(mergedStart, before->first);
      mergedEnd = std::max(mergedEnd, before->second);
      next = claimed.erase(before);
    }
    claimed[mergedStart] = mergedEnd;
  }
}

// The directory entries that lie wholly inside the file, in file order.
std::vector<PlacedEntry> ReadWoffDirectory(ByteView woff) {
  uint16_t numTables = 0;
  ReadU16(woff, 12, &numTables);
  std::vector<PlacedEntry> entries;
  for (uint64_t i = 0; i < numTables; ++i) {
    const uint64_t at = kWoffHeaderSize + kWoffEntrySize * i;
    WoffTableEntry entry{};
    if (!ReadBytes(woff, at, 4, entry.tag) || !ReadU32(woff, at + 4, &entry.offset) ||
        !ReadU32(woff, at + 8, &entry.compLength) || !ReadU32(woff, at + 12, &entry.origLength) ||
        !ReadU32(woff, at + 16, &entry.origChecksum)) {
      break;  // later entries lie further out
    }
    entries.push_back(PlacedEntry{entry, true});
  }
  RefuseOverlappingRanges(&entries);
  return entries;
}

// Inflates one zlib stream into `table`; bytes the stream does not produce stay
// as they are (zero). inflate never writes beyond the space it is given.
void InflateTable(ByteView stream, MutableByteView table) {
  z_stream z{};
  z.next_in = const_cast<Bytef*>(stream.data);
  z.avail_in = static_cast<uInt>(stream.size);
  z.next_out = table.data;
  z.avail_out = static_cast<uInt>(table.size);
  if (inflateInit(&z) != Z_OK) return;
  inflate(&z, Z_FINISH);  // a short or broken stream leaves the rest zero
  inflateEnd(&z);
}

// Writes one table's data at its place; a table that lies outside the file or
// does not fit into the sfnt leaves its place zero.
void WriteTableData(ByteView woff, const WoffTableEntry& entry, MutableByteView sfnt,
                    uint64_t position) {
  MutableByteView table;
  if (!SubView(sfnt, position, entry.origLength, &table)) return;
  ByteView stored;
  if (!SubView(woff, entry.offset, entry.compLength, &stored)) return;
  if (entry.compLength == entry.origLength) {
    WriteBytes(table, 0, stored.data, stored.size);
  } else if (table.size != 0) {
    InflateTable(stored, table);
  }
}

}  // namespace

bool TableTagLess(const WoffTableEntry& a, const WoffTableEntry& b) {
  // The first byte read as a signed number: 0x80..0xFF are negative and so fall
  // into the first group together with everything below 'Z'.
  const bool aFirst = static_cast<int8_t>(a.tag[0]) < 0x5A;
  const bool bFirst = static_cast<int8_t>(b.tag[0]) < 0x5A;
  if (aFirst != bFirst) return aFirst;
  for (int i = 0; i < 4; ++i) {
    if (a.tag[i] != b.tag[i]) return a.tag[i] < b.tag[i];
    if (a.tag[i] == 0) return false;  // a zero byte ends both texts
  }
  return false;
}

void WriteWoffTables(ByteView woff, MutableByteView destination) {
  WriteOffsetTable(woff, destination);

  std::vector<PlacedEntry> entries = ReadWoffDirectory(woff);
  // Stable, so that equivalent tags keep their file order on every platform.
  std::stable_sort(entries.begin(), entries.end(), PlacedTagLess);

  uint16_t numTables = 0;
  ReadU16(woff, 12, &numTables);
  uint64_t position = sfnt_directory::kRecords + sfnt_directory::kRecordSize * numTables;
  for (size_t i = 0; i < entries.size(); ++i) {
    const WoffTableEntry& entry = entries[i].entry;
    const uint64_t record = sfnt_directory::kRecords + sfnt_directory::kRecordSize * i;
    WriteBytes(destination, record + table_record::kTag, entry.tag, 4);
    WriteU32(destination, record + table_record::kChecksum, entry.origChecksum);
    WriteU32(destination, record + table_record::kOffset, static_cast<uint32_t>(position));
    WriteU32(destination, record + table_record::kLength, entry.origLength);
    if (entries[i].hasData) WriteTableData(woff, entry, destination, position);
    position += (uint64_t{entry.origLength} + 3) & ~uint64_t{3};  // padding stays zero
  }
}

int32_t ConvertWoffToSfnt(ByteView woff, int mode, MutableByteView destination) {
  const int32_t total = ReadTotalSfntSize(woff);
  if (mode == kWoffSizeQuery) return total;

  if (destination.size != 0) std::memset(destination.data, 0, destination.size);
  WriteWoffTables(woff, destination);
  return total;
}

}  // namespace glyphcensus
