// The coverage report with a fake presence test and a recording output: its
// lines, the captions and their order, and cancellation. (The line format
// itself is the core's: tests/coverage/report_lines_test.cpp.)
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"
#include "app/coverage_report.h"
#include "coverage/presence/glyph_presence.h"
#include "coverage/output/report_lines.h"
#include "coverage/presence/stop_token.h"
#include "app/report_output.h"

using namespace glyphcensus;

// ---- The fake presence test and the recording output ----------------------

namespace {

struct Event {
  enum Kind { Text, Caption, Open, Count, Close } kind;
  std::u16string text;  // Text, Caption
  int set = -1;         // Count
  int chunk = -1;       // Count, counted from 0
};

struct FakeWorld {
  std::vector<Event> events;
  bool openFails = false;
  // Returns what CountPresentGlyphs gives for a chunk until a stop is requested;
  // by default every character of the chunk is present.
  std::function<uint32_t(int set, int chunk, const char16_t* text)> count;
  // Called inside CountPresentGlyphs before it counts.
  std::function<void(int set, int chunk)> onCount;
  // Called after each text write.
  std::function<void(const std::u16string& text)> onText;
};

FakeWorld* world = nullptr;
int fakeContextToken = 0;
// The stop token the tests hand to the report, as the dialog hands it its own.
StopToken reportStop;

uint32_t CharacterCount(const char16_t* text) {
  uint32_t count = 0;
  for (; *text != u'\0'; ++text) {
    if (!(*text >= 0xDC00 && *text <= 0xDFFF)) ++count;
  }
  return count;
}

bool FindChunk(const char16_t* text, int* set, int* chunk) {
  for (int s = 0; s < kCharacterSetCount; ++s) {
    for (int c = 0; c < kCharacterSets[s].chunkCount; ++c) {
      if (kCharacterSets[s].chunks[c] == text) {
        *set = s;
        *chunk = c;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

namespace glyphcensus {

MeasuringContext* OpenMeasuringContext(MutableByteView, const FaceName&, const StopToken* stop) {
  EXPECT_EQ(stop, &reportStop);
  world->events.push_back({Event::Open, u""});
  if (world->openFails) return nullptr;
  return reinterpret_cast<MeasuringContext*>(&fakeContextToken);
}

uint32_t CountPresentGlyphs(MeasuringContext* context, const char16_t* text) {
  EXPECT_EQ(context, reinterpret_cast<MeasuringContext*>(&fakeContextToken));
  int set = -1;
  int chunk = -1;
  EXPECT_TRUE(FindChunk(text, &set, &chunk));
  world->events.push_back({Event::Count, u"", set, chunk});
  if (world->onCount) world->onCount(set, chunk);
  if (StopRequested(&reportStop)) return 0;
  return world->count ? world->count(set, chunk, text) : CharacterCount(text);
}

void CloseMeasuringContext(MeasuringContext* context) {
  EXPECT_EQ(context, reinterpret_cast<MeasuringContext*>(&fakeContextToken));
  world->events.push_back({Event::Close, u""});
}

void WriteResultText(WindowHandle, const char16_t* text) {
  EXPECT_FALSE(StopRequested(&reportStop));
  world->events.push_back({Event::Text, text});
  if (world->onText) world->onText(text);
}

void WriteCaption(WindowHandle, const char16_t* text) {
  EXPECT_FALSE(StopRequested(&reportStop));
  world->events.push_back({Event::Caption, text});
}

}  // namespace glyphcensus

// ---- Helpers ----------------------------------------------------------------

namespace {

std::vector<uint8_t> ReadTestFont(const char* name) {
  std::ifstream file(std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), {});
}

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearStop(&reportStop);
    world = &fake;
  }
  void TearDown() override {
    world = nullptr;
    ClearStop(&reportStop);
  }

  void Run(std::vector<uint8_t> bytes) {
    image = std::move(bytes);
    WriteCoverageReport(ReportTarget{nullptr, nullptr, &reportStop},
                        MutableByteView{image.data(), image.size()});
  }
  void RunEdgesFont() {
    std::vector<uint8_t> bytes = ReadTestFont("glyphtest_edges.ttf");
    ASSERT_FALSE(bytes.empty());
    Run(std::move(bytes));
  }

  std::u16string Text() const {
    std::u16string text;
    for (const Event& event : fake.events) {
      if (event.kind == Event::Text) text += event.text;
    }
    return text;
  }
  std::vector<std::u16string> Captions() const {
    std::vector<std::u16string> captions;
    for (const Event& event : fake.events) {
      if (event.kind == Event::Caption) captions.push_back(event.text);
    }
    return captions;
  }
  int CountOf(Event::Kind kind) const {
    int n = 0;
    for (const Event& event : fake.events) n += event.kind == kind;
    return n;
  }

  FakeWorld fake;
  std::vector<uint8_t> image;
};

std::u16string Line(int set, int32_t count) {
  char16_t line[kReportLineCapacity];
  FormatCoverageLine(kCharacterSets[set], count, line);
  return line;
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::u16string NumberedCaption(const char16_t* label, int k, int n) {
  return std::u16string(label) + u"読み込み中...(" + Ascii(std::to_string(k)) + u"/" +
         Ascii(std::to_string(n)) + u")";
}

// ---- Whole reports --------------------------------------------------------------

TEST_F(ReportTest, FullCoverageWritesSixteenLines) {
  RunEdgesFont();
  std::u16string expected = u"Glyph Edges\r\n";
  for (int set = 0; set < kCharacterSetCount; ++set) expected += Line(set, kCharacterSets[set].total) + u"\r\n";
  EXPECT_EQ(Text(), expected);
  EXPECT_EQ(CountOf(Event::Open), 1);
  EXPECT_EQ(CountOf(Event::Count), 148);
  EXPECT_EQ(CountOf(Event::Close), 1);
  EXPECT_EQ(fake.events.back().kind, Event::Close);
}

TEST_F(ReportTest, CountsAreSummedOverChunks) {
  // Two characters of each chunk of JisLevel2 (34 chunks), none elsewhere.
  fake.count = [](int set, int, const char16_t*) { return set == kJisLevel2 ? 2u : 0u; };
  RunEdgesFont();
  const std::u16string text = Text();
  EXPECT_NE(text.find(u"\r\n第二水準：68/3,390\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"\r\n英字：－\r\n"), std::u16string::npos);
}

TEST_F(ReportTest, CaptionsComeInOrderBetweenTheRightLinesAndTests) {
  RunEdgesFont();
  std::vector<std::u16string> expected = {u"ASCII文字読み込み中...", u"仮名読み込み中..."};
  const struct { int set; const char16_t* label; int chunks; } kanji[] = {
      {kEducationKanji, u"教育漢字", 11}, {kRegularUseKanji, u"常用漢字", 22},
      {kJisLevel1, u"第一水準", 30},      {kJisLevel2, u"第二水準", 34},
      {kJisLevel3, u"第三水準", 13},      {kJisLevel4, u"第四水準", 25}};
  for (const auto& set : kanji) {
    for (int k = 1; k <= set.chunks; ++k) expected.push_back(NumberedCaption(set.label, k, set.chunks));
  }
  expected.push_back(u"その他文字読み込み中...");
  EXPECT_EQ(Captions(), expected);

  // Interleaving: each caption stands just before the test it announces, and
  // group captions after the line of the set before.
  const std::vector<Event>& events = fake.events;
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i].kind != Event::Caption) continue;
    ASSERT_LT(i + 1, events.size());
    ASSERT_EQ(events[i + 1].kind, Event::Count) << i;
    const int set = events[i + 1].set;
    if (kCharacterSets[set].progress == ProgressKind::kNumbered) {
      EXPECT_EQ(events[i].text, NumberedCaption(kCharacterSets[set].label, events[i + 1].chunk + 1,
                                                kCharacterSets[set].chunkCount));
    } else {
      EXPECT_EQ(events[i + 1].chunk, 0);
      EXPECT_TRUE(set == kLatinLetters || set == kHiragana || set == kIbmExtensions) << set;
    }
    if (i >= 2 && events[i - 1].kind == Event::Text) EXPECT_EQ(events[i - 1].text, u"\r\n");
  }
  // The first caption follows the opening of the context.
  size_t firstCaption = 0;
  while (events[firstCaption].kind != Event::Caption) ++firstCaption;
  EXPECT_EQ(events[firstCaption - 1].kind, Event::Open);
}

TEST_F(ReportTest, CancelledDuringChunk17OfLevel2) {
  fake.onCount = [](int set, int chunk) {
    if (set == kJisLevel2 && chunk == 16) RequestStop(&reportStop);
  };
  RunEdgesFont();
  const std::u16string text = Text();
  EXPECT_NE(text.find(u"第一水準：全2,965\r\n"), std::u16string::npos);
  EXPECT_EQ(text.find(u"第二水準"), std::u16string::npos);
  EXPECT_EQ(text.size() - text.rfind(u"第一水準：全2,965\r\n"), std::u16string(u"第一水準：全2,965\r\n").size());
  EXPECT_EQ(Captions().back(), u"第二水準読み込み中...(17/34)");
  // No early exit: every chunk is still handed over (and counts 0), then the
  // context is closed.
  EXPECT_EQ(CountOf(Event::Count), 148);
  EXPECT_EQ(CountOf(Event::Close), 1);
  EXPECT_EQ(fake.events.back().kind, Event::Close);
}

TEST_F(ReportTest, CancelledBetweenALineAndItsEnd) {
  fake.onText = [](const std::u16string& text) {
    if (text == u"数字：全10") RequestStop(&reportStop);
  };
  RunEdgesFont();
  const std::u16string text = Text();
  EXPECT_EQ(text.substr(text.size() - std::u16string(u"英字：全52\r\n数字：全10").size()),
            u"英字：全52\r\n数字：全10");
  EXPECT_EQ(CountOf(Event::Close), 1);
}

TEST_F(ReportTest, InactiveOnEntryWritesNothingButOpensAndCloses) {
  RequestStop(&reportStop);
  RunEdgesFont();
  EXPECT_EQ(CountOf(Event::Text), 0);
  EXPECT_EQ(CountOf(Event::Caption), 0);
  EXPECT_EQ(CountOf(Event::Open), 1);
  EXPECT_EQ(CountOf(Event::Close), 1);
}

TEST_F(ReportTest, RefusedImageWritesAndOpensNothing) {
  std::vector<uint8_t> bytes(64, 0);
  std::memcpy(bytes.data(), "abcd", 4);
  Run(bytes);
  EXPECT_TRUE(fake.events.empty());
  // A collection with an unknown version is refused too.
  std::vector<uint8_t> collection(64, 0);
  std::memcpy(collection.data(), "TTCF\x00\x03\x00\x00", 8);
  Run(collection);
  EXPECT_TRUE(fake.events.empty());
}

TEST_F(ReportTest, OpenFailureLeavesTheFaceLineAlone) {
  fake.openFails = true;
  RunEdgesFont();
  EXPECT_EQ(Text(), u"Glyph Edges\r\n");
  EXPECT_EQ(CountOf(Event::Caption), 0);
  EXPECT_EQ(CountOf(Event::Count), 0);
  EXPECT_EQ(CountOf(Event::Close), 0);
}

TEST_F(ReportTest, FontWithoutNameTableHasAnEmptyFirstLine) {
  // An sfnt header with no tables: accepted, no family name.
  std::vector<uint8_t> bytes(12, 0);
  bytes[1] = 1;
  fake.count = [](int, int, const char16_t*) { return 0u; };
  Run(bytes);
  const std::u16string text = Text();
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(0, 2 + std::u16string(u"英字：－").size()), u"\r\n英字：－");
}

}  // namespace
