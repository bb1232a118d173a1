// The font job under Wine: the message box for a file that cannot be opened,
// silent refusal, the end of a complete run, a stop during the report, and the
// WOFF containers measured like the font they wrap.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "coverage/sets/character_sets.h"
#include "app/coverage_report.h"
#include "coverage/output/report_lines.h"
#include "coverage/presence/stop_token.h"
#include "app/font_job.h"
#include "tests/win/win_test_support.h"

using namespace glyphcensus;

namespace {

// A message box seen on the dialog's thread, where the worker has it shown.
struct SeenBox {
  HWND box = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
};

struct BoxWatch {
  std::vector<SeenBox> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM parameter) {
  auto* watch = reinterpret_cast<BoxWatch*>(parameter);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  for (const SeenBox& seen : watch->boxes) {
    if (seen.box == window) return TRUE;  // already answered, still closing
  }
  SeenBox seen;
  seen.box = window;
  seen.owner = GetWindow(window, GW_OWNER);
  seen.caption = WindowText(window);
  seen.text = WindowText(GetDlgItem(window, 0xFFFF));  // the message text
  watch->boxes.push_back(seen);
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

// Finds message boxes of the worker thread, reads them and presses OK.
void AnswerMessageBoxes(DWORD threadId, void* context) {
  EnumThreadWindows(threadId, CollectBox, reinterpret_cast<LPARAM>(context));
}

struct JobRun {
  DWORD exitCode = 0;
  BoxWatch watch;
};

// The stop token the tests hand to the job, as the dialog hands it its own.
StopToken jobStop;

JobRun RunJob(TestDialog& windows, const std::string& path) {
  FontJob job = {};
  job.dialog = windows.dialog;
  job.resultBox = windows.resultBox;
  job.stop = &jobStop;
  const std::wstring widePath = Widen(path);
  EXPECT_LT(widePath.size(), 260u);
  widePath.copy(job.path, 259);
  JobRun run;
  windows.log.whileBoxShown = AnswerMessageBoxes;
  windows.log.boxContext = &run.watch;
  run.exitCode = RunOnThreadPumping(RunFontJob, &job);
  return run;
}

// The report the job must write for `counts` (one per set), face name first.
std::wstring ExpectedReport(const std::wstring& faceName, const std::vector<int32_t>& counts) {
  std::wstring report = faceName + L"\r\n";
  for (int i = 0; i < kCharacterSetCount; ++i) {
    char16_t line[kReportLineCapacity];
    FormatCoverageLine(kCharacterSets[i], counts[i], line);
    report += reinterpret_cast<const wchar_t*>(line);
    report += L"\r\n";
  }
  return report;
}

// tt.ttf ("Test Sans") draws A, V and あ; its space is blank.
std::wstring TestSansReport() {
  std::vector<int32_t> counts(kCharacterSetCount, 0);
  counts[kLatinLetters] = 2;
  counts[kHiragana] = 1;
  return ExpectedReport(L"Test Sans", counts);
}

class FontJobTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearStop(&jobStop); }
  void TearDown() override { ClearStop(&jobStop); }
};

TEST_F(FontJobTest, FileThatCannotBeOpenedShowsTheMessageBoxOnce) {
  // A missing file, and a folder (which CreateFileW does not open).
  for (const std::string& path : {TestDataPath("no_such_font.ttf"), TestDataPath("")}) {
    SCOPED_TRACE(path);
    TestDialog windows;
    SetWindowTextW(windows.resultBox, L"previous report");
    windows.log.captions.clear();
    JobRun run = RunJob(windows, path);

    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.watch.boxes.size(), 1u);
    EXPECT_EQ(run.watch.boxes[0].caption, L"GlyphCensus");
    EXPECT_EQ(run.watch.boxes[0].text, L"ファイルが開けません。");
    EXPECT_EQ(run.watch.boxes[0].owner, windows.dialog);
    EXPECT_EQ(windows.log.cannotOpen, 1);
    EXPECT_EQ(WindowText(windows.resultBox), L"previous report");
    EXPECT_TRUE(windows.log.captions.empty());
    EXPECT_EQ(windows.log.jobDone, 0);
  }
}

TEST_F(FontJobTest, RefusedFilesChangeNothingAndSayNothing) {
  // sfnt version 2.0; a WOFF wrapping a collection; an empty file; a
  // collection whose first font offset lies outside the file.
  const std::vector<std::vector<uint8_t>> refused = {
      {0x00, 0x02, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},
      {'w', 'O', 'F', 'F', 't', 't', 'c', 'f', 0, 0, 0, 0, 0, 0, 0, 0},
      {},
      {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 1, 0x7F, 0, 0, 0},
  };
  for (size_t i = 0; i < refused.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string path = TestDataPath("win_refused_" + std::to_string(i) + ".bin");
    ASSERT_TRUE(WriteWholeFile(path, refused[i]));
    TestDialog windows;
    SetWindowTextW(windows.resultBox, L"previous report");
    SetWindowTextW(windows.dialog, L"(1/2)old.ttf");
    windows.log.captions.clear();
    JobRun run = RunJob(windows, path);

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.watch.boxes.empty());
    EXPECT_EQ(WindowText(windows.resultBox), L"previous report");
    EXPECT_EQ(WindowText(windows.dialog), L"(1/2)old.ttf");
    EXPECT_TRUE(windows.log.captions.empty());
    EXPECT_EQ(windows.log.jobDone, 0);
  }
}

TEST_F(FontJobTest, CompleteRunScrollsBackPutsTheCaretFirstAndReportsDoneOnce) {
  TestDialog windows;
  SetWindowTextW(windows.resultBox, L"previous report");
  JobRun run = RunJob(windows, TestDataPath("tt.ttf"));

  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(run.watch.boxes.empty());
  EXPECT_EQ(WindowText(windows.resultBox), TestSansReport());
  EXPECT_EQ(windows.log.jobDone, 1);
  DWORD start = 1, end = 1;
  SendMessageW(windows.resultBox, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
  EXPECT_EQ(SendMessageW(windows.resultBox, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // The last caption is the report's; the job does not restore it.
  ASSERT_FALSE(windows.log.captions.empty());
  EXPECT_EQ(windows.log.captions.back(), L"その他文字読み込み中...");
}

TEST_F(FontJobTest, TheResultBoxIsReallyScrolledDownBeforeTheJobScrollsBack) {
  // Guards the test above: 16 lines appended to this small box leave it
  // scrolled, so a first visible line of 0 afterwards is the job's doing.
  TestDialog windows;
  for (int i = 0; i < 16; ++i) {
    const int length = GetWindowTextLengthW(windows.resultBox);
    SendMessageW(windows.resultBox, EM_SETSEL, length, length);
    SendMessageW(windows.resultBox, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"line\r\n"));
  }
  EXPECT_GT(SendMessageW(windows.resultBox, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

void StopAtKanaCaption(DialogLog* log, const std::wstring& caption) {
  if (caption == L"仮名読み込み中...") RequestStop(&jobStop);
  (void)log;
}

TEST_F(FontJobTest, StopDuringTheReportEndsWithoutScrollOrDone) {
  TestDialog windows;
  windows.log.onCaption = StopAtKanaCaption;
  JobRun run = RunJob(windows, TestDataPath("tt.ttf"));

  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(windows.log.jobDone, 0);
  // Face name and the three ASCII lines; nothing after the stop.
  const std::wstring report = TestSansReport();
  size_t fourLines = 0;
  for (int i = 0; i < 4; ++i) fourLines = report.find(L"\r\n", fourLines) + 2;
  EXPECT_EQ(WindowText(windows.resultBox), report.substr(0, fourLines));
  ASSERT_FALSE(windows.log.captions.empty());
  EXPECT_EQ(windows.log.captions.back(), L"仮名読み込み中...");
  // The caret stays where the last write left it, at the end.
  DWORD start = 0, end = 0;
  SendMessageW(windows.resultBox, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, fourLines);
}

TEST_F(FontJobTest, StoppedBeforeItStartsTheJobOnlyClearsTheResultBox) {
  TestDialog windows;
  SetWindowTextW(windows.resultBox, L"previous report");
  windows.log.captions.clear();
  RequestStop(&jobStop);
  JobRun run = RunJob(windows, TestDataPath("tt.ttf"));

  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(WindowText(windows.resultBox), L"");
  EXPECT_TRUE(windows.log.captions.empty());
  EXPECT_EQ(windows.log.jobDone, 0);
}

TEST_F(FontJobTest, WoffAndWoff2AreMeasuredLikeTheFontTheyWrap) {
  for (const char* name : {"tt.woff", "tt.woff2"}) {
    SCOPED_TRACE(name);
    TestDialog windows;
    JobRun run = RunJob(windows, TestDataPath(name));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(WindowText(windows.resultBox), TestSansReport());
    EXPECT_EQ(windows.log.jobDone, 1);
  }
}

// Whole reports of real fonts, through the job and a real edit control.
TEST_F(FontJobTest, RealFontReports) {
  struct Case {
    const char* path;
    const wchar_t* report;
  };
  const Case cases[] = {
      {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
       L"IPAゴシック\r\n英字：全52\r\n数字：全10\r\n記号：全32\r\nひらがな：全77\r\n"
       L"カタカナ：全78\r\n教育漢字：全1,026\r\n常用漢字：全2,136\r\n第一水準：全2,965\r\n"
       L"第二水準：全3,390\r\n第三水準：全1,259\r\n第四水準：全2,436\r\n"
       L"IBM拡張文字：全388\r\nNEC特殊文字：82/83\r\nギリシア文字：全48\r\n"
       L"キリル文字：全66\r\n"},
      {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
       L"DejaVu Sans\r\n英字：全52\r\n数字：全10\r\n記号：全32\r\nひらがな：－\r\n"
       L"カタカナ：－\r\n教育漢字：－\r\n常用漢字：－\r\n第一水準：－\r\n第二水準：－\r\n"
       L"第三水準：－\r\n第四水準：－\r\nIBM拡張文字：23/388\r\nNEC特殊文字：35/83\r\n"
       L"ギリシア文字：全48\r\nキリル文字：全66\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    TestDialog windows;
    JobRun run = RunJob(windows, c.path);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(WindowText(windows.resultBox), c.report);
    EXPECT_EQ(windows.log.jobDone, 1);
  }
}

TEST_F(FontJobTest, CollectionIsMeasuredByItsFirstFont) {
  TestDialog windows;
  JobRun run = RunJob(windows, TestDataPath("collection.ttc"));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(windows.log.jobDone, 1);
  const std::wstring text = WindowText(windows.resultBox);
  EXPECT_EQ(text.substr(0, text.find(L"\r\n")), L"Test Sans");
}

}  // namespace
