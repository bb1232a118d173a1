#include "cli/progress.h"

#include <cstdio>

#include "coverage/report_output_console.h"

void ShowProgress(void* user, const CharacterSet& set, int32_t chunk) {
  auto* progress = static_cast<Progress*>(user);
  if (!progress->onTerminal) return;
  std::fprintf(stderr, "\r%s: %s %d/%d\x1b[K", progress->path.c_str(),
               Utf16ToUtf8(set.label).c_str(), chunk + 1, set.chunkCount);
  std::fflush(stderr);
  progress->lineShown = true;
}

void ClearProgress(Progress* progress) {
  if (!progress->lineShown) return;
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
  progress->lineShown = false;
}
