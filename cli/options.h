#pragma once
// The command line of glyphcensus.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/exit_status.h"

namespace glyphcensus {

enum class OutputFormat { kText, kJson, kJsonl, kCsv, kTsv };

struct Options {
  std::vector<std::string> files;
  bool listMissing = false;
  bool groupByReason = false;  // --why
  OutputFormat format = OutputFormat::kText;
  bool faceGiven = false;
  uint32_t face = 0;
  std::vector<std::string> charFiles;     // --chars, in order
  bool setsGiven = false;
  std::vector<std::string> setIds;        // --sets; empty with "none"
  std::vector<std::string> requirements;  // --require, as written
  unsigned jobs = 0;                      // -j; 0: the processors this process may use
  bool recursive = false;                 // -r
  std::string mapFile;                    // --map: the coverage map of the one face measured
  std::string mapDir;                     // --map-dir: one coverage map per face
  // --ink-test: "default" loads every glyph hinted and judges it from that
  // outline (its area or a covered pixel, else its drawing); "exact" draws
  // and scans every glyph;
  // "sampled" judges glyphs from their unhinted outline for fonts whose
  // hinting moved a sample of glyphs little (not exact; refused with
  // --require). Default and exact must give the same counts.
  std::string inkTest = "default";
  // --baseline: the JSON report of an earlier build to hold each face to.
  std::string baselineFile;
  // --compare: the two operands are OLD and NEW, fonts or folders; NEW is
  // measured and held to OLD.
  bool compare = false;
};

// Parses the command line. Returns -1 to go on, or the exit status when the
// command ends here (after --help or --version: 0; a wrong command line: 2,
// with a message on stderr).
int ParseCommandLine(int argc, char** argv, Options* options);

}  // namespace glyphcensus
