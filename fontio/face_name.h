#pragma once
// The family name of a font image, and the marking of the image's family names.
#include <string>

#include "fontio/big_endian_reader.h"

namespace glyphcensus {

// A face name holds at most 259 UTF-16 code units (a 260-unit buffer with its
// terminator on Windows).
constexpr size_t kFaceNameMaxUnits = 259;
using FaceName = std::u16string;

// Reads the family name of the image's (first) font and marks each family-name
// string of an accepted record in the image (first unit V, or W when it was V;
// for a single-byte Macintosh string its first byte), then fixes the naming
// table's checksum. Every name is decoded from the bytes as they stand in the
// file, and a string shared by several records is marked once, so the image
// holds MarkFaceName of the name returned (for UTF-16 names, and for Macintosh
// names whose first character is one byte). Table records, name records and
// strings that lie outside the image are skipped: neither read nor marked.
// False when the image is not a font this program measures; the image is then
// unchanged. Never reads or writes outside `image`.
//
// `requestName`, when given, receives the name to ask GDI for: the Windows
// Japanese family name, else the Windows English one, else the name returned
// (a font with Macintosh names only). The image holds its marked form.
bool ReadFaceName(MutableByteView image, FaceName* faceName, FaceName* requestName = nullptr);

// The family name of face `faceIndex` of the image (0 for an sfnt), chosen by
// the same rules as ReadFaceName, without marking anything. False when the image
// has no such face or it is not a font this program measures.
bool ReadFamilyName(ByteView image, uint32_t faceIndex, FaceName* faceName);

// The name with its first code unit replaced by V, or W when it already is V.
// An empty name becomes "V".
FaceName MarkFaceName(const FaceName& faceName);

// Platform seam: decodes a single-byte Macintosh name with the ANSI code page
// (the thread's code page on Windows, Windows-31J on Linux). False when the
// bytes cannot be converted.
bool DecodeAnsiText(ByteView text, FaceName* decoded);

}  // namespace glyphcensus
