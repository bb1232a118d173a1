// The text report: the family name, then one line per set ("常用漢字：2,135/2,136"),
// as the Windows program shows it; with --missing each set's missing
// characters follow its line, 40 to a line. Control characters in names and
// paths are shown escaped (see terminal_text.h).
#include <cstdio>

#include "cli/output_writer.h"
#include "cli/terminal_text.h"
#include "coverage/output/report_lines.h"
#include "coverage/results/measure_reason.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

constexpr size_t kMissingPerLine = 40;

void PrintMissingList(const std::u16string& missing, const char* indent = "  ") {
  // Count characters, not units, so that a surrogate pair is never split.
  std::u16string line;
  size_t characters = 0;
  for (size_t i = 0; i < missing.size(); ++i) {
    line.push_back(missing[i]);
    const bool pairStart = IsHighSurrogate(missing[i]) && i + 1 < missing.size();
    if (pairStart) line.push_back(missing[++i]);
    if (++characters == kMissingPerLine || i + 1 == missing.size()) {
      std::printf("%s%s\n", indent, Utf16ToUtf8(line).c_str());
      line.clear();
      characters = 0;
    }
  }
}

// The reasons in the order --why lists them.
constexpr GlyphFate kReasonOrder[] = {
    GlyphFate::kUnmapped, GlyphFate::kNotdef,        GlyphFate::kBlank,          GlyphFate::kEmpty,
    GlyphFate::kNoInk,    GlyphFate::kNotInFormat14, GlyphFate::kNoVerticalForm};

// --why: under the set's line, each reason that applies ("  no-ink (2)"),
// then its members, indented twice.
// `reasons` is parallel to the characters of `missing` or to `missingSequences`.
void PrintMissingByReason(SetKind kind, const std::u16string& missing,
                          const std::vector<VariationSequence>& missingSequences,
                          const std::vector<GlyphFate>& reasons) {
  for (GlyphFate reason : kReasonOrder) {
    std::u16string characters;
    std::vector<VariationSequence> sequences;
    size_t unit = 0, count = 0;
    for (size_t k = 0; k < reasons.size(); ++k) {
      size_t units = 1;
      if (kind == SetKind::kCharacters && unit < missing.size()) {
        CodePointAt(missing.c_str() + unit, &units);
      }
      if (reasons[k] == reason) {
        ++count;
        if (kind == SetKind::kSequences) sequences.push_back(missingSequences[k]);
        else characters.append(missing, unit, units);
      }
      unit += units;
    }
    if (count == 0) continue;
    std::printf("  %s (%zu)\n", MissingReasonWord(reason), count);
    if (kind == SetKind::kCharacters) {
      PrintMissingList(characters, "    ");
      continue;
    }
    for (const std::string& line : MissingSequenceLines(sequences)) {
      std::printf("    %s\n", TerminalSafe(line).c_str());
    }
  }
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
        PrintMissingByReason(set.kind, set.missing, set.missingSequences, set.missingReasons);
      } else if (set.kind == SetKind::kSequences) {
        for (const std::string& line : MissingSequenceLines(set.missingSequences)) {
          std::printf("  %s\n", TerminalSafe(line).c_str());
        }
      } else {
        PrintMissingList(set.missing);
      }
    }
    std::fflush(stdout);
  }

  // Each set's losses, then its gains, with the members as --missing lists
  // them (the losses by reason with --why).
  void WriteChanges(const FaceChanges& changes) {
    for (const SetChange& set : changes.sets) {
      if (!HasLoss(set)) continue;
      std::printf("%s\n", TerminalSafe(FormatLostLine(set)).c_str());
      if (settings_.groupByReason) {
        PrintMissingByReason(set.kind, set.lost, set.lostSequences, set.lostReasons);
      } else {
        PrintMembers(set.kind, set.lost, set.lostSequences);
      }
    }
    for (const SetChange& set : changes.sets) {
      if (HasGain(set)) {
        std::printf("%s\n", TerminalSafe(FormatGainedLine(set)).c_str());
        PrintMembers(set.kind, set.gained, set.gainedSequences);
      }
    }
    std::fflush(stdout);
  }

  static void PrintMembers(SetKind kind, const std::u16string& characters,
                           const std::vector<VariationSequence>& sequences) {
    if (kind == SetKind::kCharacters) {
      PrintMissingList(characters);
      return;
    }
    for (const std::string& line : MissingSequenceLines(sequences)) {
      std::printf("  %s\n", TerminalSafe(line).c_str());
    }
  }

  OutputSettings settings_;
  bool printedBefore_ = false;
};

}  // namespace

std::unique_ptr<OutputWriter> MakeTextWriter(const OutputSettings& settings) {
  return std::make_unique<TextWriter>(settings);
}

}  // namespace glyphcensus
