#pragma once
// Measuring many files on several threads, with results handed on in input
// order: each as soon as everything before it has been handed on.
#include <functional>
#include <string>
#include <vector>

#include "coverage/results/face_result.h"
#include "cli/measure_file.h"

namespace glyphcensus {

// Called on the calling thread, in input order, for every face result.
using ResultSink = std::function<void(const CommandFace&)>;
// Called on the calling thread after each file's results: files done, files in
// all, and the next file in order (empty at the end).
using ProgressSink = std::function<void(size_t done, size_t total, const std::string& next)>;

// Measures `paths` with `jobs` threads (at least 1). Files, and the faces of a
// collection, are measured in parallel; at most `jobs` images are held at once,
// and at most a few times `jobs` files are measured ahead of the one whose
// results are due. False when StopMeasuring ended it early: results finished
// before the stop have been handed on, no later ones.
bool MeasureFilesInOrder(const std::vector<std::string>& paths, const MeasureRequest& request,
                         unsigned jobs, const ResultSink& results, const ProgressSink& progress);

// Asks the measurement to end at once. Safe in a signal handler.
void StopMeasuring();

}  // namespace glyphcensus
