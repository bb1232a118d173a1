#include "coverage/output/report_comparison.h"

#include <nlohmann/json.hpp>

#include "coverage/output/baseline_reader.h"
#include "coverage/output/machine_formats.h"
#include "coverage/output/report_lines.h"

namespace glyphcensus {

namespace {

using Json = nlohmann::ordered_json;

Json Refusal(const BaselineReading& reading, const char* side) {
  return {{"schema", kSchemaVersion}, {"error", BaselineRefusalWords(reading)}, {"side", side}};
}

const BaselineFace* ByIndex(const Baseline& old, const BaselineFace& face, std::vector<bool>* met) {
  for (size_t k = 0; k < old.faces.size(); ++k) {
    if (old.faces[k].faceKnown && face.faceKnown && old.faces[k].faceIndex == face.faceIndex) {
      (*met)[k] = true;
      return old.faces[k].measured ? &old.faces[k] : nullptr;
    }
  }
  return nullptr;
}

Json FaceOf(const BaselineFace& face, const FaceChanges* changes) {
  Json object = {{"schema", kSchemaVersion}, {"path", face.path}};
  object["face"] = face.faceKnown ? Json(face.faceIndex) : Json();
  object["family"] = face.familyKnown ? Json(face.family) : Json();
  if (changes == nullptr) return object;
  // The command's fields, from its own writer.
  const Json fields = Json::parse(FaceJson(FaceResult(), false, MapNote(), changes));
  for (const char* key : {"baseline", "lost", "lost_reasons", "gained", "not_compared"}) {
    object[key] = fields[key];
  }
  object["lines"] = ChangeLines(*changes, true);
  return object;
}

}  // namespace

std::string CompareReportsJson(std::string_view oldReport, std::string_view newReport,
                               FaceMatching matching) {
  Baseline old, now;
  BaselineReading reading = ReadBaseline(oldReport, &old);
  if (reading.refusal != BaselineRefusal::kNone) return Refusal(reading, "old").dump();
  reading = ReadBaseline(newReport, &now);
  if (reading.refusal != BaselineRefusal::kNone) return Refusal(reading, "new").dump();
  std::vector<bool> met(old.faces.size(), false);
  Json faces = Json::array();
  for (const BaselineFace& face : now.faces) {
    const BaselineFace* before = matching == FaceMatching::kByIndex
                                     ? ByIndex(old, face, &met)
                                     : MatchBaselineFace(old, face, now.faces.size() == 1);
    if (before == nullptr || !face.measured) {
      faces.push_back(FaceOf(face, nullptr));
      continue;
    }
    const FaceChanges changes = CompareFaces(*before, face);
    faces.push_back(FaceOf(face, &changes));
  }
  Json gone = Json::array();
  for (size_t k = 0; matching == FaceMatching::kByIndex && k < old.faces.size(); ++k) {
    if (!met[k]) gone.push_back(Json::parse(GoneFaceJson(old.faces[k])));
  }
  const Json result = {{"schema", kSchemaVersion}, {"faces", std::move(faces)}, {"gone", std::move(gone)}};
  return result.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace glyphcensus
