// glyphcensus: prints how much of each Japanese character repertoire a font
// file really draws, measured with FreeType. See `glyphcensus --help` and the
// README for the options and output formats.
//
// Each file is read whole, recognised by its first bytes (TrueType, OpenType,
// font collection, WOFF, WOFF2), converted to an sfnt font, and each face is
// measured once into a FaceResult that the chosen output format renders.
// Results go to stdout; errors and progress (only on a terminal) to stderr.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/exit_status.h"
#include "cli/map_files.h"
#include "cli/options.h"
#include "cli/output_check.h"
#include "cli/output_writer.h"
#include "cli/progress.h"
#include "cli/run_plan.h"
#include "cli/scheduler.h"
#include "cli/terminal_text.h"
#include "coverage/presence/glyph_presence_freetype.h"

namespace glyphcensus {

namespace {

// A signal that ends the run at once (SIGTERM, SIGHUP, a second Ctrl-C):
// the temporary maps go, then the signal's own default action ends the process
// once the handler returns, so that the caller sees it killed by that signal.
void OnEndingSignal(int signal) {
  RemovePendingMapsOnSignal();
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);  // held until the handler returns
}

void OnSignal(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

void OnInterrupt(int) {
  StopMeasuring();
  OnSignal(SIGINT, OnEndingSignal);  // a second Ctrl-C ends the process at once
}

void HandleSignals() {
  OnSignal(SIGINT, OnInterrupt);
  OnSignal(SIGTERM, OnEndingSignal);
  OnSignal(SIGHUP, OnEndingSignal);
  // A reader that has gone is a failed write (EPIPE), which ends the run as
  // any lost output does: exit status 4, temporary maps removed.
  OnSignal(SIGPIPE, SIG_IGN);
}

// Descriptors 0-2 closed by the caller (`2>&-`) would be the next files
// opened, and messages or the report would land in a map: they are opened on
// /dev/null first. False when that cannot be done.
bool OpenStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd) return false;
  }
  return true;
}

// What the handed-on results say about the run.
struct RunOutcome {
  ExitStatus status = ExitStatus::kOk;
  int outputError = 0;  // the first write to stdout that failed
  // The input whose faces were last said to be measured in part: the faces of
  // one file come one after another, and the warning names the file once.
  bool warnedBefore = false;
  size_t lastWarnedInput = 0;
};

// A face measured only in part: the warning on stderr, once per file.
void NoteMeasuredInPart(const FaceResult& face, size_t inputIndex, RunOutcome* outcome) {
  outcome->status = MergeExitStatus(outcome->status, ExitStatus::kMeasuredInPart);
  if (outcome->warnedBefore && outcome->lastWarnedInput == inputIndex) return;
  outcome->warnedBefore = true;
  outcome->lastWarnedInput = inputIndex;
  ReportError(face.path, "warning: " + face.warning);
}

// Whether the face's sets include the vertical forms, whose setting needs
// vertical metrics.
bool MeasuresVerticalForms(const FaceResult& face) {
  for (const MeasuredSet& set : face.sets) {
    if (set.id == "vertical-forms") return true;
  }
  return false;
}

// --baseline, --compare: what the face lost and gained since its baseline
// face. False when it is not compared (said on stderr when it has no
// baseline face).
bool CompareWithItsBaseline(RunPlan* plan, const CommandFace& handed, FaceChanges* changes,
                            RunOutcome* outcome) {
  const FaceResult& face = handed.result;
  if (!plan->gate.active || !Measured(face)) return false;
  const BaselineFace* before = BaselineFaceFor(&plan->gate, face, handed.inputIndex);
  if (before == nullptr) {
    ReportError(face.path, plan->gate.byPath ? "warning: not in the old side, so not compared"
                                             : "warning: no face of the baseline has its family "
                                               "name and face index, so it is not compared");
    return false;
  }
  *changes = CompareWithBaseline(*before, face);
  ReportSetsNotCompared(face.path, *changes);
  if (HasLoss(*changes)) {
    outcome->status = MergeExitStatus(outcome->status, ExitStatus::kLostSinceBaseline);
  }
  return true;
}

// Writes the face's record and, once it has reached stdout, puts the face's
// map into place; notes what fell short.
void HandOn(RunPlan* plan, OutputWriter* writer, Progress* progress, CommandFace handed,
            RunOutcome* outcome) {
  ClearProgress(progress);
  FaceResult& face = handed.result;
  MapNote& map = handed.mapNote;
  ChooseMapPlace(&plan->maps, handed.inputIndex, handed.map, face, &map);
  FaceChanges changes;
  const bool compared = CompareWithItsBaseline(plan, handed, &changes, outcome);
  writer->Write(face, map, compared ? &changes : nullptr);
  // Nothing is measured, and no map replaces an old one, for output that
  // cannot be written.
  outcome->outputError = FlushOutput();
  std::string placeError;
  if (outcome->outputError == 0 && !PlaceMap(&plan->maps, handed.map, map.path, &placeError)) {
    map.error = placeError;
  }
  if (!Measured(face)) outcome->status = MergeExitStatus(outcome->status, ExitStatus::kNotMeasured);
  if (MeasuredInPart(face)) NoteMeasuredInPart(face, handed.inputIndex, outcome);
  if (MeasuresVerticalForms(face) && LacksVerticalMetrics(face)) {
    ReportError(face.path, "warning: the face has no 'vhea' and 'vmtx' tables, so renderers make up "
                           "its vertical advances");
  }
  if (!map.error.empty()) {
    ReportError(face.path, map.error);
    outcome->status = MergeExitStatus(outcome->status, ExitStatus::kNotMeasured);
  }
  for (const std::string& line : UnmetRequirements(face, plan->requirements)) {
    std::fprintf(stderr, "glyphcensus: requirement not met: %s\n", TerminalSafe(line).c_str());
    outcome->status = MergeExitStatus(outcome->status, ExitStatus::kRequirementNotMet);
  }
  if (outcome->outputError != 0) StopMeasuring();
}

// --compare: the old side's faces the new side lacks, each a loss.
void WriteGoneFaces(const ReleaseGate& gate, OutputWriter* writer, RunOutcome* outcome) {
  for (const BaselineFace* gone : GoneFaces(gate)) {
    writer->WriteGone(*gone);
    outcome->status = MergeExitStatus(outcome->status, ExitStatus::kLostSinceBaseline);
  }
}

ExitStatus Run(RunPlan* plan) {
  std::unique_ptr<OutputWriter> writer = MakeOutputWriter(plan->output);
  Progress progress;
  progress.onTerminal = isatty(STDERR_FILENO) != 0;
  RunOutcome outcome;
  if (!plan->allFoldersRead) outcome.status = ExitStatus::kNotMeasured;
  if (plan->files.empty()) {
    std::fputs("glyphcensus: no font file found in the files and folders named\n", stderr);
    outcome.status = ExitStatus::kNotMeasured;
  }
  const auto write = [&](const CommandFace& face) {
    HandOn(plan, writer.get(), &progress, face, &outcome);
  };
  const auto showProgress = [&](size_t done, size_t total, const std::string& next) {
    ShowProgress(&progress, done, total, next);
  };
  if (plan->gate.byPath) {
    const ExitStatus old = MeasureOldSide(plan->request, plan->jobs, &plan->gate);
    if (old == ExitStatus::kInterrupted) {
      std::fputs("glyphcensus: interrupted\n", stderr);
      return old;
    }
    outcome.status = MergeExitStatus(outcome.status, old);
  }
  writer->Begin(plan->setIds);
  const bool complete =
      MeasureFilesInOrder(plan->files, plan->request, plan->jobs, write, showProgress);
  DiscardPendingMaps();
  ClearProgress(&progress);
  if (outcome.outputError != 0) {
    ReportOutputError(outcome.outputError);
    return MergeExitStatus(outcome.status, ExitStatus::kOutputFailed);
  }
  if (!complete) {
    FlushOutput();
    std::fputs("glyphcensus: interrupted\n", stderr);
    return ExitStatus::kInterrupted;
  }
  if (plan->gate.byPath) WriteGoneFaces(plan->gate, writer.get(), &outcome);
  writer->End();
  if (const int error = FlushOutput()) {
    ReportOutputError(error);
    return MergeExitStatus(outcome.status, ExitStatus::kOutputFailed);
  }
  return outcome.status;
}

}  // namespace

}  // namespace glyphcensus

using namespace glyphcensus;

int main(int argc, char** argv) {
  if (!OpenStandardDescriptors()) return static_cast<int>(ExitStatus::kUsage);
  HandleSignals();
  Options options;
  const int parsed = ParseCommandLine(argc, argv, &options);
  if (parsed >= 0) return parsed;
  if (options.inkTest == "exact") SetFreeTypeInkShortcut(false);
  if (options.inkTest == "sampled") SetFreeTypeUnhintedJudging(UnhintedJudging::kWhenHintingIsDear);
  RunPlan plan;
  ExitStatus status = MakeRunPlan(options, &plan);
  if (status == ExitStatus::kOk) status = Run(&plan);
  return static_cast<int>(status);
}
