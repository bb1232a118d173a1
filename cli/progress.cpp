#include "cli/progress.h"

#include <cstdio>

#include "cli/terminal_text.h"

namespace glyphcensus {

void ShowProgress(Progress* progress, size_t done, size_t total, const std::string& next) {
  if (!progress->onTerminal) return;
  if (next.empty()) {
    ClearProgress(progress);
    return;
  }
  std::fprintf(stderr, "\r[%zu/%zu] %s\x1b[K", done, total, TerminalSafe(next).c_str());
  std::fflush(stderr);
  progress->lineShown = true;
}

void ClearProgress(Progress* progress) {
  if (!progress->lineShown) return;
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
  progress->lineShown = false;
}

}  // namespace glyphcensus
