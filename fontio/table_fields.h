#pragma once
// Where the fields of the tables this program reads lie: byte offsets from the
// start of the table (or of the record or subtable named), and the sizes of
// records and of the shortest table a reader takes, as the OpenType font file
// format lays them out. Reads still go through big_endian_reader.h.
#include <cstdint>

namespace glyphcensus {

// The collection header ("ttcf").
namespace ttc_header {
constexpr uint64_t kTag = 0;
constexpr uint64_t kVersion = 4;  // majorVersion and minorVersion as one 32-bit number
constexpr uint64_t kNumFonts = 8;
constexpr uint64_t kTableDirectoryOffsets = 12;  // numFonts Offset32, from the start of the file
constexpr uint64_t kOffsetSize = 4;
}  // namespace ttc_header

// A face's offset table and its table records.
namespace sfnt_directory {
constexpr uint64_t kVersion = 0;
constexpr uint64_t kNumTables = 4;
constexpr uint64_t kSearchRange = 6;
constexpr uint64_t kEntrySelector = 8;
constexpr uint64_t kRangeShift = 10;
constexpr uint64_t kRecords = 12;
constexpr uint64_t kRecordSize = 16;
}  // namespace sfnt_directory

namespace table_record {
constexpr uint64_t kTag = 0;
constexpr uint64_t kChecksum = 4;
constexpr uint64_t kOffset = 8;  // from the start of the file
constexpr uint64_t kLength = 12;
}  // namespace table_record

// 'head': the font header.
namespace head_table {
constexpr uint64_t kCheckSumAdjustment = 8;
constexpr uint64_t kFlags = 16;
constexpr uint64_t kUnitsPerEm = 18;
constexpr uint64_t kCreated = 20;   // LONGDATETIME, 8 bytes
constexpr uint64_t kModified = 28;  // LONGDATETIME, 8 bytes
constexpr uint64_t kDatesEnd = 36;
constexpr uint64_t kIndexToLocFormat = 50;
constexpr uint64_t kSize = 54;
}  // namespace head_table

// 'hhea' and 'vhea': the horizontal and vertical headers, one layout under
// two sets of names.
namespace hhea_table {
constexpr uint64_t kAscender = 4;
constexpr uint64_t kDescender = 6;
constexpr uint64_t kLineGap = 8;
constexpr uint64_t kNumberOfHMetrics = 34;
constexpr uint64_t kSize = 36;
}  // namespace hhea_table

namespace vhea_table {
constexpr uint64_t kVertTypoAscender = hhea_table::kAscender;
constexpr uint64_t kVertTypoDescender = hhea_table::kDescender;
constexpr uint64_t kVertTypoLineGap = hhea_table::kLineGap;
constexpr uint64_t kNumOfLongVerMetrics = hhea_table::kNumberOfHMetrics;
constexpr uint64_t kSize = hhea_table::kSize;
}  // namespace vhea_table

// 'maxp': version 0.5 (CFF outlines) holds only numGlyphs; version 1.0
// (TrueType outlines) is 32 bytes.
namespace maxp_table {
constexpr uint64_t kVersion = 0;
constexpr uint64_t kNumGlyphs = 4;
constexpr uint32_t kVersion1 = 0x00010000;
constexpr uint64_t kVersion1Size = 32;
}  // namespace maxp_table

// 'hmtx' and 'vmtx': numberOfHMetrics (numOfLongVerMetrics) long metrics of an
// advance and a side bearing, then the side bearings of the remaining glyphs.
namespace hmtx_table {
constexpr uint64_t kLongMetricSize = 4;
constexpr uint64_t kAdvanceWidth = 0;     // in a long metric
constexpr uint64_t kLeftSideBearing = 2;  // in a long metric
constexpr uint64_t kBearingSize = 2;      // of the side bearings after them
}  // namespace hmtx_table

namespace vmtx_table {
constexpr uint64_t kLongMetricSize = hmtx_table::kLongMetricSize;
constexpr uint64_t kAdvanceHeight = hmtx_table::kAdvanceWidth;
constexpr uint64_t kTopSideBearing = hmtx_table::kLeftSideBearing;
constexpr uint64_t kBearingSize = hmtx_table::kBearingSize;
}  // namespace vmtx_table

// 'loca': numGlyphs + 1 offsets into 'glyf'; short ones (indexToLocFormat 0)
// hold the offset divided by two.
namespace loca_table {
constexpr uint64_t kShortEntrySize = 2;
constexpr uint64_t kLongEntrySize = 4;
constexpr uint64_t kShortOffsetScale = 2;
}  // namespace loca_table

// A 'glyf' glyph's header.
namespace glyf_glyph {
constexpr uint64_t kNumberOfContours = 0;
constexpr uint64_t kXMin = 2;
constexpr uint64_t kHeaderSize = 10;  // then the contour ends of a simple glyph
}  // namespace glyf_glyph

// 'OS/2': version 0 is 78 bytes, 1 is 86, 2 and later at least 96.
namespace os2_table {
constexpr uint64_t kVersion = 0;
constexpr uint64_t kTypoAscender = 68;
constexpr uint64_t kTypoDescender = 70;
constexpr uint64_t kTypoLineGap = 72;
constexpr uint64_t kWinAscent = 74;
constexpr uint64_t kWinDescent = 76;
constexpr uint64_t kDefaultChar = 90;  // version 2 and later
constexpr uint64_t kBreakChar = 92;    // version 2 and later
}  // namespace os2_table

// 'name': the naming table and its name records.
namespace name_table {
constexpr uint64_t kCount = 2;
constexpr uint64_t kStorageOffset = 4;  // of the strings, from the start of the table
constexpr uint64_t kRecords = 6;
constexpr uint64_t kRecordSize = 12;
}  // namespace name_table

namespace name_record {
constexpr uint64_t kPlatformId = 0;
constexpr uint64_t kEncodingId = 2;
constexpr uint64_t kLanguageId = 4;
constexpr uint64_t kNameId = 6;
constexpr uint64_t kLength = 8;
constexpr uint64_t kStringOffset = 10;  // from the start of the storage
}  // namespace name_record

// 'cmap': the character map's header and encoding records.
namespace cmap_table {
constexpr uint64_t kNumTables = 2;
constexpr uint64_t kEncodingRecords = 4;
constexpr uint64_t kEncodingRecordSize = 8;
}  // namespace cmap_table

namespace cmap_encoding_record {
constexpr uint64_t kPlatformId = 0;
constexpr uint64_t kEncodingId = 2;
constexpr uint64_t kSubtableOffset = 4;  // Offset32, from the start of the cmap
}  // namespace cmap_encoding_record

// Every cmap subtable starts with its format.
namespace cmap_subtable {
constexpr uint64_t kFormat = 0;
}  // namespace cmap_subtable

// Format 12: segmented coverage, groups of (startCharCode, endCharCode,
// startGlyphID), each 32 bits.
namespace cmap_format12 {
constexpr uint64_t kLength = 4;
constexpr uint64_t kNumGroups = 12;
constexpr uint64_t kGroups = 16;
constexpr uint64_t kGroupSize = 12;
}  // namespace cmap_format12

// Format 14: Unicode variation sequences. Its records hold 24-bit values.
namespace cmap_format14 {
constexpr uint64_t kLength = 2;                  // uint32
constexpr uint64_t kNumVarSelectorRecords = 6;   // uint32
constexpr uint64_t kVarSelectorRecords = 10;
constexpr uint64_t kVarSelectorRecordSize = 11;
// In a variation selector record:
constexpr uint64_t kVarSelector = 0;             // uint24
constexpr uint64_t kDefaultUvsOffset = 3;        // Offset32 from the subtable's start, 0 for none
constexpr uint64_t kNonDefaultUvsOffset = 7;     // Offset32 from the subtable's start, 0 for none
// The default UVS table: ranges of (startUnicodeValue uint24, additionalCount uint8).
constexpr uint64_t kNumUnicodeValueRanges = 0;   // uint32
constexpr uint64_t kUnicodeRanges = 4;
constexpr uint64_t kUnicodeRangeSize = 4;
// The non-default UVS table: mappings of (unicodeValue uint24, glyphID uint16).
constexpr uint64_t kNumUvsMappings = 0;          // uint32
constexpr uint64_t kUvsMappings = 4;
constexpr uint64_t kUvsMappingSize = 5;
}  // namespace cmap_format14

// 'VORG': vertical origins of CFF glyphs, sorted by glyph.
namespace vorg_table {
constexpr uint64_t kMajorVersion = 0;
constexpr uint64_t kMinorVersion = 2;
constexpr uint64_t kDefaultVertOriginY = 4;      // int16
constexpr uint64_t kNumVertOriginYMetrics = 6;
constexpr uint64_t kMetrics = 8;
constexpr uint64_t kMetricSize = 4;
constexpr uint64_t kGlyphIndex = 0;              // in a metric
constexpr uint64_t kVertOriginY = 2;             // int16, in a metric
}  // namespace vorg_table

// The header of 'GSUB' (and 'GPOS'): offsets from the table's start.
namespace gsub_header {
constexpr uint64_t kMajorVersion = 0;
constexpr uint64_t kMinorVersion = 2;
constexpr uint64_t kScriptListOffset = 4;        // Offset16
constexpr uint64_t kFeatureListOffset = 6;       // Offset16
constexpr uint64_t kLookupListOffset = 8;        // Offset16
constexpr uint64_t kVersion10Size = 10;
constexpr uint64_t kFeatureVariationsOffset = 10;  // Offset32, version 1.1
constexpr uint64_t kVersion11Size = 14;
}  // namespace gsub_header

}  // namespace glyphcensus
