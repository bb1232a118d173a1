#pragma once
// What is known of one face after measuring it: the record the entry point
// (measure_font.h) returns and every output format renders. Plain data.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/results/face_measurement.h"
#include "coverage/results/measure_reason.h"
#include "fontio/face_name.h"
#include "fontio/sfnt_tables.h"

namespace glyphcensus {

struct FaceResult {
  std::string path;       // as given, or as found in a folder
  std::string container;  // "ttf", "otf", "ttc", "woff", "woff2"; empty when not recognised
  bool faceKnown = false; // the face index below is meaningful
  uint32_t faceIndex = 0;
  uint32_t faceCount = 0; // faces of the file (0 when not recognised)
  bool nameRead = false;  // familyName was read from the face's naming table
  FaceName familyName;
  std::vector<MeasuredSet> sets;  // empty unless measured
  MeasureFault fault;     // why the face (or file) could not be measured
  std::string error;      // the same in words; empty when it was measured
  // Measured, but only in part (the WOFF2 decoder refused the file, and the
  // counts are of what it decoded): why, and the same in words (empty when
  // the face was measured whole or not at all).
  PartialMeasure partial = PartialMeasure::kWhole;
  std::string warning;
  // Which vertical metrics tables the face has (read once its name is).
  bool verticalMetricsRead = false;
  VerticalMetricsTables verticalMetrics;
};

// A face without 'vhea' or 'vmtx': renderers make its vertical advances up.
// A fact to warn of where vertical forms are measured, not a count.
inline bool LacksVerticalMetrics(const FaceResult& result) {
  return result.verticalMetricsRead && !(result.verticalMetrics.vhea && result.verticalMetrics.vmtx);
}

// Every fault has its reason (kFrontEnd for the front end's own words).
inline bool Measured(const FaceResult& result) {
  return result.fault.reason == MeasureReason::kMeasured;
}

inline bool MeasuredInPart(const FaceResult& result) {
  return Measured(result) && !result.warning.empty();
}

}  // namespace glyphcensus
