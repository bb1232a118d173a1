// The entry point for front ends: a font file's bytes measured into result
// records, the reasons of what cannot be measured, and the stop token.
#include "coverage/measure_font.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "coverage/sets/character_set_ids.h"
#include "fontio/big_endian_reader.h"

using namespace glyphcensus;

namespace {

std::vector<uint8_t> ReadTestFont(const std::string& name) {
  std::ifstream file(std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), {});
}

FontRequest DigitsRequest() {
  FontRequest request;
  request.sets = {SetToMeasure{kCharacterSetIds[kDigits], &kCharacterSets[kDigits]}};
  request.program = "glyphcensus";
  return request;
}

std::vector<FaceResult> Measure(std::vector<uint8_t> bytes, const FontRequest& request) {
  return MeasureFontFile(MutableByteView{bytes.data(), bytes.size()}, "font", request);
}

TEST(MeasureFontFile, EveryFaceOfACollectionInOrder) {
  const std::vector<FaceResult> faces = Measure(ReadTestFont("glyphtest_collection.ttc"), DigitsRequest());
  ASSERT_EQ(faces.size(), 2u);
  for (uint32_t k = 0; k < 2; ++k) {
    EXPECT_EQ(faces[k].fault.reason, MeasureReason::kMeasured);
    EXPECT_TRUE(Measured(faces[k]));
    EXPECT_EQ(faces[k].path, "font");
    EXPECT_EQ(faces[k].container, "ttc");
    EXPECT_EQ(faces[k].faceIndex, k);
    EXPECT_EQ(faces[k].faceCount, 2u);
    ASSERT_EQ(faces[k].sets.size(), 1u);
    EXPECT_EQ(faces[k].sets[0].id, "digits");
  }
  EXPECT_EQ(faces[0].familyName, u"Glyph Edges");
  EXPECT_EQ(faces[0].sets[0].present, 0);
  EXPECT_EQ(faces[1].familyName, u"Glyph Full");
  EXPECT_EQ(faces[1].sets[0].present, 10);
}

TEST(MeasureFontFile, TheFaceChosenAndAFaceThatIsNotThere) {
  FontRequest request = DigitsRequest();
  request.faceGiven = true;
  request.face = 1;
  std::vector<FaceResult> faces = Measure(ReadTestFont("glyphtest_collection.ttc"), request);
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(faces[0].faceIndex, 1u);
  request.face = 2;
  faces = Measure(ReadTestFont("glyphtest_collection.ttc"), request);
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(faces[0].fault.reason, MeasureReason::kNoSuchFace);
  EXPECT_EQ(faces[0].error, "there is no face 2 (the file has 2 faces)");
  EXPECT_FALSE(faces[0].faceKnown);
  EXPECT_TRUE(faces[0].sets.empty());
}

TEST(MeasureFontFile, FacesSharingADirectoryShareTheirResult) {
  std::vector<uint8_t> bytes = ReadTestFont("glyphtest_collection.ttc");
  ASSERT_GT(bytes.size(), 20u);
  std::copy(bytes.begin() + 12, bytes.begin() + 16, bytes.begin() + 16);  // face 1 = face 0
  const std::vector<FaceResult> faces = Measure(bytes, DigitsRequest());
  ASSERT_EQ(faces.size(), 2u);
  EXPECT_EQ(faces[1].faceIndex, 1u);
  EXPECT_EQ(faces[1].familyName, faces[0].familyName);
  EXPECT_EQ(faces[1].sets[0].present, faces[0].sets[0].present);
}

TEST(MeasureFontFile, WebFontsAreMeasuredLikeTheFontTheyWrap) {
  const std::vector<FaceResult> woff2 = Measure(ReadTestFont("glyphtest_full.woff2"), DigitsRequest());
  const std::vector<FaceResult> woff = Measure(ReadTestFont("glyphtest_full.woff"), DigitsRequest());
  ASSERT_EQ(woff2.size(), 1u);
  ASSERT_EQ(woff.size(), 1u);
  EXPECT_EQ(woff2[0].container, "woff2");
  EXPECT_EQ(woff[0].container, "woff");
  EXPECT_EQ(woff2[0].sets[0].present, 10);
  EXPECT_EQ(woff[0].sets[0].present, 10);
}

TEST(MeasureFontFile, RefusedFilesGiveOneRecordWithTheirReason) {
  std::vector<uint8_t> text(64, 'x');
  std::vector<FaceResult> faces = Measure(text, DigitsRequest());
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(faces[0].fault.reason, MeasureReason::kNotAFontFile);
  EXPECT_EQ(faces[0].error,
            "not a font file glyphcensus reads (TrueType, OpenType, font collection, WOFF, WOFF2)");
  EXPECT_EQ(faces[0].container, "");
  EXPECT_EQ(faces[0].faceCount, 0u);

  std::vector<uint8_t> collection = ReadTestFont("glyphtest_collection.ttc");
  collection[5] = 3;  // version 3
  faces = Measure(collection, DigitsRequest());
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(faces[0].fault.reason, MeasureReason::kUnreadCollection);
  EXPECT_EQ(Measure({}, DigitsRequest())[0].fault.reason, MeasureReason::kNotAFontFile);
}

// The container rules' refusal goes with the reason; the words stay the same.
TEST(MeasureFontFile, TheRefusalOfTheContainerRulesGoesWithTheReason) {
  std::vector<FaceResult> faces = Measure(std::vector<uint8_t>(64, 'x'), DigitsRequest());
  EXPECT_EQ(faces[0].fault.refusal, ContainerRefusal::kUnknownSignature);
  EXPECT_EQ(Measure({0, 1}, DigitsRequest())[0].fault.refusal, ContainerRefusal::kTooShort);
  std::vector<uint8_t> collection = ReadTestFont("glyphtest_collection.ttc");
  collection[5] = 3;
  faces = Measure(collection, DigitsRequest());
  EXPECT_EQ(faces[0].fault.refusal, ContainerRefusal::kCollectionVersion);
  EXPECT_EQ(faces[0].error.find("version 1 or 2"), faces[0].error.find("version"));
  faces = Measure(ReadTestFont("glyphtest_collection.ttc"), DigitsRequest());
  EXPECT_EQ(faces[0].fault.refusal, ContainerRefusal::kNone);
}

TEST(RefusalWords, EveryRefusalHasItsOwnWords) {
  EXPECT_EQ(RefusalWords(ContainerRefusal::kNone), "");
  std::vector<std::string> seen;
  for (ContainerRefusal refusal :
       {ContainerRefusal::kTooShort, ContainerRefusal::kUnknownSignature,
        ContainerRefusal::kCollectionVersion, ContainerRefusal::kCollectionFirstFont,
        ContainerRefusal::kWebFontFlavour, ContainerRefusal::kFileTooLarge,
        ContainerRefusal::kConvertedTooLarge, ContainerRefusal::kNoMemory,
        ContainerRefusal::kNotWebFont}) {
    const std::string words = RefusalWords(refusal);
    EXPECT_FALSE(words.empty());
    for (const std::string& other : seen) EXPECT_NE(words, other);
    seen.push_back(words);
  }
  EXPECT_EQ(RefusalWords(ContainerRefusal::kFileTooLarge), "the file is 2 GiB or larger");
}

TEST(MeasureFontFile, AStopRequestedLeavesEveryFaceOut) {
  StopToken stop;
  RequestStop(&stop);
  FontRequest request = DigitsRequest();
  request.stop = &stop;
  EXPECT_TRUE(Measure(ReadTestFont("glyphtest_collection.ttc"), request).empty());
  ClearStop(&stop);
  EXPECT_EQ(Measure(ReadTestFont("glyphtest_collection.ttc"), request).size(), 2u);
}

TEST(ReasonWords, TheWordsOfEveryReason) {
  MeasureFault fault;
  EXPECT_EQ(ReasonWords(fault, "gc"), "");
  fault.reason = MeasureReason::kFrontEnd;
  EXPECT_EQ(ReasonWords(fault, "gc"), "");
  fault.reason = MeasureReason::kUnreadCollection;
  EXPECT_EQ(ReasonWords(fault, "gc"),
            "a font collection gc does not read (it reads collections of version 1 or 2 whose "
            "first font is TrueType or OpenType)");
  fault.reason = MeasureReason::kWoffNotConverted;
  EXPECT_EQ(ReasonWords(fault, "gc"), "the WOFF file cannot be converted");
  fault.reason = MeasureReason::kWoff2NotConverted;
  EXPECT_EQ(ReasonWords(fault, "gc"), "the WOFF2 file cannot be converted");
  fault.reason = MeasureReason::kNoSuchFace;
  fault.face = 1;
  fault.faceCount = 1;
  EXPECT_EQ(ReasonWords(fault, "gc"), "there is no face 1 (the file has 1 face)");
  fault.reason = MeasureReason::kFacesLeftOut;
  fault.face = 256;
  fault.faceCount = 300;
  fault.mostFaces = 256;
  EXPECT_EQ(ReasonWords(fault, "gc"),
            "faces 256 to 299 are not measured (at most 256 faces of a collection are)");
  fault.reason = MeasureReason::kNotSfntFace;
  EXPECT_EQ(ReasonWords(fault, "gc"),
            "not a font gc measures (its table directory is neither TrueType nor OpenType)");
  fault.reason = MeasureReason::kTableOutsideFile;
  fault.table = "glyf";
  EXPECT_EQ(ReasonWords(fault, "gc"), "the table 'glyf' lies outside the file");
  fault.reason = MeasureReason::kFaceNotOpened;
  EXPECT_EQ(ReasonWords(fault, "gc"), "FreeType cannot open the font; only its name was read");
  fault.reason = MeasureReason::kNoMeasuringSize;
  EXPECT_EQ(ReasonWords(fault, "gc"),
            "the font has no outlines, only bitmaps, and none of them for 15 pixels per em, the "
            "size glyphs are measured at; only its name was read");
  fault.reason = MeasureReason::kWoff2Refused;
  EXPECT_EQ(ReasonWords(fault, "gc"),
            "the WOFF2 file cannot be converted (the decoder refused its data)");
  fault.reason = MeasureReason::kWoff2RefusedNameRead;
  EXPECT_EQ(ReasonWords(fault, "gc"),
            "the WOFF2 file cannot be converted (the decoder refused its data); only its name "
            "was read");
}

// A WOFF2 font whose private table, after the font's own tables, passes the
// decoder's 30 MiB limit (from the hostile corpus): measured, and marked as
// measured in part; a whole font is not.
TEST(MeasureFontFile, AWoff2RefusedAfterItsTablesIsMeasuredInPart) {
  const std::vector<FaceResult> faces =
      Measure(ReadTestFont("hostile/woff2_past_size_limit.woff2"), DigitsRequest());
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_TRUE(Measured(faces[0]));
  EXPECT_TRUE(MeasuredInPart(faces[0]));
  EXPECT_EQ(faces[0].partial, PartialMeasure::kWoff2PastSizeLimit);
  EXPECT_EQ(faces[0].warning,
            "the WOFF2 decoder refused the file: it decodes to more than 30 MiB, the decoder's "
            "limit; only the part it decoded was measured");
  ASSERT_EQ(faces[0].sets.size(), 1u);
  EXPECT_EQ(faces[0].sets[0].present, 10u);
  const std::vector<FaceResult> whole = Measure(ReadTestFont("glyphtest_full.woff2"), DigitsRequest());
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_FALSE(MeasuredInPart(whole[0]));
  EXPECT_EQ(whole[0].partial, PartialMeasure::kWhole);
  EXPECT_EQ(PartialWords(PartialMeasure::kWoff2Refused),
            "the WOFF2 decoder refused the file's data; only the part it decoded was measured");
}

}  // namespace
