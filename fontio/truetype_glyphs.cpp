#include "fontio/truetype_glyphs.h"

#include <cstring>
#include <optional>

#include "fontio/font_container.h"
#include "fontio/sfnt_tables.h"
#include "fontio/table_fields.h"

namespace glyphcensus {

namespace {

// The tables the reader reads, in the order of TableSlot.
enum TableSlot { kHead, kMaxp, kHhea, kHmtx, kLoca, kGlyf, kReadTableCount };
constexpr Tag kReadTags[kReadTableCount] = {Tag("head"), Tag("maxp"), Tag("hhea"),
                                            Tag("hmtx"), Tag("loca"), Tag("glyf")};
// Tables under which FreeType's outline is not the plain 'glyf' data (glyph
// variations) or which make the face another kind of font.
constexpr Tag kRefusedTags[] = {Tag("fvar"), Tag("gvar"), Tag("CFF "), Tag("CFF2")};

struct TableViews {
  ByteView tables[kReadTableCount];
  bool found[kReadTableCount] = {};
};

int ReadTableSlot(Tag tag) {
  for (int i = 0; i < kReadTableCount; ++i) {
    if (kReadTags[i] == tag) return i;
  }
  return -1;
}

// Every record inside the image, and each read table once, not empty, inside
// the image. FreeType skips records that run past the file (clipping hmtx)
// and treats empty ones as missing; a face where that matters is declined
// rather than imitated.
bool FindTables(ByteView image, uint32_t faceIndex, TableViews* views) {
  TableDirectory directory;
  if (!OpenFaceDirectory(image, faceIndex, &directory) || directory.sfntVersion != kTrueTypeVersion ||
      !AllRecordsInImage(directory)) {
    return false;
  }
  for (uint16_t k = 0; k < directory.numTables; ++k) {
    const TableRecord record = ReadTableRecord(directory, k);
    if (IsOneOf(record.tag, kRefusedTags)) return false;
    const int slot = ReadTableSlot(record.tag);
    if (slot < 0) continue;
    const std::optional<ByteView> table = TableBytes(directory, record);
    if (views->found[slot] || record.length == 0 || !table) return false;
    views->tables[slot] = *table;
    views->found[slot] = true;
  }
  for (bool found : views->found) {
    if (!found) return false;
  }
  return true;
}

// The header fields, read as FreeType reads them from tables at least as long
// as FreeType needs.
bool ReadHeaders(const TableViews& views, TrueTypeGlyphs* glyphs) {
  const ByteView head = views.tables[kHead], maxp = views.tables[kMaxp], hhea = views.tables[kHhea];
  uint16_t locFormat = 0, numGlyphs = 0, hMetrics = 0;
  uint32_t maxpVersion = 0;
  if (head.size < head_table::kSize || !ReadU16(head, head_table::kIndexToLocFormat, &locFormat) ||
      locFormat > 1) {
    return false;
  }
  if (!ReadU32(maxp, maxp_table::kVersion, &maxpVersion) ||
      !ReadU16(maxp, maxp_table::kNumGlyphs, &numGlyphs) || numGlyphs == 0 ||
      (maxpVersion >= maxp_table::kVersion1 && maxp.size < maxp_table::kVersion1Size)) {
    return false;
  }
  if (hhea.size < hhea_table::kSize || !ReadU16(hhea, hhea_table::kNumberOfHMetrics, &hMetrics) ||
      hMetrics == 0) {
    return false;
  }
  glyphs->longOffsets = locFormat == 1;
  glyphs->numGlyphs = numGlyphs;
  glyphs->numberOfHMetrics = hMetrics;
  return true;
}

// FreeType's glyph loader holds at most SHRT_MAX points, counted in steps of 8
// and with 4 phantom points after the glyph's: more points fail its load.
constexpr size_t kMostPoints = 32760 - 4;

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
    const uint64_t at = uint64_t{glyph} * loca_table::kLongEntrySize;
    if (!ReadU32(glyphs.loca, at, &first) ||
        !ReadU32(glyphs.loca, at + loca_table::kLongEntrySize, &second)) {
      return false;
    }
    start = first, end = second;
  } else {
    uint16_t first = 0, second = 0;
    const uint64_t at = uint64_t{glyph} * loca_table::kShortEntrySize;
    if (!ReadU16(glyphs.loca, at, &first) ||
        !ReadU16(glyphs.loca, at + loca_table::kShortEntrySize, &second)) {
      return false;
    }
    start = uint64_t{first} * loca_table::kShortOffsetScale;
    end = uint64_t{second} * loca_table::kShortOffsetScale;
  }
  if (end < start + glyf_glyph::kHeaderSize || end > glyphs.glyf.size) return false;
  return SubView(glyphs.glyf, start, end - start, bytes);
}

// Advance and left side bearing from hmtx; false when hmtx lacks them (where
// FreeType would take zeros).
bool ReadHorizontalMetrics(const TrueTypeGlyphs& glyphs, uint32_t glyph, uint16_t* advance,
                           int16_t* bearing) {
  const uint32_t longCount = glyphs.numberOfHMetrics;
  const uint64_t metricAt = uint64_t{glyph < longCount ? glyph : longCount - 1} * hmtx_table::kLongMetricSize;
  const uint64_t bearingAt = glyph < longCount ? metricAt + hmtx_table::kLeftSideBearing
                                               : uint64_t{longCount} * hmtx_table::kLongMetricSize +
                                                     uint64_t{glyph - longCount} * hmtx_table::kBearingSize;
  return ReadU16(glyphs.hmtx, metricAt + hmtx_table::kAdvanceWidth, advance) &&
         ReadS16(glyphs.hmtx, bearingAt, bearing);
}

// The contour ends: each above the one before, the first not negative (as
// signed 16-bit numbers). Leaves `at` after them.
bool ReadContourEnds(ByteView bytes, int contourCount, uint64_t* at,
                     std::vector<uint16_t>* ends) {
  ends->resize(static_cast<size_t>(contourCount));
  int32_t previous = -1;
  for (int i = 0; i < contourCount; ++i) {
    int16_t signedEnd = 0;
    if (!ReadS16(bytes, *at, &signedEnd)) return false;
    const int32_t end = signedEnd;
    if (end <= previous) return false;
    (*ends)[i] = static_cast<uint16_t>(end);
    previous = end;
    *at += 2;
  }
  return true;
}

// The coordinate bytes a flag asks for, x in the low 32 bits and y in the
// high: a short (one byte) delta, none (the same value), or a 16-bit delta.
constexpr uint64_t CoordinateBytes(uint8_t flag) {
  const uint64_t x = (flag & kXShort) ? 1 : (flag & kXSameOrPositive) ? 0 : 2;
  const uint64_t y = (flag & kYShort) ? 1 : (flag & kYSameOrPositive) ? 0 : 2;
  return x | (y << 32);
}

constexpr uint64_t kEveryByte = 0x0101010101010101;

// The bytes one axis asks for of eight flags in one 64-bit word: per flag 1
// when short, 0 when the same, 2 otherwise, summed over the word's bytes.
constexpr uint64_t AxisBytesOfEight(uint64_t flags, int shortShift, int sameShift) {
  const uint64_t isShort = (flags >> shortShift) & kEveryByte;
  const uint64_t isLong = ~(isShort | (flags >> sameShift)) & kEveryByte;
  return ((isShort + 2 * isLong) * kEveryByte) >> 56;  // each byte at most 2, the sum at most 16
}

// Eight flags at once, the usual case in real fonts, when none repeats; false
// (nothing taken) otherwise, and the caller reads one flag.
inline bool ReadEightFlags(ByteView bytes, uint64_t offset, uint8_t* flags, uint64_t* both) {
  ByteView eight;
  if (!SubView(bytes, offset, 8, &eight)) return false;
  std::memcpy(flags, eight.data, eight.size);  // the view's 8 bytes (ReadBytes is not inline)
  uint64_t word = 0;
  std::memcpy(&word, flags, 8);  // byte order does not matter to the sums
  if (word & (kEveryByte * kRepeat)) return false;
  *both += AxisBytesOfEight(word, 1, 4) | (AxisBytesOfEight(word, 2, 5) << 32);
  return true;
}

// The flags of `count` points, repeats expanded, and the lengths of the x and
// y coordinates they ask for; a repeat past the last point is refused as
// FreeType refuses it. (The offset is kept in a local: stores through `flags`
// could otherwise alias it.)
bool ReadFlags(ByteView bytes, size_t count, uint64_t* at, uint8_t* flags, uint64_t* xBytes,
               uint64_t* yBytes) {
  uint64_t offset = *at;
  uint64_t both = 0;  // at most 2 * 0x8000 in each half
  size_t filled = 0;
  while (filled < count) {
    if (count - filled >= 8 && ReadEightFlags(bytes, offset, flags + filled, &both)) {
      filled += 8;
      offset += 8;
      continue;
    }
    uint8_t flag = 0;
    if (!ReadU8(bytes, offset++, &flag)) return false;
    flags[filled++] = flag;
    both += CoordinateBytes(flag);
    if (flag & kRepeat) {
      uint8_t repeats = 0;
      if (!ReadU8(bytes, offset++, &repeats) || repeats > count - filled) return false;
      both += CoordinateBytes(flag) * repeats;
      for (; repeats > 0; --repeats) flags[filled++] = flag;
    }
  }
  *at = offset;
  *xBytes = both & 0xFFFF'FFFF;
  *yBytes = both >> 32;
  return true;
}

// How a flag gives one coordinate: a 16-bit delta, a byte subtracted, the
// same value, or a byte added.
enum AxisStep { kLongDelta, kShortNegative, kSameValue, kShortPositive };

constexpr AxisStep StepOf(uint8_t flag, uint8_t shortBit, uint8_t sameOrPositiveBit) {
  if (flag & shortBit) return (flag & sameOrPositiveBit) ? kShortPositive : kShortNegative;
  return (flag & sameOrPositiveBit) ? kSameValue : kLongDelta;
}

// One coordinate. The reads stay inside the axis's bytes, which the flags
// measured, so they cannot fail.
template <AxisStep kStep>
inline void Step(ByteView axis, uint64_t* offset, int32_t* value) {
  if constexpr (kStep == kShortPositive || kStep == kShortNegative) {
    uint8_t delta = 0;
    ReadU8(axis, *offset, &delta);
    *offset += 1;
    *value += kStep == kShortPositive ? int32_t{delta} : -int32_t{delta};
  } else if constexpr (kStep == kLongDelta) {
    int16_t delta = 0;
    ReadS16(axis, *offset, &delta);
    *offset += 2;
    *value += delta;
  }
}

struct Cursor {
  ByteView xs, ys;
  uint64_t xAt = 0, yAt = 0;
  int32_t x = 0, y = 0;
};

template <uint8_t kFlag>
inline void StepPoint(Cursor* cursor) {
  Step<StepOf(kFlag, kXShort, kXSameOrPositive)>(cursor->xs, &cursor->xAt, &cursor->x);
  Step<StepOf(kFlag, kYShort, kYSameOrPositive)>(cursor->ys, &cursor->yAt, &cursor->y);
}

// The flag bits that say how the coordinates are stored.
constexpr uint8_t kCoordinateBits = kXShort | kYShort | kXSameOrPositive | kYSameOrPositive;

// The points from their flags and the x and y bytes, which lie one after
// the other; the flags become kinds. FreeType reads all x, then all y, and
// fails when a read runs past the glyph: exactly when the two do not fit.
// Both axes are read in one pass, with one branch per point on how.
bool ReadPoints(ByteView bytes, uint64_t at, uint64_t xBytes, uint64_t yBytes, int32_t xOrigin,
                size_t count, uint8_t* flags, OutlinePoint* points) {
  ByteView xs, ys;
  if (!SubView(bytes, at, xBytes, &xs) || !SubView(bytes, at + xBytes, yBytes, &ys)) return false;
  // A local the views are copied into, so that it stays in registers.
  Cursor cursor{xs, ys, 0, 0, xOrigin, 0};
  for (size_t i = 0; i < count; ++i) {
    const uint8_t flag = flags[i];
    switch (flag & kCoordinateBits) {
      case 0x00: StepPoint<0x00>(&cursor); break;
      case 0x02: StepPoint<0x02>(&cursor); break;
      case 0x04: StepPoint<0x04>(&cursor); break;
      case 0x06: StepPoint<0x06>(&cursor); break;
      case 0x10: StepPoint<0x10>(&cursor); break;
      case 0x12: StepPoint<0x12>(&cursor); break;
      case 0x14: StepPoint<0x14>(&cursor); break;
      case 0x16: StepPoint<0x16>(&cursor); break;
      case 0x20: StepPoint<0x20>(&cursor); break;
      case 0x22: StepPoint<0x22>(&cursor); break;
      case 0x24: StepPoint<0x24>(&cursor); break;
      case 0x26: StepPoint<0x26>(&cursor); break;
      case 0x30: StepPoint<0x30>(&cursor); break;
      case 0x32: StepPoint<0x32>(&cursor); break;
      case 0x34: StepPoint<0x34>(&cursor); break;
      case 0x36: StepPoint<0x36>(&cursor); break;
      default: __builtin_unreachable();  // every value of flag & kCoordinateBits is listed
    }
    points[i].x = cursor.x;
    points[i].y = cursor.y;
  }
  // A loop of its own, which the compiler vectorizes.
  for (size_t i = 0; i < count; ++i) flags[i] &= kOnCurvePoint;
  return true;
}

}  // namespace

bool OpenTrueTypeGlyphs(ByteView image, uint32_t faceIndex, TrueTypeGlyphs* glyphs) {
  *glyphs = TrueTypeGlyphs{};
  TableViews views;
  TrueTypeGlyphs found;
  if (!FindTables(image, faceIndex, &views) || !ReadHeaders(views, &found)) {
    return false;
  }
  // FreeType counts loca's offsets from its length (at most 0x10000) and
  // adjusts the glyph count when there are fewer than numGlyphs + 1.
  const uint64_t entrySize = found.longOffsets ? loca_table::kLongEntrySize : loca_table::kShortEntrySize;
  const uint64_t locaLength = uint64_t{found.numGlyphs + 1} * entrySize;
  if (!SubView(views.tables[kLoca], 0, locaLength, &found.loca)) return false;
  found.hmtx = views.tables[kHmtx];
  found.glyf = views.tables[kGlyf];
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
  // The glyph's header lies inside its bytes (GlyphBytes).
  int16_t contourCount = 0, xMin = 0;
  ReadS16(bytes, glyf_glyph::kNumberOfContours, &contourCount);
  ReadS16(bytes, glyf_glyph::kXMin, &xMin);
  if (contourCount < 1 || contourCount >= 0xFFF) return false;
  uint64_t at = glyf_glyph::kHeaderSize;
  uint16_t instructionLength = 0;
  if (!ReadContourEnds(bytes, contourCount, &at, &outline->contourEnds) ||
      !ReadU16(bytes, at, &instructionLength)) {
    return false;
  }
  at += 2 + uint64_t{instructionLength};
  const size_t pointCount = size_t{outline->contourEnds.back()} + 1;
  if (pointCount > kMostPoints) return false;
  outline->points.resize(pointCount);
  outline->kinds.resize(pointCount);
  uint8_t* flags = outline->kinds.data();
  // FreeType places the origin at xMin - lsb: the outline moves by lsb - xMin.
  const int32_t xShift = int32_t{bearing} - xMin;
  // kOnCurve is 1 and kQuadraticControl 0: the kind is the flag's low bit.
  static_assert(kOnCurve == kOnCurvePoint && kQuadraticControl == 0, "kinds are flag bits");
  uint64_t xBytes = 0, yBytes = 0;
  if (!ReadFlags(bytes, pointCount, &at, flags, &xBytes, &yBytes) ||
      !ReadPoints(bytes, at, xBytes, yBytes, xShift, pointCount, flags, outline->points.data())) {
    return false;
  }
  outline->advance = advance;
  return true;
}

}  // namespace glyphcensus
