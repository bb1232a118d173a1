#pragma once
// One step from the parsed command line to what a run does: the sets, the
// requirements, the files (folders expanded), where maps go, the output
// settings and the number of threads. Every check that can refuse the command
// line is made here, before anything is measured.
#include <memory>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/map_files.h"
#include "cli/measure_file.h"
#include "cli/options.h"
#include "cli/output_writer.h"
#include "cli/release_gate.h"
#include "cli/requirements.h"
#include "coverage/results/face_measurement.h"

namespace glyphcensus {

struct RunPlan {
  // The storage of the --chars sets, which request.font.sets points into; a plan
  // is therefore filled in place and never moved.
  std::vector<std::unique_ptr<OwnedCharacterSet>> ownedSets;
  std::vector<CharacterSet> setViews;
  std::vector<std::string> setIds;    // the sets measured, in order
  std::vector<Requirement> requirements;
  std::vector<std::string> files;     // the inputs, folders expanded
  bool allFoldersRead = true;         // false when a folder could not be listed
  MeasureRequest request;
  MapCommits maps;                    // request.maps and the inputs maps must not replace
  OutputSettings output;
  unsigned jobs = 1;
  ReleaseGate gate;                   // --baseline, --compare
};

// Fills `plan` from `options`. Returns ExitStatus::kOk to run it, else the
// status to end with (a message has been written on stderr).
ExitStatus MakeRunPlan(const Options& options, RunPlan* plan);

}  // namespace glyphcensus
