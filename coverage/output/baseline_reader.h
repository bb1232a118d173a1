#pragma once
// Reading a baseline: the JSON report (--format json, or jsonl) that an
// earlier run wrote with --missing, back into the plain records of
// coverage/results/release_comparison.h. The text is untrusted: anything but
// such a report is refused with a reason, in work bounded by its size.
#include <string>
#include <string_view>

#include "coverage/results/release_comparison.h"

namespace glyphcensus {

// Why a text is not a baseline.
enum class BaselineRefusal : uint8_t {
  kNone,
  kNotJson,         // not JSON, or nested deeper than a report is
  kNotReport,       // JSON, but not a glyphcensus report
  kOtherSchema,     // a report of another schema version
  kWithoutMissing,  // a report written without --missing
};

struct BaselineReading {
  BaselineRefusal refusal = BaselineRefusal::kNone;
  std::string detail;  // what was found wrong, in words
};

// Reads a JSON document ({"schema": 1, "faces": [...]}) or JSON Lines (a face
// object a line). Faces that the earlier run could not measure are kept,
// with `measured` false.
BaselineReading ReadBaseline(std::string_view text, Baseline* baseline);

// The refusal and its detail in one message, with how to write a baseline.
std::string BaselineRefusalWords(const BaselineReading& reading);

}  // namespace glyphcensus
