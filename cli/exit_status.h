#pragma once

namespace glyphcensus {
// The exit status of glyphcensus, and how the outcomes of one run merge into it.
//
// A run can end several ways at once (a file not measured, a requirement not
// met, the output lost, Ctrl-C). The status is the most serious of them, in
// this order, most serious first:
//   130  interrupted (Ctrl-C)
//   4    the output could not be written (a full disk, a closed pipe)
//   1    a file or face was not measured, a map not written, a folder not read,
//        or no font file was found
//   5    a face was measured only in part (its WOFF2 decoder refused the file)
//   6    a face lost members of a set since its baseline (--baseline,
//        --compare), or a font of the old folder is gone from the new one
//   3    a face falls short of a --require requirement
//   0    none of these
// 2, a wrong command line, ends the command before anything is measured.
enum class ExitStatus {
  kOk = 0,
  kNotMeasured = 1,
  kUsage = 2,
  kRequirementNotMet = 3,
  kOutputFailed = 4,
  kMeasuredInPart = 5,
  kLostSinceBaseline = 6,
  kInterrupted = 130,  // 128 + SIGINT, as shells report it
};

// The more serious of two outcomes, by the order above.
ExitStatus MergeExitStatus(ExitStatus a, ExitStatus b);

}  // namespace glyphcensus
