#pragma once
// The one entry point for a front end: the faces of a font file measured into
// result records (face_result.h), plain data in and out. Bytes in: no files,
// no output, and no threads unless asked for. The caller owns the stop token
// and renders the records (report_lines.h, machine_formats.h, map_svg.h).
//
// MeasureFontFile does it all at once. A front end that measures the faces of
// a file on several threads, or draws a map with a face's context, uses the
// steps below it: PrepareFont once, then MeasurePreparedFace for each face.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "coverage/results/face_measurement.h"
#include "coverage/results/face_result.h"
#include "coverage/presence/glyph_presence.h"
#include "coverage/presence/glyph_presence_freetype.h"
#include "coverage/results/measure_reason.h"
#include "coverage/presence/stop_token.h"
#include "fontio/big_endian_reader.h"
#include "fontio/font_image.h"

namespace glyphcensus {

struct FontRequest {
  std::vector<SetToMeasure> sets;   // measured in this order
  bool listMissing = false;         // fill MeasuredSet::missing
  bool faceGiven = false;           // measure only `face`
  uint32_t face = 0;
  const StopToken* stop = nullptr;  // null: never stopped
  // Threads for the glyphs of a file's only face (1: none started; the
  // counts are the same either way).
  unsigned faceThreads = 1;
  // The program named in the words of reasons ("not a font file <program> reads").
  std::string program;
};

// The most faces of one collection that are measured. Real collections hold a
// few dozen at most; a file listing thousands (of one font, say) would
// otherwise cost as many measurements and reports.
constexpr uint32_t kMaxFacesPerFile = 256;

// A font file made ready to measure.
struct PreparedFont {
  FaceResult file;                // path, container, face count; the fault when not prepared
  FontImage converted;            // the image of a WOFF or WOFF2 file
  MutableByteView image;          // the file itself for fonts and collections, else `converted`
  bool woff2Refused = false;      // the WOFF2 decoder refused the file (see MeasureReason)
  PartialMeasure partial = PartialMeasure::kWhole;  // what a face measured from it is
  std::vector<uint32_t> faces;    // the face indexes to measure, in order
  // For each entry of `faces`: the position in `faces` of an earlier face with
  // the same table directory (whose result it shares), or its own position.
  std::vector<size_t> sameAs;
  // Set when the collection lists more faces than are measured: the result
  // that says so, handed on after the measured faces.
  bool facesLeftOut = false;
  FaceResult leftOut;
  // The verdicts shared by the faces of a collection that load their glyphs
  // alike; null for a single face.
  std::unique_ptr<SharedVerdicts, void (*)(SharedVerdicts*)> sharedVerdicts{nullptr,
                                                                             ReleaseSharedVerdicts};
};

// Recognises the file, converts a web font, readies the image for the glyph
// test (writing into `file` for fonts and collections, which must then
// outlive `font`) and lists the faces to measure. False, with `font->faces`
// empty and `font->file` saying why, when nothing of it can be measured.
bool PrepareFont(MutableByteView file, const std::string& path, const FontRequest& request,
                 PreparedFont* font);

// Frees the converted image and forgets the faces.
void ReleasePreparedFont(PreparedFont* font);

// Called with the face's open measuring context after its sets are counted,
// before the context is closed (the command draws its coverage map there).
using MeasuredFaceHook = std::function<void(ByteView image, MeasuringContext* context,
                                            FaceResult* face)>;

// Measures one face of a prepared font. Several threads may measure faces of
// one prepared font at once: the image is only read.
FaceResult MeasurePreparedFace(const PreparedFont& font, uint32_t faceIndex,
                               const FontRequest& request,
                               const MeasuredFaceHook& afterSets = nullptr);

// Copies the result of each face listed again from the face it repeats, and
// appends the result that says which faces were left out.
void CompleteFaceResults(const PreparedFont& font, std::vector<FaceResult>* results);

// All at once: one record per face measured, in face order, then one that says
// which faces of a large collection were left out; a single record with the
// fault when the file cannot be measured. A stop leaves the faces not yet
// measured out.
std::vector<FaceResult> MeasureFontFile(MutableByteView file, const std::string& path,
                                        const FontRequest& request);

}  // namespace glyphcensus
