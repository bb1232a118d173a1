// glyphcensus: prints how much of each Japanese character repertoire a font
// file really draws, measured with FreeType. See `glyphcensus --help` and the
// README for the options and output formats.
//
// Each file is read whole, recognised by its first bytes (TrueType, OpenType,
// font collection, WOFF, WOFF2), converted to an sfnt font, and each face is
// measured once into a FaceResult that the chosen output format renders.
// Results go to stdout; errors and progress (only on a terminal) to stderr.
#include <signal.h>
#include <unistd.h>

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
#include "coverage/glyph_presence_freetype.h"

namespace {

void OnInterrupt(int) {
  StopMeasuring();
  std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the process at once
}

void InterruptOnCtrlC() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

// What the handed-on results say about the run.
struct RunOutcome {
  ExitStatus status = ExitStatus::Ok;
  int outputError = 0;  // the first write to stdout that failed
};

// Puts the face's map into place, writes its record, and notes what fell short.
void HandOn(RunPlan* plan, OutputWriter* writer, Progress* progress, FaceResult face,
            RunOutcome* outcome) {
  ClearProgress(progress);
  CommitMap(&plan->maps, &face);
  writer->Write(face);
  if (!Measured(face)) outcome->status = MergeExitStatus(outcome->status, ExitStatus::NotMeasured);
  if (!face.mapError.empty()) {
    ReportError(face.path, face.mapError);
    outcome->status = MergeExitStatus(outcome->status, ExitStatus::NotMeasured);
  }
  for (const std::string& line : UnmetRequirements(face, plan->requirements)) {
    std::fprintf(stderr, "glyphcensus: requirement not met: %s\n", TerminalSafe(line).c_str());
    outcome->status = MergeExitStatus(outcome->status, ExitStatus::RequirementNotMet);
  }
  // Nothing is measured for output that cannot be written.
  outcome->outputError = FlushOutput();
  if (outcome->outputError != 0) StopMeasuring();
}

ExitStatus Run(RunPlan* plan) {
  std::unique_ptr<OutputWriter> writer = MakeOutputWriter(plan->output);
  Progress progress;
  progress.onTerminal = isatty(STDERR_FILENO) != 0;
  RunOutcome outcome;
  if (!plan->allFoldersRead) outcome.status = ExitStatus::NotMeasured;
  if (plan->files.empty()) {
    std::fputs("glyphcensus: no font file found in the files and folders named\n", stderr);
    outcome.status = ExitStatus::NotMeasured;
  }
  const auto write = [&](const FaceResult& face) {
    HandOn(plan, writer.get(), &progress, face, &outcome);
  };
  const auto showProgress = [&](size_t done, size_t total, const std::string& next) {
    ShowProgress(&progress, done, total, next);
  };
  writer->Begin(plan->setIds);
  InterruptOnCtrlC();
  const bool complete =
      MeasureFilesInOrder(plan->files, plan->request, plan->jobs, write, showProgress);
  DiscardPendingMaps();
  ClearProgress(&progress);
  if (outcome.outputError != 0) {
    ReportOutputError(outcome.outputError);
    return MergeExitStatus(outcome.status, ExitStatus::OutputFailed);
  }
  if (!complete) {
    FlushOutput();
    std::fputs("glyphcensus: interrupted\n", stderr);
    return ExitStatus::Interrupted;
  }
  writer->End();
  if (const int error = FlushOutput()) {
    ReportOutputError(error);
    return MergeExitStatus(outcome.status, ExitStatus::OutputFailed);
  }
  return outcome.status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = ParseCommandLine(argc, argv, &options);
  if (parsed >= 0) return parsed;
  if (options.inkTest == "exact") SetFreeTypeInkShortcut(false);
  if (options.inkTest == "sampled") SetFreeTypeUnhintedJudging(UnhintedJudging::kWhenHintingIsDear);
  RunPlan plan;
  ExitStatus status = MakeRunPlan(options, &plan);
  if (status == ExitStatus::Ok) status = Run(&plan);
  return static_cast<int>(status);
}
