#pragma once
// The report's line format, shared by every front end: the dialog's report,
// the command's text output and the coverage map.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"
#include "coverage/results/face_measurement.h"
#include "coverage/results/release_comparison.h"
#include "fontio/face_name.h"

namespace glyphcensus {

// One buffer serves every line and caption; the longest is under 30 units.
constexpr size_t kReportLineCapacity = 64;
// Writes the set's report line, NUL-terminated, into `line`:
// "label：count" with the count as "全52", "－" or "1,000/2,136".
void FormatCoverageLine(const CharacterSet& set, int32_t count, char16_t (&line)[kReportLineCapacity]);

// Appends NUL-terminated `text` to `line` at `*length`, keeping room for the
// terminator.
void AppendUnits(char16_t (&line)[kReportLineCapacity], size_t* length, const char16_t* text);
// Appends `n` in decimal, thousands separated by commas.
void AppendNumber(char16_t (&line)[kReportLineCapacity], size_t* length, int32_t n);

// A family name on one line: line breaks at its end are dropped, and each one
// inside it is shown as a space, so that every report has its fixed lines.
std::string FormatNameLine(const FaceName& name);

// FormatCoverageLine of a measured set, in UTF-8.
std::string FormatSetLine(const MeasuredSet& set);

// The missing sequences of a set as the text report lists them, 10 to a line:
// each as the sequence itself (base and selector, so that a font that has it
// shows the variant), then both code points ("丈󠄁 U+4E08 U+E0101"), two spaces
// between them. UTF-8, without line ends.
std::vector<std::string> MissingSequenceLines(const std::vector<VariationSequence>& missing);

// Missing characters as the text report lists them: 40 to a line (a
// surrogate pair counted as one), each line after `indent`. UTF-8.
std::vector<std::string> MissingCharacterLines(const std::u16string& missing, const char* indent);

// The missing members of a set grouped by why they are missing, as --why
// lists them: for each reason that applies, in a fixed order, "  REASON (N)",
// then its members indented by four spaces. `reasons` is parallel to the
// characters of `missing` or to `sequences`.
std::vector<std::string> MissingByReasonLines(SetKind kind, const std::u16string& missing,
                                              const std::vector<VariationSequence>& sequences,
                                              const std::vector<GlyphFate>& reasons);

// What a face lost and gained since its baseline, as the text report shows
// it after the face's lines: each set's losses ("lost ひらがな：2" and the
// members indented by two, or by reason), then each set's gains.
std::vector<std::string> ChangeLines(const FaceChanges& changes, bool byReason);

// What a set lost or gained since the baseline, on the line that heads its
// members: "lost ひらがな：2", "gained IVS Adobe-Japan1：1,024". UTF-8.
std::string FormatLostLine(const SetChange& change);
std::string FormatGainedLine(const SetChange& change);

}  // namespace glyphcensus
