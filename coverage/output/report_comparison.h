#pragma once
// The release gate of the page: two JSON reports as the core writes them
// (the page's results of a font, or a saved `glyphcensus --format json
// --missing` report), the faces of the new one held to those of the old one
// as the command holds them, and what they lost and gained, as JSON.
#include <string>
#include <string_view>

namespace glyphcensus {

// How the faces of the two reports are matched.
enum class FaceMatching : uint8_t {
  kByIndex,     // two font files, as --compare matches them: face for face
  kAsBaseline,  // an old report, as --baseline matches: family name and face index
};

// {"schema": 1, "faces": [FACE...], "gone": [...]}: a FACE per face of the new
// report with its `path`, `face`, `faces`, `family` and, when a face of the old report
// matched it, the fields `baseline`, `lost`, `lost_reasons`, `gained` and
// `not_compared` of docs/output-formats.md, and `lines`, the command's text
// of the changes (an array of lines). `gone`: the old faces matched by
// none (kByIndex only), as the command's gone objects. When a report is not
// one the reader takes: {"schema": 1, "error": WORDS, "side": "old"|"new"}.
std::string CompareReportsJson(std::string_view oldReport, std::string_view newReport,
                               FaceMatching matching);

}  // namespace glyphcensus
