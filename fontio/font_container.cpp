#include "fontio/font_image.h"

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares two zero-terminated texts, ignoring the case of A to Z only.
bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  for (; *a != '\0' || *b != '\0'; ++a, ++b) {
    if (AsciiLower(*a) != AsciiLower(*b)) return false;
  }
  return true;
}

FontContainer DetectCollection(ByteView file, CollectionRule rule) {
  uint32_t version = 0;
  uint32_t firstFont = 0;
  uint32_t firstVersion = 0;
  if (!ReadU32(file, 4, &version) || (version != 0x00010000 && version != 0x00020000)) {
    return FontContainer::Refused;
  }
  // The first font must be TrueType-flavoured (or, for the command line, any
  // sfnt flavour); the font count is not looked at.
  if (!ReadU32(file, 12, &firstFont) || !ReadU32(file, firstFont, &firstVersion)) {
    return FontContainer::Refused;
  }
  const bool accepted = rule == CollectionRule::AnyOutlines ? IsSfntVersion(firstVersion)
                                                            : firstVersion == kTrueTypeVersion;
  if (!accepted) return FontContainer::Refused;
  return FontContainer::Collection;
}

// WOFF and WOFF2 accept a TrueType or CFF flavour. A collection flavour is
// refused, except a WOFF2 collection for the command line, which measures every
// face of a collection (the decoder checks what the collection holds).
FontContainer DetectWebFont(ByteView file, FontContainer container, CollectionRule rule) {
  uint32_t flavor = 0;
  if (!ReadU32(file, 4, &flavor)) return FontContainer::Refused;
  const bool collection = flavor == 0x74746366;  // "ttcf"
  if (collection && container == FontContainer::Woff2 && rule == CollectionRule::AnyOutlines) {
    return container;
  }
  return IsSfntVersion(flavor) ? container : FontContainer::Refused;
}

}  // namespace

bool IsSfntVersion(uint32_t version) { return version == kTrueTypeVersion || version == kCffVersion; }

bool IsFontSignature(ByteView file, const char* signature) {
  char text[5] = {};  // the first four bytes as a text ending at the first zero byte
  if (!ReadBytes(file, 0, 4, reinterpret_cast<uint8_t*>(text))) return false;
  return EqualsIgnoringAsciiCase(text, signature);
}

FontContainer DetectFontContainer(ByteView file, CollectionRule rule) {
  if (file.size < 4) return FontContainer::Refused;
  if (IsFontSignature(file, "ttcf")) return DetectCollection(file, rule);
  if (IsFontSignature(file, "wOFF")) return DetectWebFont(file, FontContainer::Woff, rule);
  if (IsFontSignature(file, "wOF2")) return DetectWebFont(file, FontContainer::Woff2, rule);
  uint32_t version = 0;
  ReadU32(file, 0, &version);
  return IsSfntVersion(version) ? FontContainer::Sfnt : FontContainer::Refused;
}

uint32_t CountFaces(ByteView image) {
  if (!IsFontSignature(image, "ttcf")) return 1;
  uint32_t count = 0;
  if (!ReadU32(image, 8, &count) || count == 0) return 1;
  // The limit NormalizeCollectionHeader applies before FreeType opens a face.
  if (count > image.size / 32) return 1;
  return count;
}
