// Face names: record filters, slots and the final choice, marking each family
// string once, the naming table's checksum, and tables that leave the image.
#include <gtest/gtest.h>

#include "fontio/face_name.h"
#include "tests/fontio/font_test_util.h"

using namespace glyphcensus;

namespace {

struct NameEntry {
  uint16_t platform, encoding, language, nameId;
  Bytes text;
  int sharesWith = -1;  // index of an earlier entry whose string this one uses
};

NameEntry Win(uint16_t language, const std::u16string& text, uint16_t nameId = 1) {
  return {3, 1, language, nameId, Utf16Be(text)};
}
NameEntry Mac(uint16_t encoding, uint16_t language, const std::string& text) {
  return {1, encoding, language, 1, Bytes(text.begin(), text.end())};
}

// A naming table (format 0) with the records in the given order, and its
// string offsets within the storage.
Bytes NameTable(const std::vector<NameEntry>& entries, std::vector<uint16_t>* stringOffsets = nullptr) {
  Bytes out, storage;
  std::vector<uint16_t> offsets;
  AppendU16(&out, 0);
  AppendU16(&out, static_cast<uint32_t>(entries.size()));
  AppendU16(&out, static_cast<uint32_t>(6 + 12 * entries.size()));
  for (const NameEntry& e : entries) {
    const bool shared = e.sharesWith >= 0;
    offsets.push_back(shared ? offsets[e.sharesWith] : static_cast<uint16_t>(storage.size()));
    const size_t length = shared ? entries[e.sharesWith].text.size() : e.text.size();
    if (!shared) storage.insert(storage.end(), e.text.begin(), e.text.end());
    for (uint32_t v : {uint32_t{e.platform}, uint32_t{e.encoding}, uint32_t{e.language}, uint32_t{e.nameId},
                       static_cast<uint32_t>(length), uint32_t{offsets.back()}}) {
      AppendU16(&out, v);
    }
  }
  out.insert(out.end(), storage.begin(), storage.end());
  if (stringOffsets) *stringOffsets = offsets;
  return out;
}

Bytes FontWithNames(const std::vector<NameEntry>& entries) {
  return BuildSfnt({{"head", Bytes(54, 0)}, {"name", NameTable(entries)}});
}

struct Result {
  bool ok;
  FaceName name;
  Bytes image;
};

Result Read(Bytes font) {
  FaceName name = u"stale";
  const bool ok = ReadFaceName(MutableView(font), &name);
  return {ok, name, font};
}

// The first `units` UTF-16 units of the string of name record k in the image.
std::u16string StoredName(const Bytes& font, uint16_t k, size_t units) {
  uint32_t table = 0, length = 0;
  if (!FindTable(font, "name", &table, &length)) return u"";
  const uint32_t at = table + U16At(font, table + 4) + U16At(font, table + 6 + 12 * k + 10);
  std::u16string text;
  for (size_t i = 0; i < units; ++i) text.push_back(static_cast<char16_t>(U16At(font, at + 2 * i)));
  return text;
}

bool CodePage932() {
  const uint8_t hiraganaA[] = {0x82, 0xA0};
  FaceName decoded;
  return DecodeAnsiText(ByteView{hiraganaA, 2}, &decoded) && decoded == u"\u3042";
}

TEST(MarkFaceName, ReplacesTheFirstUnit) {
  EXPECT_EQ(MarkFaceName(u""), u"V");
  EXPECT_EQ(MarkFaceName(u"Arial"), u"Vrial");
  EXPECT_EQ(MarkFaceName(u"Vera"), u"Wera");
  EXPECT_EQ(MarkFaceName(u"Wide"), u"Vide");
}

TEST(ReadFaceName, SortedRecordsGiveTheWindowsJapaneseNameAndMarkAll) {
  const Result r = Read(FontWithNames({Mac(0, 0, "Mac"), Mac(1, 11, "Jp"), Win(0x409, u"Eng"), Win(0x411, u"Jpn")}));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.name, u"Jpn");
  EXPECT_EQ(StoredName(r.image, 2, 3), u"Vng");
  EXPECT_EQ(StoredName(r.image, 3, 3), u"Vpn");
  EXPECT_EQ(StoredName(r.image, 0, 1), u"\u5661");  // single-byte: one byte, "Mac" -> "Vac"
  EXPECT_EQ(StoredName(r.image, 1, 1), u"\u5670");  // "Jp" -> "Vp"

  // The same from fontTools, with its Macintosh Japanese name in Shift_JIS.
  const Result file = Read(ReadTestFile("names_sorted.ttf"));
  ASSERT_TRUE(file.ok);
  EXPECT_EQ(file.name, u"\u30bd\u30fc\u30c8\u30b4\u30b7\u30c3\u30af");
}

TEST(ReadFaceName, TheFirstWindowsJapaneseRecordEndsTheWalk) {
  Result r = Read(FontWithNames({Win(0x409, u"Eng"), Win(0x411, u"Jpn"), Win(0x409, u"Late"), Win(0x411, u"Two")}));
  EXPECT_EQ(r.name, u"Jpn");
  EXPECT_EQ(StoredName(r.image, 0, 3), u"Vng");
  EXPECT_EQ(StoredName(r.image, 2, 4), u"Late");
  EXPECT_EQ(StoredName(r.image, 3, 3), u"Two");
  // An empty Windows Japanese name still ends it; the slots filled before decide.
  r = Read(FontWithNames({Win(0x409, u"Eng"), Win(0x411, u""), Win(0x409, u"Late")}));
  EXPECT_EQ(r.name, u"Eng");
  EXPECT_EQ(StoredName(r.image, 2, 4), u"Late");
}

TEST(ReadFaceName, SlotsAndTheFinalChoice) {
  EXPECT_EQ(Read(FontWithNames({Win(0x409, u"One"), Win(0x409, u"Two")})).name, u"Two");
  EXPECT_EQ(Read(FontWithNames({Mac(0, 0, "Mac"), Win(0x409, u"Win")})).name, u"Win");
  EXPECT_EQ(Read(FontWithNames({Mac(0, 0x409, "Mac")})).name, u"Mac");
  // Only other languages, other platforms or encodings, other name IDs: empty.
  for (const auto& entries : std::vector<std::vector<NameEntry>>{
           {Win(0x407, u"Deutsch"), Win(0x804, u"Chinese")},
           {Win(0x409, u"Full", 4), Win(0x409, u"Typo", 16)},
           {{3, 10, 0x409, 1, Utf16Be(u"Ucs4")}, {1, 2, 0, 1, Bytes{'M'}}, {2, 0, 0, 1, Utf16Be(u"Iso")}},
           {{0, 3, 0, 1, Utf16Be(u"Uni")}}}) {
    const Result r = Read(FontWithNames(entries));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.name, u"");
  }
  // A Unicode-platform record is only marked.
  EXPECT_EQ(StoredName(Read(FontWithNames({{0, 3, 0, 1, Utf16Be(u"Uni")}})).image, 0, 3), u"Vni");
}

TEST(ReadFaceName, MacintoshJapaneseWinsOverWindowsEnglish) {
  if (!CodePage932()) GTEST_SKIP() << "the ANSI code page is not 932 (Shift_JIS)";
  const Result r = Read(ReadTestFile("names_mac_japanese.ttf"));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.name, u"\u30de\u30c3\u30af \u30b4\u30b7\u30c3\u30af");
}

TEST(ReadFaceName, NamesAreDecodedAsInTheFile) {
  Result r = Read(FontWithNames({Win(0x409, u"Vera")}));
  EXPECT_EQ(r.name, u"Vera");
  EXPECT_EQ(StoredName(r.image, 0, 4), u"Wera");
  EXPECT_EQ(MarkFaceName(r.name), u"Wera");
  EXPECT_EQ(Read(FontWithNames({Win(0x409, u"A\rB")})).name, u"A\r");
  EXPECT_EQ(Read(FontWithNames({Win(0x409, u"A\nB")})).name, u"A\n");
  EXPECT_EQ(Read(FontWithNames({Win(0x409, std::u16string(u"AB\0C", 4))})).name, u"AB");
  EXPECT_EQ(Read(FontWithNames({Win(0x409, std::u16string(300, u'x'))})).name, std::u16string(259, u'x'));
  // A single-byte Macintosh name has its first byte marked, and then reads as
  // the marked name.
  r = Read(FontWithNames({Mac(0, 0, "Mac")}));
  EXPECT_EQ(r.name, u"Mac");
  EXPECT_EQ(Bytes(r.image.end() - 6, r.image.end() - 3), (Bytes{'V', 'a', 'c'}));  // 3 bytes of padding
  EXPECT_EQ(Read(r.image).name, MarkFaceName(u"Mac"));
  r = Read(FontWithNames({Mac(0, 0, "Vera"), Mac(0, 0, "F")}));
  EXPECT_EQ(Bytes(r.image.end() - 6, r.image.end() - 1), (Bytes{'W', 'e', 'r', 'a', 'V'}));  // 1 byte of padding
  EXPECT_EQ(r.name, u"F");
}

// GDI knows a registered font by its Windows family names only: the measuring
// font is asked for by one of those, whichever name the report shows.
TEST(ReadFaceName, TheRequestNameIsAWindowsFamilyNameWhenThereIsOne) {
  struct Case {
    std::vector<NameEntry> entries;
    std::u16string name, request;
  };
  const Case cases[] = {
      {{Mac(0, 0, "Mac"), Mac(1, 11, "Jp"), Win(0x409, u"Eng"), Win(0x411, u"Jpn")}, u"Jpn", u"Jpn"},
      {{Mac(0, 0, "Mac"), Mac(1, 11, "Jp"), Win(0x409, u"Eng")}, u"Jp", u"Eng"},
      {{Mac(0, 0, "Mac"), Win(0x409, u"Eng")}, u"Eng", u"Eng"},
      {{Mac(0, 0, "Mac")}, u"Mac", u"Mac"},
      {{Win(0x409, u"Eng"), Win(0x411, u""), Mac(1, 11, "Late")}, u"Eng", u"Eng"},
      {{Win(0x407, u"Deutsch")}, u"", u""},
  };
  for (const Case& c : cases) {
    Bytes font = FontWithNames(c.entries);
    FaceName name = u"stale", request = u"stale";
    ASSERT_TRUE(ReadFaceName(MutableView(font), &name, &request));
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(request, c.request);
    // The image now carries the marked request name: read again, it is the name.
    if (!request.empty()) {
      FaceName again, againRequest;
      ASSERT_TRUE(ReadFaceName(MutableView(font), &again, &againRequest));
      EXPECT_EQ(againRequest, MarkFaceName(request));
    }
  }
  Bytes notFont{0, 1, 0};
  FaceName name = u"stale", request = u"stale";
  EXPECT_FALSE(ReadFaceName(MutableView(notFont), &name, &request));
  EXPECT_EQ(request, u"");
}

// Records sharing one string: each name is read from the file's bytes and the
// string is marked once, so the image holds exactly MarkFaceName of the name.
TEST(ReadFaceName, SharedStringsAreMarkedOnce) {
  NameEntry japanese = Win(0x411, u"");
  japanese.sharesWith = 0;
  for (const std::u16string family : {u"Fold", u"Void"}) {
    const Result r = Read(FontWithNames({Win(0x409, family), japanese}));
    EXPECT_EQ(r.name, family);
    EXPECT_EQ(StoredName(r.image, 1, 4), MarkFaceName(r.name));
  }
  // A Windows record sharing a Macintosh record's string: the UTF-16 mark wins,
  // so the string still reads as the marked Windows name.
  NameEntry windows = Win(0x409, u"");
  windows.sharesWith = 0;
  const Result mixed = Read(FontWithNames({Mac(0, 0, std::string("\0A\0b", 4)), windows}));
  EXPECT_EQ(mixed.name, u"Ab");
  EXPECT_EQ(StoredName(mixed.image, 1, 2), u"Vb");

  const Result file = Read(ReadTestFile("names_shared.ttf"));  // full names share it too
  EXPECT_EQ(file.name, u"Fold Sans");
  for (uint16_t k : {4, 7, 10, 11}) EXPECT_EQ(StoredName(file.image, k, 9), u"Vold Sans") << k;
}

TEST(ReadFaceName, CollectionsAndNonFonts) {
  for (const char* name : {"collection.ttc", "collection_caps.ttc"}) {
    const Result r = Read(ReadTestFile(name));
    EXPECT_TRUE(r.ok) << name;
    EXPECT_EQ(r.name, u"Test Sans") << name;
  }
  Bytes collection = ReadTestFile("collection.ttc");
  WriteU32(MutableView(collection), 4, 0x00030000);
  for (const Bytes& bad : {collection, Bytes{0, 1, 0}, BuildSfnt({{"name", Bytes(8, 0)}}, 0x74727565)}) {
    const Result r = Read(bad);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.name, u"");
    EXPECT_EQ(r.image, bad);
  }
  const Bytes noNames = BuildSfnt({{"head", Bytes(54, 0)}});
  const Result r = Read(noNames);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.image, noNames);
}

uint32_t NameChecksum(const Bytes& font) { return U32At(font, 12 + 16 + 4); }

TEST(ReadFaceName, FixesTheNamingTableChecksum) {
  // "head" then "name": 12 + 32 + 56 = 100, name table of 6 + 12 + 2 = 20 bytes.
  Bytes font = FontWithNames({Win(0x409, u"A")});
  ASSERT_EQ(font.size(), 120u);
  Result r = Read(font);
  // 00 00 00 01 | 00 08 00 03 | 00 01 04 09 | 00 01 00 02 | 00 00 00 56
  EXPECT_EQ(NameChecksum(r.image), 0x00000001u + 0x00120003 + 0x00010409 + 0x00010002 + 0x00000056);
  // A table longer than the image: its bytes beyond the end count as zero.
  WriteU32(MutableView(font), 12 + 16 + 12, 1000);
  EXPECT_EQ(NameChecksum(Read(font).image), NameChecksum(r.image));
  // Also when no record is marked; a length of 19 is summed over 20 bytes.
  font = FontWithNames({Win(0x409, u"A", 4)});
  WriteU32(MutableView(font), 12 + 16 + 12, 19);
  EXPECT_EQ(NameChecksum(Read(font).image), 0x00000001u + 0x00120003 + 0x00010409 + 0x00040002 + 0x00000041);
}

TEST(ReadFaceName, RecordsAndStringsOutsideTheImageAreSkipped) {
  // A string running past the end: neither read nor marked.
  Bytes font = FontWithNames({Win(0x409, u"Good"), Win(0x409, u"Long")});
  WriteU16(MutableView(font), 100 + 6 + 12 + 8, 200);
  Result r = Read(font);
  EXPECT_EQ(r.name, u"Good");
  EXPECT_EQ(StoredName(r.image, 0, 4), u"Vood");
  EXPECT_EQ(StoredName(r.image, 0, 8).substr(4), u"Long");
  // More name records than the table holds, and a storage offset far out.
  font = FontWithNames({Win(0x409, u"Good")});
  WriteU16(MutableView(font), 100 + 2, 0xFFFF);
  EXPECT_EQ(Read(font).name, u"Good");
  WriteU16(MutableView(font), 100 + 4, 0xFFFF);
  EXPECT_EQ(Read(font).name, u"");
  // Table records beyond the image, and a naming table offset beyond it.
  font = FontWithNames({Win(0x409, u"Good")});
  WriteU16(MutableView(font), 4, 0xFFFF);
  EXPECT_EQ(Read(font).name, u"Good");
  for (uint32_t offset : {120u, 0xFFFFFFF0u}) {
    WriteU32(MutableView(font), 12 + 16 + 8, offset);
    r = Read(font);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.name, u"");
  }
  // A collection whose first directory lies beyond the image.
  Bytes collection = ReadTestFile("collection.ttc");
  WriteU32(MutableView(collection), 12, static_cast<uint32_t>(collection.size() - 2));
  EXPECT_FALSE(Read(collection).ok);
}

#ifndef _WIN32
// On Linux a Macintosh name that is not valid code page 932 fails to decode:
// the record is marked all the same and empties its slot. (Windows replaces
// such bytes instead of failing.)
TEST(ReadFaceName, UndecodableMacintoshNameEmptiesItsSlot) {
  const Result r = Read(FontWithNames({Mac(1, 11, "Ok"), Mac(1, 11, "\x81 "), Win(0x409, u"Win")}));
  EXPECT_EQ(r.name, u"Win");
  EXPECT_EQ(StoredName(r.image, 1, 1), u"\u5620");  // "\x81 " -> "V "
}
#endif

}  // namespace
