#include "fontio/table_directory.h"

#include "fontio/font_image.h"

namespace {

bool DirectoryFits(ByteView image, uint64_t directory) {
  uint16_t numTables = 0;
  if (!ReadU16(image, directory + 4, &numTables) || !FitsIn(image.size, directory, 12 + 16 * uint64_t{numTables})) {
    return false;
  }
  for (uint64_t k = 0; k < numTables; ++k) {
    uint32_t offset = 0;
    uint32_t length = 0;
    ReadU32(image, directory + 12 + 16 * k + 8, &offset);
    ReadU32(image, directory + 12 + 16 * k + 12, &length);
    if (!FitsIn(image.size, offset, length)) return false;
  }
  return true;
}

}  // namespace

bool TableDirectoriesFit(ByteView image) {
  if (!IsFontSignature(image, "ttcf")) return DirectoryFits(image, 0);
  uint32_t count = 0;
  if (!ReadU32(image, 8, &count)) return false;
  // An offset that lies outside the image ends the loop, so it runs at most
  // image.size / 4 times.
  for (uint64_t i = 0; i < count; ++i) {
    uint32_t directory = 0;
    if (!ReadU32(image, 12 + 4 * i, &directory) || !DirectoryFits(image, directory)) return false;
  }
  return true;
}
