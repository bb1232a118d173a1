#pragma once
// Requirements (--require ID[=N]) that fail a build when a face falls short.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/face_result.h"

struct Requirement {
  std::string setId;
  bool all = true;        // no count given: every character of the set
  int64_t count = 0;
};

// Parses "ID" or "ID=N" against the identifiers of the sets being measured.
// False with `error` for an unknown set or a count that is not a whole number.
bool ParseRequirement(const std::string& text, const std::vector<std::string>& setIds,
                      Requirement* requirement, std::string* error);

// One line per requirement the measured face does not meet ("path: face N:
// set: present of total, required R"); empty when it meets them all.
std::vector<std::string> UnmetRequirements(const FaceResult& face,
                                           const std::vector<Requirement>& requirements);
