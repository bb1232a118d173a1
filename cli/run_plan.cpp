#include "cli/run_plan.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/char_list_file.h"
#include "cli/cpu_count.h"
#include "cli/font_inputs.h"
#include "cli/terminal_text.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

ExitStatus Refuse(const std::string& message) {
  std::fprintf(stderr, "glyphcensus: %s\n", TerminalSafe(message).c_str());
  return ExitStatus::kUsage;
}

// A --chars set's id is its file name. Ids must be unique, or the columns,
// records and requirements of two sets could not be told apart.
ExitStatus CheckSetIdIsNew(const RunPlan& plan, const std::vector<std::string>& charFiles,
                           size_t builtInCount, const std::string& path, const std::string& id) {
  for (size_t k = 0; k < plan.request.font.sets.size(); ++k) {
    if (plan.request.font.sets[k].id != id) continue;
    if (k < builtInCount) {
      return Refuse("--chars " + path + ": the set would be named '" + id +
                    "', which is a built-in set's id (rename the file, or leave the built-in "
                    "set out with --sets)");
    }
    return Refuse("--chars " + path + ": the set would be named '" + id + "', as is --chars " +
                  charFiles[k - builtInCount] + " (set names must differ)");
  }
  return ExitStatus::kOk;
}

// The chosen built-in sets in measuring order, then one per --chars file.
// Every set the baseline holds is measured too, and --compare measures every
// built-in set unless --sets says otherwise.
ExitStatus ChooseSets(const Options& options, RunPlan* plan) {
  std::vector<SetToMeasure>& sets = plan->request.font.sets;
  std::vector<std::string> chosen = options.setIds;
  if (!options.setsGiven) chosen.push_back(options.compare ? "all" : "dialog");
  if (plan->gate.active) {
    const std::vector<std::string> held = BaselineSetIds(plan->gate.baseline);
    chosen.insert(chosen.end(), held.begin(), held.end());
  }
  for (const SetToMeasure& builtIn : AllBuiltInSets()) {
    const char* group = builtIn.group == SetGroup::kDialog ? "dialog" : "extended";
    bool wanted = false;
    for (const std::string& id : chosen) {
      wanted = wanted || id == builtIn.id || id == group || id == "all";
    }
    if (wanted) sets.push_back(builtIn);
  }
  const size_t builtInCount = sets.size();
  plan->setViews.reserve(options.charFiles.size());  // the sets point into it
  for (const std::string& path : options.charFiles) {
    std::vector<char32_t> characters;
    std::string error;
    if (!ReadCharListFile(path, &characters, &error)) return Refuse(path + ": " + error);
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const ExitStatus clash = CheckSetIdIsNew(*plan, options.charFiles, builtInCount, path, name);
    if (clash != ExitStatus::kOk) return clash;
    plan->ownedSets.push_back(std::make_unique<OwnedCharacterSet>());
    MakeOwnedCharacterSet(Utf8ToUtf16(name), characters, plan->ownedSets.back().get());
    plan->setViews.push_back(ViewOf(*plan->ownedSets.back()));
    sets.push_back(SetToMeasure{name, &plan->setViews.back()});
  }
  for (const SetToMeasure& set : sets) plan->setIds.push_back(set.id);
  return ExitStatus::kOk;
}

ExitStatus ParseRequirements(const Options& options, RunPlan* plan) {
  for (const std::string& text : options.requirements) {
    Requirement requirement;
    std::string error;
    if (!ParseRequirement(text, plan->request.font.sets, &requirement, &error)) return Refuse(error);
    plan->requirements.push_back(requirement);
  }
  return ExitStatus::kOk;
}

// The folders expanded; each file's path below its operand names its map,
// and its file in the old folder of --compare.
void ExpandInputs(const Options& options, const std::vector<std::string>& operands, RunPlan* plan) {
  for (const std::string& operand : operands) {
    const std::vector<std::string> found = ExpandFontInputs(
        {operand}, FontInputOptions{options.recursive},
        [&](const std::string& folder, const std::string& reason) {
          ReportError(folder, reason);
          plan->allFoldersRead = false;
        });
    for (const std::string& file : found) {
      plan->files.push_back(file);
      if (plan->gate.byPath) {
        plan->gate.newKeys.push_back(plan->gate.twoFiles ? "" : PathBelowOperand(operand, file));
      }
      if (!options.mapDir.empty()) {
        plan->request.maps.names.push_back(PathBelowOperand(operand, file));
      }
    }
  }
}

// --map takes one font file; --map-dir a folder, made when it is missing.
ExitStatus CheckMapPlaces(const Options& options, const std::vector<std::string>& files) {
  if (!options.mapFile.empty() && files.size() != 1) {
    return Refuse("--map draws the map of one font file; use --map-dir for several");
  }
  if (options.mapDir.empty()) return ExitStatus::kOk;
  struct stat info;
  if (stat(options.mapDir.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return ExitStatus::kOk;
    return Refuse("--map-dir " + options.mapDir + ": not a folder");
  }
  if (mkdir(options.mapDir.c_str(), 0777) == 0) return ExitStatus::kOk;
  return Refuse("--map-dir " + options.mapDir + ": " + std::strerror(errno));
}

// No map may replace an input, nor go to a folder, a socket or a block device:
// refused here for the maps whose place is known before the files are read (a
// face of a collection is checked again when its map is put into place).
ExitStatus CheckMapsSpareInputs(RunPlan* plan) {
  if (!WantsMaps(plan->request.maps)) return ExitStatus::kOk;
  for (const std::vector<std::string>* files : {&plan->files, &plan->gate.oldFiles}) {
    for (const std::string& file : *files) {
      FileIdentity identity;
      if (IdentityOf(file, &identity)) plan->maps.inputs.emplace(identity, file);
    }
  }
  for (size_t k = 0; k < plan->files.size(); ++k) {
    const std::string mapPath = MapPathOf(plan->request.maps, k, 0, 1);
    std::string refusal;
    if (MapPlaceKindOf(mapPath, &refusal) == MapPlaceKind::kRefused) return Refuse(refusal);
    FileIdentity identity;
    if (!IdentityOf(mapPath, &identity)) continue;
    const auto input = plan->maps.inputs.find(identity);
    if (input != plan->maps.inputs.end()) {
      return Refuse("the coverage map " + mapPath + " would replace the input " + input->second);
    }
  }
  return ExitStatus::kOk;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// --compare OLD NEW: the old side's files, found as the new side's are.
ExitStatus PlanComparison(const Options& options, RunPlan* plan) {
  ReleaseGate& gate = plan->gate;
  const std::string& old = options.files[0];
  const std::string& now = options.files[1];
  if (IsFolder(old) != IsFolder(now)) {
    return Refuse("--compare takes two font files or two folders, not " + old + " and " + now);
  }
  gate.active = true;
  gate.byPath = true;
  gate.twoFiles = !IsFolder(old);
  gate.oldOperand = old;
  gate.oldFiles = ExpandFontInputs({old}, FontInputOptions{options.recursive},
                                   [&](const std::string& folder, const std::string& reason) {
                                     ReportError(folder, reason);
                                     plan->allFoldersRead = false;
                                   });
  return ExitStatus::kOk;
}

}  // namespace

ExitStatus MakeRunPlan(const Options& options, RunPlan* plan) {
  ExitStatus status = ExitStatus::kOk;
  if (!options.baselineFile.empty()) status = ReadBaselineFile(options.baselineFile, &plan->gate);
  if (status == ExitStatus::kOk && options.compare) status = PlanComparison(options, plan);
  if (status == ExitStatus::kOk) status = ChooseSets(options, plan);
  if (status == ExitStatus::kOk) status = ParseRequirements(options, plan);
  if (status != ExitStatus::kOk) return status;
  // A face is compared with its baseline by its missing members.
  plan->request.font.listMissing = options.listMissing || plan->gate.active;
  plan->request.font.faceGiven = options.faceGiven;
  plan->request.font.face = options.face;
  plan->request.font.program = "glyphcensus";
  plan->request.maps.file = options.mapFile;
  plan->request.maps.folder = options.mapDir;
  const std::vector<std::string> operands =
      options.compare ? std::vector<std::string>{options.files[1]} : options.files;
  ExpandInputs(options, operands, plan);
  plan->gate.oneInput = plan->files.size() == 1;
  plan->gate.faceGiven = options.faceGiven;
  status = CheckMapPlaces(options, plan->files);
  if (status == ExitStatus::kOk) status = CheckMapsSpareInputs(plan);
  if (status != ExitStatus::kOk) return status;
  plan->maps.target = plan->request.maps;
  plan->output.format = options.format;
  plan->output.listMissing = options.listMissing;
  plan->output.groupByReason = options.groupByReason;
  plan->output.introduceFiles = plan->files.size() > 1 || plan->files != operands;
  plan->output.introduceFaces = !options.faceGiven;
  plan->jobs = options.jobs != 0 ? options.jobs : UsableProcessors();
  return ExitStatus::kOk;
}

}  // namespace glyphcensus
