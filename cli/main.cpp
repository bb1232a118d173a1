// glyphcensus: prints how much of each Japanese character repertoire a font
// file really draws, measured with FreeType. See `glyphcensus --help` and the
// README for the options and output formats.
//
// Each file is read whole, recognised by its first bytes (TrueType, OpenType,
// font collection, WOFF, WOFF2), converted to an sfnt font, and each face is
// measured once into a FaceResult that the chosen output format renders.
// Results go to stdout; errors and progress (only on a terminal) to stderr.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/char_list.h"
#include "cli/font_inputs.h"
#include "cli/measure_file.h"
#include "cli/options.h"
#include "cli/output_writer.h"
#include "cli/progress.h"
#include "cli/requirements.h"
#include "cli/scheduler.h"
#include "coverage/glyph_presence_freetype.h"

namespace {

// The sets to measure: the chosen built-in sets in measuring order, then one
// per --chars file. `owned` holds the storage of the --chars sets.
bool ChooseSets(const Options& options, std::vector<std::unique_ptr<OwnedCharacterSet>>* owned,
                std::vector<CharacterSet>* views, std::vector<SetToMeasure>* sets) {
  for (const SetToMeasure& builtIn : BuiltInSets()) {
    bool wanted = !options.setsGiven;
    for (const std::string& id : options.setIds) wanted = wanted || id == builtIn.id;
    if (wanted) sets->push_back(builtIn);
  }
  views->reserve(options.charFiles.size());  // the sets point into it
  for (const std::string& path : options.charFiles) {
    std::vector<char32_t> characters;
    std::string error;
    if (!ReadCharListFile(path, &characters, &error)) {
      std::fprintf(stderr, "glyphcensus: %s: %s\n", path.c_str(), error.c_str());
      return false;
    }
    const std::string name = path.substr(path.find_last_of('/') + 1);
    owned->push_back(std::make_unique<OwnedCharacterSet>());
    MakeOwnedCharacterSet(Utf8ToUtf16(name), characters, owned->back().get());
    views->push_back(ViewOf(*owned->back()));
    sets->push_back(SetToMeasure{name, &views->back()});
  }
  return true;
}

bool ParseRequirements(const Options& options, const std::vector<SetToMeasure>& sets,
                       std::vector<Requirement>* requirements) {
  std::vector<std::string> ids;
  for (const SetToMeasure& set : sets) ids.push_back(set.id);
  for (const std::string& text : options.requirements) {
    Requirement requirement;
    std::string error;
    if (!ParseRequirement(text, ids, &requirement, &error)) {
      std::fprintf(stderr, "glyphcensus: %s\n", error.c_str());
      return false;
    }
    requirements->push_back(requirement);
  }
  return true;
}

// --map takes one font file (after folders are expanded); --map-dir a folder,
// made when it is missing.
bool CheckMapOptions(const Options& options, const std::vector<std::string>& files) {
  if (!options.mapFile.empty() && files.size() != 1) {
    std::fputs("glyphcensus: --map draws the map of one font file; use --map-dir for several\n",
               stderr);
    return false;
  }
  if (options.mapDir.empty()) return true;
  struct stat info;
  if (stat(options.mapDir.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
  if (mkdir(options.mapDir.c_str(), 0777) == 0) return true;
  std::fprintf(stderr, "glyphcensus: --map-dir %s: %s\n", options.mapDir.c_str(),
               std::strerror(errno));
  return false;
}

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

unsigned OnlineProcessors() {
  const long count = sysconf(_SC_NPROCESSORS_ONLN);
  return count > 0 ? static_cast<unsigned>(count) : 1u;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = ParseCommandLine(argc, argv, &options);
  if (parsed >= 0) return parsed;
  if (options.inkTest == "exact") SetFreeTypeUnhintedJudging(UnhintedJudging::kOff);
  if (options.inkTest == "unhinted") SetFreeTypeUnhintedJudging(UnhintedJudging::kAlways);

  std::vector<std::unique_ptr<OwnedCharacterSet>> owned;
  std::vector<CharacterSet> views;
  std::vector<SetToMeasure> sets;
  std::vector<Requirement> requirements;
  if (!ChooseSets(options, &owned, &views, &sets) ||
      !ParseRequirements(options, sets, &requirements)) {
    return kExitUsage;
  }

  bool allFoldersRead = true;
  const std::vector<std::string> files = ExpandFontInputs(
      options.files, FontInputOptions{options.recursive},
      [&](const std::string& folder, const std::string& reason) {
        ReportError(folder, reason);
        allFoldersRead = false;
      });
  if (!CheckMapOptions(options, files)) return kExitUsage;

  OutputSettings settings;
  settings.format = options.format;
  settings.listMissing = options.listMissing;
  settings.introduceFiles = files.size() > 1 || files != options.files;
  settings.introduceFaces = !options.faceGiven;
  std::unique_ptr<OutputWriter> writer = MakeOutputWriter(settings);
  std::vector<std::string> setIds;
  for (const SetToMeasure& set : sets) setIds.push_back(set.id);

  MeasureRequest request;
  request.sets = sets;
  request.listMissing = options.listMissing;
  request.faceGiven = options.faceGiven;
  request.face = options.face;
  request.mapFile = options.mapFile;
  request.mapDir = options.mapDir;

  Progress progress;
  progress.onTerminal = isatty(STDERR_FILENO) != 0;
  bool allMeasured = true;
  bool allMet = true;
  const auto write = [&](const FaceResult& face) {
    ClearProgress(&progress);
    writer->Write(face);
    allMeasured = allMeasured && Measured(face);
    if (!face.mapError.empty()) {
      ReportError(face.path, face.mapError);
      allMeasured = false;
    }
    for (const std::string& line : UnmetRequirements(face, requirements)) {
      std::fprintf(stderr, "glyphcensus: requirement not met: %s\n", line.c_str());
      allMet = false;
    }
  };
  const auto showProgress = [&](size_t done, size_t total, const std::string& next) {
    ShowProgress(&progress, done, total, next);
  };
  writer->Begin(setIds);
  InterruptOnCtrlC();
  const unsigned jobs = options.jobs != 0 ? options.jobs : OnlineProcessors();
  if (!MeasureFilesInOrder(files, request, jobs, write, showProgress)) {
    ClearProgress(&progress);
    std::fflush(stdout);
    std::fputs("glyphcensus: interrupted\n", stderr);
    return kExitInterrupted;
  }
  writer->End();
  if (!allMeasured || !allFoldersRead) return kExitNotMeasured;
  return allMet ? kExitOk : kExitRequirementNotMet;
}
