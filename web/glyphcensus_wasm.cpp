// The WebAssembly module of the browser page: the command's own measuring and
// writers, called from the worker (web/worker.js) with a C interface.
//
// The worker writes each dropped file into the module's in-memory file system
// and passes its path there and the name to show. Results are the command's
// JSON objects (`--format jsonl --missing`), written to stdout line by line,
// which the worker collects; the coverage map is the command's SVG file.
#include <emscripten/emscripten.h>

#include <memory>
#include <string>
#include <vector>

#include "cli/char_list.h"
#include "cli/measure_file.h"
#include "cli/output_writer.h"

namespace {

// Loads the file as the command does, shown under `name`.
void Load(const char* path, const char* name, const MeasureRequest& request, LoadedFile* loaded) {
  LoadFontFile(path, request, loaded);
  loaded->file.path = name;
  loaded->leftOut.path = name;
}

// The face results of a loaded file in the command's order: each face, one
// listed again sharing the result of its first listing, then the note on
// faces left out; or the file's error alone.
std::vector<FaceResult> MeasureLoaded(const LoadedFile& loaded, const MeasureRequest& request) {
  std::vector<FaceResult> results;
  if (loaded.faces.empty()) return {loaded.file};
  for (size_t k = 0; k < loaded.faces.size(); ++k) {
    if (loaded.sameAs[k] == k) {
      results.push_back(MeasureLoadedFace(loaded, loaded.faces[k], request));
    } else {
      results.push_back(results[loaded.sameAs[k]]);
      results.back().faceIndex = loaded.faces[k];
    }
  }
  if (loaded.facesLeftOut) results.push_back(loaded.leftOut);
  return results;
}

// Writes the results as JSON lines (the command's --format jsonl).
void WriteJsonLines(const std::vector<FaceResult>& results) {
  OutputSettings settings;
  settings.format = OutputFormat::Jsonl;
  settings.listMissing = true;
  const std::unique_ptr<OutputWriter> writer = MakeOutputWriter(settings);
  writer->Begin({});
  for (const FaceResult& face : results) writer->Write(face);
  writer->End();
}

MeasureRequest RequestForFace(int face) {
  MeasureRequest request;
  request.sets = BuiltInSets();
  request.listMissing = true;
  if (face >= 0) {
    request.faceGiven = true;
    request.face = static_cast<uint32_t>(face);
  }
  return request;
}

}  // namespace

extern "C" {

// Measures every face of the font file at `path` with the fifteen sets,
// missing characters listed, and writes one JSON line per face result.
EMSCRIPTEN_KEEPALIVE void gc_measure(const char* path, const char* name) {
  const MeasureRequest request = RequestForFace(-1);
  LoadedFile loaded;
  Load(path, name, request, &loaded);
  WriteJsonLines(MeasureLoaded(loaded, request));
}

// Writes the coverage map of face `face` of the font file at `path` to
// `svgPath`, as `glyphcensus --face F --map svgPath` does. Returns why it
// could not ("" when the map was written); the text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* gc_map(const char* path, const char* name, int face,
                                        const char* svgPath) {
  static std::string failure;
  MeasureRequest request = RequestForFace(face);
  request.mapFile = svgPath;
  LoadedFile loaded;
  Load(path, name, request, &loaded);
  const std::vector<FaceResult> results = MeasureLoaded(loaded, request);
  const FaceResult& result = results.front();
  failure = !Measured(result) ? result.error : result.mapError;
  return failure.c_str();
}

// Measures face `face` against the distinct characters of `text` (UTF-8), by
// the rule of --chars, as one set named "text", and writes its JSON line.
// Returns false when the text is not valid UTF-8.
EMSCRIPTEN_KEEPALIVE int gc_chars(const char* path, const char* name, int face,
                                  const char* text) {
  std::vector<char32_t> characters;
  std::string error;
  const std::string bytes = text;
  if (!ParseCharList(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &characters,
                     &error)) {
    return 0;
  }
  OwnedCharacterSet owned;
  MakeOwnedCharacterSet(u"text", characters, &owned);
  const CharacterSet view = ViewOf(owned);
  MeasureRequest request = RequestForFace(face);
  request.sets = {SetToMeasure{"text", &view}};
  LoadedFile loaded;
  Load(path, name, request, &loaded);
  WriteJsonLines(MeasureLoaded(loaded, request));
  return 1;
}

}  // extern "C"
