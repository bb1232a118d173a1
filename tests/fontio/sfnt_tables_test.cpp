// The table directory reader, and the rule each of its callers applies to
// duplicate tags, records past the end of the image and tables that overlap
// or run outside it.
#include "fontio/sfnt_tables.h"

#include <gtest/gtest.h>

#include <string>

#include "fontio/face_name.h"
#include "fontio/font_structure.h"
#include "fontio/truetype_glyphs.h"
#include "tests/fontio/font_test_util.h"

using namespace glyphcensus;

namespace {

// Rewrites field `field` (4 bytes) of table record `k` of the sfnt at offset 0.
void SetRecordField(Bytes* font, uint16_t k, uint64_t field, uint32_t value) {
  WriteU32(MutableView(*font), 12 + 16 * uint64_t{k} + field, value);
}
void SetRecordTag(Bytes* font, uint16_t k, const char (&tag)[5]) {
  SetRecordField(font, k, 0, Tag(tag).value);
}

TableDirectory Directory(const Bytes& font, uint64_t offset = 0) {
  TableDirectory directory;
  EXPECT_TRUE(ReadTableDirectory(View(font), offset, &directory));
  return directory;
}

// A naming table with one Windows English family name.
Bytes NameTable(const std::u16string& family) {
  Bytes table;
  for (uint32_t v : {0u, 1u, 18u, 3u, 1u, 0x409u, 1u, static_cast<uint32_t>(2 * family.size()), 0u}) {
    AppendU16(&table, v);
  }
  const Bytes text = Utf16Be(family);
  table.insert(table.end(), text.begin(), text.end());
  return table;
}

// ---- Tags -------------------------------------------------------------------

TEST(Tag, IsTheBigEndianNumberOfItsFourBytes) {
  static_assert(Tag("OS/2").value == 0x4F532F32, "made at compile time");
  static_assert(Tag("CFF ") != Tag("CFF2"), "the fourth byte counts");
  EXPECT_EQ(Tag("head"), Tag(0x68656164));
  EXPECT_NE(Tag("head"), Tag("Head"));
  EXPECT_EQ(Tag(), Tag(0u));
  static constexpr Tag kListed[] = {Tag("glyf"), Tag("loca")};
  EXPECT_TRUE(IsOneOf(Tag("loca"), kListed));
  EXPECT_FALSE(IsOneOf(Tag("locb"), kListed));
}

TEST(Tag, TextEndsAtAZeroByte) {
  char text[5] = {'x', 'x', 'x', 'x', 'x'};
  TagText(Tag("OS/2"), text);
  EXPECT_STREQ(text, "OS/2");
  TagText(Tag(0x41420043), text);  // "AB", zero, "C"
  EXPECT_STREQ(text, "AB");
  EXPECT_EQ(text[3], 'C');
  EXPECT_EQ(text[4], '\0');
}

// ---- The directory and its records ------------------------------------------

TEST(TableDirectory, ReadsTheOffsetTableAndEveryRecord) {
  const Bytes font = BuildSfnt({{"cmap", Bytes(8, 1)}, {"head", Bytes(54, 2)}, {"zero", {}}}, 0x4F54544F);
  const TableDirectory directory = Directory(font);
  EXPECT_EQ(directory.sfntVersion, 0x4F54544Fu);
  EXPECT_EQ(directory.numTables, 3);
  EXPECT_EQ(directory.recordsInImage, 3);
  EXPECT_TRUE(AllRecordsInImage(directory));
  const TableRecord head = ReadTableRecord(directory, 1);
  EXPECT_EQ(head.tag, Tag("head"));
  EXPECT_EQ(head.at, 28u);
  EXPECT_EQ(head.offset, 12u + 48 + 8);
  EXPECT_EQ(head.length, 54u);
  const std::optional<ByteView> bytes = FindTable(directory, Tag("head"));
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->data, font.data() + head.offset);
  EXPECT_EQ(bytes->size, 54u);
  // An empty table is found, as an empty view; a missing one is not.
  const std::optional<ByteView> zero = FindTable(directory, Tag("zero"));
  ASSERT_TRUE(zero.has_value());
  EXPECT_EQ(zero->size, 0u);
  EXPECT_FALSE(FindTable(directory, Tag("glyf")).has_value());
}

TEST(TableDirectory, RecordsPastTheEndAreCountedOut) {
  Bytes font = BuildSfnt({{"cmap", Bytes(8, 1)}, {"head", Bytes(8, 2)}, {"name", Bytes(8, 3)}});
  font.resize(12 + 16 * 2 + 15);  // the third record lacks its last byte
  TableDirectory directory = Directory(font);
  EXPECT_EQ(directory.numTables, 3);
  EXPECT_EQ(directory.recordsInImage, 2);
  EXPECT_FALSE(AllRecordsInImage(directory));
  TableRecord record;
  EXPECT_FALSE(FindTableRecord(directory, Tag("name"), &record)) << "a record past the end is not read";
  // The tables of the first two now lie outside the image too.
  EXPECT_TRUE(FindTableRecord(directory, Tag("head"), &record));
  EXPECT_FALSE(FindTable(directory, Tag("head")).has_value());

  // Only the offset table: no record inside; 5 bytes: none at all.
  const Bytes header(font.begin(), font.begin() + 6);
  directory = Directory(header);
  EXPECT_EQ(directory.numTables, 3);
  EXPECT_EQ(directory.recordsInImage, 0);
  EXPECT_FALSE(ReadTableDirectory(ByteView{font.data(), 5}, 0, &directory));
}

TEST(TableDirectory, OffsetsOutsideTheImageAreRefused) {
  const Bytes font = BuildSfnt({{"head", Bytes(8, 2)}});
  TableDirectory directory;
  EXPECT_FALSE(ReadTableDirectory(View(font), font.size() - 5, &directory));
  EXPECT_FALSE(ReadTableDirectory(View(font), 0xFFFFFFFFu, &directory));
  EXPECT_FALSE(ReadTableDirectory(View(font), ~uint64_t{0} - 3, &directory)) << "no wrap-around";
  EXPECT_EQ(directory.numTables, 0);
  // A directory whose records would end past 2^16 records' worth: counted, not read.
  Bytes many = font;
  WriteU16(MutableView(many), 4, 0xFFFF);
  directory = Directory(many);
  EXPECT_EQ(directory.recordsInImage, (many.size() - 12) / 16);
}

TEST(TableDirectory, DuplicateTagsGiveTheFirstRecord) {
  Bytes font = BuildSfnt({{"name", Bytes(4, 1)}, {"name", Bytes(6, 2)}});
  TableRecord record;
  ASSERT_TRUE(FindTableRecord(Directory(font), Tag("name"), &record));
  EXPECT_EQ(record.length, 4u);
  EXPECT_EQ(record.at, 12u);
  // The first record's table outside the image: nothing, though the second fits.
  SetRecordField(&font, 0, 8, 0xFFFFFF00u);
  EXPECT_FALSE(FindTable(Directory(font), Tag("name")).has_value());
  ASSERT_TRUE(FindTableRecord(Directory(font), Tag("name"), &record));
  EXPECT_EQ(record.offset, 0xFFFFFF00u);
}

TEST(TableDirectory, OverlappingTablesAreEachTheirOwnView) {
  Bytes font = BuildSfnt({{"cmap", Bytes(16, 1)}, {"head", Bytes(8, 2)}});
  SetRecordField(&font, 1, 8, 12 + 32 + 4);  // head inside cmap
  const TableDirectory directory = Directory(font);
  const std::optional<ByteView> cmap = FindTable(directory, Tag("cmap"));
  const std::optional<ByteView> head = FindTable(directory, Tag("head"));
  ASSERT_TRUE(cmap && head);
  EXPECT_EQ(head->data, cmap->data + 4);
  // A table that starts inside and ends outside is no view.
  SetRecordField(&font, 1, 12, static_cast<uint32_t>(font.size()));
  EXPECT_FALSE(FindTable(Directory(font), Tag("head")).has_value());
}

TEST(TableDirectory, FacesOfACollection) {
  const Bytes face = BuildSfnt({{"head", Bytes(8, 2)}});
  // A collection of two faces, the second at offset 20 + face.size().
  Bytes collection;
  AppendText(&collection, "ttcf");
  AppendU32(&collection, 0x00010000);
  AppendU32(&collection, 2);
  AppendU32(&collection, 20);
  AppendU32(&collection, 20 + static_cast<uint32_t>(face.size()));
  Bytes second = BuildSfnt({{"cmap", Bytes(8, 1)}, {"name", Bytes(8, 3)}});
  collection.insert(collection.end(), face.begin(), face.end());
  collection.insert(collection.end(), second.begin(), second.end());
  TableDirectory directory;
  ASSERT_TRUE(OpenFaceDirectory(View(collection), 1, &directory));
  EXPECT_EQ(directory.offset, 20 + face.size());
  EXPECT_EQ(directory.numTables, 2);
  EXPECT_FALSE(OpenFaceDirectory(View(collection), 3, &directory)) << "no entry for face 3";
  EXPECT_FALSE(OpenFaceDirectory(View(face), 1, &directory)) << "an sfnt has face 0 only";
  ASSERT_TRUE(OpenFaceDirectory(View(face), 0, &directory));
  EXPECT_EQ(directory.offset, 0u);
}

TEST(WriteTableCount, SearchFieldsForEveryCount) {
  struct Case { uint16_t n, searchRange, entrySelector, rangeShift; };
  const Case cases[] = {{0, 0, 0, 0},       {1, 16, 0, 0},      {2, 32, 1, 0},
                        {3, 32, 1, 16},     {4, 64, 2, 0},      {17, 256, 4, 16},
                        {4096, 0, 12, 0},   {65535, 0, 15, 0xFFF0}};
  for (const Case& c : cases) {
    Bytes header(12, 0xEE);
    WriteTableCount(MutableView(header), 0, c.n);
    EXPECT_EQ(U32At(header, 0), 0xEEEEEEEEu) << "the version stays";
    EXPECT_EQ(U16At(header, 4), c.n);
    EXPECT_EQ(U16At(header, 6), c.searchRange) << c.n;
    EXPECT_EQ(U16At(header, 8), c.entrySelector) << c.n;
    EXPECT_EQ(U16At(header, 10), c.rangeShift) << c.n;
  }
}

// ---- The rules of the callers ------------------------------------------------

TEST(CallerRules, FaceNamesTakeTheFirstNamingRecord) {
  Bytes font = BuildSfnt({{"name", NameTable(u"First")}, {"name", NameTable(u"Second")}});
  FaceName name;
  ASSERT_TRUE(ReadFamilyName(View(font), 0, &name));
  EXPECT_EQ(name, u"First");
  // The first record's table outside the image: no name, the second is not taken.
  SetRecordField(&font, 0, 8, static_cast<uint32_t>(font.size()));
  ASSERT_TRUE(ReadFamilyName(View(font), 0, &name));
  EXPECT_EQ(name, u"");
  // A naming record past the end of the image is not read: a font without names.
  Bytes cut = BuildSfnt({{"head", Bytes(54, 0)}, {"name", NameTable(u"Cut")}});
  SetRecordField(&cut, 1, 8, 0);  // name table at 0: any bytes will do
  cut.resize(12 + 16 + 15);
  ASSERT_TRUE(ReadFamilyName(View(cut), 0, &name));
  EXPECT_EQ(name, u"");
}

TEST(CallerRules, TheStructureCheckLooksIntoTheFirstNamingTableOnly) {
  Bytes broken = NameTable(u"Second");
  WriteU16(MutableView(broken), 2, 500);  // 500 records that the table does not hold
  Bytes font = BuildSfnt({{"name", NameTable(u"First")}, {"name", broken}});
  EXPECT_TRUE(FontStructureFits(View(font)));
  Bytes first = BuildSfnt({{"name", broken}, {"name", NameTable(u"Second")}});
  EXPECT_FALSE(FontStructureFits(View(first)));
  // Every record must lie inside, and every table.
  Bytes cut = font;
  cut.resize(12 + 16 + 15);
  EXPECT_FALSE(FontStructureFits(View(cut)));
  SetRecordField(&font, 1, 12, static_cast<uint32_t>(font.size()));
  EXPECT_FALSE(FontStructureFits(View(font)));
  // Overlapping tables are not a fault.
  Bytes overlapping = BuildSfnt({{"name", NameTable(u"First")}, {"post", Bytes(32, 0)}});
  SetRecordField(&overlapping, 1, 8, 12 + 32);
  SetRecordField(&overlapping, 1, 12, 8);
  EXPECT_TRUE(FontStructureFits(View(overlapping)));
}

TEST(CallerRules, TheBrokenNeededTableIsTheFirstAmongRecordsInside) {
  Bytes font = BuildSfnt({{"GSUB", Bytes(8, 0)}, {"post", Bytes(8, 0)}, {"head", Bytes(8, 0)}});
  char tag[5] = {};
  EXPECT_FALSE(FindBrokenNeededTable(View(font), 0, tag));
  SetRecordField(&font, 0, 12, 0x10000);  // GSUB is not needed
  SetRecordField(&font, 2, 12, 0x10000);
  ASSERT_TRUE(FindBrokenNeededTable(View(font), 0, tag));
  EXPECT_STREQ(tag, "head");
  SetRecordField(&font, 1, 12, 0x10000);
  ASSERT_TRUE(FindBrokenNeededTable(View(font), 0, tag));
  EXPECT_STREQ(tag, "post");
  // With the directory cut inside the post record, neither is looked at.
  Bytes cut(font.begin(), font.begin() + 12 + 16 + 8);
  EXPECT_FALSE(FindBrokenNeededTable(View(cut), 0, tag));
}

TEST(CallerRules, PreparingDropsOnlyFromWholeDirectories) {
  Bytes font = BuildSfnt({{"GSUB", Bytes(8, 0)}, {"head", Bytes(8, 0)}});
  SetRecordField(&font, 0, 12, 0x10000);
  Bytes cut = font;
  cut.resize(12 + 16 + 15);  // the head record lacks a byte: nothing is dropped
  const Bytes before = cut;
  PrepareImageForMeasuring(MutableView(cut));
  EXPECT_EQ(cut, before);
  PrepareImageForMeasuring(MutableView(font));
  EXPECT_EQ(U16At(font, 4), 1);
  EXPECT_EQ(U32At(font, 12), Tag("head").value);
  EXPECT_EQ(U32At(font, 28), 0u) << "the freed record is zero";
}

// The TrueType reader takes each table it reads once, from a directory whose
// records all lie inside the image.
class TrueTypeTables : public ::testing::Test {
 protected:
  void SetUp() override {
    font = ReadTestFile("tt.ttf");
    ASSERT_FALSE(font.empty());
    TrueTypeGlyphs glyphs;
    ASSERT_TRUE(OpenTrueTypeGlyphs(View(font), 0, &glyphs));
    const TableDirectory directory = Directory(font);
    for (uint16_t k = 0; k < directory.numTables; ++k) {
      const Tag tag = ReadTableRecord(directory, k).tag;
      if (tag == Tag("post")) post = k;
      if (tag == Tag("head")) head = k;
      if (tag == Tag("glyf")) glyf = k;
    }
    ASSERT_GE(post, 0);
    ASSERT_GE(head, 0);
    ASSERT_GE(glyf, 0);
  }
  bool Opens(const Bytes& bytes) const {
    TrueTypeGlyphs glyphs;
    return OpenTrueTypeGlyphs(View(bytes), 0, &glyphs);
  }
  Bytes font;
  int post = -1, head = -1, glyf = -1;
};

TEST_F(TrueTypeTables, ADuplicateReadTableIsRefused) {
  Bytes twice = font;
  SetRecordTag(&twice, static_cast<uint16_t>(post), "head");
  EXPECT_FALSE(Opens(twice));
  Bytes variable = font;
  SetRecordTag(&variable, static_cast<uint16_t>(post), "gvar");
  EXPECT_FALSE(Opens(variable));
}

TEST_F(TrueTypeTables, TablesItDoesNotReadMayOverlapOrBeEmpty) {
  Bytes overlapping = font;
  const uint32_t glyfOffset = U32At(font, 12 + 16 * glyf + 8);
  SetRecordField(&overlapping, static_cast<uint16_t>(post), 8, glyfOffset);
  EXPECT_TRUE(Opens(overlapping));
  Bytes empty = font;
  SetRecordField(&empty, static_cast<uint16_t>(post), 12, 0);
  EXPECT_TRUE(Opens(empty));
  // A read table empty or outside the image is refused.
  Bytes emptyHead = font;
  SetRecordField(&emptyHead, static_cast<uint16_t>(head), 12, 0);
  EXPECT_FALSE(Opens(emptyHead));
  Bytes outside = font;
  SetRecordField(&outside, static_cast<uint16_t>(head), 8, static_cast<uint32_t>(font.size()));
  EXPECT_FALSE(Opens(outside));
}

TEST_F(TrueTypeTables, ARecordPastTheEndRefusesTheFace) {
  Bytes cut(font.begin(), font.begin() + 12 + 16 * U16At(font, 4) - 1);
  EXPECT_FALSE(Opens(cut));
}

}  // namespace
