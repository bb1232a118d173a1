#include "coverage/output/baseline_reader.h"

#include <nlohmann/json.hpp>

#include "coverage/output/machine_formats.h"
#include "coverage/results/measure_reason.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

using Json = nlohmann::json;

// A report nests five deep (document, faces, face, sets, set) and a missing
// sequence two more. Deeper text is refused before it is parsed, so that
// neither the parser nor the value's destruction depends on the depth of
// untrusted input.
constexpr int kMaxDepth = 8;

bool NestsWithin(std::string_view text, int maxDepth) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

BaselineReading Refused(BaselineRefusal refusal, std::string detail) {
  return BaselineReading{refusal, std::move(detail)};
}

bool IsSchemaOne(const Json& object, BaselineReading* refusal) {
  const auto schema = object.find("schema");
  if (schema == object.end() || !schema->is_number_integer()) {
    *refusal = Refused(BaselineRefusal::kNotReport, "no schema version");
    return false;
  }
  if (*schema != kSchemaVersion) {
    *refusal = Refused(BaselineRefusal::kOtherSchema,
                       "schema " + schema->dump() + ", not " + std::to_string(kSchemaVersion));
    return false;
  }
  return true;
}

bool HoldsScalarValue(const Json& value) {
  return value.is_number_unsigned() && IsScalarValue(value.get<uint64_t>());
}

// The missing members of a set, as FaceJson writes them with --missing.
bool ReadMissing(const Json& set, BaselineSet* read, BaselineReading* refusal) {
  const char* field = read->kind == SetKind::kSequences ? "missing_sequences" : "missing_code_points";
  const auto list = set.find(field);
  if (list == set.end()) {
    *refusal = Refused(BaselineRefusal::kWithoutMissing,
                       "set '" + read->id + "' has no " + field);
    return false;
  }
  const auto bad = [&](const char* what) {
    *refusal = Refused(BaselineRefusal::kNotReport, "set '" + read->id + "': " + what);
    return false;
  };
  if (!list->is_array()) return bad("its missing members are not a list");
  if (list->size() > static_cast<size_t>(read->total)) return bad("more missing members than its total");
  for (const Json& member : *list) {
    if (read->kind == SetKind::kCharacters) {
      if (!HoldsScalarValue(member)) return bad("a missing code point is not a Unicode scalar value");
      read->missing.push_back(static_cast<char32_t>(member.get<uint64_t>()));
      continue;
    }
    if (!member.is_array() || member.size() != 2 || !HoldsScalarValue(member[0]) ||
        !HoldsScalarValue(member[1])) {
      return bad("a missing sequence is not a pair of code points");
    }
    read->missingSequences.push_back(VariationSequence{
        static_cast<char32_t>(member[0].get<uint64_t>()), static_cast<char32_t>(member[1].get<uint64_t>())});
  }
  return true;
}

// Why each is missing, when the report says: as many words as members.
bool ReadReasons(const Json& set, BaselineSet* read, BaselineReading* refusal) {
  const auto reasons = set.find("missing_reasons");
  if (reasons == set.end()) return true;
  const size_t members =
      read->kind == SetKind::kSequences ? read->missingSequences.size() : read->missing.size();
  bool good = reasons->is_array() && reasons->size() == members;
  for (size_t k = 0; good && k < members; ++k) {
    const Json& word = (*reasons)[k];
    GlyphFate fate = GlyphFate::kUnmapped;
    good = word.is_string() && MissingReasonOfWord(word.get<std::string>(), &fate);
    read->missingReasons.push_back(fate);
  }
  if (!good) {
    read->missingReasons.clear();
    *refusal = Refused(BaselineRefusal::kNotReport,
                       "set '" + read->id + "': its missing_reasons do not match its missing members");
  }
  return good;
}

bool ReadSet(const Json& set, BaselineSet* read, BaselineReading* refusal) {
  const auto id = set.find("id");
  const auto total = set.find("total");
  if (!set.is_object() || id == set.end() || !id->is_string() || total == set.end() ||
      !total->is_number_unsigned() || total->get<uint64_t>() > 0x7FFFFFFF) {
    *refusal = Refused(BaselineRefusal::kNotReport, "a set without an id and a total");
    return false;
  }
  read->id = id->get<std::string>();
  read->total = static_cast<int32_t>(total->get<uint64_t>());
  const auto kind = set.find("kind");
  if (kind != set.end() && *kind == "sequences") read->kind = SetKind::kSequences;
  else if (kind != set.end() && *kind != "characters") {
    *refusal = Refused(BaselineRefusal::kNotReport, "set '" + read->id + "' is of an unknown kind");
    return false;
  }
  const auto label = set.find("label");
  if (label != set.end() && label->is_string()) read->label = Utf8ToUtf16(label->get<std::string>());
  return ReadMissing(set, read, refusal) && ReadReasons(set, read, refusal);
}

bool ReadFace(const Json& face, BaselineFace* read, BaselineReading* refusal) {
  if (!face.is_object()) {
    *refusal = Refused(BaselineRefusal::kNotReport, "a face that is not an object");
    return false;
  }
  if (!IsSchemaOne(face, refusal)) return false;
  const auto path = face.find("path");
  if (path == face.end() || !path->is_string()) {
    *refusal = Refused(BaselineRefusal::kNotReport, "a face without a path");
    return false;
  }
  read->path = path->get<std::string>();
  const auto index = face.find("face");
  read->faceKnown = index != face.end() && index->is_number_unsigned();
  if (read->faceKnown) read->faceIndex = static_cast<uint32_t>(index->get<uint64_t>());
  const auto count = face.find("faces");
  if (count != face.end() && count->is_number_unsigned() && count->get<uint64_t>() <= 0xFFFFFFFF) {
    read->faceCount = static_cast<uint32_t>(count->get<uint64_t>());
  }
  const auto family = face.find("family");
  read->familyKnown = family != face.end() && family->is_string();
  if (read->familyKnown) read->family = family->get<std::string>();
  const auto sets = face.find("sets");
  read->measured = sets != face.end();
  if (!read->measured) return true;  // the earlier run could not measure it
  if (!sets->is_array()) {
    *refusal = Refused(BaselineRefusal::kNotReport, "a face whose sets are not a list");
    return false;
  }
  for (const Json& set : *sets) {
    read->sets.emplace_back();
    if (!ReadSet(set, &read->sets.back(), refusal)) return false;
  }
  return true;
}

bool ReadFaces(const Json& faces, Baseline* baseline, BaselineReading* refusal) {
  for (const Json& face : faces) {
    baseline->faces.emplace_back();
    if (!ReadFace(face, &baseline->faces.back(), refusal)) return false;
  }
  return true;
}

// JSON Lines: each line that is not blank holds one face object.
BaselineReading ReadLines(std::string_view text, Baseline* baseline) {
  BaselineReading reading;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    const Json face = Json::parse(line.begin(), line.end(), nullptr, false);
    if (face.is_discarded()) return Refused(BaselineRefusal::kNotJson, "not JSON");
    baseline->faces.emplace_back();
    if (!ReadFace(face, &baseline->faces.back(), &reading)) return reading;
  }
  if (baseline->faces.empty()) return Refused(BaselineRefusal::kNotJson, "the file is empty");
  return reading;
}

BaselineReading ReadReport(std::string_view text, Baseline* baseline) {
  *baseline = Baseline();
  if (!NestsWithin(text, kMaxDepth)) {
    return Refused(BaselineRefusal::kNotJson, "nested deeper than a report is");
  }
  const Json document = Json::parse(text.begin(), text.end(), nullptr, false);
  if (document.is_discarded()) return ReadLines(text, baseline);
  BaselineReading reading;
  if (!document.is_object()) return Refused(BaselineRefusal::kNotReport, "not a JSON object");
  const auto faces = document.find("faces");
  if (faces == document.end() || !faces->is_array()) {
    // One face object alone, as a single JSON Lines record (its "faces" is
    // the count of its file's faces).
    baseline->faces.emplace_back();
    ReadFace(document, &baseline->faces.back(), &reading);
    return reading;
  }
  if (!IsSchemaOne(document, &reading)) return reading;
  ReadFaces(*faces, baseline, &reading);
  return reading;
}

}  // namespace

BaselineReading ReadBaseline(std::string_view text, Baseline* baseline) {
  const BaselineReading reading = ReadReport(text, baseline);
  if (reading.refusal != BaselineRefusal::kNone) *baseline = Baseline();
  return reading;
}

std::string BaselineRefusalWords(const BaselineReading& reading) {
  std::string words;
  switch (reading.refusal) {
    case BaselineRefusal::kNone: return "";
    case BaselineRefusal::kNotJson: words = "not JSON"; break;
    case BaselineRefusal::kNotReport: words = "not a glyphcensus JSON report"; break;
    case BaselineRefusal::kOtherSchema: words = "a glyphcensus report of another schema"; break;
    case BaselineRefusal::kWithoutMissing: words = "a report written without --missing"; break;
  }
  if (!reading.detail.empty() && reading.detail != words) words += " (" + reading.detail + ")";
  return words + "; write a baseline with: glyphcensus --format json --missing FONT > BASELINE.json";
}

}  // namespace glyphcensus
