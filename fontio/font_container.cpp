#include "fontio/font_container.h"

#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

ContainerRefusal CheckCollection(ByteView file, CollectionRule rule) {
  uint32_t version = 0;
  uint32_t firstFont = 0;
  uint32_t firstVersion = 0;
  if (!ReadU32(file, 4, &version)) return ContainerRefusal::kTooShort;
  if (version != 0x00010000 && version != 0x00020000) return ContainerRefusal::kCollectionVersion;
  // The first font must be TrueType-flavoured (or, for the command line, any
  // sfnt flavour); the font count is not looked at.
  if (!ReadU32(file, 12, &firstFont)) return ContainerRefusal::kTooShort;
  if (!ReadU32(file, firstFont, &firstVersion)) return ContainerRefusal::kCollectionFirstFont;
  const bool accepted = rule == CollectionRule::kAnyOutlines ? IsSfntVersion(firstVersion)
                                                            : firstVersion == kTrueTypeVersion;
  return accepted ? ContainerRefusal::kNone : ContainerRefusal::kCollectionFirstFont;
}

// WOFF and WOFF2 accept a TrueType or CFF flavour. A collection flavour is
// refused, except a WOFF2 collection for the command line, which measures every
// face of a collection (the decoder checks what the collection holds).
ContainerRefusal CheckWebFont(ByteView file, FontContainer container, CollectionRule rule) {
  uint32_t flavor = 0;
  if (!ReadU32(file, 4, &flavor)) return ContainerRefusal::kTooShort;
  const bool collection = flavor == 0x74746366;  // "ttcf"
  if (collection && container == FontContainer::kWoff2 && rule == CollectionRule::kAnyOutlines) {
    return ContainerRefusal::kNone;
  }
  return IsSfntVersion(flavor) ? ContainerRefusal::kNone : ContainerRefusal::kWebFontFlavour;
}

// The container, or Refused with the reason in `*refusal`.
FontContainer Detect(ByteView file, CollectionRule rule, ContainerRefusal* refusal) {
  *refusal = ContainerRefusal::kNone;
  if (file.size < 4) {
    *refusal = ContainerRefusal::kTooShort;
    return FontContainer::kRefused;
  }
  FontContainer container = FontContainer::kRefused;
  if (IsFontSignature(file, "ttcf")) {
    container = FontContainer::kCollection;
    *refusal = CheckCollection(file, rule);
  } else if (IsFontSignature(file, "wOFF")) {
    container = FontContainer::kWoff;
    *refusal = CheckWebFont(file, container, rule);
  } else if (IsFontSignature(file, "wOF2")) {
    container = FontContainer::kWoff2;
    *refusal = CheckWebFont(file, container, rule);
  } else {
    uint32_t version = 0;
    ReadU32(file, 0, &version);
    container = FontContainer::kSfnt;
    if (!IsSfntVersion(version)) *refusal = ContainerRefusal::kUnknownSignature;
  }
  return *refusal == ContainerRefusal::kNone ? container : FontContainer::kRefused;
}

}  // namespace

bool IsSfntVersion(uint32_t version) { return version == kTrueTypeVersion || version == kCffVersion; }

bool IsFontSignature(ByteView file, const char* signature) {
  char text[5] = {};  // the first four bytes as a text ending at the first zero byte
  if (!ReadBytes(file, 0, 4, reinterpret_cast<uint8_t*>(text))) return false;
  return EqualsIgnoringAsciiCase(text, signature);
}

FontContainer DetectFontContainer(ByteView file, CollectionRule rule, ContainerRefusal* refusal) {
  ContainerRefusal why = ContainerRefusal::kNone;
  const FontContainer container = Detect(file, rule, &why);
  if (refusal != nullptr) *refusal = why;
  return container;
}

const char* ContainerName(FontContainer container, ByteView file) {
  switch (container) {
    case FontContainer::kCollection: return "ttc";
    case FontContainer::kWoff: return "woff";
    case FontContainer::kWoff2: return "woff2";
    case FontContainer::kSfnt: {
      uint32_t version = 0;
      ReadU32(file, 0, &version);
      return version == kCffVersion ? "otf" : "ttf";
    }
    default: return "";
  }
}

uint32_t CountFaces(ByteView image) {
  if (!IsFontSignature(image, "ttcf")) return 1;
  uint32_t count = 0;
  if (!ReadU32(image, 8, &count) || count == 0) return 1;
  // The limit NormalizeCollectionHeader applies before FreeType opens a face.
  if (count > image.size / 32) return 1;
  return count;
}

bool FaceDirectoryOffset(ByteView image, uint32_t faceIndex, uint32_t* offset) {
  *offset = 0;
  if (!IsFontSignature(image, "ttcf")) return faceIndex == 0;
  if (ReadU32(image, 12 + 4 * uint64_t{faceIndex}, offset)) return true;
  *offset = 0;
  return false;
}

}  // namespace glyphcensus
