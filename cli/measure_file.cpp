#include "cli/measure_file.h"

#include <map>

#include "cli/map_files.h"
#include "cli/mapped_file.h"
#include "cli/render_svg_map.h"
#include "cli/text_lines.h"
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

// Where face `index` of the image has its table directory (0 for an sfnt, or
// when the header cannot say).
uint32_t DirectoryOffset(ByteView image, uint32_t index) {
  uint32_t offset = 0;
  if (IsFontSignature(image, "ttcf")) ReadU32(image, 12 + 4 * uint64_t{index}, &offset);
  return offset;
}

// Draws the coverage map of a measured face, measured with its own context,
// into a temporary file that is put into place when the face is handed on.
void WriteMapOfFace(ByteView image, MeasuringContext* context, const MeasureRequest& request,
                    FaceResult* face) {
  MapInput input;
  input.familyName = FormatNameLine(face->familyName);
  for (const MeasuredSet& set : face->sets) input.reportLines.push_back(FormatSetLine(set));
  input.image = image;
  input.faceIndex = face->faceIndex;
  input.context = context;
  std::string svg;
  const std::string path =
      MapPathOf(request.maps, face->inputIndex, face->faceIndex, face->faceCount);
  if (!WriteCoverageMapSvg(input, &svg)) {
    face->mapError = "the coverage map cannot be drawn (FreeType cannot read the outlines)";
    return;
  }
  WriteMapBeside(path, !request.maps.folder.empty(), svg, &face->mapTemp, &face->mapError);
}

}  // namespace

void ReleaseImage(LoadedFile* loaded) {
  loaded->image = MutableByteView{};
  loaded->mapped.reset();
  loaded->converted = FontImage();
}

void LoadFontFile(const std::string& path, const MeasureRequest& request, LoadedFile* loaded) {
  FaceResult& file = loaded->file;
  file.path = path;
  loaded->mapped = MapFontFile(path, &file.error);
  if (loaded->mapped == nullptr) return;
  const ByteView view = AsConst(loaded->mapped->bytes());
  const FontContainer container = DetectFontContainer(view, CollectionRule::AnyOutlines);
  if (container == FontContainer::Refused) {
    file.error = RefusalReason(view);
    ReleaseImage(loaded);
    return;
  }
  file.container = ContainerName(container, view);
  bool woff2Decoded = true;
  if (container == FontContainer::Sfnt || container == FontContainer::Collection) {
    loaded->image = loaded->mapped->bytes();
  } else if (ConvertWebFont(view, container, &loaded->converted, &woff2Decoded)) {
    loaded->woff2Damaged = !woff2Decoded;
    loaded->mapped.reset();
    loaded->image = ImageBytes(loaded->converted);
  } else {
    file.error = ImageFailureReason(container);
    ReleaseImage(loaded);
    return;
  }
  // Once, before any thread opens a face: FreeType takes collections only
  // with a sound header, and tables that only shaping uses are dropped when
  // they run outside the image.
  PrepareImageForMeasuring(loaded->image);
  const ByteView image = AsConst(loaded->image);
  file.faceCount = CountFaces(image);
  if (request.faceGiven && request.face >= file.faceCount) {
    file.error = "there is no face " + std::to_string(request.face) + " (the file has " +
                 std::to_string(file.faceCount) + (file.faceCount == 1 ? " face)" : " faces)");
    ReleaseImage(loaded);
    return;
  }
  if (!request.maps.file.empty() && !request.faceGiven && file.faceCount > 1) {
    file.error = "--map draws one face, and the collection has " +
                 std::to_string(file.faceCount) + " faces (choose one with --face, or use --map-dir)";
    ReleaseImage(loaded);
    return;
  }
  // Faces that share one table directory are the same face: measured once, so
  // that a collection listing one font thousands of times costs one measurement.
  std::map<uint32_t, size_t> firstWith;
  const uint32_t first = request.faceGiven ? request.face : 0;
  uint32_t end = request.faceGiven ? request.face + 1 : file.faceCount;
  if (end - first > kMaxFacesPerFile) {
    end = first + kMaxFacesPerFile;
    loaded->facesLeftOut = true;
    loaded->leftOut = file;
    loaded->leftOut.error = "faces " + std::to_string(end) + " to " +
                            std::to_string(file.faceCount - 1) + " are not measured (at most " +
                            std::to_string(kMaxFacesPerFile) + " faces of a collection are)";
  }
  for (uint32_t index = first; index < end; ++index) {
    const auto inserted = firstWith.emplace(DirectoryOffset(image, index), loaded->faces.size());
    loaded->sameAs.push_back(inserted.first->second);
    loaded->faces.push_back(index);
  }
}

FaceResult MeasureLoadedFace(const LoadedFile& loaded, uint32_t faceIndex,
                             const MeasureRequest& request) {
  FaceResult face = loaded.file;
  face.faceKnown = true;
  face.faceIndex = faceIndex;
  const ByteView image = AsConst(loaded.image);
  // A WOFF2 file the decoder refused is measured as far as its image allows,
  // as the dialog does; when that is not far, the decoder's refusal is the reason.
  const char* damaged = "the WOFF2 file cannot be converted (the decoder refused its data)";
  if (!ReadFamilyName(image, faceIndex, &face.familyName)) {
    face.error = loaded.woff2Damaged ? damaged
                                     : "not a font glyphcensus measures (its table directory "
                                       "is neither TrueType nor OpenType)";
    return face;
  }
  face.nameRead = true;
  char brokenTable[5] = {};
  if (FindBrokenNeededTable(image, faceIndex, brokenTable)) {
    face.error = std::string("the table '") + brokenTable + "' lies outside the file";
    return face;
  }
  MeasuringContext* context = OpenFaceForMeasuring(image, faceIndex);
  if (context == nullptr) {
    face.error = loaded.woff2Damaged ? std::string(damaged) + "; only its name was read"
                                     : "FreeType cannot open the font; only its name was read";
    return face;
  }
  if (request.faceThreads > 1 && loaded.faces.size() == 1) {
    std::vector<const char16_t*> texts;
    for (const SetToMeasure& set : request.sets) {
      texts.insert(texts.end(), set.set->chunks, set.set->chunks + set.set->chunkCount);
    }
    PrejudgeGlyphs(context, image, faceIndex, texts, request.faceThreads);
  }
  face.sets = MeasureSets(context, request.sets, request.listMissing);
  if (WantsMaps(request.maps)) {
    WriteMapOfFace(image, context, request, &face);
  }
  CloseMeasuringContext(context);
  return face;
}
