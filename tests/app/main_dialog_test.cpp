// The main dialog in this process: its template and the other resources, the
// command line and settings path rules, and the real dialog procedure driven
// through its messages.
#include "app/main_dialog.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>

#include "resources/resource_ids.h"
#include "tests/app/test_folder.h"

using namespace glyphcensus;

namespace {

// ---- resources -------------------------------------------------------------

const uint8_t* LoadResourceBytes(LPCWSTR type, int id, WORD language, DWORD* size) {
  HRSRC found = FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language);
  if (!found) return nullptr;
  *size = SizeofResource(nullptr, found);
  return static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
}

struct TemplateReader {
  const uint8_t* at;
  uint16_t U16() { uint16_t v; memcpy(&v, at, 2); at += 2; return v; }
  uint32_t U32() { uint32_t v; memcpy(&v, at, 4); at += 4; return v; }
  std::wstring Text() {
    std::wstring text;
    for (uint16_t unit = U16(); unit != 0; unit = U16()) text += static_cast<wchar_t>(unit);
    return text;
  }
  void AlignTo4(const uint8_t* base) { while ((at - base) % 4) ++at; }
};

TEST(Resources, DialogTemplateIsJapaneseAndExact) {
  DWORD size = 0;
  const uint8_t* base =
      LoadResourceBytes(MAKEINTRESOURCEW(5) /* RT_DIALOG */, IDD_MAIN_DIALOG, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), &size);
  ASSERT_NE(base, nullptr);
  TemplateReader r{base};
  EXPECT_EQ(r.U16(), 1);       // DLGTEMPLATEEX version
  EXPECT_EQ(r.U16(), 0xFFFF);  // signature
  r.U32();                     // help id
  EXPECT_EQ(r.U32(), 0u);      // extended style
  EXPECT_EQ(r.U32(), 0x00CC0848u);
  EXPECT_EQ(r.U16(), 1);       // one control
  EXPECT_EQ(r.U16(), 0);
  EXPECT_EQ(r.U16(), 0);
  EXPECT_EQ(r.U16(), 103);
  EXPECT_EQ(r.U16(), 128);
  EXPECT_EQ(r.U16(), 0);       // no menu
  EXPECT_EQ(r.U16(), 0);       // the standard dialog class
  EXPECT_EQ(r.Text(), L"GlyphCensus");
  EXPECT_EQ(r.U16(), 8);       // point size
  EXPECT_EQ(r.U16(), 400);     // weight
  EXPECT_EQ(*r.at++, 0);       // not italic
  EXPECT_EQ(*r.at++, 1);       // character set
  EXPECT_EQ(r.Text(), L"MS Shell Dlg");

  r.AlignTo4(base);
  r.U32();                     // help id
  EXPECT_EQ(r.U32(), static_cast<uint32_t>(WS_EX_ACCEPTFILES));
  EXPECT_EQ(r.U32(), 0x50A10844u);
  EXPECT_EQ(r.U16(), 7);
  EXPECT_EQ(r.U16(), 7);
  EXPECT_EQ(r.U16(), 89);
  EXPECT_EQ(r.U16(), 114);
  EXPECT_EQ(r.U32(), static_cast<uint32_t>(IDC_RESULT_BOX));
  const uint16_t classMark = r.U16();
  if (classMark == 0xFFFF) {
    EXPECT_EQ(r.U16(), 0x0081);  // the predefined edit class
  } else {
    r.at -= 2;
    EXPECT_EQ(_wcsicmp(r.Text().c_str(), L"Edit"), 0);
  }
  EXPECT_LE(static_cast<DWORD>(r.at - base), size);
}

void ExpectIconGroup(int id, std::initializer_list<int> sizes) {
  DWORD size = 0;
  const uint8_t* group = LoadResourceBytes(MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, id, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &size);
  ASSERT_NE(group, nullptr) << id;
  TemplateReader r{group};
  r.U16();
  EXPECT_EQ(r.U16(), 1);  // icons
  ASSERT_EQ(r.U16(), sizes.size());
  for (int expected : sizes) {
    EXPECT_EQ(r.at[0], expected);  // width
    EXPECT_EQ(r.at[1], expected);  // height
    r.at += 4;
    EXPECT_EQ(r.U16(), 1);  // planes
    EXPECT_EQ(r.U16(), 8);  // bits per pixel
    r.at += 6;              // bytes, image id
  }
}

TEST(Resources, IconGroupsHoldEightBitImages) {
  ExpectIconGroup(IDI_LARGE_ICON, {16, 32});
  ExpectIconGroup(IDI_SMALL_ICON, {16});
  HICON large = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LARGE_ICON),
                                              IMAGE_ICON, 32, 32, LR_LOADTRANSPARENT));
  EXPECT_NE(large, nullptr);
  if (large) DestroyIcon(large);
}

TEST(Resources, ManifestAsksForAsInvokerAndNothingElse) {
  DWORD size = 0;
  const uint8_t* bytes = LoadResourceBytes(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, 1, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &size);
  ASSERT_NE(bytes, nullptr);
  const std::string manifest(reinterpret_cast<const char*>(bytes), size);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
  for (const char* absent : {"dpiAware", "dpiAwareness", "dependency", "compatibility", "Common-Controls"}) {
    EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
  }
}

// ---- command line and settings path ----------------------------------------

TEST(StartPath, IsTheFirstArgumentWhenItFitsAPathBuffer) {
  wchar_t path[kPathCapacity];
  EXPECT_FALSE(ReadStartPath(L"C:\\GlyphCensus.exe", path));
  EXPECT_STREQ(path, L"");
  EXPECT_TRUE(ReadStartPath(L"GlyphCensus.exe \"C:\\a b\\f.ttf\" C:\\ignored.ttf", path));
  EXPECT_STREQ(path, L"C:\\a b\\f.ttf");

  const std::wstring fits = L"C:\\" + std::wstring(256, L'x');  // 259 units
  EXPECT_TRUE(ReadStartPath((L"p.exe " + fits).c_str(), path));
  EXPECT_EQ(std::wstring(path), fits);
  // 260 units would not fit with its terminator: refused, as if absent.
  EXPECT_FALSE(ReadStartPath((L"p.exe " + fits + L"y").c_str(), path));
  EXPECT_STREQ(path, L"");

  // Relative forms are made full against the current folder.
  wchar_t current[kPathCapacity];
  const DWORD length = GetCurrentDirectoryW(kPathCapacity, current);
  ASSERT_GT(length, 0u);
  std::wstring folder(current, length);
  if (folder.back() != L'\\') folder += L'\\';
  for (const wchar_t* typed : {L"m1.ttf", L".\\m1.ttf", L"./m1.ttf"}) {
    EXPECT_TRUE(ReadStartPath((L"p.exe " + std::wstring(typed)).c_str(), path));
    EXPECT_EQ(std::wstring(path), folder + L"m1.ttf") << typed;
  }
  EXPECT_TRUE(ReadStartPath(L"p.exe C:/fonts/m1.ttf", path));
  EXPECT_STREQ(path, L"C:\\fonts\\m1.ttf");
  // A relative name whose full path would not fit counts as no argument.
  const std::wstring nearlyFull(kPathCapacity - folder.size(), L'y');
  EXPECT_FALSE(ReadStartPath((L"p.exe " + nearlyFull).c_str(), path));
  EXPECT_STREQ(path, L"");
}

TEST(SettingsPath, IsTheProgramPathWithIniOrNothingWhenItDoesNotFit) {
  char path[kPathCapacity];
  EXPECT_TRUE(MakeSettingsPath(L"C:\\Tools\\GlyphCensus.exe", path));
  EXPECT_STREQ(path, "C:\\Tools\\GlyphCensus.ini");

  const std::wstring longest = L"C:\\" + std::wstring(252, L'p') + L".exe";  // 259 units
  EXPECT_TRUE(MakeSettingsPath(longest.c_str(), path));
  EXPECT_EQ(std::string(path).substr(255), ".ini");

  const std::wstring noRoom = L"C:\\" + std::wstring(254, L'p');  // 257 units, no extension
  EXPECT_FALSE(MakeSettingsPath(noRoom.c_str(), path));
  EXPECT_STREQ(path, "");
  const std::wstring tooLong = L"C:\\" + std::wstring(300, L'p') + L".exe";
  EXPECT_FALSE(MakeSettingsPath(tooLong.c_str(), path));
  EXPECT_STREQ(path, "");
}

// ---- the dialog procedure ---------------------------------------------------

int CountOwnThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;  // posted by the dialog's end
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::wstring WindowText(HWND window) {
  wchar_t text[4096];
  GetWindowTextW(window, text, 4096);
  return text;
}

// Pumps until the caption is `caption` or `seconds` have passed.
bool WaitForCaption(HWND dialog, const std::wstring& caption, int seconds) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < seconds * 1000u;) {
    PumpMessages();
    if (WindowText(dialog) == caption) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return false;
}

HDROP MakeDrop(std::initializer_list<std::wstring> paths) {
  size_t units = 1;
  for (const std::wstring& path : paths) units += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  wchar_t* text = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& path : paths) {
    memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    text += path.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

std::string SettingsPathOfThisProgram() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string ini = path;
  return ini.substr(0, ini.rfind('.')) + ".ini";
}

class Dialog : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileA(SettingsPathOfThisProgram().c_str());
    dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_DIALOG), nullptr,
                                MainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    box = GetDlgItem(dialog, IDC_RESULT_BOX);
    PumpMessages();
  }
  void TearDown() override {
    if (IsWindow(dialog)) SendMessageW(dialog, WM_CLOSE, 0, 0);
    PumpMessages();
    DeleteFileA(SettingsPathOfThisProgram().c_str());
  }
  RECT Rect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
  }
  HWND dialog = nullptr;
  HWND box = nullptr;
};

TEST_F(Dialog, StartsWithoutFileAtTheDefaultPlacement) {
  EXPECT_EQ(WindowText(dialog), L"GlyphCensus");
  EXPECT_EQ(WindowText(box), L"");
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(GetFocus(), box);
  const RECT window = Rect(dialog);
  EXPECT_EQ(window.left, 10);
  EXPECT_EQ(window.top, 10);
  EXPECT_EQ(window.right - window.left, 320);
  EXPECT_EQ(window.bottom - window.top, 240);

  const int threads = CountOwnThreads();
  SendMessageW(dialog, WM_COMMAND, 37, 0);
  SendMessageW(dialog, WM_COMMAND, 39, 0);
  PumpMessages();
  EXPECT_EQ(CountOwnThreads(), threads);
  EXPECT_EQ(WindowText(dialog), L"GlyphCensus");
}

TEST_F(Dialog, ResultBoxFollowsTheSizeAndTheWindowKeepsItsMinimum) {
  const RECT window = Rect(dialog);
  const RECT box1 = Rect(box);
  const LONG left = box1.left - window.left;
  const LONG top = box1.top - window.top;
  const LONG bottom = window.bottom - box1.bottom;
  EXPECT_EQ(window.right - box1.right, left);  // as wide a margin right as left

  SetWindowPos(dialog, nullptr, 30, 40, 500, 400, SWP_NOZORDER);
  const RECT moved = Rect(dialog);
  const RECT box2 = Rect(box);
  EXPECT_EQ(box2.left - moved.left, left);
  EXPECT_EQ(box2.top - moved.top, top);
  EXPECT_EQ(moved.right - box2.right, left);
  EXPECT_EQ(moved.bottom - box2.bottom, bottom);

  MINMAXINFO limits{};
  SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 256);
  EXPECT_EQ(limits.ptMinTrackSize.y, 128);
}

TEST_F(Dialog, ColoursTheResultBoxWhiteAndNoOtherControl) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetBkMode(dc, TRANSPARENT);
  const INT_PTR brush = SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(box));
  EXPECT_EQ(brush, reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  // For any other control the procedure leaves the colours to the dialog manager.
  EXPECT_EQ(MainDialogProc(dialog, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(dialog)),
            0);
  DeleteDC(dc);
}

TEST_F(Dialog, DropOnTheResultBoxMeasuresTheFirstFile) {
  const std::wstring folder = MakeScratchFolder(L"dialog_drop");
  CopyFolderFiles(TestDataPath(L"natural"), folder);
  // Only the first dropped path counts; the second names another folder.
  SendMessageW(box, WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({folder + L"\\a2.otf", TestDataPath(L"mixed\\m1.ttf")})), 0);
  EXPECT_TRUE(WaitForCaption(dialog, L"(2/3)a2.otf", 60)) << WindowText(dialog).c_str();
  EXPECT_EQ(WindowText(box).substr(0, 13), L"GcNaturalA2\r\n");

  SendMessageW(dialog, WM_COMMAND, 39, 0);
  EXPECT_TRUE(WaitForCaption(dialog, L"(3/3)a10.ttf", 60)) << WindowText(dialog).c_str();
  SendMessageW(dialog, WM_COMMAND, 39, 0);  // the last entry: nothing happens
  PumpMessages();
  Sleep(200);
  PumpMessages();
  EXPECT_EQ(WindowText(dialog), L"(3/3)a10.ttf");
}

TEST_F(Dialog, DropIntoAFolderWithoutFontsStartsNothing) {
  const std::wstring folder = MakeScratchFolder(L"dialog_fonts");
  CopyFolderFiles(TestDataPath(L"natural"), folder);
  SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({folder + L"\\a10.ttf"})), 0);
  ASSERT_TRUE(WaitForCaption(dialog, L"(3/3)a10.ttf", 60)) << WindowText(dialog).c_str();

  const std::wstring empty = MakeScratchFolder(L"dialog_empty");
  ASSERT_TRUE(WriteTestFile(empty + L"\\notes.txt", "text"));
  const int threads = CountOwnThreads();
  SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({empty + L"\\notes.txt"})), 0);
  PumpMessages();
  EXPECT_EQ(WindowText(dialog), L"GlyphCensus");
  EXPECT_EQ(WindowText(box), L"");
  SendMessageW(dialog, WM_COMMAND, 37, 0);
  SendMessageW(dialog, WM_COMMAND, 39, 0);
  PumpMessages();
  EXPECT_EQ(CountOwnThreads(), threads);
  EXPECT_EQ(WindowText(dialog), L"GlyphCensus");
}

// The saved rectangle comes back as it was saved, so that closing and starting
// again never moves the window; one that no monitor shows gives the defaults.
TEST_F(Dialog, SavedRectangleComesBackUnmovedOrFallsBackToTheDefaults) {
  const std::string ini = SettingsPathOfThisProgram();
  const auto reopen = [this] {
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    PumpMessages();
    dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_DIALOG), nullptr,
                                MainDialogProc, 0);
    box = GetDlgItem(dialog, IDC_RESULT_BOX);
    PumpMessages();
  };
  const auto saved = [&ini](const char* key) { return GetPrivateProfileIntA("SystemSetting", key, -1, ini.c_str()); };

  SetWindowPos(dialog, nullptr, 37, 41, 300, 200, SWP_NOZORDER);
  for (int round = 0; round < 3; ++round) {
    reopen();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(saved("x"), 37) << round;
    EXPECT_EQ(saved("y"), 41) << round;
    EXPECT_EQ(saved("width"), 300) << round;
    EXPECT_EQ(saved("height"), 200) << round;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(dialog, &placement));
    EXPECT_EQ(placement.rcNormalPosition.left, 37) << round;
    EXPECT_EQ(placement.rcNormalPosition.top, 41) << round;
    EXPECT_EQ(placement.rcNormalPosition.right, 337) << round;
    EXPECT_EQ(placement.rcNormalPosition.bottom, 241) << round;
  }

  // Far left of every monitor, far below, and an empty rectangle.
  const int offScreen[][4] = {{-30000, 20, 300, 200}, {20, 30000, 300, 200}, {40, 40, 0, 0}};
  for (const auto& rect : offScreen) {
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    PumpMessages();
    const char* keys[] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
      WritePrivateProfileStringA("SystemSetting", keys[i], std::to_string(rect[i]).c_str(), ini.c_str());
    }
    dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_DIALOG), nullptr,
                                MainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    box = GetDlgItem(dialog, IDC_RESULT_BOX);
    PumpMessages();
    const RECT placed = Rect(dialog);
    EXPECT_EQ(placed.left, 10) << rect[0];
    EXPECT_EQ(placed.top, 10) << rect[1];
    EXPECT_EQ(placed.right - placed.left, 320) << rect[2];
    EXPECT_EQ(placed.bottom - placed.top, 240) << rect[3];
  }
}

TEST_F(Dialog, CloseSavesTheRestoredRectangle) {
  SetWindowPos(dialog, nullptr, 40, 50, 300, 200, SWP_NOZORDER);
  ShowWindow(dialog, SW_MAXIMIZE);
  PumpMessages();
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(dialog));
  const std::string ini = SettingsPathOfThisProgram();
  EXPECT_EQ(GetPrivateProfileIntA("SystemSetting", "x", -1, ini.c_str()), 40);
  EXPECT_EQ(GetPrivateProfileIntA("SystemSetting", "y", -1, ini.c_str()), 50);
  EXPECT_EQ(GetPrivateProfileIntA("SystemSetting", "width", -1, ini.c_str()), 300);
  EXPECT_EQ(GetPrivateProfileIntA("SystemSetting", "height", -1, ini.c_str()), 200);
}

}  // namespace
