#pragma once
// Progress on stderr, shown only when stderr is a terminal: one line that is
// rewritten in place, with the files done of the files found and the file
// being measured.
#include <cstddef>
#include <string>

namespace glyphcensus {

struct Progress {
  bool onTerminal = false;
  bool lineShown = false;
};

// Shows "[done/total] path", or removes the line when `next` is empty.
void ShowProgress(Progress* progress, size_t done, size_t total, const std::string& next);

// Removes the line, if one is shown.
void ClearProgress(Progress* progress);

}  // namespace glyphcensus
