#include "coverage/results/release_comparison.h"

#include <algorithm>

#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

// A sequence as one sortable number: a selector is below U+110000 (21 bits).
uint64_t SequenceKey(const VariationSequence& sequence) {
  return (static_cast<uint64_t>(sequence.base) << 21) | sequence.selector;
}

// The positions in `members` of those not among `others`.
template <typename Member, typename Key>
std::vector<size_t> PositionsNotIn(const std::vector<Member>& members,
                                   const std::vector<Member>& others, Key key) {
  std::vector<uint64_t> otherKeys;
  otherKeys.reserve(others.size());
  for (const Member& member : others) otherKeys.push_back(key(member));
  std::sort(otherKeys.begin(), otherKeys.end());
  std::vector<size_t> positions;
  for (size_t k = 0; k < members.size(); ++k) {
    if (!std::binary_search(otherKeys.begin(), otherKeys.end(), key(members[k]))) {
      positions.push_back(k);
    }
  }
  return positions;
}

template <typename Member>
std::vector<Member> At(const std::vector<Member>& members, const std::vector<size_t>& positions) {
  std::vector<Member> picked;
  for (size_t k : positions) picked.push_back(members[k]);
  return picked;
}

std::u16string Utf16Of(const std::vector<char32_t>& points) {
  std::u16string text;
  for (char32_t c : points) AppendUtf16(&text, c);
  return text;
}

GlyphFate ReasonAt(const BaselineSet& set, size_t k) {
  return k < set.missingReasons.size() ? set.missingReasons[k] : GlyphFate::kUnmapped;
}

SetChange ChangeOf(const BaselineSet& before, const BaselineSet& now) {
  SetChange change;
  change.id = now.id;
  change.label = now.label;
  change.kind = now.kind;
  std::vector<size_t> lost;
  if (now.kind == SetKind::kSequences) {
    lost = PositionsNotIn(now.missingSequences, before.missingSequences, SequenceKey);
    change.lostSequences = At(now.missingSequences, lost);
    change.gainedSequences = At(before.missingSequences,
                                PositionsNotIn(before.missingSequences, now.missingSequences, SequenceKey));
  } else {
    const std::vector<char32_t> nowList(now.missing.begin(), now.missing.end());
    const std::vector<char32_t> beforeList(before.missing.begin(), before.missing.end());
    const auto key = [](char32_t c) { return static_cast<uint64_t>(c); };
    lost = PositionsNotIn(nowList, beforeList, key);
    change.lost = Utf16Of(At(nowList, lost));
    change.gained = Utf16Of(At(beforeList, PositionsNotIn(beforeList, nowList, key)));
  }
  for (size_t k : lost) change.lostReasons.push_back(ReasonAt(now, k));
  return change;
}

const BaselineSet* FindSet(const BaselineFace& face, const std::string& id) {
  for (const BaselineSet& set : face.sets) {
    if (set.id == id) return &set;
  }
  return nullptr;
}



}  // namespace

BaselineFace BaselineOf(const FaceResult& face) {
  BaselineFace baseline;
  baseline.path = face.path;
  baseline.faceKnown = face.faceKnown;
  baseline.faceIndex = face.faceIndex;
  baseline.faceCount = face.faceCount;
  baseline.familyKnown = face.nameRead;
  if (face.nameRead) baseline.family = Utf16ToUtf8(face.familyName);
  baseline.measured = Measured(face);
  for (const MeasuredSet& set : face.sets) {
    baseline.sets.push_back(BaselineSet{set.id, set.label, set.kind, set.total, Utf16ToCodePoints(set.missing),
                                        set.missingSequences, set.missingReasons});
  }
  return baseline;
}

const BaselineFace* MatchBaselineFace(const Baseline& baseline, const BaselineFace& face,
                                      bool onlyFaceOfRun) {
  if (baseline.faces.size() == 1 && onlyFaceOfRun) {
    return baseline.faces[0].measured ? &baseline.faces[0] : nullptr;
  }
  if (!face.familyKnown || !face.faceKnown) return nullptr;
  for (const BaselineFace& candidate : baseline.faces) {
    if (candidate.measured && candidate.familyKnown && candidate.family == face.family &&
        candidate.faceKnown && candidate.faceIndex == face.faceIndex) {
      return &candidate;
    }
  }
  return nullptr;
}

FaceChanges CompareWithBaseline(const BaselineFace& before, const FaceResult& now) {
  return CompareFaces(before, BaselineOf(now));
}

FaceChanges CompareFaces(const BaselineFace& before, const BaselineFace& now) {
  FaceChanges changes;
  changes.baselinePath = before.path;
  for (const BaselineSet& set : now.sets) {
    const BaselineSet* earlier = FindSet(before, set.id);
    if (earlier == nullptr) continue;  // new since the baseline: nothing to lose
    if (earlier->total != set.total || earlier->kind != set.kind) {
      changes.leftOut.push_back(SetLeftOut{set.id, NotCompared::kOtherMembers});
      continue;
    }
    SetChange change = ChangeOf(*earlier, set);
    if (HasLoss(change) || HasGain(change)) changes.sets.push_back(std::move(change));
  }
  for (const BaselineSet& set : before.sets) {
    if (FindSet(now, set.id) == nullptr) {
      changes.leftOut.push_back(SetLeftOut{set.id, NotCompared::kNotMeasured});
    }
  }
  return changes;
}

bool HasLoss(const SetChange& change) { return LostCount(change) > 0; }
bool HasGain(const SetChange& change) { return GainedCount(change) > 0; }

size_t LostCount(const SetChange& change) {
  return change.kind == SetKind::kSequences ? change.lostSequences.size()
                                            : Utf16ToCodePoints(change.lost).size();
}

size_t GainedCount(const SetChange& change) {
  return change.kind == SetKind::kSequences ? change.gainedSequences.size()
                                            : Utf16ToCodePoints(change.gained).size();
}

bool HasLoss(const FaceChanges& changes) {
  return std::any_of(changes.sets.begin(), changes.sets.end(),
                     [](const SetChange& change) { return HasLoss(change); });
}

std::vector<std::string> BaselineSetIds(const Baseline& baseline) {
  std::vector<std::string> ids;
  for (const BaselineFace& face : baseline.faces) {
    for (const BaselineSet& set : face.sets) {
      if (std::find(ids.begin(), ids.end(), set.id) == ids.end()) ids.push_back(set.id);
    }
  }
  return ids;
}

}  // namespace glyphcensus
