#pragma once
// Progress on stderr, shown only when stderr is a terminal: one line that is
// rewritten in place, naming the file and the set being measured.
#include <string>

#include "coverage/character_sets.h"

struct Progress {
  bool onTerminal = false;
  bool lineShown = false;
  std::string path;  // the file being measured
};

// A ChunkHook: shows "<path>: <set label> k/N" before chunk k of N.
void ShowProgress(void* progress, const CharacterSet& set, int32_t chunk);

// Removes the line, if one is shown.
void ClearProgress(Progress* progress);
