#pragma once
// A structural check of font images before they are handed to a system font
// loader whole.
#include "fontio/big_endian_reader.h"

// True when the table directory (offset table and all numTables records) of
// every font in the image lies inside it, and so does every table that the
// records list: the sfnt at offset 0, or each font that a collection's header
// lists ("ttcf" in any letter case). Some loaders walk the records, or add a
// table's offset and length in 32 bits, without comparing them with the data's
// length; Wine's AddFontMemResourceEx then reads past the end and leaves its
// font lock held, so that every later font call of the process hangs.
bool TableDirectoriesFit(ByteView image);
