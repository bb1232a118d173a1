#pragma once
// The coverage map as one self-contained SVG file: the JIS code tables and the
// smaller sets as panels of cells, each cell present (drawn with the font's
// own outline), missing or unassigned. No scripts, no external references.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/results/face_result.h"
#include "coverage/presence/glyph_presence.h"
#include "fontio/big_endian_reader.h"

namespace glyphcensus {

struct MapInput {
  std::string familyName;                // UTF-8, as the report's first line
  std::vector<std::string> reportLines;  // UTF-8, the report's set lines
  ByteView image;      // the font image `context` measures (outlines are read from it)
  uint32_t faceIndex = 0;
  MeasuringContext* context = nullptr;
};

// Measures every cell with `input.context` and writes the SVG. False (and
// `svg` empty) when the image's outlines cannot be opened.
bool WriteCoverageMapSvg(const MapInput& input, std::string* svg);

// The map of a measured face, with its report lines, drawn with the face's
// open context (from MeasurePreparedFace's hook). False (`svg` empty) with
// `error` saying why when it cannot be drawn.
bool DrawFaceMap(ByteView image, MeasuringContext* context, const FaceResult& face,
                 std::string* svg, std::string* error);

// Text for XML content and attribute values: & < > " ' escaped, bytes that are
// not UTF-8 and characters XML forbids replaced by U+FFFD.
std::string EscapeXml(const std::string& text);

}  // namespace glyphcensus
