#include "coverage/output/report_comparison.h"

#include <nlohmann/json.hpp>

#include "coverage/output/baseline_reader.h"
#include "coverage/output/machine_formats.h"

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

}  // namespace

std::string CompareReportsJson(std::string_view oldReport, std::string_view newReport,
                               FaceMatching matching) {
  Baseline old, now;
  BaselineReading reading = ReadBaseline(oldReport, &old);
  if (reading.refusal != BaselineRefusal::kNone) return Refusal(reading, "old").dump();
  reading = ReadBaseline(newReport, &now);
  if (reading.refusal != BaselineRefusal::kNone) return Refusal(reading, "new").dump();
  std::vector<bool> met(old.faces.size(), false);
  std::string faces, gone;
  for (const BaselineFace& face : now.faces) {
    const BaselineFace* before = matching == FaceMatching::kByIndex
                                     ? ByIndex(old, face, &met)
                                     : MatchBaselineFace(old, face, now.faces.size() == 1);
    const bool compared = before != nullptr && face.measured;
    const FaceChanges changes = compared ? CompareFaces(*before, face) : FaceChanges();
    faces += (faces.empty() ? "" : ",") + ComparedFaceJson(face, compared ? &changes : nullptr);
  }
  for (size_t k = 0; matching == FaceMatching::kByIndex && k < old.faces.size(); ++k) {
    if (!met[k]) gone += (gone.empty() ? "" : ",") + GoneFaceJson(old.faces[k]);
  }
  return "{\"schema\":" + std::to_string(kSchemaVersion) + ",\"faces\":[" + faces + "],\"gone\":[" +
         gone + "]}";
}

}  // namespace glyphcensus
