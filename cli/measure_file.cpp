#include "cli/measure_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/font_file.h"
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

// "<font file name>.svg", or "<font file name>.<face>.svg" for a face of a
// collection, in the map folder.
std::string MapPathInFolder(const std::string& folder, const FaceResult& face) {
  std::string name = face.path.substr(face.path.find_last_of('/') + 1);
  if (face.faceCount > 1) name += "." + std::to_string(face.faceIndex);
  return folder + (folder.back() == '/' ? "" : "/") + name + ".svg";
}

// Writes the coverage map of a measured face, measured with its own context.
void WriteMapOfFace(ByteView image, MeasuringContext* context, const MeasureRequest& request,
                    FaceResult* face) {
  std::string svg;
  const std::string path =
      request.mapFile.empty() ? MapPathInFolder(request.mapDir, *face) : request.mapFile;
  if (!DrawFaceMap(image, context, face, &svg)) return;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  const bool written = file != nullptr && std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
  const int error = errno;
  if (file != nullptr && std::fclose(file) != 0 && written) {
    face->mapError = path + ": " + std::strerror(errno);
    return;
  }
  if (!written) {
    face->mapError = "cannot write the coverage map " + path + ": " + std::strerror(error);
    return;
  }
  face->mapPath = path;
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
  if (!request.mapFile.empty() && !request.faceGiven && file.faceCount > 1) {
    file.fault.reason = MeasureReason::kFrontEnd;
    file.error = "--map draws one face, and the collection has " +
                 std::to_string(file.faceCount) + " faces (choose one with --face, or use --map-dir)";
    ReleaseImage(loaded);
  }
}

FaceResult MeasureLoadedFace(const LoadedFile& loaded, uint32_t faceIndex,
                             const MeasureRequest& request) {
  MeasuredFaceHook writeMap;
  if (!request.mapFile.empty() || !request.mapDir.empty()) {
    writeMap = [&request](ByteView image, MeasuringContext* context, FaceResult* face) {
      WriteMapOfFace(image, context, request, face);
    };
  }
  return MeasurePreparedFace(loaded, faceIndex, FontRequestOf(request), writeMap);
}
