// The WOFF converter: table order, offset table, stored and inflated tables,
// padding, and files whose directory or tables lie outside their bytes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include "fontio/woff.h"
#include "tests/fontio/font_test_util.h"

using namespace glyphcensus;

namespace {

struct WoffSource {
  std::string tag;
  Bytes data;
  bool compress = false;
  uint32_t checksum = 0x01020304;
};

Bytes Deflate(const Bytes& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes out(size);
  compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9);
  out.resize(size);
  return out;
}

// A WOFF file with the tables in the given order; totalSfntSize as the sfnt needs.
Bytes BuildWoff(const std::vector<WoffSource>& tables) {
  Bytes out;
  AppendText(&out, "wOFF");
  AppendU32(&out, 0x00010000);
  out.resize(44, 0);
  WriteU16(MutableView(out), 12, static_cast<uint16_t>(tables.size()));
  uint64_t total = 12 + 16 * tables.size();
  uint32_t offset = static_cast<uint32_t>(44 + 20 * tables.size());
  Bytes data;
  for (const WoffSource& t : tables) {
    const Bytes stored = t.compress ? Deflate(t.data) : t.data;
    AppendText(&out, t.tag);
    for (uint32_t v : {offset + static_cast<uint32_t>(data.size()), static_cast<uint32_t>(stored.size()),
                       static_cast<uint32_t>(t.data.size()), t.checksum}) {
      AppendU32(&out, v);
    }
    data.insert(data.end(), stored.begin(), stored.end());
    data.resize((data.size() + 3) & ~size_t{3}, 0);
    total += (t.data.size() + 3) & ~size_t{3};
  }
  out.insert(out.end(), data.begin(), data.end());
  WriteU32(MutableView(out), 16, static_cast<uint32_t>(total));
  return out;
}

// Converts with a destination of the queried size, first filled with 0xAA so
// that bytes the converter leaves unwritten show.
Bytes Convert(const Bytes& woff) {
  const int32_t size = ConvertWoffToSfnt(View(woff), kWoffSizeQuery, MutableByteView{});
  Bytes sfnt(static_cast<size_t>(std::max(size, 0)), 0xAA);
  EXPECT_EQ(ConvertWoffToSfnt(View(woff), kWoffConvert, MutableView(sfnt)), size);
  return sfnt;
}

Bytes Filled(size_t size, uint8_t seed) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(seed + i * 7);
  return out;
}

// Tags are four bytes: std::string("ab\0x", 4) or a four-character literal.
bool TagLess(const std::string& a, const std::string& b) {
  WoffTableEntry x{}, y{};
  a.copy(reinterpret_cast<char*>(x.tag), 4);
  b.copy(reinterpret_cast<char*>(y.tag), 4);
  return TableTagLess(x, y);
}

TEST(TableTagLess, GroupsByTheSignedFirstByteThenComparesTexts) {
  EXPECT_TRUE(TagLess("OS/2", "cmap"));
  EXPECT_TRUE(TagLess("cmap", "glyf"));
  EXPECT_TRUE(TagLess("glyf", "head"));
  // A first byte of 0x80 or more reads negative: after the other first-group
  // tags (bytes compare unsigned), before every tag from 'Z' on.
  EXPECT_TRUE(TagLess("OS/2", "\x80" "abc"));
  EXPECT_TRUE(TagLess("\xFF" "abc", "Zzzz"));
  EXPECT_FALSE(TagLess("Zzzz", "\x80" "abc"));
  EXPECT_TRUE(TagLess("Zzzz", "cmap"));
  // A zero byte ends a tag's text.
  EXPECT_FALSE(TagLess(std::string("ab\0x", 4), std::string("ab\0y", 4)));
  EXPECT_FALSE(TagLess(std::string("ab\0y", 4), std::string("ab\0x", 4)));
  EXPECT_TRUE(TagLess(std::string("ab\0z", 4), "ab  "));
}

TEST(ConvertWoffToSfnt, SortsTablesAndPacksTheirData) {
  const Bytes glyf = Filled(5, 1), head = Filled(8, 2), os2 = Filled(6, 3), cmap = Filled(7, 4);
  const Bytes sfnt = Convert(BuildWoff({{"glyf", glyf}, {"head", head, true}, {"OS/2", os2}, {"cmap", cmap}}));
  ASSERT_EQ(sfnt.size(), 76u + 8 + 8 + 8 + 8);
  const char* order[] = {"OS/2", "cmap", "glyf", "head"};
  const Bytes* data[] = {&os2, &cmap, &glyf, &head};
  uint32_t position = 76;
  for (int i = 0; i < 4; ++i) {
    const uint64_t record = 12 + 16 * i;
    EXPECT_EQ(std::string(sfnt.begin() + record, sfnt.begin() + record + 4), order[i]);
    EXPECT_EQ(U32At(sfnt, record + 4), 0x01020304u);  // origChecksum, unchecked
    EXPECT_EQ(U32At(sfnt, record + 8), position);
    EXPECT_EQ(U32At(sfnt, record + 12), data[i]->size());
    EXPECT_TRUE(std::equal(data[i]->begin(), data[i]->end(), sfnt.begin() + position)) << order[i];
    // Padding up to the next multiple of 4 is zero.
    for (size_t p = position + data[i]->size(); p < position + 8; ++p) EXPECT_EQ(sfnt[p], 0) << p;
    position += 8;
  }
}

TEST(ConvertWoffToSfnt, OffsetTableForEveryTableCount) {
  struct Case { uint16_t n, searchRange, entrySelector, rangeShift; };
  for (Case c : {Case{0, 0, 0, 0}, Case{1, 16, 0, 0}, Case{3, 32, 1, 16}, Case{12, 128, 3, 64},
                 Case{16, 256, 4, 0}, Case{20, 256, 4, 64}}) {
    std::vector<WoffSource> tables;
    for (uint16_t i = 0; i < c.n; ++i) tables.push_back({std::string("t") + char('A' + i) + "xx", {}});
    const Bytes sfnt = Convert(BuildWoff(tables));
    ASSERT_EQ(sfnt.size(), 12u + 16 * c.n);
    EXPECT_EQ(U32At(sfnt, 0), 0x00010000u);
    EXPECT_EQ(U16At(sfnt, 4), c.n);
    EXPECT_EQ(U16At(sfnt, 6), c.searchRange) << c.n;
    EXPECT_EQ(U16At(sfnt, 8), c.entrySelector) << c.n;
    EXPECT_EQ(U16At(sfnt, 10), c.rangeShift) << c.n;
  }
}

TEST(ConvertWoffToSfnt, StoredTablesAreCopiedEvenWhenTheyLookCompressed) {
  const Bytes zlibLooking = Deflate(Filled(100, 9));
  const Bytes sfnt = Convert(BuildWoff({{"glyf", zlibLooking}}));
  EXPECT_TRUE(std::equal(zlibLooking.begin(), zlibLooking.end(), sfnt.begin() + 28));
}

TEST(ConvertWoffToSfnt, SizeQueryReadsOnlyTheHeader) {
  Bytes woff = BuildWoff({{"glyf", Filled(10, 1)}});
  EXPECT_EQ(ConvertWoffToSfnt(View(woff), kWoffSizeQuery, MutableByteView{}), 12 + 16 + 12);
  WriteU32(MutableView(woff), 16, 0x80000000u);
  EXPECT_EQ(ConvertWoffToSfnt(View(woff), kWoffSizeQuery, MutableByteView{}), -1);
  EXPECT_EQ(ConvertWoffToSfnt(ByteView{woff.data(), 19}, kWoffSizeQuery, MutableByteView{}), 0);
}

TEST(ConvertWoffToSfnt, InflateStaysWithinOrigLength) {
  // 1 MiB of one byte value deflates to about 1 KiB; origLength says 16 bytes.
  Bytes woff = BuildWoff({{"bomb", Bytes(1 << 20, 0x55), true}, {"next", Filled(8, 3)}});
  WriteU32(MutableView(woff), 44 + 12, 16);
  WriteU32(MutableView(woff), 16, 12 + 32 + 16 + 8);
  const Bytes sfnt = Convert(woff);
  ASSERT_EQ(sfnt.size(), 68u);
  EXPECT_EQ(Bytes(sfnt.begin() + 44, sfnt.begin() + 60), Bytes(16, 0x55));
  EXPECT_EQ(Bytes(sfnt.begin() + 60, sfnt.end()), Filled(8, 3));
}

TEST(ConvertWoffToSfnt, BrokenOrShortStreamsLeaveZeros) {
  Bytes woff = BuildWoff({{"cmap", Filled(40, 1), true}, {"glyf", Filled(40, 2), true}});
  // cmap: stream cut after half its bytes; glyf: stream bytes overwritten.
  const uint32_t cmapLength = U32At(woff, 44 + 8);
  WriteU32(MutableView(woff), 44 + 8, cmapLength / 2);
  const uint32_t glyfOffset = U32At(woff, 64 + 4);
  std::fill(woff.begin() + glyfOffset, woff.begin() + glyfOffset + 4, 0xFF);
  const Bytes sfnt = Convert(woff);
  EXPECT_EQ(Bytes(sfnt.begin() + 44 + 40, sfnt.end()), Bytes(40, 0));  // glyf
  EXPECT_EQ(std::count(sfnt.begin() + 44, sfnt.begin() + 84, 0xAA), 0);  // cmap: no byte left unwritten
}

TEST(ConvertWoffToSfnt, TablesOutsideTheInputOrDestinationLeaveZeros) {
  const Bytes a = Filled(8, 1), b = Filled(8, 2), c = Filled(8, 3);
  Bytes woff = BuildWoff({{"aaaa", a}, {"bbbb", b}, {"cccc", c}});
  WriteU32(MutableView(woff), 64 + 4, 0xFFFFFFF8u);              // bbbb: offset far outside
  WriteU32(MutableView(woff), 84 + 4, static_cast<uint32_t>(woff.size() - 4));  // cccc: half outside
  const Bytes sfnt = Convert(woff);
  ASSERT_EQ(sfnt.size(), 12u + 48 + 24);
  EXPECT_EQ(Bytes(sfnt.begin() + 60, sfnt.begin() + 68), a);
  EXPECT_EQ(Bytes(sfnt.begin() + 68, sfnt.end()), Bytes(16, 0));
  EXPECT_EQ(U32At(sfnt, 28 + 8), 68u);  // the records are still written
  EXPECT_EQ(U32At(sfnt, 44 + 8), 76u);

  // totalSfntSize too small for the last table: that table is left out.
  Bytes small = BuildWoff({{"aaaa", a}, {"bbbb", b}, {"cccc", c}});
  WriteU32(MutableView(small), 16, 12 + 48 + 20);
  const Bytes cut = Convert(small);
  ASSERT_EQ(cut.size(), 80u);
  EXPECT_EQ(Bytes(cut.begin() + 68, cut.begin() + 76), b);
  EXPECT_EQ(Bytes(cut.begin() + 76, cut.end()), Bytes(4, 0));

  // A directory that claims more entries than the file holds, and a destination
  // too small even for the offset table.
  Bytes claims = BuildWoff({{"aaaa", a}});
  WriteU16(MutableView(claims), 12, 2000);
  WriteU32(MutableView(claims), 16, 12 + 16 * 2000);
  const Bytes partial = Convert(claims);
  EXPECT_EQ(std::string(partial.begin() + 12, partial.begin() + 16), "aaaa");
  EXPECT_EQ(std::count(partial.begin() + 28, partial.end(), 0), static_cast<long>(partial.size() - 28));
  WriteU32(MutableView(claims), 16, 6);
  EXPECT_EQ(Convert(claims), (Bytes{0, 1, 0, 0, 0x07, 0xD0}));
}

// Directory entry k's stored range; entries start at byte 44, 20 bytes each.
void PointEntry(Bytes* woff, int k, uint32_t offset, uint32_t compLength) {
  WriteU32(MutableView(*woff), 44 + 20 * k + 4, offset);
  WriteU32(MutableView(*woff), 44 + 20 * k + 8, compLength);
}

TEST(ConvertWoffToSfnt, ARangeOverlappingAnEarlierEntrysRangeGetsNoData) {
  const Bytes a = Filled(8, 1), b = Filled(8, 2), c = Filled(8, 3), d = Filled(8, 4);
  // Directory order zzzz, aaaa, mmmm, bbbb; sfnt order aaaa, bbbb, mmmm, zzzz.
  const Bytes honest = BuildWoff({{"zzzz", a}, {"aaaa", b}, {"mmmm", c}, {"bbbb", d}});
  const uint32_t first = 44 + 80;
  auto tableAt = [](const Bytes& sfnt, int i) {
    return Bytes(sfnt.begin() + 76 + 8 * i, sfnt.begin() + 84 + 8 * i);
  };
  {
    Bytes woff = honest;
    PointEntry(&woff, 1, first, 8);       // aaaa: the same bytes as zzzz, which comes first
    PointEntry(&woff, 2, first + 4, 8);   // mmmm: half over zzzz
    PointEntry(&woff, 3, first + 12, 8);  // bbbb: right after mmmm, touching it only
    const Bytes sfnt = Convert(woff);
    EXPECT_EQ(tableAt(sfnt, 0), Bytes(8, 0));  // aaaa
    EXPECT_EQ(tableAt(sfnt, 1), Bytes(woff.begin() + first + 12, woff.begin() + first + 20));
    EXPECT_EQ(tableAt(sfnt, 2), Bytes(8, 0));  // mmmm
    EXPECT_EQ(tableAt(sfnt, 3), a);            // zzzz
    EXPECT_EQ(U32At(sfnt, 12 + 12), 8u);       // the records keep their lengths
  }
  {
    // A range that overlaps only a range refused before it is refused too.
    Bytes woff = honest;
    PointEntry(&woff, 1, first + 24, 8);   // aaaa: the bytes stored for bbbb, unclaimed
    PointEntry(&woff, 2, first + 4, 24);   // mmmm: over zzzz and aaaa
    PointEntry(&woff, 3, first + 10, 8);   // bbbb: inside mmmm only
    const Bytes sfnt = Convert(woff);
    EXPECT_EQ(tableAt(sfnt, 0), d);
    EXPECT_EQ(tableAt(sfnt, 1), Bytes(8, 0));
    EXPECT_EQ(tableAt(sfnt, 2), Bytes(8, 0));
    EXPECT_EQ(tableAt(sfnt, 3), a);
  }
  {
    // Empty ranges overlap nothing, and stored and compressed tables follow
    // the same rule.
    Bytes woff = BuildWoff({{"cmap", Filled(40, 1), true}, {"glyf", Filled(40, 2), true}, {"loca", {}}});
    const uint32_t cmapOffset = U32At(woff, 44 + 4), cmapLength = U32At(woff, 44 + 8);
    PointEntry(&woff, 1, cmapOffset, cmapLength);
    PointEntry(&woff, 2, cmapOffset, 0);
    const Bytes sfnt = Convert(woff);
    EXPECT_EQ(Bytes(sfnt.begin() + 60, sfnt.begin() + 100), Filled(40, 1));
    EXPECT_EQ(Bytes(sfnt.begin() + 100, sfnt.end()), Bytes(40, 0));
  }
}

}  // namespace
