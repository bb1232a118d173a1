#include "cli/requirements.h"

#include <algorithm>

bool ParseRequirement(const std::string& text, const std::vector<std::string>& setIds,
                      Requirement* requirement, std::string* error) {
  const size_t equals = text.rfind('=');
  requirement->setId = text.substr(0, equals);
  requirement->all = equals == std::string::npos;
  if (!requirement->all) {
    const std::string count = text.substr(equals + 1);
    if (count.empty() || count.size() > 9 ||
        !std::all_of(count.begin(), count.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      *error = "--require " + text + ": the count must be a whole number";
      return false;
    }
    requirement->count = std::stoll(count);
  }
  if (std::find(setIds.begin(), setIds.end(), requirement->setId) == setIds.end()) {
    *error = "--require " + text + ": no set '" + requirement->setId +
             "' is measured (see --sets and --chars)";
    return false;
  }
  return true;
}

std::vector<std::string> UnmetRequirements(const FaceResult& face,
                                           const std::vector<Requirement>& requirements) {
  std::vector<std::string> lines;
  for (const Requirement& requirement : requirements) {
    for (const MeasuredSet& set : face.sets) {
      if (set.id != requirement.setId) continue;
      const int64_t needed = requirement.all ? set.total : requirement.count;
      if (set.present >= needed) continue;
      lines.push_back(face.path + ": face " + std::to_string(face.faceIndex) + ": " + set.id +
                      ": " + std::to_string(set.present) + " of " + std::to_string(set.total) +
                      ", required " + (requirement.all ? "all " : "") +
                      std::to_string(needed));
    }
  }
  return lines;
}
