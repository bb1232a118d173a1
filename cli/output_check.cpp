#include "cli/output_check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace glyphcensus {

int FlushOutput() {
  static int firstError = 0;
  if (firstError != 0) return firstError;
  // A printf that filled the buffer may have failed already: its error number
  // is still in errno, unless something since has changed it.
  const int earlier = errno;
  const bool failedEarlier = std::ferror(stdout) != 0;
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (failedEarlier) {
    firstError = earlier != 0 ? earlier : EIO;
  } else if (!flushed || std::ferror(stdout) != 0) {
    firstError = errno != 0 ? errno : EIO;
  }
  return firstError;
}

void ReportOutputError(int error) {
  if (error == EPIPE) return;
  std::fprintf(stderr, "glyphcensus: cannot write the output: %s\n", std::strerror(error));
}

}  // namespace glyphcensus
