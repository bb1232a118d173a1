#pragma once
// The output formats of glyphcensus. Each writer renders the face results in
// the order it is given them, writing each as soon as it comes.
#include <memory>
#include <string>
#include <vector>

#include "coverage/results/face_result.h"
#include "cli/options.h"
#include "coverage/output/machine_formats.h"

namespace glyphcensus {

// kSchemaVersion, the version of the machine-readable layouts, is in
// coverage/output/machine_formats.h.

class OutputWriter {
 public:
  virtual ~OutputWriter() = default;
  // `setIds`: the sets every measured face reports, in order.
  virtual void Begin(const std::vector<std::string>& setIds) = 0;
  // `map`: where the face's coverage map goes, or why not (JSON only).
  // `changes`: what the face lost and gained since its baseline, when it was
  // compared with one (text and JSON; CSV and TSV give the counts alone).
  virtual void Write(const FaceResult& face, const MapNote& map, const FaceChanges* changes) = 0;
  // A face of the old side of --compare that the new side lacks.
  virtual void WriteGone(const BaselineFace&) {}
  virtual void End() = 0;
};

struct OutputSettings {
  OutputFormat format = OutputFormat::kText;
  bool listMissing = false;
  bool groupByReason = false;   // --why: the missing members under their reasons (text)
  bool introduceFiles = false;  // several inputs: each report names its file (text)
  bool introduceFaces = true;   // every face of a collection: each report names its face (text)
};

std::unique_ptr<OutputWriter> MakeOutputWriter(const OutputSettings& settings);

// Written on stderr for a face or file that could not be measured.
void ReportError(const std::string& path, const std::string& reason);
// The same for a face's record: its error, and which container rule refused
// the file when one did.
void ReportFaceError(const FaceResult& face);

// Renderers, one per format.
std::unique_ptr<OutputWriter> MakeTextWriter(const OutputSettings& settings);
std::unique_ptr<OutputWriter> MakeJsonWriter(const OutputSettings& settings, bool lines);
std::unique_ptr<OutputWriter> MakeDelimitedWriter(const OutputSettings& settings, char delimiter);

}  // namespace glyphcensus
