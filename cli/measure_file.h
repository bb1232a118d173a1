#pragma once
// Measuring font files: reading and converting a file once, then measuring
// each of its faces, possibly on several threads at once.
#include <memory>
#include <string>
#include <vector>

#include "cli/map_files.h"
#include "cli/mapped_file.h"
#include "coverage/face_measurement.h"
#include "coverage/face_result.h"
#include "coverage/measure_font.h"
#include "coverage/stop_token.h"

struct MeasureRequest {
  std::vector<SetToMeasure> sets;
  bool listMissing = false;
  bool faceGiven = false;   // measure only `face`
  uint32_t face = 0;
  MapTarget maps;           // where coverage maps go, if anywhere
  // Threads for the glyphs of a file's only face (the sets of one face are
  // then judged in parallel; the counts stay the same).
  unsigned faceThreads = 1;
  const StopToken* stop = nullptr;  // the scheduler's
};

// A file read and converted, with the faces to measure (measure_font.h).
struct LoadedFile : PreparedFont {
  // The mapped file: the image itself for fonts and collections; freed once a
  // WOFF or WOFF2 is converted.
  std::unique_ptr<MappedFile> mapped;
};

// Reads and converts the file. When it cannot be measured at all (unreadable,
// refused, no such face), `loaded->faces` is empty and `loaded->file.error`
// says why.
void LoadFontFile(const std::string& path, const MeasureRequest& request, LoadedFile* loaded);

// Frees the image of a loaded file.
void ReleaseImage(LoadedFile* loaded);

// Measures one face of a loaded file. Several threads may measure faces of
// one loaded file at once: the image is only read.
FaceResult MeasureLoadedFace(const LoadedFile& loaded, uint32_t faceIndex,
                             const MeasureRequest& request);
