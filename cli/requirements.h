#pragma once
// Requirements (--require ID[=N]) that fail a build when a face falls short.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/results/face_result.h"

namespace glyphcensus {

struct Requirement {
  std::string setId;
  bool all = true;        // no count given: every character of the set
  int64_t count = 0;
};

// Parses "ID" or "ID=N" against the sets being measured: the whole text is
// first matched against the set ids (a --chars set's name may hold "="), then
// it is split at its last "=". False with `error` for an unknown set, a count
// that is not a whole number, or one above the set's total (which no face
// could meet).
bool ParseRequirement(const std::string& text, const std::vector<SetToMeasure>& sets,
                      Requirement* requirement, std::string* error);

// One line per requirement the measured face does not meet ("path: face N:
// set: present of total, required R"); empty when it meets them all.
std::vector<std::string> UnmetRequirements(const FaceResult& face,
                                           const std::vector<Requirement>& requirements);

}  // namespace glyphcensus
