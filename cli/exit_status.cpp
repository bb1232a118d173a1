#include "cli/exit_status.h"

namespace {

int Seriousness(ExitStatus status) {
  switch (status) {
    case ExitStatus::Ok: return 0;
    case ExitStatus::RequirementNotMet: return 1;
    case ExitStatus::MeasuredInPart: return 2;
    case ExitStatus::NotMeasured: return 3;
    case ExitStatus::OutputFailed: return 4;
    case ExitStatus::Usage: return 5;
    case ExitStatus::Interrupted: return 6;
  }
  return 0;
}

}  // namespace

ExitStatus MergeExitStatus(ExitStatus a, ExitStatus b) {
  return Seriousness(b) > Seriousness(a) ? b : a;
}
