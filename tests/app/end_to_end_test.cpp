// GlyphCensus.exe as a black box, driven the way a user drives it: started
// with or without a font file, files dropped on it, keys pressed, closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/app/program_driver.h"
#include "tests/app/test_folder.h"

namespace {

constexpr DWORD kMeasureTimeout = 120000;  // one small font under Wine takes seconds
constexpr DWORD kQuiet = 1500;             // time in which nothing may change

const wchar_t* const kLabels[] = {L"英字", L"数字", L"記号", L"ひらがな", L"カタカナ",
                                  L"教育漢字", L"常用漢字", L"第一水準", L"第二水準", L"第三水準",
                                  L"第四水準", L"IBM拡張文字", L"NEC特殊文字", L"ギリシア文字",
                                  L"キリル文字"};

// The report of a font drawing nothing but what `counts` names (label -> text
// after the colon).
std::wstring ExpectedReport(const std::wstring& face, const std::map<std::wstring, std::wstring>& counts) {
  std::wstring report = face + L"\r\n";
  for (const wchar_t* label : kLabels) {
    const auto found = counts.find(label);
    report += std::wstring(label) + L"：" + (found == counts.end() ? L"－" : found->second) + L"\r\n";
  }
  return report;
}

const std::map<std::wstring, std::wstring> kM1 = {
    {L"英字", L"全52"}, {L"数字", L"全10"}, {L"教育漢字", L"1/1,026"}, {L"常用漢字", L"1/2,136"},
    {L"第一水準", L"1/2,965"}};

// The mixed folder: m1.ttf m2.otf m3.ttc m4.woff m5.woff2, m6.ttf (refused),
// m7.ttf (a font; locked where a test needs an unreadable file).
std::wstring MixedFolder(const std::wstring& name) {
  const std::wstring folder = MakeScratchFolder(name);
  CopyFolderFiles(TestDataPath(L"mixed"), folder);
  CreateDirectoryW((folder + L"\\m8.ttf").c_str(), nullptr);
  WriteTestFile(folder + L"\\m8.ttf\\inner.ttf", "not looked at");
  return folder;
}

HANDLE LockFile(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Waits for the "cannot open" message box, checks its texts and closes it.
void ExpectCannotOpenBoxAndCloseIt(ProgramDriver& program) {
  HWND message = program.WaitForMessageBox(30000);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(ReadWindowText(message), L"GlyphCensus");
  EXPECT_EQ(ReadWindowText(GetDlgItem(message, 0xFFFF)), L"ファイルが開けません。");
  PostMessageW(message, WM_COMMAND, IDOK, 0);
  for (DWORD start = GetTickCount(); IsWindow(message) && GetTickCount() - start < 10000;) Sleep(20);
  EXPECT_FALSE(IsWindow(message));
}

TEST(Program, StartedWithAFontMeasuresItAndShowsItsPlace) {
  const std::wstring folder = MixedFolder(L"e2e_start");
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, folder + L"\\m1.ttf"));
  ASSERT_TRUE(program.WaitForCaption(L"(1/7)m1.ttf", kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcMixedTtf", kM1));
  EXPECT_TRUE(GetWindowLongW(program.dialog(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  if (!RunningUnderWine()) {  // Wine answers WM_GETICON from another process with 0
    EXPECT_NE(SendMessageW(program.dialog(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(program.dialog(), WM_GETICON, ICON_SMALL, 0), 0);
  }
  // The result box keeps the caret at its start after the report.
  DWORD start = 1, end = 1;
  SendMessageW(program.resultBox(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
  program.PressKey(VK_ESCAPE);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

TEST(Program, StartedInTheFontFolderWithABareFileName) {
  // As typed in a console open in the font folder: "GlyphCensus.exe m1.ttf".
  const std::wstring folder = MixedFolder(L"e2e_bare_name");
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, L"m1.ttf"));
  ASSERT_TRUE(program.WaitForCaption(L"(1/7)m1.ttf", kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcMixedTtf", kM1));
  program.PressKey(VK_ESCAPE);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

TEST(Program, RealFontGivesItsFullReport) {
  const std::wstring folder = MakeScratchFolder(L"e2e_ipagothic");
  ASSERT_TRUE(CopyFileW(FullPath(L"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf").c_str(),
                        (folder + L"\\ipag.ttf").c_str(), FALSE));
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, folder + L"\\ipag.ttf"));
  ASSERT_TRUE(program.WaitForCaption(L"(1/1)ipag.ttf", 4 * kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(),
            ExpectedReport(L"IPAゴシック",
                           {{L"英字", L"全52"}, {L"数字", L"全10"}, {L"記号", L"全32"}, {L"ひらがな", L"全77"},
                            {L"カタカナ", L"全78"}, {L"教育漢字", L"全1,026"}, {L"常用漢字", L"全2,136"},
                            {L"第一水準", L"全2,965"}, {L"第二水準", L"全3,390"}, {L"第三水準", L"全1,259"},
                            {L"第四水準", L"全2,436"}, {L"IBM拡張文字", L"全388"}, {L"NEC特殊文字", L"82/83"},
                            {L"ギリシア文字", L"全48"}, {L"キリル文字", L"全66"}}));
  program.PressKey(VK_RETURN);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

TEST(Program, CaptionCountsInNaturalOrder) {
  const std::wstring folder = MakeScratchFolder(L"e2e_natural");
  CopyFolderFiles(TestDataPath(L"natural"), folder);
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, folder + L"\\a10.ttf"));
  ASSERT_TRUE(program.WaitForCaption(L"(3/3)a10.ttf", kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcNaturalA10", {{L"英字", L"全52"}}));
  program.PressKey(VK_LEFT);
  ASSERT_TRUE(program.WaitForCaption(L"(2/3)a2.otf", kMeasureTimeout)) << program.Caption().c_str();
  program.PressKey(VK_LEFT);
  ASSERT_TRUE(program.WaitForCaption(L"(1/3)A1.woff2", kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcNaturalA1", {{L"英字", L"全52"}}));
}

TEST(Program, StartedWithoutArgumentsWaitsForAFile) {
  const std::wstring folder = MakeScratchFolder(L"e2e_noargs");
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, L""));
  EXPECT_EQ(program.Caption(), L"GlyphCensus");
  EXPECT_EQ(program.Report(), L"");
  const int threads = program.ThreadCount();
  program.PressKey(VK_RIGHT);
  program.PressKey(VK_LEFT);
  Sleep(kQuiet);
  EXPECT_EQ(program.Caption(), L"GlyphCensus");
  EXPECT_EQ(program.Report(), L"");
  EXPECT_EQ(program.ThreadCount(), threads);
  program.PressKey(VK_RETURN);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

TEST(Program, DropsMeasureTheFirstFileOrTheFoldersLastFont) {
  const std::wstring mixed = MixedFolder(L"e2e_drop_mixed");
  const std::wstring natural = MakeScratchFolder(L"e2e_drop_natural");
  CopyFolderFiles(TestDataPath(L"natural"), natural);
  ProgramDriver program;
  ASSERT_TRUE(program.Start(MakeScratchFolder(L"e2e_drop"), L""));

  // Several files: only the first counts.
  ASSERT_TRUE(program.Drop(program.dialog(), {natural + L"\\a2.otf", mixed + L"\\m1.ttf"}));
  ASSERT_TRUE(program.WaitForCaption(L"(2/3)a2.otf", kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcNaturalA2", {{L"数字", L"全10"}}));

  // A file that is no font, dropped on the result box: the folder's last font.
  ASSERT_TRUE(program.Drop(program.resultBox(), {mixed + L"\\notes.txt"}));
  ASSERT_TRUE(program.WaitForCaption(L"(7/7)m7.ttf", kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcMixedLocked", {{L"英字", L"全52"}}));

  // The list is the new folder's: Left steps within it.
  program.PressKey(VK_LEFT);
  program.PressKey(VK_LEFT);
  ASSERT_TRUE(program.WaitForCaption(L"(5/7)m5.woff2", kMeasureTimeout)) << program.Caption().c_str();

  // A folder dropped: the list of its parent, and again the last entry.
  ASSERT_TRUE(program.Drop(program.resultBox(), {natural}));
  ASSERT_TRUE(program.Drop(program.dialog(), {natural + L"\\A1.woff2"}));
  ASSERT_TRUE(program.WaitForCaption(L"(1/3)A1.woff2", kMeasureTimeout)) << program.Caption().c_str();
  ASSERT_TRUE(program.Drop(program.dialog(), {mixed + L"\\m8.ttf"}));
  ASSERT_TRUE(program.WaitForCaption(L"(7/7)m7.ttf", kMeasureTimeout)) << program.Caption().c_str();
}

TEST(Program, ArrowsStepThroughAFolderOfMixedFiles) {
  const std::wstring folder = MixedFolder(L"e2e_mixed");
  HANDLE lock = LockFile(folder + L"\\m7.ttf");
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, folder + L"\\m1.ttf"));
  ASSERT_TRUE(program.WaitForCaption(L"(1/7)m1.ttf", kMeasureTimeout)) << program.Caption().c_str();

  program.PressKey(VK_LEFT);  // the first entry: nothing happens
  Sleep(kQuiet);
  EXPECT_EQ(program.Caption(), L"(1/7)m1.ttf");
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcMixedTtf", kM1));

  struct Step {
    const wchar_t* caption;
    const wchar_t* face;
    const wchar_t* label;
    const wchar_t* count;
  };
  const Step steps[] = {{L"(2/7)m2.otf", L"GcMixedOtf", L"数字", L"5/10"},
                        {L"(3/7)m3.ttc", L"GcMixedTtc", L"ひらがな", L"5/77"},
                        {L"(4/7)m4.woff", L"GcMixedWoff", L"カタカナ", L"3/78"},
                        {L"(5/7)m5.woff2", L"GcMixedWoff2", L"ギリシア文字", L"3/48"}};
  for (const Step& step : steps) {
    program.PressKey(VK_RIGHT);
    ASSERT_TRUE(program.WaitForCaption(step.caption, kMeasureTimeout)) << program.Caption().c_str();
    EXPECT_EQ(program.Report(), ExpectedReport(step.face, {{step.label, step.count}})) << step.caption;
  }
  const std::wstring m5Report = program.Report();

  // m6.ttf is refused without a word: caption and report stay.
  program.PressKey(VK_RIGHT);
  Sleep(kQuiet);
  EXPECT_EQ(program.Caption(), L"(5/7)m5.woff2");
  EXPECT_EQ(program.Report(), m5Report);

  // m7.ttf cannot be opened: the message box, and again nothing else changes.
  program.PressKey(VK_RIGHT);
  ExpectCannotOpenBoxAndCloseIt(program);
  EXPECT_EQ(program.Caption(), L"(5/7)m5.woff2");
  EXPECT_EQ(program.Report(), m5Report);

  program.PressKey(VK_RIGHT);  // the last entry: nothing happens
  Sleep(kQuiet);
  EXPECT_EQ(program.WaitForMessageBox(0), nullptr);
  EXPECT_EQ(program.Caption(), L"(5/7)m5.woff2");
  // The key never reached the result box: its caret is still at the start.
  DWORD start = 1, end = 1;
  SendMessageW(program.resultBox(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);

  program.PressKey(VK_LEFT);  // m6, refused
  program.PressKey(VK_LEFT);  // m5
  program.PressKey(VK_LEFT);  // m4
  ASSERT_TRUE(program.WaitForCaption(L"(4/7)m4.woff", kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcMixedWoff", {{L"カタカナ", L"3/78"}}));
  CloseHandle(lock);
  program.PressKey(VK_RETURN);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

TEST(Program, UnopenableStartFileShowsTheMessageBox) {
  const std::wstring folder = MixedFolder(L"e2e_unopenable");
  HANDLE lock = LockFile(folder + L"\\m7.ttf");
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, folder + L"\\m7.ttf"));
  ExpectCannotOpenBoxAndCloseIt(program);
  EXPECT_EQ(program.Caption(), L"GlyphCensus");
  EXPECT_EQ(program.Report(), L"");

  // Again, and this time keys are pressed while the message box is up. The
  // box is modal and shown by the dialog's own thread: the keys do nothing,
  // and once the box is closed the arrows work again.
  program.PressKey(VK_RIGHT);  // the last entry already: nothing happens
  program.PressKey(VK_LEFT);   // m6.ttf
  Sleep(kQuiet);
  program.PressKey(VK_RIGHT);  // m7.ttf again
  HWND message = program.WaitForMessageBox(30000);
  ASSERT_NE(message, nullptr);
  program.PressKey(VK_LEFT);
  program.PressKey(VK_LEFT);
  Sleep(kQuiet);
  EXPECT_TRUE(IsWindow(message));
  EXPECT_EQ(program.Caption(), L"GlyphCensus");
  PostMessageW(message, WM_COMMAND, IDOK, 0);
  for (DWORD start = GetTickCount(); IsWindow(message) && GetTickCount() - start < 10000;) Sleep(20);
  program.PressKey(VK_LEFT);  // m6.ttf
  program.PressKey(VK_LEFT);  // m5.woff2
  ASSERT_TRUE(program.WaitForCaption(L"(5/7)m5.woff2", kMeasureTimeout)) << program.Caption().c_str();
  EXPECT_EQ(program.Report(), ExpectedReport(L"GcMixedWoff2", {{L"ギリシア文字", L"3/48"}}));
  CloseHandle(lock);
  program.PressKey(VK_ESCAPE);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

// Expected index after `keys` from `index`, by the rule of the arrow keys.
int StepIndex(int index, int last, const std::vector<UINT>& keys) {
  for (UINT key : keys) {
    if (key == VK_LEFT && index > 0) --index;
    if (key == VK_RIGHT && index < last) ++index;
  }
  return index;
}

DWORD HandleCount(HANDLE process) {
  DWORD count = 0;
  GetProcessHandleCount(process, &count);
  return count;
}

TEST(Program, QuickArrowPressesWhileMeasuringEndWithTheLastChoice) {
  const std::wstring folder = MakeScratchFolder(L"e2e_cancel");
  CopyFolderFiles(TestDataPath(L"cancel"), folder);
  const wchar_t* const faces[] = {L"GcCancelOne", L"GcCancelTwo", L"GcCancelThree"};
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, folder + L"\\c1.ttf"));
  ASSERT_TRUE(program.WaitForCaption(L"(1/3)c1.ttf", kMeasureTimeout)) << program.Caption().c_str();
  const DWORD handles = HandleCount(program.process());
  const DWORD gdiObjects = GetGuiResources(program.process(), GR_GDIOBJECTS);
  const DWORD userObjects = GetGuiResources(program.process(), GR_USEROBJECTS);

  program.PressKey(VK_RIGHT);
  ASSERT_FALSE(program.WaitForCaptionChange(L"(1/3)c1.ttf", kMeasureTimeout).empty());
  std::vector<UINT> keys;
  for (int i = 0; i < 50; ++i) keys.push_back(i % 3 == 2 ? VK_LEFT : VK_RIGHT);
  // Pressed at slightly different moments, so that stops fall into every
  // stage of a measurement: reading, registering, testing, writing.
  for (size_t i = 0; i < keys.size(); ++i) {
    program.PressKey(keys[i]);
    Sleep(static_cast<DWORD>(i % 4) * 15);
  }
  const int index = StepIndex(1, 2, keys);
  const std::wstring caption = L"(" + std::to_wstring(index + 1) + L"/3)c" + std::to_wstring(index + 1) + L".ttf";
  ASSERT_TRUE(program.WaitForCaption(caption, 4 * kMeasureTimeout)) << program.Caption().c_str();
  const std::vector<std::wstring> lines = ReportLines(program.Report());
  ASSERT_EQ(lines.size(), 16u) << program.Report().c_str();
  EXPECT_EQ(lines[0], faces[index]);
  EXPECT_EQ(lines[1], L"英字：全52");
  EXPECT_EQ(lines[4], L"ひらがな：全77");
  EXPECT_EQ(lines[6], L"教育漢字：全1,026");
  EXPECT_EQ(lines[8], L"第一水準：全2,965");

  // Still responsive, and no handles or GDI objects piled up.
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutW(program.dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);
  if (handles) EXPECT_LE(HandleCount(program.process()), handles + 8);
  if (gdiObjects) EXPECT_LE(GetGuiResources(program.process(), GR_GDIOBJECTS), gdiObjects + 8);
  if (userObjects) EXPECT_LE(GetGuiResources(program.process(), GR_USEROBJECTS), userObjects + 8);
  printf("handles %lu -> %lu, GDI objects %lu -> %lu, USER objects %lu -> %lu\n", handles,
         HandleCount(program.process()), gdiObjects, GetGuiResources(program.process(), GR_GDIOBJECTS),
         userObjects, GetGuiResources(program.process(), GR_USEROBJECTS));
  program.PressKey(VK_ESCAPE);
  EXPECT_EQ(program.WaitForExit(30000), 0u);
}

// Quick arrows back and forth over an unreadable file: whatever the worker is
// doing when a stop comes (reading, waiting for its "cannot open" box, which
// the dialog's thread shows), the stop ends and nothing piles up.
TEST(Program, QuickArrowsOverAnUnreadableFileNeverFreeze) {
  const std::wstring folder = MixedFolder(L"e2e_unreadable_stress");
  HANDLE lock = LockFile(folder + L"\\m7.ttf");
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ProgramDriver program;
  ASSERT_TRUE(program.Start(folder, folder + L"\\m5.woff2"));
  ASSERT_TRUE(program.WaitForCaption(L"(5/7)m5.woff2", kMeasureTimeout)) << program.Caption().c_str();
  const DWORD handles = HandleCount(program.process());
  const DWORD userObjects = GetGuiResources(program.process(), GR_USEROBJECTS);

  int boxes = 0;
  for (int i = 0; i < 40; ++i) {
    program.PressKey(i % 2 == 0 ? VK_RIGHT : VK_LEFT);
    program.PressKey(VK_RIGHT);
    Sleep(static_cast<DWORD>(i % 4) * 15);
    if (HWND box = program.WaitForMessageBox(0)) {
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      ++boxes;
    }
  }
  // Close the boxes still coming until none shows for a while, then go to the
  // last entry (wherever the keys ended) and close its box too.
  const auto closeBoxes = [&program, &boxes] {
    while (HWND box = program.WaitForMessageBox(kQuiet)) {
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      ++boxes;
      Sleep(100);
    }
  };
  closeBoxes();
  program.PressKey(VK_RIGHT);
  program.PressKey(VK_RIGHT);
  closeBoxes();
  EXPECT_GT(boxes, 0);
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutW(program.dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);
  // The arrows still work: from m7.ttf three to the left is m4.woff.
  for (int i = 0; i < 3; ++i) program.PressKey(VK_LEFT);
  ASSERT_TRUE(program.WaitForCaption(L"(4/7)m4.woff", kMeasureTimeout)) << program.Caption().c_str();
  if (handles) EXPECT_LE(HandleCount(program.process()), handles + 8);
  if (userObjects) EXPECT_LE(GetGuiResources(program.process(), GR_USEROBJECTS), userObjects + 8);
  printf("%d boxes; handles %lu -> %lu\n", boxes, handles, HandleCount(program.process()));
  CloseHandle(lock);
  program.PressKey(VK_ESCAPE);
  EXPECT_EQ(program.WaitForExit(30000), 0u);
}

TEST(Program, OverLongArgumentIsRefusedCleanly) {
  const std::wstring folder = MixedFolder(L"e2e_long_argument");
  ProgramDriver program;
  // 260 units and more cannot be a path of the program's: as if none was given.
  ASSERT_TRUE(program.Start(folder, folder + L"\\" + std::wstring(300 - folder.size(), L'x') + L".ttf"));
  program.PressKey(VK_RIGHT);
  Sleep(kQuiet);
  EXPECT_EQ(program.Caption(), L"GlyphCensus");
  EXPECT_EQ(program.Report(), L"");
  program.PressKey(VK_RETURN);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

// ---- closing and the settings file ------------------------------------------

std::string ReadSettings(const std::wstring& folder) {
  std::string text;
  HANDLE file = CreateFileW((folder + L"\\GlyphCensus.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD read = 0;
  if (ReadFile(file, buffer, sizeof buffer, &read, nullptr)) text.assign(buffer, read);
  CloseHandle(file);
  return text;
}

std::string ExpectedSettings(int x, int y, int width, int height) {
  // Windows keeps the leading space of " %d"; Wine's profile writer drops it.
  const std::string space = RunningUnderWine() ? "" : " ";
  return "[SystemSetting]\r\nx=" + space + std::to_string(x) + "\r\ny=" + space + std::to_string(y) +
         "\r\nwidth=" + space + std::to_string(width) + "\r\nheight=" + space + std::to_string(height) + "\r\n";
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST(Program, EnterAndEscapeCloseAndKeepThePlacement) {
  const std::wstring folder = MakeScratchFolder(L"e2e_settings");
  {
    ProgramDriver program;  // no settings file yet: the defaults
    ASSERT_TRUE(program.Start(folder, L""));
    const RECT rect = WindowRect(program.dialog());
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right, 330);
    EXPECT_EQ(rect.bottom, 250);
    program.PressKey(VK_RETURN);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    EXPECT_EQ(ReadSettings(folder), ExpectedSettings(10, 10, 320, 240));
  }
  {
    ProgramDriver program;
    ASSERT_TRUE(program.Start(folder, L""));
    SetWindowPos(program.dialog(), nullptr, 60, 70, 400, 300, SWP_NOZORDER);
    program.PressKey(VK_ESCAPE);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    EXPECT_EQ(ReadSettings(folder), ExpectedSettings(60, 70, 400, 300));
  }
  {
    ProgramDriver program;  // the saved placement comes back
    ASSERT_TRUE(program.Start(folder, L""));
    const RECT rect = WindowRect(program.dialog());
    EXPECT_EQ(rect.left, 60);
    EXPECT_EQ(rect.top, 70);
    EXPECT_EQ(rect.right, 460);
    EXPECT_EQ(rect.bottom, 370);
    // The window cannot be made smaller than 256 x 128.
    SetWindowPos(program.dialog(), nullptr, 0, 0, 100, 50, SWP_NOZORDER | SWP_NOMOVE);
    const RECT small = WindowRect(program.dialog());
    EXPECT_GE(small.right - small.left, 256);
    EXPECT_GE(small.bottom - small.top, 128);
  }
}

TEST(Program, CloseWhileMaximizedOrMinimizedSavesTheRestoredRectangle) {
  for (int show : {SW_MAXIMIZE, SW_MINIMIZE}) {
    const std::wstring folder = MakeScratchFolder(show == SW_MAXIMIZE ? L"e2e_maximized" : L"e2e_minimized");
    ProgramDriver program;
    ASSERT_TRUE(program.Start(folder, L""));
    SetWindowPos(program.dialog(), nullptr, 40, 50, 300, 200, SWP_NOZORDER);
    ShowWindow(program.dialog(), show);
    EXPECT_TRUE(show == SW_MAXIMIZE ? IsZoomed(program.dialog()) : IsIconic(program.dialog()));
    program.PressKey(VK_ESCAPE);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    EXPECT_EQ(ReadSettings(folder), ExpectedSettings(40, 50, 300, 200)) << show;
  }
}

}  // namespace
