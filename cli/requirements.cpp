#include "cli/requirements.h"

#include <algorithm>
#include <cstdint>

namespace glyphcensus {

namespace {

const SetToMeasure* FindSet(const std::vector<SetToMeasure>& sets, const std::string& id) {
  for (const SetToMeasure& set : sets) {
    if (set.id == id) return &set;
  }
  return nullptr;
}

}  // namespace

bool ParseRequirement(const std::string& text, const std::vector<SetToMeasure>& sets,
                      Requirement* requirement, std::string* error) {
  const size_t equals = text.rfind('=');
  const bool whole = FindSet(sets, text) != nullptr;
  requirement->setId = whole ? text : text.substr(0, equals);
  requirement->all = whole || equals == std::string::npos;
  const SetToMeasure* set = FindSet(sets, requirement->setId);
  if (set == nullptr) {
    *error = "--require " + text + ": no set '" + requirement->setId +
             "' is measured (see --sets and --chars)";
    return false;
  }
  if (requirement->all) return true;
  const std::string count = text.substr(equals + 1);
  if (count.empty() ||
      !std::all_of(count.begin(), count.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    *error = "--require " + text + ": the count must be a whole number";
    return false;
  }
  // Any count of more digits than a total can have is too large as well.
  const std::string digits = count.substr(std::min(count.find_first_not_of('0'), count.size()));
  requirement->count = digits.size() > 10 ? INT64_MAX : std::stoll("0" + digits);
  if (requirement->count > SetTotal(*set)) {
    *error = "--require " + text + ": the count is too large: the set '" + set->id + "' has " +
             std::to_string(SetTotal(*set)) +
             (set->sequences != nullptr ? " sequences" : " characters");
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

}  // namespace glyphcensus
