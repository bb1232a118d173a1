#pragma once
// WOFF 1.0 to sfnt conversion.
#include <cstdint>

#include "fontio/big_endian_reader.h"

namespace glyphcensus {

// Mode values of ConvertWoffToSfnt.
constexpr int kWoffSizeQuery = 1;
constexpr int kWoffConvert = 0;

// One entry of the WOFF table directory (20 bytes in the file).
struct WoffTableEntry {
  uint8_t tag[4];
  uint32_t offset;
  uint32_t compLength;
  uint32_t origLength;
  uint32_t origChecksum;
};

// The order of the rebuilt table directory: a tag whose first byte, read as a
// signed 8-bit number, is below 'Z' comes before every other tag; within each
// group the tags compare as texts (ending at a zero byte) of unsigned bytes.
// For printable ASCII tags this is plain ascending byte order.
bool TableTagLess(const WoffTableEntry& a, const WoffTableEntry& b);

// Both modes return the header's totalSfntSize: 0 when the header is too short
// to hold it, -1 when it does not fit a signed 32-bit size.
//
// Size-query mode (kWoffSizeQuery) reads nothing else. Any other mode writes the
// sfnt into `destination`: the offset table, the table records in TableTagLess
// order and each table's data (stored or inflated), padded to 4 bytes. Checksums
// are copied unchanged. Every byte of `destination` that receives nothing is
// zero: a directory entry outside `woff` is left out, and a table whose data lies
// outside `woff`, whose data does not fit into `destination`, or whose stream
// inflates to less than its origLength, leaves zero bytes in its place. So does
// a table whose stored range overlaps the stored range of an entry earlier in
// the directory (valid files never overlap), which bounds the work by the size
// of `woff` whatever its directory says.
int32_t ConvertWoffToSfnt(ByteView woff, int mode, MutableByteView destination);

// The writing half of ConvertWoffToSfnt, for a destination that is all zero
// already: it writes only what the conversion puts there.
void WriteWoffTables(ByteView woff, MutableByteView zeroedDestination);

}  // namespace glyphcensus
