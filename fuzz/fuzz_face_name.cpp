// Fuzz target: ReadFaceName on arbitrary images, then the promise that the
// measuring font is requested by the family name that the image now holds:
// MarkFaceName of the returned name equals, unit for unit, the string of the
// record that supplied it. The promise holds only where nothing else writes
// into that string: another marked string starting inside it, or the naming
// table's checksum field lying inside it (both only in hostile files), excuse
// a record. Names from single-byte Macintosh records (marked in their first
// byte) are not compared.
//
// Also checked: a refused image is left unchanged, the name has at most 259
// units, and ReadFaceName gives the same name when run on the original bytes
// again (it keeps no state), with a request name that is empty only when the
// name is. ReadFamilyName, the command's reader of any face, agrees with
// ReadFaceName on face 0 (the same verdict and name, the image untouched) and
// reads the next faces within the same bounds. The structure check made before
// registration, the collection header rewrite and the preparation for
// measuring run on every input too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fontio/face_name.h"
#include "fontio/font_image.h"
#include "fontio/font_structure.h"

using namespace glyphcensus;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Record {
  uint16_t platform, encoding, language, nameId, length;
  uint64_t offset;  // of the string, from the start of the image
};

bool IsAcceptedFamily(const Record& r) {
  if (r.nameId != 1) return false;
  if (r.platform == 0) return true;
  if (r.platform == 1) {
    return r.encoding <= 1 &&
           (r.language == 0 || r.language == 11 || r.language == 0x409 || r.language == 0x411);
  }
  return r.platform == 3 && r.encoding <= 2 && (r.language == 0x409 || r.language == 0x411);
}

// The naming table as an independent reader sees it: its records, and where
// its checksum field lies. False when there is none.
bool ReadNaming(ByteView image, std::vector<Record>* records, uint64_t* checksumField) {
  uint64_t directory = 0;
  if (IsFontSignature(image, "ttcf")) {
    uint32_t first = 0;
    if (!ReadU32(image, 12, &first)) return false;
    directory = first;
  }
  uint16_t numTables = 0;
  if (!ReadU16(image, directory + 4, &numTables)) return false;
  for (uint64_t k = 0; k < numTables; ++k) {
    const uint64_t record = directory + 12 + 16 * k;
    uint8_t tag[4];
    uint32_t offset = 0;
    if (!ReadBytes(image, record, 4, tag) || !ReadU32(image, record + 8, &offset)) return false;
    if (std::memcmp(tag, "name", 4) != 0) continue;
    *checksumField = record + 4;
    uint16_t count = 0, storage = 0;
    if (!ReadU16(image, offset + 2, &count) || !ReadU16(image, offset + 4, &storage)) return true;
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t at = offset + 6 + 12 * i;
      Record r{};
      uint16_t stringOffset = 0;
      if (!ReadU16(image, at, &r.platform) || !ReadU16(image, at + 2, &r.encoding) ||
          !ReadU16(image, at + 4, &r.language) || !ReadU16(image, at + 6, &r.nameId) ||
          !ReadU16(image, at + 8, &r.length) || !ReadU16(image, at + 10, &stringOffset)) {
        continue;
      }
      r.offset = uint64_t{offset} + storage + stringOffset;
      if (IsAcceptedFamily(r) && FitsIn(image.size, r.offset, r.length)) records->push_back(r);
    }
    return true;
  }
  return false;
}

bool Overlaps(uint64_t start, uint64_t end, uint64_t otherStart, uint64_t otherEnd) {
  return start < otherEnd && otherStart < end;
}

enum class Holding { NotTheSource, Holds, Broken };

// Whether record `r` could have supplied `name` (its original string starts
// with the name's units) and, if so, whether the marked image holds
// MarkFaceName(name) there. Another write landing in the string excuses it.
Holding CheckRecord(ByteView original, ByteView marked, const std::vector<Record>& records, const Record& r,
                    uint64_t checksumField, const FaceName& name, const FaceName& markedName) {
  const uint64_t bytes = 2 * uint64_t{name.size()};
  if (bytes > r.length || !FitsIn(original.size, r.offset, bytes)) return Holding::NotTheSource;
  for (size_t i = 0; i < name.size(); ++i) {
    uint16_t unit = 0;
    ReadU16(original, r.offset + 2 * i, &unit);
    if (unit != name[i]) return Holding::NotTheSource;
  }
  const uint64_t end = r.offset + bytes;
  bool excused = Overlaps(r.offset, end, checksumField, checksumField + 4);
  for (const Record& other : records) {
    const uint64_t markBytes = other.platform == 1 ? 1 : 2;  // Macintosh strings: one byte
    if (other.offset != r.offset && other.length >= markBytes &&
        Overlaps(r.offset, end, other.offset, other.offset + markBytes)) {
      excused = true;
    }
  }
  for (size_t i = 0; i < markedName.size(); ++i) {
    uint16_t unit = 0;
    ReadU16(marked, r.offset + 2 * i, &unit);
    if (unit != markedName[i]) return excused ? Holding::Holds : Holding::Broken;
  }
  return Holding::Holds;
}

// True when every table record of the sfnt at offset 0 that runs outside the
// image is one measuring needs (or the directory itself runs outside).
bool OnlyNeededTablesOutside(ByteView image) {
  uint16_t numTables = 0;
  if (!ReadU16(image, 4, &numTables) || !FitsIn(image.size, 0, 12 + 16 * uint64_t{numTables})) return true;
  for (uint64_t k = 0; k < numTables; ++k) {
    uint32_t tag = 0, offset = 0, length = 0;
    ReadU32(image, 12 + 16 * k, &tag);
    ReadU32(image, 12 + 16 * k + 8, &offset);
    ReadU32(image, 12 + 16 * k + 12, &length);
    if (!FitsIn(image.size, offset, length) && !IsNeededTable(Tag(tag))) return false;
  }
  return true;
}

// The structure check that guards registration, the collection header
// rewrite and the preparation for measuring, on the same images (the
// sanitizers watch their reads and writes). The preparation leaves an sfnt
// the same size, with no unneeded table outside it, and any table named as
// broken is a needed one.
void CheckStructure(const std::vector<uint8_t>& original) {
  const bool collection = IsFontSignature(ByteView{original.data(), original.size()}, "ttcf");
  std::vector<uint8_t> image = original;
  NormalizeCollectionHeader(MutableByteView{image.data(), image.size()});
  FontStructureFits(ByteView{image.data(), image.size()});
  if (!collection) Check(image == original);

  image = original;
  PrepareImageForMeasuring(MutableByteView{image.data(), image.size()});
  const ByteView prepared{image.data(), image.size()};
  Check(image.size() == original.size());
  FontStructureFits(prepared);
  if (!collection) Check(OnlyNeededTablesOutside(prepared));
  for (uint32_t face = 0; face < 3; ++face) {
    char tag[5] = {};
    if (FindBrokenNeededTable(prepared, face, tag)) {
      uint32_t named = 0;
      ReadU32(ByteView{reinterpret_cast<const uint8_t*>(tag), 4}, 0, &named);
      Check(tag[4] == '\0' && IsNeededTable(Tag(named)));
    }
  }
}

// The command's reader, which marks nothing: on face 0 what ReadFaceName
// read, on the next faces of a collection names within the same bound.
void CheckFamilyNames(ByteView original, bool read, const FaceName& name) {
  FaceName family = u"previous";
  Check(ReadFamilyName(original, 0, &family) == read && family == name);
  for (uint32_t face = 1; face < 4; ++face) {
    if (!ReadFamilyName(original, face, &family)) {
      Check(family.empty());
      continue;
    }
    Check(family.size() <= kFaceNameMaxUnits);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> original(data, data + size);
  CheckStructure(original);
  std::vector<uint8_t> image = original;
  FaceName name = u"previous";
  const bool read = ReadFaceName(MutableByteView{image.data(), image.size()}, &name);
  Check(name.size() <= kFaceNameMaxUnits);
  CheckFamilyNames(ByteView{original.data(), original.size()}, read, name);
  if (!read) {
    Check(image == original && name.empty());
    return 0;
  }
  // Asking for the request name too changes neither the name nor the marks.
  FaceName again, request;
  std::vector<uint8_t> copy = original;
  Check(ReadFaceName(MutableByteView{copy.data(), copy.size()}, &again, &request) && again == name &&
        copy == image);
  Check(request.size() <= kFaceNameMaxUnits && request.empty() == name.empty());
  if (name.empty()) return 0;

  std::vector<Record> records;
  uint64_t checksumField = 0;
  Check(ReadNaming(ByteView{original.data(), original.size()}, &records, &checksumField));
  const FaceName marked = MarkFaceName(name);
  const ByteView before{original.data(), original.size()};
  const ByteView after{image.data(), image.size()};
  // The walk ends at the first Windows Japanese family record; records after
  // it are neither read nor marked.
  for (size_t k = 0; k < records.size(); ++k) {
    if (records[k].platform == 3 && records[k].language == 0x411) {
      records.resize(k + 1);
      break;
    }
  }
  bool candidate = false;
  bool held = false;
  for (const Record& r : records) {
    if (r.platform != 3) continue;  // Unicode records are only marked; Macintosh ones are bytes
    const Holding holding = CheckRecord(before, after, records, r, checksumField, name, marked);
    candidate = candidate || holding != Holding::NotTheSource;
    held = held || holding == Holding::Holds;
  }
  // No Windows record holding the name: it came from a Macintosh record.
  if (candidate) Check(held);
  return 0;
}
