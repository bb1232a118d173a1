#pragma once
// Measuring font files: reading and converting a file once, then measuring
// each of its faces, possibly on several threads at once.
#include <memory>
#include <string>
#include <vector>

#include "cli/map_files.h"
#include "cli/mapped_file.h"
#include "coverage/results/face_measurement.h"
#include "coverage/results/face_result.h"
#include "coverage/measure_font.h"
#include "coverage/presence/stop_token.h"

namespace glyphcensus {

// What a run asks of every file: the core's request (sets, faces, threads for
// a file's only face, the scheduler's stop token) and where maps go.
struct MeasureRequest {
  FontRequest font;
  MapTarget maps;           // where coverage maps go, if anywhere
};

// A face's record as the command hands it on: the core's record, and what the
// command keeps beside it.
struct CommandFace {
  FaceResult result;
  size_t inputIndex = 0;    // the position of the file among the inputs
  PendingMap map;           // the map drawn, until the face is handed on
  MapNote mapNote;          // where the map goes, or why it does not
};

// A file read and converted, with the faces to measure (measure_font.h).
struct LoadedFile : PreparedFont {
  // The mapped file: the image itself for fonts and collections; freed once a
  // WOFF or WOFF2 is converted.
  std::unique_ptr<MappedFile> mapped;
};

// Reads and converts the file. When it cannot be measured at all (unreadable,
// refused, no such face), `loaded->faces` is empty and `loaded->file` says why.
void LoadFontFile(const std::string& path, const MeasureRequest& request, LoadedFile* loaded);

// Frees the image of a loaded file.
void ReleaseImage(LoadedFile* loaded);

// Measures one face of a loaded file. Several threads may measure faces of
// one loaded file at once: the image is only read.
CommandFace MeasureLoadedFace(const LoadedFile& loaded, uint32_t faceIndex, size_t inputIndex,
                              const MeasureRequest& request);

// The records of a file whose faces are all measured, in face order: each face
// listed again shares the record and map of the face it repeats (measure_font.h,
// CompleteFaceResults), and a record of faces left out may follow.
void CompleteCommandFaces(const LoadedFile& loaded, size_t inputIndex,
                          std::vector<CommandFace>* faces);

}  // namespace glyphcensus
