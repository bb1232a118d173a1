#include "cli/measure_file.h"

#include <utility>

#include "cli/map_files.h"
#include "cli/mapped_file.h"
#include "coverage/map/map_svg.h"

namespace glyphcensus {

namespace {

// Draws the coverage map of a measured face, measured with its own context,
// kept (in a temporary file beside its place, or in memory for a pipe) until
// the face is handed on.
void WriteMapOfFace(ByteView image, MeasuringContext* context, const MeasureRequest& request,
                    size_t inputIndex, const FaceResult& face, CommandFace* handed) {
  std::string svg;
  const std::string path = MapPathOf(request.maps, inputIndex, face.faceIndex, face.faceCount);
  if (!DrawFaceMap(image, context, face, &svg, &handed->mapNote.error)) return;
  KeepDrawnMap(path, !request.maps.folder.empty(), std::move(svg), &handed->map,
               &handed->mapNote.error);
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
  if (!PrepareFont(loaded->mapped->bytes(), path, request.font, loaded)) {
    ReleaseImage(loaded);
    return;
  }
  if (!loaded->converted.bytes.empty()) loaded->mapped.reset();  // the image is the converted one
  if (!request.maps.file.empty() && !request.font.faceGiven && file.faceCount > 1) {
    file.fault.reason = MeasureReason::kFrontEnd;
    file.error = "--map draws one face, and the collection has " +
                 std::to_string(file.faceCount) + " faces (choose one with --face, or use --map-dir)";
    ReleaseImage(loaded);
  }
}

CommandFace MeasureLoadedFace(const LoadedFile& loaded, uint32_t faceIndex, size_t inputIndex,
                              const MeasureRequest& request) {
  CommandFace face;
  face.inputIndex = inputIndex;
  MeasuredFaceHook writeMap;
  if (WantsMaps(request.maps)) {
    writeMap = [&](ByteView image, MeasuringContext* context, FaceResult* result) {
      WriteMapOfFace(image, context, request, inputIndex, *result, &face);
    };
  }
  face.result = MeasurePreparedFace(loaded, faceIndex, request.font, writeMap);
  return face;
}

void CompleteCommandFaces(const LoadedFile& loaded, size_t inputIndex,
                          std::vector<CommandFace>* faces) {
  std::vector<FaceResult> results;
  for (CommandFace& face : *faces) results.push_back(std::move(face.result));
  CompleteFaceResults(loaded, &results);
  std::vector<CommandFace> complete(results.size());
  for (size_t k = 0; k < results.size(); ++k) {
    complete[k].result = std::move(results[k]);
    complete[k].inputIndex = inputIndex;
    if (k < loaded.sameAs.size()) {
      complete[k].map = (*faces)[loaded.sameAs[k]].map;
      complete[k].mapNote = (*faces)[loaded.sameAs[k]].mapNote;
    }
  }
  *faces = std::move(complete);
}

}  // namespace glyphcensus
