#pragma once
// Measuring font files: reading and converting a file once, then measuring
// each of its faces, possibly on several threads at once.
#include <memory>
#include <string>
#include <vector>

#include "cli/face_result.h"
#include "cli/map_files.h"
#include "coverage/face_measurement.h"
#include "cli/mapped_file.h"
#include "fontio/font_image.h"

struct MeasureRequest {
  std::vector<SetToMeasure> sets;
  bool listMissing = false;
  bool faceGiven = false;   // measure only `face`
  uint32_t face = 0;
  MapTarget maps;           // where coverage maps go, if anywhere
  // Threads for the glyphs of a file's only face (the sets of one face are
  // then judged in parallel; the counts stay the same).
  unsigned faceThreads = 1;
};

// A file read and converted, with the faces to measure.
struct LoadedFile {
  FaceResult file;                // path, container, face count; error when not loaded
  // The image: the mapped file itself for fonts and collections, a converted
  // image for WOFF and WOFF2. Empty unless loaded.
  std::unique_ptr<MappedFile> mapped;
  FontImage converted;
  MutableByteView image;
  bool woff2Damaged = false;      // the WOFF2 decoder refused the file (see MeasureLoadedFace)
  std::vector<uint32_t> faces;    // the face indexes to measure, in order
  // For each entry of `faces`: the position in `faces` of an earlier face with
  // the same table directory (whose result it shares), or its own position.
  std::vector<size_t> sameAs;
  // Set when the collection lists more faces than are measured: the result
  // that says so, handed on after the measured faces.
  bool facesLeftOut = false;
  FaceResult leftOut;
};

// The most faces of one collection that are measured. Real collections hold a
// few dozen at most; a file listing thousands (of one font, say) would
// otherwise cost as many measurements and reports.
constexpr uint32_t kMaxFacesPerFile = 256;

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
