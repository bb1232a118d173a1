#pragma once
// Measuring one font file: every face of a collection, or the one asked for.
#include <string>
#include <vector>

#include "cli/face_result.h"
#include "coverage/face_measurement.h"

struct MeasureRequest {
  std::vector<SetToMeasure> sets;
  bool listMissing = false;
  bool faceGiven = false;   // measure only `face`
  uint32_t face = 0;
  ChunkHook hook = nullptr; // progress, before every chunk
  void* hookUser = nullptr;
};

// One result per measured face, in face order; a file that cannot be read,
// is refused, or has no such face gives one result with its error.
std::vector<FaceResult> MeasureFontFile(const std::string& path, const MeasureRequest& request);
