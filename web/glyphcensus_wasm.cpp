// The WebAssembly module of the browser page: the core's entry point for front
// ends (coverage/measure_font.h) and its writers, called from the worker
// (web/worker.js) with a C interface.
//
// The worker copies a file's bytes into the module's memory for each call
// (measuring readies the image in place) and passes the name to show.
// Results are the command's JSON face objects (coverage/output/machine_formats.h, as
// `glyphcensus --format json --missing` writes them) in one JSON array; the
// coverage map is the command's SVG (coverage/map/map_svg.h). The CSV rows of the
// faces measured last are the command's too (`--format csv`).
#include <emscripten/emscripten.h>

#include <string>
#include <vector>

#include "coverage/sets/char_list.h"
#include "coverage/sets/custom_character_sets.h"
#include "coverage/output/machine_formats.h"
#include "coverage/output/report_comparison.h"
#include "coverage/map/map_svg.h"
#include "coverage/measure_font.h"

namespace glyphcensus {

namespace {

FontRequest RequestForFace(int face) {
  FontRequest request;
  request.sets = AllBuiltInSets();
  request.listMissing = true;
  request.program = "glyphcensus";  // the reasons read as the command's
  if (face >= 0) {
    request.faceGiven = true;
    request.face = static_cast<uint32_t>(face);
  }
  return request;
}

// The CSV rows of the faces gc_measure measured last, each ending in LF.
std::string lastCsvRows;

// The ids of the sets the page measures, in report order: the CSV's set
// columns, as the command's header has them for the same sets.
std::vector<std::string> BuiltInSetIds() {
  std::vector<std::string> ids;
  for (const SetToMeasure& set : AllBuiltInSets()) ids.push_back(set.id);
  return ids;
}

// The results as a JSON array of face objects; the text lives until the next
// call.
const char* JsonArray(const std::vector<FaceResult>& results) {
  static std::string json;
  json = "[";
  for (const FaceResult& face : results) {
    if (json.size() > 1) json += ",\n";
    json += FaceJson(face, true);
  }
  json += "]";
  return json.c_str();
}

// The SVG of the last map drawn, or why it could not be drawn.
std::string lastMap;
std::string lastMapError;

// Draws the coverage map of a measured face, as `glyphcensus --map` does.
void DrawMap(ByteView image, MeasuringContext* context, FaceResult* face) {
  DrawFaceMap(image, context, *face, &lastMap, &lastMapError);
}

}  // namespace

}  // namespace glyphcensus

using namespace glyphcensus;

extern "C" {

// Measures every face of the font file `bytes` with every built-in set, missing
// characters listed: the JSON array of the face results. The bytes are
// changed (readied for measuring).
EMSCRIPTEN_KEEPALIVE const char* gc_measure(uint8_t* bytes, size_t size, const char* name) {
  const std::vector<FaceResult> results =
      MeasureFontFile(MutableByteView{bytes, size}, name, RequestForFace(-1));
  const std::vector<std::string> setIds = BuiltInSetIds();
  lastCsvRows.clear();
  for (const FaceResult& face : results) lastCsvRows += DelimitedRow(face, setIds, ',') + "\n";
  return JsonArray(results);
}

// The CSV rows (delimiter ',', each ending in LF) of the faces gc_measure
// measured last, in the order of its JSON array.
EMSCRIPTEN_KEEPALIVE const char* gc_measure_csv_rows() { return lastCsvRows.c_str(); }

// The CSV header row of gc_measure's faces, ending in LF: the command's
// header for every built-in set.
EMSCRIPTEN_KEEPALIVE const char* gc_csv_header() {
  static std::string header;
  header = DelimitedHeader(BuiltInSetIds(), ',') + "\n";
  return header.c_str();
}

// Measures face `face` of the font file `bytes` and draws its coverage map,
// which gc_map_svg then gives. Returns why it could not ("" when it did); the
// text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* gc_map(uint8_t* bytes, size_t size, const char* name, int face) {
  static std::string failure;
  lastMap.clear();
  lastMapError.clear();
  const FontRequest request = RequestForFace(face);
  PreparedFont font;
  if (!PrepareFont(MutableByteView{bytes, size}, name, request, &font)) {
    failure = font.file.error;
    return failure.c_str();
  }
  const FaceResult result = MeasurePreparedFace(font, font.faces.front(), request, DrawMap);
  ReleasePreparedFont(&font);
  failure = !Measured(result) ? result.error : lastMapError;
  return failure.c_str();
}

// The SVG text of the map gc_map drew last.
EMSCRIPTEN_KEEPALIVE const char* gc_map_svg() { return lastMap.c_str(); }

// Measures face `face` of the font file `bytes` against the distinct
// characters of `text` (UTF-8), by the rule of --chars, as one set named
// "text": the JSON array of the face result. An empty array when the text is
// not valid UTF-8.
EMSCRIPTEN_KEEPALIVE const char* gc_chars(uint8_t* bytes, size_t size, const char* name,
                                          int face, const char* text) {
  std::vector<char32_t> characters;
  std::string error;
  const std::string utf8 = text;
  if (!ParseCharList(reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size(), &characters,
                     &error)) {
    return JsonArray({});
  }
  OwnedCharacterSet owned;
  MakeOwnedCharacterSet(u"text", characters, &owned);
  const CharacterSet view = ViewOf(owned);
  FontRequest request = RequestForFace(face);
  request.sets = {SetToMeasure{"text", &view}};
  return JsonArray(MeasureFontFile(MutableByteView{bytes, size}, name, request));
}

// The release gate: what the faces of report `newer` lost and gained against
// report `older` (JSON reports as gc_measure's faces make them, or a saved
// `glyphcensus --format json --missing` report), faces matched by index
// (`byIndex`, two fonts) or as --baseline matches them. The reports come as
// bytes in the module's memory, not on its stack (a report of every set runs
// to megabytes). The JSON of coverage/output/report_comparison.h; the text
// lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* gc_compare(const char* older, size_t olderSize, const char* newer,
                                            size_t newerSize, int byIndex) {
  static std::string result;
  result = CompareReportsJson(std::string_view(older, olderSize), std::string_view(newer, newerSize),
                              byIndex != 0 ? FaceMatching::kByIndex : FaceMatching::kAsBaseline);
  return result.c_str();
}

}  // extern "C"
