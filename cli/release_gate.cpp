#include "cli/release_gate.h"

#include <cstdio>

#include "cli/map_files.h"
#include "cli/mapped_file.h"
#include "cli/output_writer.h"
#include "cli/scheduler.h"
#include "cli/terminal_text.h"
#include "coverage/output/baseline_reader.h"

namespace glyphcensus {

ExitStatus ReadBaselineFile(const std::string& path, ReleaseGate* gate) {
  const auto refuse = [&](const std::string& why) {
    std::fprintf(stderr, "glyphcensus: --baseline %s: %s\n", TerminalSafe(path).c_str(),
                 TerminalSafe(why).c_str());
    return ExitStatus::kUsage;
  };
  std::string reason;
  const std::unique_ptr<MappedFile> file = MapFontFile(path, &reason);
  if (file == nullptr) return refuse(reason);
  if (file->size > kMaxBaselineBytes) {
    return refuse("larger than the limit of " + std::to_string(kMaxBaselineBytes) + " bytes");
  }
  const std::string_view text(reinterpret_cast<const char*>(file->data), file->size);
  const BaselineReading reading = ReadBaseline(text, &gate->baseline);
  if (reading.refusal != BaselineRefusal::kNone) return refuse(BaselineRefusalWords(reading));
  gate->active = true;
  gate->met.assign(gate->baseline.faces.size(), false);
  return ExitStatus::kOk;
}

ExitStatus MeasureOldSide(const MeasureRequest& request, unsigned jobs, ReleaseGate* gate) {
  MeasureRequest old = request;
  old.maps = MapTarget();
  old.font.listMissing = true;
  ExitStatus status = ExitStatus::kOk;
  const auto keep = [&](const CommandFace& handed) {
    const FaceResult& face = handed.result;
    if (!Measured(face)) {
      ReportFaceError(face);
      status = ExitStatus::kNotMeasured;
    }
    gate->baseline.faces.push_back(BaselineOf(face));
    gate->baselineKeys.push_back(
        gate->twoFiles ? "" : PathBelowOperand(gate->oldOperand, gate->oldFiles[handed.inputIndex]));
  };
  const bool complete = MeasureFilesInOrder(gate->oldFiles, old, jobs, keep,
                                            [](size_t, size_t, const std::string&) {});
  gate->met.assign(gate->baseline.faces.size(), false);
  return complete ? status : ExitStatus::kInterrupted;
}

const BaselineFace* BaselineFaceFor(ReleaseGate* gate, const FaceResult& face, size_t inputIndex) {
  const BaselineFace* found = nullptr;
  if (gate->byPath) {
    const std::string& key = gate->newKeys[inputIndex];
    for (size_t k = 0; k < gate->baseline.faces.size() && found == nullptr; ++k) {
      const BaselineFace& candidate = gate->baseline.faces[k];
      if (gate->baselineKeys[k] == key && candidate.faceIndex == face.faceIndex) found = &candidate;
    }
    if (found != nullptr) gate->met[found - gate->baseline.faces.data()] = true;
    return found != nullptr && found->measured ? found : nullptr;
  }
  const bool oneFace = gate->oneInput && (gate->faceGiven || face.faceCount == 1);
  found = MatchBaselineFace(gate->baseline, BaselineOf(face), oneFace);
  if (found != nullptr) gate->met[found - gate->baseline.faces.data()] = true;
  return found;
}

std::vector<const BaselineFace*> GoneFaces(const ReleaseGate& gate) {
  std::vector<const BaselineFace*> gone;
  for (size_t k = 0; k < gate.baseline.faces.size(); ++k) {
    if (!gate.met[k]) gone.push_back(&gate.baseline.faces[k]);
  }
  return gone;
}

void ReportSetsNotCompared(const std::string& path, const FaceChanges& changes) {
  for (const SetLeftOut& set : changes.leftOut) {
    ReportError(path, "warning: the baseline's set '" + set.id + "' is not compared: " +
                          (set.why == NotCompared::kOtherMembers
                               ? "its total differs from the baseline's, so its members do too"
                               : "it was not measured (give its --chars file again)"));
  }
}

}  // namespace glyphcensus
