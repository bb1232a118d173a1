#pragma once
// A structural check of font images before they are handed whole to a system
// font loader.
#include <cstdint>

#include "fontio/big_endian_reader.h"
#include "fontio/sfnt_tables.h"

namespace glyphcensus {

// True when, for every font in the image (the sfnt at offset 0, or each font
// that a collection's header lists, "ttcf" in any letter case), these lie
// inside the image: the table directory (offset table and all numTables
// records), every table that the records list, in the first naming table all
// its name records and every string they point at, and inside the first cmap
// its encoding records and the groups of its (3, 10) format 12 subtables.
//
// Some loaders walk these without comparing them with the data's length, or
// add an offset and a length in 32 bits. Wine's AddFontMemResourceEx then
// reads past the end, faults, and leaves its font lock held, so that every
// later font call of the process hangs; Wine's Uniscribe searches a format 12
// cmap by its group count and crashes the process. (Wine's Uniscribe follows
// the offsets inside GSUB, GPOS and GDEF unchecked as well; those are not
// checked here.)
//
// Each distinct directory, naming table and cmap is checked once, however many
// fonts list it, and the whole check visits at most about image.size / 4
// records: an image that would need more does not fit.
bool FontStructureFits(ByteView image);

// Rewrites a collection's header ("ttcf" in any letter case) to what font
// loaders take: the tag exactly "ttcf", and a font count of 1 when the count
// is 0 or more than the image could hold. The container rules accept the tag
// in any case and do not look at the count, but FreeType (also inside Wine)
// refuses both. Only the first font is measured. Other images are unchanged.
void NormalizeCollectionHeader(MutableByteView image);

// True for the tables that the glyph tests read to measure a font: cmap, head,
// hhea, hmtx, maxp, loca, glyf, CFF, CFF2, OS/2, name, post and the bitmap
// tables (EBDT, EBLC, EBSC, CBDT, CBLC, sbix, bdat, bloc).
bool IsNeededTable(Tag tag);

// Readies an image for both glyph tests, before it is registered or opened:
// NormalizeCollectionHeader, then, in every font the image lists (each
// directory once), the table records of tables that run outside the image and
// that IsNeededTable does not name (GSUB, GPOS, kern, DSIG, vmtx, ...) are
// removed from the directory, so that such a table keeps no font from being
// measured. A needed table outside the image stays: FindBrokenNeededTable
// names it, and the font is not measured.
void PrepareImageForMeasuring(MutableByteView image);

// Finds, in the directory of font `faceIndex` of the image (0 for an sfnt), the
// first table record that IsNeededTable names and whose table runs outside the
// image, and writes its tag into `tag` with a terminating zero.
bool FindBrokenNeededTable(ByteView image, uint32_t faceIndex, char tag[5]);

}  // namespace glyphcensus
