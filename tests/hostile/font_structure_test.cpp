// The check that keeps font images whose tables, name records or strings run
// off their end away from the system's font loader.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "fontio/font_structure.h"

using namespace glyphcensus;

namespace {

void PutU16(std::vector<uint8_t>* b, size_t at, uint16_t v) {
  (*b)[at] = static_cast<uint8_t>(v >> 8);
  (*b)[at + 1] = static_cast<uint8_t>(v);
}

void PutU32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  PutU16(b, at, static_cast<uint16_t>(v >> 16));
  PutU16(b, at + 2, static_cast<uint16_t>(v));
}

// An sfnt header claiming `numTables` records, followed by `records` of them.
std::vector<uint8_t> Sfnt(uint16_t numTables, size_t records) {
  std::vector<uint8_t> b(12 + 16 * records, 0);
  PutU32(&b, 0, 0x00010000);
  PutU16(&b, 4, numTables);
  return b;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return uint32_t{U16(b, at)} << 16 | U16(b, at + 2); }

bool Fits(const std::vector<uint8_t>& b) { return FontStructureFits(ByteView{b.data(), b.size()}); }

// Points table record k of the sfnt at `directory` at [offset, offset + length).
void SetRecord(std::vector<uint8_t>* b, size_t directory, size_t k, uint32_t offset, uint32_t length) {
  PutU32(b, directory + 12 + 16 * k + 8, offset);
  PutU32(b, directory + 12 + 16 * k + 12, length);
}

TEST(FontStructure, EveryTableMustLieInsideTheImage) {
  std::vector<uint8_t> b = Sfnt(2, 2);
  b.resize(100, 0);
  SetRecord(&b, 0, 0, 44, 56);  // up to the last byte
  SetRecord(&b, 0, 1, 100, 0);  // empty, at the very end
  EXPECT_TRUE(Fits(b));
  SetRecord(&b, 0, 0, 44, 57);  // one byte past the end
  EXPECT_FALSE(Fits(b));
  SetRecord(&b, 0, 0, 0xFFFFFFF0, 0x20);  // offset + length wraps around in 32 bits
  EXPECT_FALSE(Fits(b));
  SetRecord(&b, 0, 0, 44, 0xFFFFFFFF);
  EXPECT_FALSE(Fits(b));
}

TEST(FontStructure, SfntDirectoryMustLieInsideTheImage) {
  EXPECT_TRUE(Fits(Sfnt(0, 0)));
  EXPECT_TRUE(Fits(Sfnt(3, 3)));
  EXPECT_FALSE(Fits(Sfnt(4, 3)));
  EXPECT_FALSE(Fits(Sfnt(65535, 3)));
  std::vector<uint8_t> cut = Sfnt(3, 3);
  cut.pop_back();  // one byte short of the last record
  EXPECT_FALSE(Fits(cut));
  EXPECT_FALSE(Fits(std::vector<uint8_t>{0, 1, 0, 0, 0}));  // too short for numTables
  EXPECT_FALSE(Fits(std::vector<uint8_t>{}));
}

// A collection of `count` fonts whose directories follow the header.
std::vector<uint8_t> Collection(uint32_t count, uint16_t lastNumTables) {
  std::vector<uint8_t> b(12 + 4 * count, 0);
  b[0] = 't', b[1] = 't', b[2] = 'c', b[3] = 'f';
  PutU32(&b, 4, 0x00010000);
  PutU32(&b, 8, count);
  for (uint32_t i = 0; i < count; ++i) {
    PutU32(&b, 12 + 4 * i, static_cast<uint32_t>(b.size()));
    const std::vector<uint8_t> font = Sfnt(i + 1 == count ? lastNumTables : 1, 1);
    b.insert(b.end(), font.begin(), font.end());
  }
  return b;
}

TEST(FontStructure, EveryFontOfACollectionIsChecked) {
  EXPECT_TRUE(Fits(Collection(1, 1)));
  EXPECT_TRUE(Fits(Collection(3, 1)));
  EXPECT_FALSE(Fits(Collection(3, 2)));  // the last font's directory runs off the end
  std::vector<uint8_t> capitals = Collection(2, 1);
  capitals[0] = 'T', capitals[1] = 'T', capitals[2] = 'C', capitals[3] = 'F';
  EXPECT_TRUE(Fits(capitals));
  capitals[15] = 0xFF;  // first offset far past the end
  EXPECT_FALSE(Fits(capitals));
}

// An sfnt with one table, a naming table of `count` records whose strings
// start at `storage` + `offset` and are `length` bytes long.
std::vector<uint8_t> WithNames(uint16_t count, uint16_t storage, uint16_t offset, uint16_t length) {
  std::vector<uint8_t> b = Sfnt(1, 1);
  const size_t table = b.size();
  b.resize(table + 6 + 12 * count + 16, 0);
  b[12] = 'n', b[13] = 'a', b[14] = 'm', b[15] = 'e';
  SetRecord(&b, 0, 0, static_cast<uint32_t>(table), static_cast<uint32_t>(b.size() - table));
  PutU16(&b, table + 2, count);
  PutU16(&b, table + 4, storage);
  for (size_t k = 0; k < count; ++k) {
    PutU16(&b, table + 6 + 12 * k + 8, length);
    PutU16(&b, table + 6 + 12 * k + 10, offset);
  }
  return b;
}

TEST(FontStructure, NameRecordsAndStringsMustLieInsideTheImage) {
  const uint16_t records = 6 + 12 * 2;
  EXPECT_TRUE(Fits(WithNames(2, records, 0, 16)));   // strings up to the last byte
  EXPECT_FALSE(Fits(WithNames(2, records, 0, 17)));  // one byte past it
  EXPECT_FALSE(Fits(WithNames(2, records, 0xFFF0, 2)));
  EXPECT_FALSE(Fits(WithNames(2, 0xFFFF, 0, 2)));
  std::vector<uint8_t> b = WithNames(2, records, 0, 2);
  PutU16(&b, 28 + 2, 65535);  // records beyond the image
  EXPECT_FALSE(Fits(b));
}

// An sfnt whose only table is a cmap with a (3, 10) format 12 subtable of
// `groups` groups, of which `present` are there.
std::vector<uint8_t> WithCmap12(uint32_t groups, uint32_t present) {
  std::vector<uint8_t> b = Sfnt(1, 1);
  const size_t table = b.size();
  b.resize(table + 12 + 16 + 12 * present, 0);
  b[12] = 'c', b[13] = 'm', b[14] = 'a', b[15] = 'p';
  SetRecord(&b, 0, 0, static_cast<uint32_t>(table), static_cast<uint32_t>(b.size() - table));
  PutU16(&b, table + 2, 1);  // one encoding record: (3, 10) at offset 12
  PutU16(&b, table + 4, 3);
  PutU16(&b, table + 6, 10);
  PutU32(&b, table + 8, 12);
  PutU16(&b, table + 12, 12);  // format 12
  PutU32(&b, table + 12 + 12, groups);
  return b;
}

TEST(FontStructure, Format12CmapGroupsMustLieInsideTheTable) {
  EXPECT_TRUE(Fits(WithCmap12(2, 2)));
  EXPECT_FALSE(Fits(WithCmap12(3, 2)));
  EXPECT_FALSE(Fits(WithCmap12(0x10000000, 2)));
  std::vector<uint8_t> b = WithCmap12(2, 2);
  PutU16(&b, 28 + 2, 400);  // encoding records beyond the table
  EXPECT_FALSE(Fits(b));
}

TEST(FontStructure, AnAbsurdFontCountEndsAtTheFirstOffsetOutsideTheImage) {
  std::vector<uint8_t> b = Collection(2, 1);
  PutU32(&b, 8, 0xFFFFFFFF);
  EXPECT_FALSE(Fits(b));
  PutU32(&b, 8, 0);
  EXPECT_TRUE(Fits(b));  // no fonts: nothing runs off the image
}

TEST(FontStructure, CollectionHeadersAreRewrittenAsLoadersTakeThem) {
  std::vector<uint8_t> b = Collection(2, 1);
  b[0] = 'T', b[1] = 't', b[2] = 'C', b[3] = 'F';
  const std::vector<uint8_t> lowerCase = Collection(2, 1);
  NormalizeCollectionHeader(MutableByteView{b.data(), b.size()});
  EXPECT_EQ(b, lowerCase);  // the tag in lower case, the count kept
  PutU32(&b, 8, 0xFFFFFFFF);
  NormalizeCollectionHeader(MutableByteView{b.data(), b.size()});
  EXPECT_EQ(b[11], 1);  // an absurd count becomes 1
  EXPECT_EQ(b[8] | b[9] | b[10], 0);
  PutU32(&b, 8, 0);
  NormalizeCollectionHeader(MutableByteView{b.data(), b.size()});
  EXPECT_EQ(b[11], 1);
  std::vector<uint8_t> sfnt = Sfnt(1, 1);
  const std::vector<uint8_t> before = sfnt;
  NormalizeCollectionHeader(MutableByteView{sfnt.data(), sfnt.size()});
  EXPECT_EQ(sfnt, before);
}

constexpr uint32_t kFarOutside = 0xFFFFFF00;

// An sfnt of the given tables, each with 8 bytes of data after the directory,
// except that the records `outside` marks point far past the end.
std::vector<uint8_t> Tables(const std::vector<std::string>& tags, const std::vector<bool>& outside) {
  std::vector<uint8_t> b = Sfnt(static_cast<uint16_t>(tags.size()), tags.size());
  const size_t data = b.size();
  b.resize(data + 8 * tags.size(), 0x11);
  for (size_t k = 0; k < tags.size(); ++k) {
    std::copy(tags[k].begin(), tags[k].end(), b.begin() + 12 + 16 * k);
    SetRecord(&b, 0, k, outside[k] ? kFarOutside : static_cast<uint32_t>(data + 8 * k), 8);
  }
  return b;
}

std::string TagAt(const std::vector<uint8_t>& b, size_t record) {
  return std::string(b.begin() + record, b.begin() + record + 4);
}

void Prepare(std::vector<uint8_t>* b) { PrepareImageForMeasuring(MutableByteView{b->data(), b->size()}); }

std::string Broken(const std::vector<uint8_t>& b, uint32_t face) {
  char tag[5] = "none";
  return FindBrokenNeededTable(ByteView{b.data(), b.size()}, face, tag) ? std::string(tag) : "";
}

TEST(PrepareImageForMeasuring, DropsOnlyUnneededTablesThatRunOutside) {
  std::vector<uint8_t> b = Tables({"DSIG", "GSUB", "OS/2", "glyf", "hhea", "kern", "vmtx"},
                                  {true, true, false, false, false, false, true});
  EXPECT_FALSE(Fits(b));
  EXPECT_EQ(Broken(b, 0), "");
  std::vector<uint8_t> expected = Tables({"OS/2", "glyf", "hhea", "kern"}, {false, false, false, false});
  // The kept records still point at their own data, which has not moved.
  for (size_t k = 0; k < 4; ++k) SetRecord(&expected, 0, k, static_cast<uint32_t>(12 + 16 * 7 + 8 * (k + 2)), 8);
  expected.resize(b.size(), 0x11);
  std::fill(expected.begin() + 12 + 16 * 4, expected.begin() + 12 + 16 * 7, 0);  // freed records
  PutU16(&expected, 6, 64);  // searchRange, entrySelector, rangeShift for 4 tables
  PutU16(&expected, 8, 2);
  PutU16(&expected, 10, 0);
  Prepare(&b);
  EXPECT_EQ(b, expected);
  EXPECT_TRUE(Fits(b));

  // Nothing to drop: the image is left as it is, search fields included.
  const std::vector<uint8_t> intact = Tables({"GSUB", "glyf"}, {false, false});
  std::vector<uint8_t> copy = intact;
  Prepare(&copy);
  EXPECT_EQ(copy, intact);
}

TEST(PrepareImageForMeasuring, NeededTablesOutsideStayAndAreNamed) {
  for (const char* needed : {"cmap", "head", "hhea", "hmtx", "maxp", "loca", "glyf", "CFF ", "CFF2", "OS/2",
                             "name", "post", "EBDT", "EBLC", "EBSC", "CBDT", "CBLC", "sbix", "bdat", "bloc"}) {
    std::vector<uint8_t> b = Tables({"GSUB", needed, "zzzz"}, {true, true, true});
    Prepare(&b);
    EXPECT_EQ(U16(b, 4), 1) << needed;
    EXPECT_EQ(TagAt(b, 12), needed);
    EXPECT_EQ(Broken(b, 0), needed);
  }
  // The first needed table in directory order is named; only face 0 of an sfnt.
  const std::vector<uint8_t> two = Tables({"glyf", "head", "loca"}, {false, true, true});
  EXPECT_EQ(Broken(two, 0), "head");
  EXPECT_EQ(Broken(two, 1), "");
  EXPECT_EQ(Broken(Sfnt(400, 2), 0), "");  // a directory cut short names nothing
}

TEST(PrepareImageForMeasuring, EveryFontOfACollection) {
  // Four fonts listed, the second twice; font 1 has a GSUB outside and font 2
  // a glyf outside.
  std::vector<uint8_t> b(12 + 16, 0);
  b[0] = 'T', b[1] = 'T', b[2] = 'C', b[3] = 'F';
  PutU32(&b, 4, 0x00010000);
  PutU32(&b, 8, 4);
  const std::vector<std::vector<uint8_t>> fonts = {Tables({"cmap"}, {false}), Tables({"GSUB", "cmap"}, {true, false}),
                                                   Tables({"glyf"}, {true})};
  std::vector<size_t> at;
  for (const auto& font : fonts) {
    at.push_back(b.size());
    b.insert(b.end(), font.begin(), font.end());
  }
  const size_t listed[] = {0, 1, 1, 2};
  for (size_t i = 0; i < 4; ++i) PutU32(&b, 12 + 4 * i, static_cast<uint32_t>(at[listed[i]]));
  EXPECT_EQ(Broken(b, 2), "");
  Prepare(&b);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "ttcf");
  EXPECT_EQ(U16(b, at[1] + 4), 1);
  EXPECT_EQ(TagAt(b, at[1] + 12), "cmap");
  EXPECT_EQ(Broken(b, 0), "");
  EXPECT_EQ(Broken(b, 1), "");
  EXPECT_EQ(Broken(b, 2), "");
  EXPECT_EQ(Broken(b, 3), "glyf");
  EXPECT_EQ(Broken(b, 4), "");  // past the font count
}

TEST(FontStructure, ManyFontsOfOneDirectoryAreCheckedOnce) {
  // A naming table of 65535 records, listed by 25,000 fonts of a collection:
  // checked once per font, that would be 1.6 billion record reads.
  std::vector<uint8_t> font = WithNames(65535, 0, 0, 0);
  const uint32_t count = 25000;
  std::vector<uint8_t> b(12 + 4 * count, 0);
  b[0] = 't', b[1] = 't', b[2] = 'c', b[3] = 'f';
  PutU32(&b, 4, 0x00010000);
  PutU32(&b, 8, count);
  for (uint32_t i = 0; i < count; ++i) PutU32(&b, 12 + 4 * i, static_cast<uint32_t>(b.size()));
  const size_t directory = b.size();
  b.insert(b.end(), font.begin(), font.end());
  SetRecord(&b, directory, 0, static_cast<uint32_t>(directory + 28), static_cast<uint32_t>(font.size() - 28));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Fits(b));
  Prepare(&b);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(U32(b, 8), count);
}

TEST(FontStructure, OverlappingNamingTablesStopAtTheWorkBound) {
  // 4000 fonts, each with its own naming table, 2 bytes after the previous
  // font's: every table claims 8192 records, all inside the image. Walked one
  // by one, the records cost the square of the image's size; the check gives up
  // and refuses the image.
  const uint32_t count = 4000;
  const uint16_t v = 0x2000;  // every naming table field: count, storage offset, lengths, offsets
  std::vector<uint8_t> b(12 + 4 * count + 28 * count, 0);
  b[0] = 't', b[1] = 't', b[2] = 'c', b[3] = 'f';
  PutU32(&b, 4, 0x00010000);
  PutU32(&b, 8, count);
  const size_t names = b.size();
  b.resize(names + 2 * count + 6 + 12 * size_t{v} + 4 * size_t{v}, 0);
  for (size_t at = names; at + 1 < b.size(); at += 2) PutU16(&b, at, v);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t directory = 12 + 4 * count + 28 * i;
    PutU32(&b, 12 + 4 * i, static_cast<uint32_t>(directory));
    PutU32(&b, directory, 0x00010000);
    PutU16(&b, directory + 4, 1);
    b[directory + 12] = 'n', b[directory + 13] = 'a', b[directory + 14] = 'm', b[directory + 15] = 'e';
    SetRecord(&b, directory, 0, static_cast<uint32_t>(names + 2 * i), 6 + 12 * v);
  }
  EXPECT_FALSE(Fits(b));
  b.resize(names + 2 * 8 + 6 + 12 * size_t{v} + 4 * size_t{v});  // eight fonts' tables fit the bound
  PutU32(&b, 8, 8);
  EXPECT_TRUE(Fits(b));
}

}  // namespace
