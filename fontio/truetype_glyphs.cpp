#include "fontio/truetype_glyphs.h"

#include "fontio/font_container.h"

namespace {

constexpr uint32_t Tag(const char (&name)[5]) {
  return (uint32_t(uint8_t(name[0])) << 24) | (uint32_t(uint8_t(name[1])) << 16) |
         (uint32_t(uint8_t(name[2])) << 8) | uint32_t(uint8_t(name[3]));
}

// The tables the reader reads, in the order of TableViews' members.
constexpr uint32_t kReadTags[] = {Tag("head"), Tag("maxp"), Tag("hhea"),
                                  Tag("hmtx"), Tag("loca"), Tag("glyf")};
constexpr int kReadTableCount = 6;
// Tables under which FreeType's outline is not the plain 'glyf' data (glyph
// variations) or which make the face another kind of font.
constexpr uint32_t kRefusedTags[] = {Tag("fvar"), Tag("gvar"), Tag("CFF "), Tag("CFF2")};

struct TableViews {
  ByteView tables[kReadTableCount];
  bool found[kReadTableCount] = {};
};

int ReadTableSlot(uint32_t tag) {
  for (int i = 0; i < kReadTableCount; ++i) {
    if (kReadTags[i] == tag) return i;
  }
  return -1;
}

bool IsRefusedTag(uint32_t tag) {
  for (uint32_t refused : kRefusedTags) {
    if (refused == tag) return true;
  }
  return false;
}

// Each read table once, not empty, inside the image. FreeType skips records
// that run past the file (clipping hmtx) and treats empty ones as missing; a
// face where that matters is declined rather than imitated.
bool FindTables(ByteView image, uint32_t directory, TableViews* views) {
  uint32_t version = 0;
  uint16_t tableCount = 0;
  if (!ReadU32(image, directory, &version) || version != kTrueTypeVersion ||
      !ReadU16(image, uint64_t{directory} + 4, &tableCount) ||
      !FitsIn(image.size, uint64_t{directory} + 12, uint64_t{tableCount} * 16)) {
    return false;
  }
  for (uint32_t i = 0; i < tableCount; ++i) {
    const uint64_t record = uint64_t{directory} + 12 + uint64_t{i} * 16;
    uint32_t tag = 0, offset = 0, length = 0;
    ReadU32(image, record, &tag);
    ReadU32(image, record + 8, &offset);
    ReadU32(image, record + 12, &length);
    if (IsRefusedTag(tag)) return false;
    const int slot = ReadTableSlot(tag);
    if (slot < 0) continue;
    if (views->found[slot] || length == 0 ||
        !SubView(image, offset, length, &views->tables[slot])) {
      return false;
    }
    views->found[slot] = true;
  }
  for (bool found : views->found) {
    if (!found) return false;
  }
  return true;
}

// A signed 16-bit field the caller knows to lie inside `bytes`.
int16_t ReadS16(ByteView bytes, uint64_t offset) {
  uint16_t value = 0;
  ReadU16(bytes, offset, &value);
  return static_cast<int16_t>(value);
}

// The header fields, read as FreeType reads them from tables at least as long
// as FreeType needs.
bool ReadHeaders(const TableViews& views, TrueTypeGlyphs* glyphs) {
  const ByteView head = views.tables[0], maxp = views.tables[1], hhea = views.tables[2];
  uint16_t locFormat = 0, numGlyphs = 0, hMetrics = 0;
  uint32_t maxpVersion = 0;
  if (head.size < 54 || !ReadU16(head, 50, &locFormat) || locFormat > 1) return false;
  if (!ReadU32(maxp, 0, &maxpVersion) || !ReadU16(maxp, 4, &numGlyphs) || numGlyphs == 0 ||
      (maxpVersion >= 0x10000 && maxp.size < 32)) {
    return false;
  }
  if (hhea.size < 36 || !ReadU16(hhea, 34, &hMetrics) || hMetrics == 0) return false;
  glyphs->longOffsets = locFormat == 1;
  glyphs->numGlyphs = numGlyphs;
  glyphs->numberOfHMetrics = hMetrics;
  return true;
}

// The simple glyph's flag bits.
constexpr uint8_t kOnCurvePoint = 0x01;
constexpr uint8_t kXShort = 0x02;
constexpr uint8_t kYShort = 0x04;
constexpr uint8_t kRepeat = 0x08;
constexpr uint8_t kXSameOrPositive = 0x10;
constexpr uint8_t kYSameOrPositive = 0x20;

// Where glyph `glyph`'s bytes lie in glyf; false for empty glyphs and for
// entries FreeType takes apart from their plain meaning (out of order, past
// glyf), and for glyphs too short for a header.
bool GlyphBytes(const TrueTypeGlyphs& glyphs, uint32_t glyph, ByteView* bytes) {
  uint64_t start = 0, end = 0;
  if (glyphs.longOffsets) {
    uint32_t first = 0, second = 0;
    if (!ReadU32(glyphs.loca, uint64_t{glyph} * 4, &first) ||
        !ReadU32(glyphs.loca, uint64_t{glyph} * 4 + 4, &second)) {
      return false;
    }
    start = first, end = second;
  } else {
    uint16_t first = 0, second = 0;
    if (!ReadU16(glyphs.loca, uint64_t{glyph} * 2, &first) ||
        !ReadU16(glyphs.loca, uint64_t{glyph} * 2 + 2, &second)) {
      return false;
    }
    start = uint64_t{first} * 2, end = uint64_t{second} * 2;
  }
  if (end < start + 10 || end > glyphs.glyf.size) return false;
  return SubView(glyphs.glyf, start, end - start, bytes);
}

// Advance and left side bearing from hmtx; false when hmtx lacks them (where
// FreeType would take zeros).
bool ReadHorizontalMetrics(const TrueTypeGlyphs& glyphs, uint32_t glyph, uint16_t* advance,
                           int16_t* bearing) {
  const uint32_t longCount = glyphs.numberOfHMetrics;
  const uint64_t advanceAt = uint64_t{glyph < longCount ? glyph : longCount - 1} * 4;
  const uint64_t bearingAt =
      glyph < longCount ? advanceAt + 2 : uint64_t{longCount} * 4 + uint64_t{glyph - longCount} * 2;
  uint16_t rawBearing = 0;
  if (!ReadU16(glyphs.hmtx, advanceAt, advance) ||
      !ReadU16(glyphs.hmtx, bearingAt, &rawBearing)) {
    return false;
  }
  *bearing = static_cast<int16_t>(rawBearing);
  return true;
}

// The contour ends: each above the one before, the first not negative (as
// signed 16-bit numbers). Leaves `at` after them.
bool ReadContourEnds(ByteView bytes, int contourCount, uint64_t* at,
                     std::vector<uint16_t>* ends) {
  ends->resize(static_cast<size_t>(contourCount));
  int32_t previous = -1;
  for (int i = 0; i < contourCount; ++i) {
    uint16_t rawEnd = 0;
    if (!ReadU16(bytes, *at, &rawEnd)) return false;
    const int32_t end = static_cast<int16_t>(rawEnd);
    if (end <= previous) return false;
    (*ends)[i] = static_cast<uint16_t>(end);
    previous = end;
    *at += 2;
  }
  return true;
}

// The flags of `count` points, repeats expanded; a repeat past the last point
// is refused as FreeType refuses it.
bool ReadFlags(ByteView bytes, size_t count, uint64_t* at, uint8_t* flags) {
  size_t filled = 0;
  while (filled < count) {
    uint8_t flag = 0;
    if (!ReadU8(bytes, (*at)++, &flag)) return false;
    flags[filled++] = flag;
    if (flag & kRepeat) {
      uint8_t repeats = 0;
      if (!ReadU8(bytes, (*at)++, &repeats) || repeats > count - filled) return false;
      for (; repeats > 0; --repeats) flags[filled++] = flag;
    }
  }
  return true;
}

// One coordinate axis: a byte with its sign in the flag, the same value, or a
// signed 16-bit delta; the sums start at `origin`.
bool ReadCoordinates(ByteView bytes, const uint8_t* flags, size_t count, uint8_t shortBit,
                     uint8_t sameOrPositiveBit, int32_t origin, uint64_t* at,
                     int32_t OutlinePoint::*axis, OutlinePoint* points) {
  int32_t value = origin;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t flag = flags[i];
    if (flag & shortBit) {
      uint8_t delta = 0;
      if (!ReadU8(bytes, (*at)++, &delta)) return false;
      value += (flag & sameOrPositiveBit) ? delta : -int32_t{delta};
    } else if (!(flag & sameOrPositiveBit)) {
      uint16_t delta = 0;
      if (!ReadU16(bytes, *at, &delta)) return false;
      *at += 2;
      value += static_cast<int16_t>(delta);
    }
    points[i].*axis = value;
  }
  return true;
}

}  // namespace

bool OpenTrueTypeGlyphs(ByteView image, uint32_t faceIndex, TrueTypeGlyphs* glyphs) {
  *glyphs = TrueTypeGlyphs{};
  uint32_t directory = 0;
  TableViews views;
  TrueTypeGlyphs found;
  if (!FaceDirectoryOffset(image, faceIndex, &directory) || !FindTables(image, directory, &views) ||
      !ReadHeaders(views, &found)) {
    return false;
  }
  // FreeType counts loca's offsets from its length (at most 0x10000) and
  // adjusts the glyph count when there are fewer than numGlyphs + 1.
  const uint64_t locaLength = uint64_t{found.numGlyphs + 1} * (found.longOffsets ? 4 : 2);
  if (!SubView(views.tables[4], 0, locaLength, &found.loca)) return false;
  found.hmtx = views.tables[3];
  found.glyf = views.tables[5];
  // FreeType takes a glyf table at file offset 0 for a missing one.
  if (found.glyf.data == image.data) return false;
  *glyphs = found;
  return true;
}

bool ReadSimpleGlyph(const TrueTypeGlyphs& glyphs, uint32_t glyph, PlainOutline* outline) {
  ByteView bytes;
  uint16_t advance = 0;
  int16_t bearing = 0;
  if (glyph >= glyphs.numGlyphs || !GlyphBytes(glyphs, glyph, &bytes) ||
      !ReadHorizontalMetrics(glyphs, glyph, &advance, &bearing)) {
    return false;
  }
  // FreeType refuses 0xFFF contours or more; fewer than one is not simple.
  const int contourCount = ReadS16(bytes, 0);
  if (contourCount < 1 || contourCount >= 0xFFF) return false;
  uint64_t at = 10;
  uint16_t instructionLength = 0;
  if (!ReadContourEnds(bytes, contourCount, &at, &outline->contourEnds) ||
      !ReadU16(bytes, at, &instructionLength)) {
    return false;
  }
  at += 2 + uint64_t{instructionLength};
  const size_t pointCount = size_t{outline->contourEnds.back()} + 1;
  outline->points.resize(pointCount);
  outline->kinds.resize(pointCount);
  uint8_t* flags = outline->kinds.data();
  // FreeType places the origin at xMin - lsb: the outline moves by lsb - xMin.
  const int32_t xShift = int32_t{bearing} - ReadS16(bytes, 2);
  if (!ReadFlags(bytes, pointCount, &at, flags) ||
      !ReadCoordinates(bytes, flags, pointCount, kXShort, kXSameOrPositive, xShift, &at,
                       &OutlinePoint::x, outline->points.data()) ||
      !ReadCoordinates(bytes, flags, pointCount, kYShort, kYSameOrPositive, 0, &at,
                       &OutlinePoint::y, outline->points.data())) {
    return false;
  }
  for (size_t i = 0; i < pointCount; ++i) {
    flags[i] = (flags[i] & kOnCurvePoint) ? kOnCurve : kQuadraticControl;
  }
  outline->advance = advance;
  return true;
}
