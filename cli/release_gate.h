#pragma once
// The release gate of glyphcensus: each face held to a baseline face, read
// from an earlier build's JSON report (--baseline) or measured from the old
// side of --compare, and what it lost and gained since.
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/measure_file.h"
#include "coverage/results/release_comparison.h"

namespace glyphcensus {

struct ReleaseGate {
  bool active = false;
  // --compare: faces are matched by their file's path below OLD and NEW (the
  // empty path for two font files) and their face index; --baseline: by
  // family name and face index.
  bool byPath = false;
  bool twoFiles = false;  // --compare of two font files: their faces are matched by index alone
  Baseline baseline;
  std::vector<std::string> baselineKeys;  // --compare: each baseline face's path below OLD
  std::vector<bool> met;                  // each baseline face matched by a face measured
  // --compare: the old side's operand and font files.
  std::string oldOperand;
  std::vector<std::string> oldFiles;
  // The new side: each input's path below its operand (--compare), and
  // whether the run measures one face only (--baseline's one-face rule).
  std::vector<std::string> newKeys;
  bool oneInput = false;
  bool faceGiven = false;
};

// A baseline larger than this is refused; a report of every set of ten
// thousand faces with everything missing stays below it.
constexpr size_t kMaxBaselineBytes = size_t{1} << 30;

// --baseline FILE: reads and checks the report. kOk, or kUsage after a
// message on stderr saying why it is refused and how to write one.
ExitStatus ReadBaselineFile(const std::string& path, ReleaseGate* gate);

// --compare: measures the old side's files into the baseline (no maps, the
// missing members listed). Faces it cannot measure are said on stderr. The
// status: kOk, kNotMeasured when a face of the old side was not measured, or
// kInterrupted.
ExitStatus MeasureOldSide(const MeasureRequest& request, unsigned jobs, ReleaseGate* gate);

// The baseline face a measured face of input `inputIndex` is held to (marked
// as met), or null.
const BaselineFace* BaselineFaceFor(ReleaseGate* gate, const FaceResult& face, size_t inputIndex);

// --compare: the faces of the old side that no face of the new side met.
std::vector<const BaselineFace*> GoneFaces(const ReleaseGate& gate);

// Says on stderr which of the baseline's sets were not compared, and why.
void ReportSetsNotCompared(const std::string& path, const FaceChanges& changes);

}  // namespace glyphcensus
