#include "cli/exit_status.h"

namespace glyphcensus {

namespace {

int Seriousness(ExitStatus status) {
  switch (status) {
    case ExitStatus::kOk: return 0;
    case ExitStatus::kRequirementNotMet: return 1;
    case ExitStatus::kLostSinceBaseline: return 2;
    case ExitStatus::kMeasuredInPart: return 3;
    case ExitStatus::kNotMeasured: return 4;
    case ExitStatus::kOutputFailed: return 5;
    case ExitStatus::kUsage: return 6;
    case ExitStatus::kInterrupted: return 7;
  }
  return 0;
}

}  // namespace

ExitStatus MergeExitStatus(ExitStatus a, ExitStatus b) {
  return Seriousness(b) > Seriousness(a) ? b : a;
}

}  // namespace glyphcensus
