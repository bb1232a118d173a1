#pragma once
// The machine-readable forms of face results, shared by every front end that
// writes them: the JSON object of a face (JSON document and JSON Lines) and
// the rows of CSV and TSV. Plain data in, text out; the front end writes the
// text. The fields are described in docs/output-formats.md.
#include <string>
#include <vector>

#include "coverage/results/face_result.h"
#include "coverage/results/release_comparison.h"

namespace glyphcensus {

// The version of the JSON, JSON Lines, CSV and TSV layouts. Fields and columns
// may be added without raising it; it is raised when one is renamed or removed.
constexpr int kSchemaVersion = 1;

// What a front end that writes coverage maps says of a face's map: where it
// goes, or why it does not (the JSON fields "map" and "map_error").
struct MapNote {
  std::string path;
  std::string error;
};

// The face's JSON object on one line, without a line end. Paths are bytes on
// Linux: anything in them that is not UTF-8 becomes U+FFFD.
// With `changes`, the face was compared with a baseline: the object also
// holds "baseline", "lost", "gained" and "not_compared".
std::string FaceJson(const FaceResult& face, bool listMissing, const MapNote& map = MapNote(),
                     const FaceChanges* changes = nullptr);

// The JSON object of a baseline face that the run found no more (--compare
// of two folders: a font of the old folder absent from the new one).
std::string GoneFaceJson(const BaselineFace& gone);

// A face of a report compared by the page (coverage/output/report_comparison.h):
// its schema, path, face, faces and family, and with `changes` the fields
// FaceJson gives a compared face and "lines", the text report's lines of the
// changes (ChangeLines, by reason).
std::string ComparedFaceJson(const BaselineFace& face, const FaceChanges* changes);

// What the JSON document holds before its first face object ("{"schema": 1,
// "faces": [") and after the last (face objects are separated by ",\n" and
// the list ends with "\n]}" when it is not empty, "]}" when it is).
std::string JsonDocumentStart();

// The header row of CSV (delimiter ',') or TSV ('\t'): path, container, face,
// family, error, then the set ids. No line end.
std::string DelimitedHeader(const std::vector<std::string>& setIds, char delimiter);

// A face's row: the present count of each set of `setIds`, empty for a set
// the face was not measured in. Fields are quoted as RFC 4180 says (a field
// holding the delimiter, a quote, a carriage return or a line feed is put in
// quotes, its quotes doubled). No line end.
std::string DelimitedRow(const FaceResult& face, const std::vector<std::string>& setIds,
                         char delimiter);

}  // namespace glyphcensus
