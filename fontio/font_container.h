#pragma once
// The containers of font files: which one a file is (sfnt, collection, WOFF,
// WOFF2), why one is refused, how many faces an image holds and where each
// face's table directory lies.
#include <cstdint>

#include "fontio/big_endian_reader.h"

namespace glyphcensus {

constexpr uint32_t kTrueTypeVersion = 0x00010000;
constexpr uint32_t kCffVersion = 0x4F54544F;  // "OTTO"

// True for the two sfnt versions this program measures: TrueType and "OTTO".
bool IsSfntVersion(uint32_t version);

// True when the first four bytes, taken as a text that ends at the first zero
// byte, equal `signature` with the case of ASCII letters ignored.
bool IsFontSignature(ByteView file, const char* signature);

enum class FontContainer { kSfnt, kCollection, kWoff, kWoff2, kRefused };

// Why a file is refused, or an image cannot be made of it. The front ends turn
// these into their own words.
enum class ContainerRefusal : uint8_t {
  kNone,                 // not refused
  kTooShort,             // shorter than the bytes its signature rule reads
  kUnknownSignature,     // neither an sfnt version nor "ttcf", "wOFF", "wOF2"
  kCollectionVersion,    // a collection header of a version other than 1 or 2
  kCollectionFirstFont,  // a collection whose first font the rule does not take
  kWebFontFlavour,       // a WOFF or WOFF2 whose flavour is neither TrueType nor CFF
  kFileTooLarge,         // 2 GiB or more: the image length is a signed 32-bit count
  kConvertedTooLarge,    // a WOFF whose totalSfntSize is above kMaxConvertedImageSize
  kNoMemory,             // the memory for the image cannot be had
  kNotWebFont,           // a conversion asked of a container that is not WOFF or WOFF2
};

// Which collections the container rules take. The Windows program measures the
// first font of a collection and takes a collection only when that font has
// TrueType outlines; the command line measures every face, and also takes
// collections of CFF fonts (OpenType collections such as Noto Sans CJK's).
enum class CollectionRule { kFirstFontTrueType, kAnyOutlines };

// The container signature rules: the first four bytes as text up to the first
// zero byte, ASCII case ignored, compared with "ttcf", "wOFF", "wOF2" in that
// order, then the version, flavor or first-font checks. A file too short for the
// bytes its rule reads is Refused. `refusal`, when given, receives why
// (ContainerRefusal::kNone when the file is taken).
FontContainer DetectFontContainer(ByteView file,
                                  CollectionRule rule = CollectionRule::kFirstFontTrueType,
                                  ContainerRefusal* refusal = nullptr);

// The short name of a container taken: "ttf" or "otf" for an sfnt (by its
// version), "ttc", "woff", "woff2"; "" for Refused.
const char* ContainerName(FontContainer container, ByteView file);

// The number of faces of an image: 1 for an sfnt; for a collection its font
// count, taken as 1 when it is 0 or larger than the image could hold (as
// NormalizeCollectionHeader rewrites it before a face is opened).
uint32_t CountFaces(ByteView image);

// Where the table directory of face `faceIndex` lies: for a collection
// ("ttcf" in any letter case) the offset its header lists for the face, for
// an sfnt 0 (face 0 only). False, with `offset` 0, when the header cannot say:
// the entry lies outside the image, or an sfnt's face is not 0. The font count
// and the version are not looked at.
bool FaceDirectoryOffset(ByteView image, uint32_t faceIndex, uint32_t* offset);

}  // namespace glyphcensus
