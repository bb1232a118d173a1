#include "cli/measure_file.h"

#include <map>

#include "cli/font_file.h"
#include "coverage/glyph_presence_freetype.h"
#include "fontio/font_structure.h"

namespace {

// Why the container rules refused the file.
const char* RefusalReason(ByteView file) {
  if (IsFontSignature(file, "ttcf")) {
    return "a font collection glyphcensus does not read (it reads collections of version 1 "
           "or 2 whose first font is TrueType or OpenType)";
  }
  return "not a font file glyphcensus reads (TrueType, OpenType, font collection, WOFF, WOFF2)";
}

// Why no image could be made of a file the container rules took.
const char* ImageFailureReason(FontContainer container) {
  switch (container) {
    case FontContainer::Woff: return "the WOFF file cannot be converted";
    case FontContainer::Woff2: return "the WOFF2 file cannot be converted";
    default: return "the font file is refused";
  }
}

std::string ContainerName(FontContainer container, ByteView file) {
  switch (container) {
    case FontContainer::Collection: return "ttc";
    case FontContainer::Woff: return "woff";
    case FontContainer::Woff2: return "woff2";
    case FontContainer::Sfnt: {
      uint32_t version = 0;
      ReadU32(file, 0, &version);
      return version == kCffVersion ? "otf" : "ttf";
    }
    default: return "";
  }
}

FaceResult MeasureFace(ByteView image, const FaceResult& file, uint32_t faceIndex,
                       const MeasureRequest& request) {
  FaceResult face = file;
  face.faceKnown = true;
  face.faceIndex = faceIndex;
  if (!ReadFamilyName(image, faceIndex, &face.familyName)) {
    face.error = "not a font glyphcensus measures (its table directory is neither TrueType "
                 "nor OpenType)";
    return face;
  }
  face.nameRead = true;
  MeasuringContext* context = OpenFaceForMeasuring(image, faceIndex);
  if (context == nullptr) {
    face.error = "FreeType cannot open the font; only its name was read";
    return face;
  }
  face.sets = MeasureSets(context, request.sets, request.listMissing, request.hook,
                          request.hookUser);
  CloseMeasuringContext(context);
  return face;
}

// Where face `index` of the image has its table directory (0 for an sfnt, or
// when the header cannot say).
uint32_t DirectoryOffset(ByteView image, uint32_t index) {
  uint32_t offset = 0;
  if (IsFontSignature(image, "ttcf")) ReadU32(image, 12 + 4 * uint64_t{index}, &offset);
  return offset;
}

}  // namespace

std::vector<FaceResult> MeasureFontFile(const std::string& path, const MeasureRequest& request) {
  FaceResult file;
  file.path = path;
  FontBytes bytes;
  if (!ReadFontFile(path, &bytes, &file.error)) return {file};
  const ByteView view{bytes.data(), bytes.size()};
  const FontContainer container = DetectFontContainer(view, CollectionRule::AnyOutlines);
  if (container == FontContainer::Refused) {
    file.error = RefusalReason(view);
    return {file};
  }
  file.container = ContainerName(container, view);
  FontImage image;
  if (!MakeFontImage(std::move(bytes), &image, CollectionRule::AnyOutlines)) {
    file.error = ImageFailureReason(container);
    return {file};
  }
  NormalizeCollectionHeader(ImageBytes(image));
  const ByteView imageView = AsConst(ImageBytes(image));
  file.faceCount = CountFaces(imageView);
  if (request.faceGiven && request.face >= file.faceCount) {
    file.error = "there is no face " + std::to_string(request.face) + " (the file has " +
                 std::to_string(file.faceCount) + (file.faceCount == 1 ? " face)" : " faces)");
    return {file};
  }
  std::vector<FaceResult> faces;
  const uint32_t first = request.faceGiven ? request.face : 0;
  const uint32_t end = request.faceGiven ? request.face + 1 : file.faceCount;
  // Faces that share one table directory are the same face: measured once, so
  // that a collection listing one font thousands of times costs one measurement.
  std::map<uint32_t, size_t> measuredAt;
  for (uint32_t index = first; index < end; ++index) {
    const uint32_t directory = DirectoryOffset(imageView, index);
    const auto earlier = measuredAt.find(directory);
    if (earlier != measuredAt.end()) {
      faces.push_back(faces[earlier->second]);
      faces.back().faceIndex = index;
      continue;
    }
    measuredAt.emplace(directory, faces.size());
    faces.push_back(MeasureFace(imageView, file, index, request));
  }
  return faces;
}
