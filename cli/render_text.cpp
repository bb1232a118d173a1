// The text report: the family name, then one line per set ("常用漢字：2,135/2,136"),
// as the Windows program shows it; with --missing each set's missing
// characters follow its line, 40 to a line. Control characters in names and
// paths are shown escaped (see terminal_text.h).
#include <cstdio>

#include "cli/output_writer.h"
#include "cli/terminal_text.h"
#include "coverage/output/report_lines.h"

namespace glyphcensus {

namespace {

void PrintLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
}

class TextWriter : public OutputWriter {
 public:
  explicit TextWriter(const OutputSettings& settings) : settings_(settings) {}
  void Begin(const std::vector<std::string>&) override {}
  void Write(const FaceResult& face, const MapNote&, const FaceChanges* changes) override {
    if (face.nameRead) WriteReport(face);
    if (changes != nullptr) WriteChanges(*changes);
    if (!Measured(face)) ReportFaceError(face);
  }
  // "gone: PATH" ("gone: PATH (face N)" for a collection's), as a report of
  // its own.
  void WriteGone(const BaselineFace& gone) override {
    if (printedBefore_) std::printf("\n");
    printedBefore_ = true;
    std::string line = "gone: " + gone.path;
    if (gone.faceKnown && gone.faceCount > 1) line += " (face " + std::to_string(gone.faceIndex) + ")";
    std::printf("%s\n", TerminalSafe(line).c_str());
    std::fflush(stdout);
  }
  void End() override { std::fflush(stdout); }

 private:
  void WriteReport(const FaceResult& face) {
    if (printedBefore_) std::printf("\n");
    printedBefore_ = true;
    if (face.faceCount > 1 && settings_.introduceFaces) {
      std::printf("%s (face %u of %u)\n", TerminalSafe(face.path).c_str(), face.faceIndex,
                  face.faceCount);
    } else if (settings_.introduceFiles) {
      std::printf("%s\n", TerminalSafe(face.path).c_str());
    }
    std::printf("%s\n", TerminalSafe(FormatNameLine(face.familyName)).c_str());
    for (const MeasuredSet& set : face.sets) {
      std::printf("%s\n", TerminalSafe(FormatSetLine(set)).c_str());
      if (!settings_.listMissing) continue;
      if (settings_.groupByReason) {
        // Sequence lines need no escaping: the built-in sequence sets hold
        // CJK ideographs and variation selectors only.
        PrintLines(MissingByReasonLines(set.kind, set.missing, set.missingSequences, set.missingReasons));
      } else if (set.kind == SetKind::kSequences) {
        for (const std::string& line : MissingSequenceLines(set.missingSequences)) {
          std::printf("  %s\n", TerminalSafe(line).c_str());
        }
      } else {
        PrintLines(MissingCharacterLines(set.missing, "  "));
      }
    }
    std::fflush(stdout);
  }

  // Each set's losses, then its gains, escaped as names are: a --chars set's
  // name and members may hold control characters.
  void WriteChanges(const FaceChanges& changes) {
    for (const std::string& line : ChangeLines(changes, settings_.groupByReason)) {
      std::printf("%s\n", TerminalSafe(line).c_str());
    }
    std::fflush(stdout);
  }

  OutputSettings settings_;
  bool printedBefore_ = false;
};

}  // namespace

std::unique_ptr<OutputWriter> MakeTextWriter(const OutputSettings& settings) {
  return std::make_unique<TextWriter>(settings);
}

}  // namespace glyphcensus
