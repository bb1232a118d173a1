#include "fontio/face_name.h"

#include <algorithm>
#include <vector>

#include "fontio/font_container.h"
#include "fontio/sfnt_tables.h"
#include "fontio/table_fields.h"

namespace glyphcensus {

namespace {

constexpr uint16_t kPlatformUnicode = 0;
constexpr uint16_t kPlatformMac = 1;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kFamilyNameId = 1;
constexpr uint16_t kLanguageEnglishUs = 0x0409;
constexpr uint16_t kLanguageJapanese = 0x0411;
constexpr uint16_t kMacLanguageJapanese = 11;
constexpr uint64_t kMaxDecodedBytes = 520;

struct NameRecord {
  uint16_t platformId, encodingId, languageId, nameId;
  uint64_t stringOffset;  // from the start of the image
  uint16_t stringLength;
};

struct Slots {
  FaceName macJapanese, windowsEnglish, macEnglish;
};

bool IsAcceptedFamilyRecord(const NameRecord& r) {
  if (r.nameId != kFamilyNameId) return false;
  switch (r.platformId) {
    case kPlatformUnicode:
      return true;
    case kPlatformMac:
      return r.encodingId <= 1 && (r.languageId == 0 || r.languageId == kMacLanguageJapanese ||
                                   r.languageId == kLanguageEnglishUs || r.languageId == kLanguageJapanese);
    case kPlatformWindows:
      return r.encodingId <= 2 && (r.languageId == kLanguageEnglishUs || r.languageId == kLanguageJapanese);
    default:
      return false;
  }
}

// The offset of the table directory of the image's font `faceIndex` (of a
// collection; an sfnt has face 0 only); false when the image is not a font
// this program measures.
bool FindDirectory(ByteView image, uint32_t faceIndex, uint64_t* directory) {
  *directory = 0;
  if (IsFontSignature(image, "ttcf")) {
    uint32_t version = 0;
    if (!ReadU32(image, ttc_header::kVersion, &version) || (version != 0x00010000 && version != 0x00020000)) {
      return false;
    }
  }
  uint32_t fontOffset = 0;
  if (!FaceDirectoryOffset(image, faceIndex, &fontOffset)) return false;
  *directory = fontOffset;
  uint32_t sfntVersion = 0;
  return ReadU32(image, *directory + sfnt_directory::kVersion, &sfntVersion) && IsSfntVersion(sfntVersion);
}

// The first table record tagged "name" among the records that lie inside the
// image; its table may run outside the image, and its names are read from
// the image, each read checked on its own.
bool FindNamingTable(ByteView image, uint64_t directory, TableRecord* record) {
  TableDirectory tables;
  return ReadTableDirectory(image, directory, &tables) && FindTableRecord(tables, Tag("name"), record);
}

bool ReadNameRecord(ByteView image, uint64_t table, uint64_t storage, uint16_t k, NameRecord* r) {
  const uint64_t at = table + name_table::kRecords + name_table::kRecordSize * uint64_t{k};
  uint16_t stringOffset = 0;
  if (!ReadU16(image, at + name_record::kPlatformId, &r->platformId) ||
      !ReadU16(image, at + name_record::kEncodingId, &r->encodingId) ||
      !ReadU16(image, at + name_record::kLanguageId, &r->languageId) ||
      !ReadU16(image, at + name_record::kNameId, &r->nameId) ||
      !ReadU16(image, at + name_record::kLength, &r->stringLength) ||
      !ReadU16(image, at + name_record::kStringOffset, &stringOffset)) {
    return false;
  }
  r->stringOffset = storage + stringOffset;
  return true;
}

// Big-endian UTF-16: a zero unit ends the name; a line feed or carriage return
// ends it too, but stays as its last character.
FaceName DecodeUtf16(ByteView text) {
  FaceName name;
  for (uint64_t at = 0; at + 1 < text.size; at += 2) {
    uint16_t unit = 0;
    ReadU16(text, at, &unit);
    if (unit == 0) break;
    name.push_back(static_cast<char16_t>(unit));
    if (unit == 0x000A || unit == 0x000D) break;
  }
  return name;
}

// Single-byte (Macintosh) names: the bytes up to the first zero byte, in the
// ANSI code page. A failed conversion gives an empty name.
FaceName DecodeMacName(ByteView text) {
  const uint8_t* end = std::find(text.data, text.data + text.size, uint8_t{0});
  FaceName name;
  if (!DecodeAnsiText(ByteView{text.data, static_cast<size_t>(end - text.data)}, &name)) name.clear();
  return name;
}

FaceName DecodeName(ByteView image, const NameRecord& r) {
  ByteView text;
  SubView(image, r.stringOffset, std::min<uint64_t>(r.stringLength, kMaxDecodedBytes), &text);
  FaceName name = r.platformId == kPlatformMac ? DecodeMacName(text) : DecodeUtf16(text);
  if (name.size() > kFaceNameMaxUnits) name.resize(kFaceNameMaxUnits);
  return name;
}

// A string's mark, decided from the bytes as they stand in the file. A UTF-16
// string's first two bytes become 00 56 (V), or 00 57 (W) when they were
// 00 56; a single-byte Macintosh string's first byte becomes V, or W when it
// was V, so that it still reads as one name with its first letter replaced.
struct StringMark {
  uint64_t stringOffset;
  uint16_t firstUnit;
  bool singleByte;
};

StringMark MarkFor(ByteView image, const NameRecord& r) {
  uint16_t first = 0;
  bool singleByte = r.platformId == kPlatformMac;
  if (singleByte) {
    uint8_t byte = 0;
    ReadU8(image, r.stringOffset, &byte);
    first = byte;
  } else {
    ReadU16(image, r.stringOffset, &first);
  }
  return StringMark{r.stringOffset, static_cast<uint16_t>(first == u'V' ? u'W' : u'V'), singleByte};
}

void WriteMark(MutableByteView image, const StringMark& mark) {
  if (mark.singleByte) {
    WriteU8(image, mark.stringOffset, static_cast<uint8_t>(mark.firstUnit));
  } else {
    WriteU16(image, mark.stringOffset, mark.firstUnit);
  }
}

// At one offset the UTF-16 mark sorts first and so is the one kept: a string
// shared by a Windows and a Macintosh record must still read as the marked
// Windows name, which is the name GDI is asked for.
bool MarkLess(const StringMark& a, const StringMark& b) {
  if (a.stringOffset != b.stringOffset) return a.stringOffset < b.stringOffset;
  return !a.singleByte && b.singleByte;
}
bool SameString(const StringMark& a, const StringMark& b) { return a.stringOffset == b.stringOffset; }

// The OpenType table checksum over the length rounded up to 4; bytes beyond the
// end of the image count as zero.
uint32_t TableChecksum(ByteView image, uint64_t offset, uint64_t length) {
  const uint64_t end = std::min<uint64_t>(offset + ((length + 3) & ~uint64_t{3}), image.size);
  uint32_t sum = 0;
  for (uint64_t at = offset; at < end; at += 4) {
    uint32_t word = 0;
    for (uint64_t i = 0; i < 4; ++i) {
      uint8_t byte = 0;
      ReadU8(image, at + i, &byte);
      word = (word << 8) | byte;
    }
    sum += word;
  }
  return sum;
}

void KeepName(const NameRecord& r, const FaceName& name, Slots* slots) {
  if (r.platformId == kPlatformWindows && r.languageId == kLanguageEnglishUs) {
    slots->windowsEnglish = name;
  } else if (r.platformId == kPlatformMac) {
    if (r.languageId == kMacLanguageJapanese || r.languageId == kLanguageJapanese) {
      slots->macJapanese = name;
    } else {
      slots->macEnglish = name;
    }
  }
}

// Walks the name records up to the first Windows Japanese family record: decodes
// every accepted record from the unmarked bytes, fills the slots and collects the
// strings to mark. Returns the Windows Japanese name, or empty.
FaceName WalkNameRecords(ByteView image, uint64_t table, Slots* slots, std::vector<StringMark>* marks) {
  uint16_t count = 0;
  uint16_t storage = 0;
  if (!ReadU16(image, table + name_table::kCount, &count) ||
      !ReadU16(image, table + name_table::kStorageOffset, &storage)) {
    return FaceName();
  }
  for (uint16_t k = 0; k < count; ++k) {
    NameRecord r;
    if (!ReadNameRecord(image, table, table + storage, k, &r) || !IsAcceptedFamilyRecord(r)) continue;
    if (!FitsIn(image.size, r.stringOffset, r.stringLength)) continue;  // neither read nor marked
    const FaceName name = DecodeName(image, r);
    if (r.stringLength >= (r.platformId == kPlatformMac ? 1 : 2)) marks->push_back(MarkFor(image, r));
    if (r.platformId == kPlatformWindows && r.languageId == kLanguageJapanese) return name;
    KeepName(r, name, slots);
  }
  return FaceName();
}

// GDI knows a registered font by its Windows family names only, so the
// measuring font is asked for by one of those when the font has one.
FaceName RequestName(const FaceName& chosen, const FaceName& windowsJapanese, const Slots& slots) {
  if (!windowsJapanese.empty()) return windowsJapanese;
  if (!slots.windowsEnglish.empty()) return slots.windowsEnglish;
  return chosen;
}

}  // namespace

bool ReadFaceName(MutableByteView image, FaceName* faceName, FaceName* requestName) {
  faceName->clear();
  if (requestName != nullptr) requestName->clear();
  const ByteView view = AsConst(image);
  uint64_t directory = 0;
  if (!FindDirectory(view, 0, &directory)) return false;
  TableRecord table;
  if (!FindNamingTable(view, directory, &table)) return true;

  Slots slots;
  std::vector<StringMark> marks;
  const FaceName windowsJapanese = WalkNameRecords(view, table.offset, &slots, &marks);
  *faceName = windowsJapanese;
  for (const FaceName* slot : {&slots.macJapanese, &slots.windowsEnglish, &slots.macEnglish}) {
    if (faceName->empty()) *faceName = *slot;
  }
  if (requestName != nullptr) *requestName = RequestName(*faceName, windowsJapanese, slots);

  // Every name was decoded, and every mark decided, from the unmarked bytes. A
  // string shared by several records (real CJK fonts share one string between
  // their English and Japanese family records) is marked once, so the image
  // holds MarkFaceName of the name read. Strings are told apart by where they
  // start, since the mark touches only their first two bytes.
  std::stable_sort(marks.begin(), marks.end(), MarkLess);
  marks.erase(std::unique(marks.begin(), marks.end(), SameString), marks.end());
  for (const StringMark& mark : marks) WriteMark(image, mark);

  WriteU32(image, table.at + table_record::kChecksum, TableChecksum(view, table.offset, table.length));
  return true;
}

FaceName MarkFaceName(const FaceName& faceName) {
  if (faceName.empty()) return FaceName(u"V");
  FaceName marked = faceName;
  marked[0] = marked[0] == u'V' ? u'W' : u'V';
  return marked;
}

bool ReadFamilyName(ByteView image, uint32_t faceIndex, FaceName* faceName) {
  faceName->clear();
  uint64_t directory = 0;
  if (!FindDirectory(image, faceIndex, &directory)) return false;
  TableRecord table;
  if (!FindNamingTable(image, directory, &table)) return true;
  Slots slots;
  std::vector<StringMark> marks;  // not applied: the image stays as it is
  *faceName = WalkNameRecords(image, table.offset, &slots, &marks);
  for (const FaceName* slot : {&slots.macJapanese, &slots.windowsEnglish, &slots.macEnglish}) {
    if (faceName->empty()) *faceName = *slot;
  }
  return true;
}

}  // namespace glyphcensus
