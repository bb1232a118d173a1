// The release gate's core: a baseline read back from the JSON the command
// writes (document, JSON Lines, one face), refused when it is anything else or
// damaged, and the comparison of a face with its baseline face.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "coverage/output/baseline_reader.h"
#include "coverage/output/machine_formats.h"
#include "coverage/output/report_comparison.h"
#include "coverage/results/release_comparison.h"

using namespace glyphcensus;

namespace {

MeasuredSet CharacterSetResult(const std::string& id, int32_t total, const std::u16string& missing,
                               std::vector<GlyphFate> reasons) {
  MeasuredSet set;
  set.id = id;
  set.label = u"ひらがな";
  set.total = total;
  set.present = total - static_cast<int32_t>(reasons.size());
  set.missing = missing;
  set.missingReasons = std::move(reasons);
  return set;
}

MeasuredSet SequenceSetResult(std::vector<VariationSequence> missing) {
  MeasuredSet set;
  set.id = "ivs-adobe-japan1";
  set.label = u"IVS Adobe-Japan1";
  set.kind = SetKind::kSequences;
  set.total = 14684;
  set.present = set.total - static_cast<int32_t>(missing.size());
  set.missingReasons.assign(missing.size(), GlyphFate::kNotInFormat14);
  set.missingSequences = std::move(missing);
  return set;
}

FaceResult Face(const std::u16string& family, uint32_t index, std::vector<MeasuredSet> sets) {
  FaceResult face;
  face.path = "fonts/a.ttc";
  face.container = "ttc";
  face.faceKnown = true;
  face.faceIndex = index;
  face.faceCount = 2;
  face.nameRead = true;
  face.familyName = family;
  face.sets = std::move(sets);
  return face;
}

std::string Document(const std::vector<FaceResult>& faces) {
  std::string text = JsonDocumentStart();
  for (size_t k = 0; k < faces.size(); ++k) {
    text += (k == 0 ? "\n" : ",\n") + FaceJson(faces[k], true);
  }
  return text + (faces.empty() ? "]}" : "\n]}");
}

BaselineRefusal RefusalOf(const std::string& text) {
  Baseline baseline;
  const BaselineReading reading = ReadBaseline(text, &baseline);
  if (reading.refusal != BaselineRefusal::kNone) EXPECT_TRUE(baseline.faces.empty()) << text;
  return reading.refusal;
}

// A face of one hiragana set whose missing members are `missing`; the
// characters are given as one UTF-16 text.
std::string OneSetReport(const std::string& missingField) {
  return R"({"schema": 1, "faces": [{"schema": 1, "path": "a.ttf", "face": 0, "family": "A", )"
         R"("sets": [{"id": "hiragana", "total": 3, "present": 1, "kind": "characters", )" +
         missingField + "}]}]}";
}

TEST(BaselineReaderTest, ReadsBackWhatTheCommandWrites) {
  const FaceResult first = Face(u"Test 𠀋", 0,
                                {CharacterSetResult("hiragana", 77, u"あ𠀋", {GlyphFate::kUnmapped, GlyphFate::kEmpty}),
                                 SequenceSetResult({{0x4E08, 0xE0101}})});
  FaceResult broken;
  broken.path = "fonts/b.ttf";
  broken.fault.reason = MeasureReason::kFrontEnd;
  broken.error = "cannot open";
  Baseline baseline;
  ASSERT_EQ(ReadBaseline(Document({first, broken}), &baseline).refusal, BaselineRefusal::kNone);
  ASSERT_EQ(baseline.faces.size(), 2u);
  const BaselineFace& face = baseline.faces[0];
  EXPECT_EQ(face.path, "fonts/a.ttc");
  EXPECT_TRUE(face.measured && face.faceKnown && face.familyKnown);
  EXPECT_EQ(face.faceIndex, 0u);
  EXPECT_EQ(face.faceCount, 2u);
  EXPECT_EQ(face.family, "Test 𠀋");
  ASSERT_EQ(face.sets.size(), 2u);
  EXPECT_EQ(face.sets[0].missing, U"あ𠀋");  // the pair as one code point
  EXPECT_EQ(face.sets[0].total, 77);
  EXPECT_EQ(face.sets[1].kind, SetKind::kSequences);
  ASSERT_EQ(face.sets[1].missingSequences.size(), 1u);
  EXPECT_EQ(face.sets[1].missingSequences[0].selector, 0xE0101u);
  EXPECT_FALSE(baseline.faces[1].measured);
  EXPECT_FALSE(baseline.faces[1].familyKnown);
}

TEST(BaselineReaderTest, ReadsJsonLinesAndASingleFace) {
  const FaceResult a = Face(u"A", 0, {CharacterSetResult("hiragana", 77, u"あ", {GlyphFate::kNoInk})});
  const FaceResult b = Face(u"B", 1, {});
  Baseline baseline;
  const std::string lines = FaceJson(a, true) + "\n\n" + FaceJson(b, true) + "\r\n";
  ASSERT_EQ(ReadBaseline(lines, &baseline).refusal, BaselineRefusal::kNone);
  ASSERT_EQ(baseline.faces.size(), 2u);
  EXPECT_EQ(baseline.faces[1].family, "B");
  ASSERT_EQ(ReadBaseline(FaceJson(a, true), &baseline).refusal, BaselineRefusal::kNone);
  EXPECT_EQ(baseline.faces.size(), 1u);
  ASSERT_EQ(ReadBaseline(Document({}), &baseline).refusal, BaselineRefusal::kNone);
  EXPECT_TRUE(baseline.faces.empty());
}

TEST(BaselineReaderTest, RefusesWhatIsNotABaseline) {
  EXPECT_EQ(RefusalOf(""), BaselineRefusal::kNotJson);
  EXPECT_EQ(RefusalOf("{\"schema\": 1, \"faces\": ["), BaselineRefusal::kNotJson);  // cut short
  EXPECT_EQ(RefusalOf("\xFF\xFE{}"), BaselineRefusal::kNotJson);
  EXPECT_EQ(RefusalOf("[1, 2]"), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(R"({"name": "fontTools", "glyphs": {}})"), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(R"({"schema": "1", "faces": []})"), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(R"({"schema": 2, "faces": []})"), BaselineRefusal::kOtherSchema);
  EXPECT_EQ(RefusalOf(R"({"schema": 1, "faces": {}})"), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(R"({"schema": 1, "faces": [{"schema": 2, "path": "a"}]})"),
            BaselineRefusal::kOtherSchema);
  EXPECT_EQ(RefusalOf(R"({"schema": 1, "faces": [{"schema": 1}]})"), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(R"({"schema": 1, "faces": [{"schema": 1, "path": "a", "sets": 3}]})"),
            BaselineRefusal::kNotReport);
  // A line of JSON Lines that is not a face spoils the whole file.
  EXPECT_EQ(RefusalOf(FaceJson(Face(u"A", 0, {}), true) + "\nnot json\n"), BaselineRefusal::kNotJson);
}

TEST(BaselineReaderTest, RefusesSetsWithoutOrWithBadMissingMembers) {
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing_code_points": [12354])")), BaselineRefusal::kNone);
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing": "あ")")), BaselineRefusal::kWithoutMissing);
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing_code_points": [55296])")), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing_code_points": [1114112])")), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing_code_points": [1114111])")), BaselineRefusal::kNone);
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing_code_points": [-1])")), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing_code_points": [1.5])")), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing_code_points": [1, 2, 3, 4])")), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(OneSetReport(R"("missing_code_points": "x")")), BaselineRefusal::kNotReport);
  const std::string sequences =
      R"({"schema": 1, "faces": [{"schema": 1, "path": "a", "sets": [{"id": "s", "total": 9, )"
      R"("kind": "sequences", "missing_sequences": )";
  EXPECT_EQ(RefusalOf(sequences + "[[19976, 917761]]}]}]}"), BaselineRefusal::kNone);
  EXPECT_EQ(RefusalOf(sequences + "[[19976]]}]}]}"), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(sequences + "[19976]}]}]}"), BaselineRefusal::kNotReport);
  EXPECT_EQ(RefusalOf(sequences + "[]}]}]}"), BaselineRefusal::kNone);
}

TEST(BaselineReaderTest, RefusesDeepNestingBeforeParsing) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_EQ(RefusalOf(deep), BaselineRefusal::kNotJson);
  // Brackets inside strings are text, not nesting.
  const std::string path = "\"[[[[[[[[[[[[\\\"[[[[\"";
  EXPECT_EQ(RefusalOf(R"({"schema": 1, "faces": [{"schema": 1, "path": )" + path + "}]}"),
            BaselineRefusal::kNone);
}

TEST(CompareWithBaselineTest, ListsLossesAndGainsWithWhyEachLossIsMissing) {
  const FaceResult before = Face(u"A", 0, {CharacterSetResult("hiragana", 77, u"え𠀋", {GlyphFate::kUnmapped, GlyphFate::kUnmapped}),
                                          SequenceSetResult({{0x4E08, 0xE0100}})});
  const FaceResult now = Face(u"A", 0, {CharacterSetResult("hiragana", 77, u"あ𠀋う", {GlyphFate::kEmpty, GlyphFate::kUnmapped, GlyphFate::kNoInk}),
                                       SequenceSetResult({{0x4E08, 0xE0101}, {0x4E08, 0xE0100}})});
  const FaceChanges changes = CompareWithBaseline(BaselineOf(before), now);
  EXPECT_EQ(changes.baselinePath, "fonts/a.ttc");
  ASSERT_EQ(changes.sets.size(), 2u);
  const SetChange& characters = changes.sets[0];
  EXPECT_EQ(characters.lost, u"あう");
  EXPECT_EQ(characters.gained, u"え");
  EXPECT_EQ(characters.lostReasons, (std::vector<GlyphFate>{GlyphFate::kEmpty, GlyphFate::kNoInk}));
  EXPECT_EQ(LostCount(characters), 2u);
  const SetChange& sequences = changes.sets[1];
  ASSERT_EQ(sequences.lostSequences.size(), 1u);
  EXPECT_EQ(sequences.lostSequences[0].selector, 0xE0101u);
  EXPECT_TRUE(sequences.gainedSequences.empty());
  EXPECT_TRUE(HasLoss(changes));
  EXPECT_TRUE(changes.leftOut.empty());
  // A face like its baseline has no change at all.
  const FaceChanges same = CompareWithBaseline(BaselineOf(now), now);
  EXPECT_TRUE(same.sets.empty());
  EXPECT_FALSE(HasLoss(same));
}

TEST(CompareWithBaselineTest, LeavesOutSetsWhoseMembersDifferOrThatWereNotMeasured) {
  const FaceResult before = Face(u"A", 0, {CharacterSetResult("list.txt", 10, u"あ", {GlyphFate::kUnmapped}),
                                          CharacterSetResult("hiragana", 77, u"", {})});
  const FaceResult now = Face(u"A", 0, {CharacterSetResult("list.txt", 11, u"あい", {GlyphFate::kUnmapped, GlyphFate::kUnmapped}),
                                       CharacterSetResult("katakana", 78, u"ア", {GlyphFate::kUnmapped})});
  const FaceChanges changes = CompareWithBaseline(BaselineOf(before), now);
  EXPECT_TRUE(changes.sets.empty());  // katakana is new: nothing to lose
  ASSERT_EQ(changes.leftOut.size(), 2u);
  EXPECT_EQ(changes.leftOut[0].id, "list.txt");
  EXPECT_EQ(changes.leftOut[0].why, NotCompared::kOtherMembers);
  EXPECT_EQ(changes.leftOut[1].id, "hiragana");
  EXPECT_EQ(changes.leftOut[1].why, NotCompared::kNotMeasured);
}

TEST(MatchBaselineFaceTest, ByFamilyAndIndexOrTheOneFaceOfEach) {
  Baseline baseline;
  baseline.faces = {BaselineOf(Face(u"A", 0, {})), BaselineOf(Face(u"A", 1, {})),
                    BaselineOf(Face(u"B", 0, {}))};
  EXPECT_EQ(MatchBaselineFace(baseline, BaselineOf(Face(u"A", 1, {})), false), &baseline.faces[1]);
  EXPECT_EQ(MatchBaselineFace(baseline, BaselineOf(Face(u"B", 0, {})), true), &baseline.faces[2]);
  EXPECT_EQ(MatchBaselineFace(baseline, BaselineOf(Face(u"B", 1, {})), false), nullptr);
  EXPECT_EQ(MatchBaselineFace(baseline, BaselineOf(Face(u"C", 0, {})), true), nullptr);
  Baseline one;
  one.faces = {BaselineOf(Face(u"Old Name", 3, {}))};
  EXPECT_EQ(MatchBaselineFace(one, BaselineOf(Face(u"New Name", 0, {})), true), &one.faces[0]);
  EXPECT_EQ(MatchBaselineFace(one, BaselineOf(Face(u"New Name", 0, {})), false), nullptr);
  one.faces[0].measured = false;  // the earlier run could not measure it
  EXPECT_EQ(MatchBaselineFace(one, BaselineOf(Face(u"Old Name", 3, {})), true), nullptr);
}

TEST(BaselineSetIdsTest, EachOnceInTheOrderFirstMet) {
  Baseline baseline;
  baseline.faces = {BaselineOf(Face(u"A", 0, {CharacterSetResult("b", 1, u"", {}), CharacterSetResult("a", 1, u"", {})})),
                    BaselineOf(Face(u"A", 1, {CharacterSetResult("a", 1, u"", {}), CharacterSetResult("c", 1, u"", {})}))};
  EXPECT_EQ(BaselineSetIds(baseline), (std::vector<std::string>{"b", "a", "c"}));
}

// The page's compare: the command's words and fields, from two reports.
TEST(CompareReportsJsonTest, HoldsTheNewReportToTheOld) {
  const FaceResult old0 = Face(u"A", 0, {CharacterSetResult("hiragana", 77, u"", {})});
  const FaceResult old1 = Face(u"A", 1, {CharacterSetResult("hiragana", 77, u"", {})});
  const FaceResult new0 = Face(u"A", 0, {CharacterSetResult("hiragana", 77, u"あ", {GlyphFate::kNoInk})});
  const nlohmann::json byIndex = nlohmann::json::parse(
      CompareReportsJson(Document({old0, old1}), Document({new0}), FaceMatching::kByIndex));
  ASSERT_EQ(byIndex["faces"].size(), 1u);
  const nlohmann::json& face = byIndex["faces"][0];
  EXPECT_EQ(face["lost"], nlohmann::json::parse(R"({"hiragana": [12354]})"));
  EXPECT_EQ(face["lost_reasons"], nlohmann::json::parse(R"({"hiragana": ["no-ink"]})"));
  EXPECT_EQ(face["lines"], nlohmann::json::parse(R"j(["lost ひらがな：1", "  no-ink (1)", "    あ"])j"));
  ASSERT_EQ(byIndex["gone"].size(), 1u);  // face 1 of the old file
  EXPECT_EQ(byIndex["gone"][0]["face"], 1);
  // As a baseline: by family and index, and nothing is gone.
  const nlohmann::json asBaseline = nlohmann::json::parse(
      CompareReportsJson(Document({old1, old0}), Document({new0}), FaceMatching::kAsBaseline));
  EXPECT_EQ(asBaseline["faces"][0]["lost"].size(), 1u);
  EXPECT_TRUE(asBaseline["gone"].empty());
  const nlohmann::json unmatched = nlohmann::json::parse(CompareReportsJson(
      Document({Face(u"B", 0, {}), old1}), Document({new0}), FaceMatching::kAsBaseline));
  EXPECT_FALSE(unmatched["faces"][0].contains("lost"));
  const nlohmann::json refused = nlohmann::json::parse(
      CompareReportsJson(Document({old0}), "{\"a\": 1}", FaceMatching::kByIndex));
  EXPECT_EQ(refused["side"], "new");
  EXPECT_NE(refused["error"].get<std::string>().find("write a baseline with"), std::string::npos);
}

}  // namespace
