#include "cli/measure_file.h"

#include <utility>

#include "cli/map_files.h"
#include "cli/mapped_file.h"
#include "coverage/map_svg.h"

namespace {

FontRequest FontRequestOf(const MeasureRequest& request) {
  FontRequest font;
  font.sets = request.sets;
  font.listMissing = request.listMissing;
  font.faceGiven = request.faceGiven;
  font.face = request.face;
  font.stop = request.stop;
  font.faceThreads = request.faceThreads;
  font.program = "glyphcensus";
  return font;
}

// Draws the coverage map of a measured face, measured with its own context,
// kept (in a temporary file beside its place, or in memory for a pipe) until
// the face is handed on.
void WriteMapOfFace(ByteView image, MeasuringContext* context, const MeasureRequest& request,
                    FaceResult* face) {
  std::string svg;
  const std::string path =
      MapPathOf(request.maps, face->inputIndex, face->faceIndex, face->faceCount);
  if (!DrawFaceMap(image, context, face, &svg)) return;
  KeepDrawnMap(path, !request.maps.folder.empty(), std::move(svg), face);
}

}  // namespace

void ReleaseImage(LoadedFile* loaded) {
  ReleasePreparedFont(loaded);
  loaded->mapped.reset();
}

void LoadFontFile(const std::string& path, const MeasureRequest& request, LoadedFile* loaded) {
  FaceResult& file = loaded->file;
  file.path = path;
  loaded->mapped = MapFontFile(path, &file.error);
  if (loaded->mapped == nullptr) {
    file.fault.reason = MeasureReason::kFrontEnd;
    return;
  }
  if (!PrepareFont(loaded->mapped->bytes(), path, FontRequestOf(request), loaded)) {
    ReleaseImage(loaded);
    return;
  }
  if (!loaded->converted.bytes.empty()) loaded->mapped.reset();  // the image is the converted one
  if (!request.maps.file.empty() && !request.faceGiven && file.faceCount > 1) {
    file.fault.reason = MeasureReason::kFrontEnd;
    file.error = "--map draws one face, and the collection has " +
                 std::to_string(file.faceCount) + " faces (choose one with --face, or use --map-dir)";
    ReleaseImage(loaded);
  }
}

FaceResult MeasureLoadedFace(const LoadedFile& loaded, uint32_t faceIndex,
                             const MeasureRequest& request) {
  MeasuredFaceHook writeMap;
  if (WantsMaps(request.maps)) {
    writeMap = [&request](ByteView image, MeasuringContext* context, FaceResult* face) {
      WriteMapOfFace(image, context, request, face);
    };
  }
  return MeasurePreparedFace(loaded, faceIndex, FontRequestOf(request), writeMap);
}
