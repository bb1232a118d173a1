#pragma once
// A structural check of font images before they are handed whole to a system
// font loader.
#include "fontio/big_endian_reader.h"

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
bool FontStructureFits(ByteView image);

// Rewrites a collection's header ("ttcf" in any letter case) to what font
// loaders take: the tag exactly "ttcf", and a font count of 1 when the count
// is 0 or more than the image could hold. The container rules accept the tag
// in any case and do not look at the count, but FreeType (also inside Wine)
// refuses both. Only the first font is measured. Other images are unchanged.
void NormalizeCollectionHeader(MutableByteView image);
