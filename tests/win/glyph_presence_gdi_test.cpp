// The GDI glyph presence test under Wine, with the fonts of
// tools/make_gdi_test_fonts.py and real fonts.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "coverage/presence/glyph_presence.h"
#include "coverage/presence/glyph_presence_gdi.h"
#include "coverage/presence/stop_token.h"
#include "fontio/face_name.h"
#include "tests/win/win_test_support.h"

using namespace glyphcensus;

namespace {

constexpr UINT kProbeMessage = WM_APP + 7;

// One font registered and opened for measuring, closed at the end of scope.
class OpenFont {
 public:
  OpenFont(HWND /*dialog*/, const std::string& path, const StopToken* stop = nullptr) {
    if (!ReadWholeFile(path, &bytes_)) return;
    MutableByteView image{bytes_.data(), bytes_.size()};
    FaceName face;
    if (!ReadFaceName(image, &face)) return;
    context_ = OpenMeasuringContext(image, face, stop);
  }
  ~OpenFont() { Close(); }
  void Close() {
    if (context_ != nullptr) CloseMeasuringContext(context_);
    context_ = nullptr;
  }
  bool ok() const { return context_ != nullptr; }
  uint32_t Count(const std::u16string& text) { return CountPresentGlyphs(context_, text.c_str()); }

 private:
  std::vector<uint8_t> bytes_;
  MeasuringContext* context_ = nullptr;
};

class GlyphPresenceTest : public ::testing::Test {
 protected:
  void SetUp() override { PumpMessages(); }
  TestDialog windows_;
};

TEST_F(GlyphPresenceTest, EachStageOfTheInkTest) {
  OpenFont font(windows_.dialog, TestDataPath("gdi_edge.ttf"));
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.Count(u"A"), 1u) << "a box inside the cell";
  EXPECT_EQ(font.Count(u" "), 0u) << "the blank glyph";
  EXPECT_EQ(font.Count(u"B"), 0u) << "an empty glyph";
  EXPECT_EQ(font.Count(u"C"), 0u) << "zero advance: the cell is empty";
  EXPECT_EQ(font.Count(u"D"), 0u) << "ink right of the cell only";
  EXPECT_EQ(font.Count(u"E"), 0u) << "ink below the cell only";
  EXPECT_EQ(font.Count(u"F"), 1u) << "ink in the cell's first column";
  EXPECT_EQ(font.Count(u"G"), 0u) << "unmapped: the default glyph, though it has ink";
  EXPECT_EQ(font.Count(u"H"), 0u) << "a sliver outside the cell (Wine must not crash on it)";
  EXPECT_EQ(font.Count(u"ABCDEFGH A"), 3u);
}

TEST_F(GlyphPresenceTest, TheDefaultCharactersGlyphIsMissingEvenWithInk) {
  // glyphtest_default.ttf: OS/2 usDefaultChar is "?", whose glyph has ink; Z is
  // mapped to that glyph. GDI hands unmapped characters the same glyph.
  OpenFont font(windows_.dialog, TestDataPath("glyphtest_default.ttf"));
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.Count(u"A"), 1u);
  EXPECT_EQ(font.Count(u"?"), 0u);
  EXPECT_EQ(font.Count(u"Z"), 0u);
  EXPECT_EQ(font.Count(u"Q\u3042\u6F22"), 0u) << "unmapped characters";
}

// A symbol font (cmap (3,0) only): GDI looks the characters U+0020-U+00FF up
// U+F000 above, then at their own codes; the FreeType test takes the same
// glyphs (SymbolFontsMapAsGdiDoes there).
TEST_F(GlyphPresenceTest, SymbolFontsMapU0020ToU00FFAtF020ToF0FF) {
  OpenFont font(windows_.dialog, TestDataPath("gdi_symbol.ttf"));
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.Count(u"A"), 1u) << "at U+F041";
  EXPECT_EQ(font.Count(u"\uF041"), 1u) << "its own code";
  EXPECT_EQ(font.Count(u"B"), 1u) << "at U+0042 only, as old symbol fonts have it";
  EXPECT_EQ(font.Count(u"\uF042"), 1u) << "U+F042 looked up again U+F000 below";
  EXPECT_EQ(font.Count(u"\u00B1"), 1u) << "U+00B1 at U+F0B1";
  EXPECT_EQ(font.Count(u" "), 0u) << "U+F020 is the blank glyph";
  EXPECT_EQ(font.Count(u"C?\u0141\u3042\u4E9C"), 0u) << "unmapped";
  EXPECT_EQ(font.Count(u"AZa09!"), 6u);
}

// Uniscribe cannot always read a font's properties. Without them the special
// glyphs are still those the FreeType test takes, so that a font whose default
// glyph has ink does not count the characters it lacks.
TEST_F(GlyphPresenceTest, WithoutFontPropertiesTheSpecialGlyphsStillNeverCount) {
  struct Simulation {
    Simulation() { SimulateFontPropertiesFailure(true); }
    ~Simulation() { SimulateFontPropertiesFailure(false); }
  } simulation;
  OpenFont edge(windows_.dialog, TestDataPath("gdi_edge.ttf"));  // .notdef has ink
  ASSERT_TRUE(edge.ok());
  EXPECT_EQ(edge.Count(u"G\u3042\U00020000"), 0u) << "unmapped: glyph 0";
  EXPECT_EQ(edge.Count(u" AF\U00020B9F"), 3u);
  OpenFont inkedDefault(windows_.dialog, TestDataPath("glyphtest_default.ttf"));
  ASSERT_TRUE(inkedDefault.ok());
  EXPECT_EQ(inkedDefault.Count(u"?Z"), 0u) << "the glyph of usDefaultChar";
  EXPECT_EQ(inkedDefault.Count(u"Q\u3042"), 0u);
  EXPECT_EQ(inkedDefault.Count(u"A"), 1u);
}

// A font GDI cannot find by the name asked for is not measured at all: GDI
// would hand out an installed substitute instead.
TEST_F(GlyphPresenceTest, AFaceGdiDoesNotKnowByTheNameIsNotMeasured) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(TestDataPath("gdi_mac_japanese.ttf"), &bytes));
  MutableByteView image{bytes.data(), bytes.size()};
  FaceName face, request;
  ASSERT_TRUE(ReadFaceName(image, &face, &request));
  EXPECT_EQ(request, u"Mac Gothic");
  EXPECT_EQ(OpenMeasuringContext(image, u"No Such Family Anywhere"), nullptr);
  MeasuringContext* context = OpenMeasuringContext(image, request);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(CountPresentGlyphs(context, u"ABCD\u3042\u30A2\u4E9C\u4E00"), 6u);
  CloseMeasuringContext(context);
}

TEST_F(GlyphPresenceTest, SurrogatePairsCountOnceAndUnpairedHalvesNever) {
  OpenFont font(windows_.dialog, TestDataPath("gdi_edge.ttf"));
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.Count(u"\U00020B9F"), 1u);
  EXPECT_EQ(font.Count(u"\U0002000B"), 1u);
  EXPECT_EQ(font.Count(u"A\U00020B9FB\U0002000B"), 3u);
  EXPECT_EQ(font.Count(u"\U00020000"), 0u) << "a pair the font does not map";
  EXPECT_EQ(font.Count(std::u16string(1, u'\xD842')), 0u) << "a lone high surrogate";
  EXPECT_EQ(font.Count(std::u16string(1, u'\xDF9F')), 0u) << "a lone low surrogate";
  EXPECT_EQ(font.Count(std::u16string{u'\xD842', u'A'}), 1u);
  // 93 letters and 7 pairs: 107 code units, at most 100 characters.
  std::u16string hundred(93, u'A');
  for (int i = 0; i < 7; ++i) hundred += u"\U00020B9F";
  ASSERT_EQ(hundred.size(), 107u);
  EXPECT_EQ(font.Count(hundred), 100u);
}

TEST_F(GlyphPresenceTest, EmptyStringCountsNothingButStillDrainsTheQueue) {
  OpenFont font(windows_.dialog, TestDataPath("gdi_edge.ttf"));
  ASSERT_TRUE(font.ok());
  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), kProbeMessage, 0, 0));
  EXPECT_EQ(font.Count(u""), 0u);
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, nullptr, kProbeMessage, kProbeMessage, PM_REMOVE));
}

TEST_F(GlyphPresenceTest, RequestedStopCountsNothingAndHandlesNoMessage) {
  StopToken stop;
  OpenFont font(windows_.dialog, TestDataPath("gdi_edge.ttf"), &stop);
  ASSERT_TRUE(font.ok());
  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), kProbeMessage, 0, 0));
  RequestStop(&stop);
  EXPECT_EQ(font.Count(u"AF\U00020B9F"), 0u);
  ClearStop(&stop);
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, nullptr, kProbeMessage, kProbeMessage, PM_REMOVE));
  EXPECT_EQ(font.Count(u"AF\U00020B9F"), 3u) << "the context still works afterwards";
}

// The face GDI maps `face` to, asked at a size the measuring font never uses.
std::wstring MappedFace(const wchar_t* face) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-43, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, 0, 0, 0,
                           face);
  HGDIOBJ kept = SelectObject(dc, font);
  wchar_t mapped[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, mapped);
  SelectObject(dc, kept);
  DeleteObject(font);
  DeleteDC(dc);
  return mapped;
}

// Wine 8's RemoveFontMemResourceEx is a stub (it returns TRUE and removes
// nothing), so under Wine registrations pile up and the first registered face
// of a family keeps answering for its name. These two tests therefore only run
// on Windows.
constexpr char kRemovalIsAStub[] = "RemoveFontMemResourceEx does nothing under Wine 8";

TEST_F(GlyphPresenceTest, ClosingRemovesThePrivateRegistration) {
  if (IsWine()) GTEST_SKIP() << kRemovalIsAStub;
  OpenFont font(windows_.dialog, TestDataPath("gdi_twin_a.ttf"));
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(MappedFace(L"Vwin Sans"), L"Vwin Sans");
  font.Close();
  EXPECT_NE(MappedFace(L"Vwin Sans"), L"Vwin Sans");
}

TEST_F(GlyphPresenceTest, EachFontOfOneFamilyIsMeasuredThroughItsOwnRegistration) {
  if (IsWine()) GTEST_SKIP() << kRemovalIsAStub;
  {
    OpenFont first(windows_.dialog, TestDataPath("gdi_twin_a.ttf"));
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.Count(u"A"), 1u);
    EXPECT_EQ(first.Count(u"B"), 0u);
  }
  OpenFont second(windows_.dialog, TestDataPath("gdi_twin_b.ttf"));
  ASSERT_TRUE(second.ok());
  EXPECT_EQ(second.Count(u"A"), 0u);
  EXPECT_EQ(second.Count(u"B"), 1u);
}

TEST_F(GlyphPresenceTest, AnImageThatCannotBeRegisteredOpensNothing) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(TestDataPath("gdi_edge.ttf"), &bytes));
  MutableByteView image{bytes.data(), bytes.size()};
  FaceName face;
  ASSERT_TRUE(ReadFaceName(image, &face));
  // A table directory that promises tables the image does not hold.
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 64);
  EXPECT_EQ(OpenMeasuringContext(MutableByteView{cut.data(), cut.size()}, face),
            nullptr);
  EXPECT_EQ(OpenMeasuringContext(MutableByteView{}, face), nullptr);
}

TEST_F(GlyphPresenceTest, RepeatedReportsHoldNoGdiObjects) {
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 20; ++i) {
    OpenFont font(windows_.dialog, TestDataPath("gdi_edge.ttf"));
    ASSERT_TRUE(font.ok());
    EXPECT_EQ(font.Count(u"AF"), 2u);
  }
  const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (before == 0 && after == 0) GTEST_SKIP() << "GDI object counts not reported here";
  EXPECT_LE(after, before + 2);
}

TEST_F(GlyphPresenceTest, RealFontsSupplementaryKanjiUnderWine) {
  // IPAGothic maps U+2000B and U+20B9F (JIS X 0213 level 3 and 4 kanji) and
  // lacks U+20000.
  OpenFont font(windows_.dialog, "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf");
  ASSERT_TRUE(font.ok());
  EXPECT_EQ(font.Count(u"\U0002000B\U00020B9F\U00020000"), 2u);
  EXPECT_EQ(font.Count(u"あア漢 "), 3u);
}

}  // namespace
