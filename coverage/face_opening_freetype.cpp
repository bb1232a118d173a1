#include "coverage/face_opening_freetype.h"

bool OpenFreeTypeFace(ByteView image, uint32_t faceIndex, OpenedFace* opened) {
  *opened = OpenedFace{};
  if (image.data == nullptr || image.size == 0 ||
      image.size > static_cast<size_t>(INT32_MAX) || faceIndex > 0xFFFF) {
    return false;
  }
  if (FT_Init_FreeType(&opened->library) != 0) {
    opened->library = nullptr;
    return false;
  }
  if (FT_New_Memory_Face(opened->library, image.data, static_cast<FT_Long>(image.size),
                         static_cast<FT_Long>(faceIndex), &opened->face) != 0) {
    opened->face = nullptr;
    CloseFreeTypeFace(opened);
    return false;
  }
  return true;
}

void CloseFreeTypeFace(OpenedFace* opened) {
  if (opened->face != nullptr) FT_Done_Face(opened->face);
  if (opened->library != nullptr) FT_Done_FreeType(opened->library);
  *opened = OpenedFace{};
}
