#include "coverage/output/machine_formats.h"

#include <nlohmann/json.hpp>

#include "coverage/output/report_lines.h"
#include "coverage/results/measure_reason.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

using Json = nlohmann::ordered_json;

Json CodePoints(const std::u16string& text) {
  Json points = Json::array();
  for (char32_t c : Utf16ToCodePoints(text)) points.push_back(static_cast<uint32_t>(c));
  return points;
}

Json SequenceList(const std::vector<VariationSequence>& sequences) {
  Json list = Json::array();
  for (const VariationSequence& sequence : sequences) {
    list.push_back({static_cast<uint32_t>(sequence.base), static_cast<uint32_t>(sequence.selector)});
  }
  return list;
}

Json ReasonList(const std::vector<GlyphFate>& reasons) {
  Json list = Json::array();
  for (GlyphFate fate : reasons) list.push_back(MissingReasonWord(fate));
  return list;
}

const char* SetGroupName(SetGroup group) {
  switch (group) {
    case SetGroup::kDialog: return "dialog";
    case SetGroup::kExtended: return "extended";
    case SetGroup::kCustom: break;
  }
  return "custom";
}

Json SetObject(const MeasuredSet& set, bool listMissing) {
  Json object = {{"id", set.id},
                 {"label", Utf16ToUtf8(set.label)},
                 {"total", set.total},
                 {"present", set.present},
                 {"kind", set.kind == SetKind::kSequences ? "sequences" : "characters"},
                 {"group", SetGroupName(set.group)}};
  if (set.cidsCounted) {
    object["cids_present"] = set.cidsPresent;
    object["cids_total"] = set.cidsTotal;
  }
  if (listMissing && set.kind == SetKind::kSequences) {
    object["missing_sequences"] = SequenceList(set.missingSequences);
  } else if (listMissing) {
    object["missing"] = Utf16ToUtf8(set.missing);
    object["missing_code_points"] = CodePoints(set.missing);
  }
  // Why each is missing, parallel to the list.
  if (listMissing) {
    object["missing_reasons"] = ReasonList(set.missingReasons);
  }
  return object;
}

const char* NotComparedWord(NotCompared why) {
  return why == NotCompared::kOtherMembers ? "other-members" : "not-measured";
}

// "lost" and "gained": set id -> the members, as code points or as
// [base, selector] pairs; only the sets with such members.
void AddChanges(const FaceChanges& changes, Json* object) {
  Json lost = Json::object(), gained = Json::object(), lostReasons = Json::object();
  Json leftOut = Json::array();
  for (const SetChange& set : changes.sets) {
    const bool sequences = set.kind == SetKind::kSequences;
    if (HasLoss(set)) {
      lost[set.id] = sequences ? SequenceList(set.lostSequences) : CodePoints(set.lost);
      lostReasons[set.id] = ReasonList(set.lostReasons);
    }
    if (HasGain(set)) {
      gained[set.id] = sequences ? SequenceList(set.gainedSequences) : CodePoints(set.gained);
    }
  }
  for (const SetLeftOut& set : changes.leftOut) {
    leftOut.push_back({{"id", set.id}, {"why", NotComparedWord(set.why)}});
  }
  (*object)["baseline"] = changes.baselinePath;
  (*object)["lost"] = std::move(lost);
  (*object)["lost_reasons"] = std::move(lostReasons);
  (*object)["gained"] = std::move(gained);
  (*object)["not_compared"] = std::move(leftOut);
}

Json FaceObject(const FaceResult& face, bool listMissing, const MapNote& map) {
  Json object = {{"schema", kSchemaVersion}, {"path", face.path}};
  object["container"] = face.container.empty() ? Json() : Json(face.container);
  object["face"] = face.faceKnown ? Json(face.faceIndex) : Json();
  object["faces"] = face.faceCount == 0 ? Json() : Json(face.faceCount);
  object["family"] = face.nameRead ? Json(Utf16ToUtf8(face.familyName)) : Json();
  if (Measured(face)) {
    Json sets = Json::array();
    for (const MeasuredSet& set : face.sets) sets.push_back(SetObject(set, listMissing));
    object["sets"] = std::move(sets);
    if (MeasuredInPart(face)) object["warning"] = face.warning;
    if (face.verticalMetricsRead) {
      const VerticalMetricsTables& tables = face.verticalMetrics;
      object["vertical_metrics"] = {{"vhea", tables.vhea}, {"vmtx", tables.vmtx},
                                    {"VORG", tables.cff ? Json(tables.vorg) : Json()}};
    }
  } else {
    object["error"] = face.error;
    // Which container rule refused the file, for a reader who wants more
    // than the error's words.
    if (face.fault.refusal != ContainerRefusal::kNone) {
      object["refusal"] = RefusalWords(face.fault.refusal);
    }
  }
  if (!map.path.empty()) object["map"] = map.path;
  if (!map.error.empty()) object["map_error"] = map.error;
  return object;
}

// Paths are bytes on Linux: anything that is not UTF-8 becomes U+FFFD.
std::string Dump(const Json& json, int indent) {
  return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

std::string Field(const std::string& text, char delimiter) {
  if (text.find_first_of(std::string(1, delimiter) + "\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Row(const std::vector<std::string>& fields, char delimiter) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += delimiter;
    line += Field(fields[i], delimiter);
  }
  return line;
}

}  // namespace

std::string FaceJson(const FaceResult& face, bool listMissing, const MapNote& map,
                     const FaceChanges* changes) {
  Json object = FaceObject(face, listMissing, map);
  if (changes != nullptr) AddChanges(*changes, &object);
  return Dump(object, -1);
}

namespace {

// A face known from a report: its schema, path, face, faces and family.
Json BaselineFaceObject(const BaselineFace& face) {
  Json object = {{"schema", kSchemaVersion}, {"path", face.path}};
  object["face"] = face.faceKnown ? Json(face.faceIndex) : Json();
  object["faces"] = face.faceCount == 0 ? Json() : Json(face.faceCount);
  object["family"] = face.familyKnown ? Json(face.family) : Json();
  return object;
}

}  // namespace

std::string GoneFaceJson(const BaselineFace& gone) {
  Json object = BaselineFaceObject(gone);
  object["gone"] = true;
  return Dump(object, -1);
}

std::string ComparedFaceJson(const BaselineFace& face, const FaceChanges* changes) {
  Json object = BaselineFaceObject(face);
  if (changes != nullptr) {
    AddChanges(*changes, &object);
    object["lines"] = ChangeLines(*changes, true);
  }
  return Dump(object, -1);
}

std::string JsonDocumentStart() {
  return "{\"schema\": " + std::to_string(kSchemaVersion) + ", \"faces\": [";
}

std::string DelimitedHeader(const std::vector<std::string>& setIds, char delimiter) {
  std::vector<std::string> header = {"path", "container", "face", "family", "error"};
  header.insert(header.end(), setIds.begin(), setIds.end());
  return Row(header, delimiter);
}

std::string DelimitedRow(const FaceResult& face, const std::vector<std::string>& setIds,
                         char delimiter) {
  std::vector<std::string> row = {
      face.path, face.container, face.faceKnown ? std::to_string(face.faceIndex) : "",
      face.nameRead ? Utf16ToUtf8(face.familyName) : "", face.error};
  for (const std::string& id : setIds) {
    std::string present;
    for (const MeasuredSet& set : face.sets) {
      if (set.id == id) present = std::to_string(set.present);
    }
    row.push_back(present);
  }
  return Row(row, delimiter);
}

}  // namespace glyphcensus
