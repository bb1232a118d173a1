#pragma once
// The font image: one contiguous, writable block holding a complete sfnt font or
// a whole TrueType collection, made from the bytes of one font file.
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "fontio/big_endian_reader.h"

// Allocates with calloc and leaves value-initialised elements as calloc gave
// them. A large block then comes from the system as fresh zero pages that count
// against memory only once written: a WOFF whose tables fill little of a large
// totalSfntSize costs its tables, not its totalSfntSize.
template <typename T>
struct ZeroedAllocator {
  using value_type = T;
  ZeroedAllocator() = default;
  template <typename U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}

  T* allocate(size_t n) {
    void* block = std::calloc(n, sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, size_t) { std::free(block); }

  template <typename U>
  void construct(U*) noexcept {}  // already zero: see FontBytes
  template <typename U, typename First, typename... Rest>
  void construct(U* at, First&& first, Rest&&... rest) {
    ::new (static_cast<void*>(at)) U(std::forward<First>(first), std::forward<Rest>(rest)...);
  }
};

template <typename T, typename U>
bool operator==(const ZeroedAllocator<T>&, const ZeroedAllocator<U>&) { return true; }
template <typename T, typename U>
bool operator!=(const ZeroedAllocator<T>&, const ZeroedAllocator<U>&) { return false; }

// The bytes of a font file or image. Elements added without a value are zero
// only in storage that no element has used yet: make these vectors at their
// size (or grow them from empty), and never grow one again after shrinking it.
using FontBytes = std::vector<uint8_t, ZeroedAllocator<uint8_t>>;

struct FontImage {
  FontBytes bytes;  // its length always fits a signed 32-bit count
};

inline MutableByteView ImageBytes(FontImage& image) {
  return MutableByteView{image.bytes.data(), image.bytes.size()};
}

// Upper bound of a converted WOFF 1.0 image; larger totalSfntSize values are
// refused, which also bounds the memory one conversion takes. (WOFF2 images are
// capped lower, by the decoder's limit.)
constexpr uint32_t kMaxConvertedImageSize = 256u * 1024 * 1024;

constexpr uint32_t kTrueTypeVersion = 0x00010000;
constexpr uint32_t kCffVersion = 0x4F54544F;  // "OTTO"

// True for the two sfnt versions this program measures: TrueType and "OTTO".
bool IsSfntVersion(uint32_t version);

// True when the first four bytes, taken as a text that ends at the first zero
// byte, equal `signature` with the case of ASCII letters ignored.
bool IsFontSignature(ByteView file, const char* signature);

enum class FontContainer { Sfnt, Collection, Woff, Woff2, Refused };

// Which collections the container rules take. The Windows program measures the
// first font of a collection and takes a collection only when that font has
// TrueType outlines; the command line measures every face, and also takes
// collections of CFF fonts (OpenType collections such as Noto Sans CJK's).
enum class CollectionRule { FirstFontTrueType, AnyOutlines };

// The container signature rules: the first four bytes as text up to the first
// zero byte, ASCII case ignored, compared with "ttcf", "wOFF", "wOF2" in that
// order, then the version, flavor or first-font checks. A file too short for the
// bytes its rule reads is Refused.
FontContainer DetectFontContainer(ByteView file,
                                  CollectionRule rule = CollectionRule::FirstFontTrueType);

// The number of faces of an image: 1 for an sfnt; for a collection its font
// count, taken as 1 when it is 0 or larger than the image could hold (as
// NormalizeCollectionHeader rewrites it before a face is opened).
uint32_t CountFaces(ByteView image);

// Turns the bytes of a font file into its image: sfnt and collections as read,
// WOFF 1.0 and WOFF2 converted. False when the file is refused: an unrecognised
// container, a file of 2 GiB or more, a WOFF totalSfntSize above
// kMaxConvertedImageSize, or memory that cannot be had. The image is then empty.
bool MakeFontImage(FontBytes fileBytes, FontImage* image,
                   CollectionRule rule = CollectionRule::FirstFontTrueType);

// The conversion half of MakeFontImage, for a WOFF or WOFF2 file that stays
// where it is: false for any other container, a WOFF totalSfntSize above
// kMaxConvertedImageSize, or memory that cannot be had. `woff2Decoded`, when
// given, is cleared when the WOFF2 decoder refused the file (the image is then
// its buffer as the decoder left it).
bool ConvertWebFont(ByteView file, FontContainer container, FontImage* image,
                    bool* woff2Decoded = nullptr);
