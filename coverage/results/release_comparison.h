#pragma once
// What a face lost and gained since an earlier measurement of it: the release
// gate of the command (--baseline, --compare) and of the page. Plain data: the
// earlier measurement is a BaselineFace, read from a saved JSON report
// (coverage/output/baseline_reader.h) or made from a FaceResult measured with
// the missing members listed.
#include <cstdint>
#include <string>
#include <vector>

#include "coverage/results/face_result.h"

namespace glyphcensus {

// What an earlier measurement found of one set: its size and the members it
// found missing. The members it had are the set's others.
struct BaselineSet {
  std::string id;
  std::u16string label;  // as the report shows it; may be empty
  SetKind kind = SetKind::kCharacters;
  int32_t total = 0;
  std::u32string missing;                           // a set of characters
  std::vector<VariationSequence> missingSequences;  // a set of sequences
  // Why each is missing, parallel to the list; empty when not known.
  std::vector<GlyphFate> missingReasons;
};

// One face of an earlier measurement.
struct BaselineFace {
  std::string path;
  bool faceKnown = false;
  uint32_t faceIndex = 0;
  uint32_t faceCount = 0;  // the faces of its file; 0 when not known
  bool familyKnown = false;
  std::string family;  // UTF-8
  bool measured = false;  // false: the earlier run could not measure it
  std::vector<BaselineSet> sets;
};

struct Baseline {
  std::vector<BaselineFace> faces;
};

// A measured face as a baseline. Its sets must have been measured with the
// missing members listed (MeasureRequest's listMissing).
BaselineFace BaselineOf(const FaceResult& face);

// The baseline face a measured face (BaselineOf it, or a face of a report) is
// compared with: the one of the same
// family name and face index; or, when the baseline holds one face and the
// run measures one (`onlyFaceOfRun`), that face whatever its name. Null when
// there is none.
const BaselineFace* MatchBaselineFace(const Baseline& baseline, const BaselineFace& face,
                                      bool onlyFaceOfRun);

// The members of one set that the face lost or gained: the members the
// baseline did not find missing and the face lacks, and the other way round,
// in the order of the face's list.
struct SetChange {
  std::string id;
  std::u16string label;
  SetKind kind = SetKind::kCharacters;
  std::u16string lost, gained;  // UTF-16, as MeasuredSet::missing
  std::vector<VariationSequence> lostSequences, gainedSequences;
  std::vector<GlyphFate> lostReasons;  // why each lost member is missing now
};

// Why a set of the baseline face was not compared.
enum class NotCompared : uint8_t {
  kNotMeasured,    // the run did not measure the set (a --chars set not given again)
  kOtherMembers,   // the set's total differs: its members are not the baseline's
};

struct SetLeftOut {
  std::string id;
  NotCompared why = NotCompared::kNotMeasured;
};

struct FaceChanges {
  std::string baselinePath;
  std::vector<SetChange> sets;       // only the sets with a loss or a gain, in the face's order
  std::vector<SetLeftOut> leftOut;   // the baseline's sets not compared
};

// Compares every set that both hold. `now` must be measured with the missing
// members listed.
FaceChanges CompareWithBaseline(const BaselineFace& before, const FaceResult& now);
// The same for a face known from its report (the page's compare of two
// reports); its sets' labels and reasons are those the report gives.
FaceChanges CompareFaces(const BaselineFace& before, const BaselineFace& now);

bool HasLoss(const FaceChanges& changes);
bool HasLoss(const SetChange& change);
bool HasGain(const SetChange& change);
size_t LostCount(const SetChange& change);
size_t GainedCount(const SetChange& change);

// The ids of the sets some face of the baseline holds, each once, in the
// order first met.
std::vector<std::string> BaselineSetIds(const Baseline& baseline);

}  // namespace glyphcensus
