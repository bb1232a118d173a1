// JSON output: one document holding every face (--format json), or one object
// per face and line (--format jsonl), each written as soon as its face is done.
// The fields are described in docs/output-formats.md.
#include <nlohmann/json.hpp>

#include <cstdio>

#include "cli/output_writer.h"
#include "coverage/report_output_console.h"

namespace {

using Json = nlohmann::ordered_json;

Json CodePoints(const std::u16string& text) {
  Json points = Json::array();
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    points.push_back(static_cast<uint32_t>(c));
  }
  return points;
}

Json SetObject(const MeasuredSet& set, bool listMissing) {
  Json object = {{"id", set.id},
                 {"label", Utf16ToUtf8(set.label)},
                 {"total", set.total},
                 {"present", set.present}};
  if (listMissing) {
    object["missing"] = Utf16ToUtf8(set.missing);
    object["missing_code_points"] = CodePoints(set.missing);
  }
  return object;
}

Json FaceObject(const FaceResult& face, bool listMissing) {
  Json object = {{"schema", kSchemaVersion}, {"path", face.path}};
  object["container"] = face.container.empty() ? Json() : Json(face.container);
  object["face"] = face.faceKnown ? Json(face.faceIndex) : Json();
  object["faces"] = face.faceCount == 0 ? Json() : Json(face.faceCount);
  object["family"] = face.nameRead ? Json(Utf16ToUtf8(face.familyName)) : Json();
  if (Measured(face)) {
    Json sets = Json::array();
    for (const MeasuredSet& set : face.sets) sets.push_back(SetObject(set, listMissing));
    object["sets"] = std::move(sets);
  } else {
    object["error"] = face.error;
  }
  if (!face.mapPath.empty()) object["map"] = face.mapPath;
  if (!face.mapError.empty()) object["map_error"] = face.mapError;
  return object;
}

// Paths are bytes on Linux: anything that is not UTF-8 becomes U+FFFD.
std::string Dump(const Json& json, int indent) {
  return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

class JsonWriter : public OutputWriter {
 public:
  JsonWriter(const OutputSettings& settings, bool lines) : settings_(settings), lines_(lines) {}
  void Begin(const std::vector<std::string>&) override {
    if (!lines_) std::printf("{\"schema\": %d, \"faces\": [", kSchemaVersion);
  }
  void Write(const FaceResult& face) override {
    const Json object = FaceObject(face, settings_.listMissing);
    if (lines_) {
      std::printf("%s\n", Dump(object, -1).c_str());
    } else {
      std::printf("%s\n%s", written_ == 0 ? "" : ",", Dump(object, -1).c_str());
    }
    ++written_;
    std::fflush(stdout);
    if (!Measured(face)) ReportError(face.path, face.error);
  }
  void End() override {
    if (!lines_) std::printf("%s]}\n", written_ == 0 ? "" : "\n");
    std::fflush(stdout);
  }

 private:
  OutputSettings settings_;
  bool lines_;
  size_t written_ = 0;
};

}  // namespace

std::unique_ptr<OutputWriter> MakeJsonWriter(const OutputSettings& settings, bool lines) {
  return std::make_unique<JsonWriter>(settings, lines);
}
