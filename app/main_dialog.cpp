#include "app/main_dialog.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cwchar>

#include "app/font_job.h"
#include "coverage/presence/stop_token.h"
#include "resources/resource_ids.h"

namespace glyphcensus {

namespace {

// Command identifiers: the accelerator table gives each key's virtual-key code.
constexpr WORD kCommandEnter = 13;
constexpr WORD kCommandEscape = 27;
constexpr WORD kCommandPrevious = 37;
constexpr WORD kCommandNext = 39;

constexpr int kMinimumWidth = 256;
constexpr int kMinimumHeight = 128;

constexpr char kSettingsSection[] = "SystemSetting";

// The dialog's state: one dialog per process, touched by the dialog thread only.
HWND mainDialog;
HWND resultBox;
WNDPROC previousResultBoxProc;
int32_t leftMargin;
int32_t topMargin;
int32_t bottomMargin;
FontFileList fontFileList;
int32_t currentIndex;
int32_t lastIndex;
wchar_t startPath[kPathCapacity];
HANDLE workerHandle;
char settingsPath[kPathCapacity];
bool stopping;     // inside StopFontJob, which dispatches sent messages
bool showingBox;   // inside the "cannot open" box, whose modal loop dispatches all
bool ending;       // the dialog is being destroyed
FontJob fontJob;
// The dialog's stop token: cleared before each file, set to stop the worker,
// which reads it before every write and every character tested.
StopToken jobStop;

void MeasureMargins(HWND dialog) {
  RECT window;
  RECT box;
  GetWindowRect(dialog, &window);
  GetWindowRect(resultBox, &box);
  // Outer rectangles: the margins include the frame and the caption. Both are
  // in screen coordinates, so their differences are those in client ones.
  leftMargin = box.left - window.left;
  topMargin = box.top - window.top;
  bottomMargin = window.bottom - box.bottom;
}

void LayOutResultBox(HWND dialog) {
  if (!resultBox) return;  // WM_SIZE also comes before WM_INITDIALOG
  RECT window;
  RECT box;
  GetWindowRect(dialog, &window);
  GetWindowRect(resultBox, &box);
  POINT corner{box.left, box.top};
  ScreenToClient(dialog, &corner);
  // A minimized window is smaller than its margins: the box then gets no size.
  const int width = (window.right - window.left) - 2 * leftMargin;
  const int height = (window.bottom - window.top) - topMargin - bottomMargin;
  MoveWindow(resultBox, corner.x, corner.y, 0, 0, FALSE);
  MoveWindow(resultBox, corner.x, corner.y, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
}

// Builds the list of the folder of `path` and selects `path` in it. False when
// the folder holds no font file: the list is then empty and both indexes 0, so
// that neither arrow key does anything.
bool SelectFontFile(const wchar_t* path) {
  wchar_t folder[kPathCapacity];
  wcscpy_s(folder, kPathCapacity, path);
  PathRemoveFileSpecW(folder);
  BuildFontFileList(fontFileList, folder);
  if (fontFileList.empty()) {
    currentIndex = 0;
    lastIndex = 0;
    return false;
  }
  currentIndex = FindFontFileIndex(fontFileList, path);
  lastIndex = static_cast<int32_t>(fontFileList.size()) - 1;
  return true;
}

// A folder without font files brings the dialog back to its look without a file.
void ShowNoFile(HWND dialog) {
  SetWindowTextW(dialog, L"GlyphCensus");
  SetWindowTextW(resultBox, L"");
}

// A saved rectangle, in workspace coordinates, lies at least partly in the
// work area of the monitor `visible` is checking.
struct VisibleCheck {
  RECT saved;
  bool visible;
};

BOOL CALLBACK CheckMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM parameter) {
  auto* check = reinterpret_cast<VisibleCheck*>(parameter);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  // Workspace coordinates start at the work area's corner, not the monitor's.
  RECT onScreen = check->saved;
  OffsetRect(&onScreen, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
  RECT overlap;
  if (IntersectRect(&overlap, &onScreen, &info.rcWork)) check->visible = true;
  return check->visible ? FALSE : TRUE;
}

bool OnSomeMonitor(const RECT& saved) {
  VisibleCheck check{saved, false};
  EnumDisplayMonitors(nullptr, nullptr, CheckMonitor, reinterpret_cast<LPARAM>(&check));
  return check.visible;
}

// The saved rectangle is the normal-position rectangle of the window placement
// (workspace coordinates), so it is given back the same way. A rectangle that
// no monitor shows any more (one was removed, the file was edited) gives way
// to the defaults on the primary monitor.
void RestorePlacement(HWND dialog) {
  const RECT defaults{10, 10, 10 + 320, 10 + 240};
  RECT saved = defaults;
  if (settingsPath[0]) {
    const int x = GetPrivateProfileIntA(kSettingsSection, "x", 10, settingsPath);
    const int y = GetPrivateProfileIntA(kSettingsSection, "y", 10, settingsPath);
    const int width = GetPrivateProfileIntA(kSettingsSection, "width", 320, settingsPath);
    const int height = GetPrivateProfileIntA(kSettingsSection, "height", 240, settingsPath);
    saved = RECT{x, y, x + width, y + height};
  }
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(dialog, &placement);
  placement.flags = 0;
  placement.showCmd = SW_HIDE;  // shown below, as before
  placement.rcNormalPosition = OnSomeMonitor(saved) ? saved : defaults;
  SetWindowPlacement(dialog, &placement);
  ShowWindow(dialog, SW_SHOW);
}

void WriteSetting(const char* key, LONG value) {
  char text[kPathCapacity];
  wsprintfA(text, " %d", static_cast<int>(value));
  WritePrivateProfileStringA(kSettingsSection, key, text, settingsPath);  // failure ignored
}

void SavePlacement(HWND dialog) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!settingsPath[0] || !GetWindowPlacement(dialog, &placement)) return;
  // The normal rectangle is the restored one, also while minimized or maximized.
  const RECT& normal = placement.rcNormalPosition;
  WriteSetting("x", normal.left);
  WriteSetting("y", normal.top);
  WriteSetting("width", normal.right - normal.left);
  WriteSetting("height", normal.bottom - normal.top);
}

void InitializeDialog(HWND dialog) {
  ending = false;
  resultBox = GetDlgItem(dialog, IDC_RESULT_BOX);
  previousResultBoxProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(resultBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultBoxProc)));
  DragAcceptFiles(dialog, TRUE);
  DragAcceptFiles(resultBox, TRUE);
  fontJob.resultBox = resultBox;
  fontJob.dialog = dialog;
  fontJob.stop = &jobStop;
  ClearStop(&jobStop);
  mainDialog = dialog;
  MeasureMargins(dialog);

  wchar_t modulePath[kPathCapacity];
  const DWORD moduleLength = GetModuleFileNameW(nullptr, modulePath, kPathCapacity);

  fontFileList.clear();
  currentIndex = 0;
  lastIndex = 0;
  bool haveEntry = false;
  if (ReadStartPath(GetCommandLineW(), startPath)) haveEntry = SelectFontFile(startPath);

  // A module path cut to the buffer would name another file: no settings then.
  settingsPath[0] = '\0';
  if (moduleLength > 0 && moduleLength < kPathCapacity) MakeSettingsPath(modulePath, settingsPath);
  RestorePlacement(dialog);

  if (haveEntry) StartFontJob(currentIndex);
  SetFocus(resultBox);
}

void OnDropFiles(HWND dialog, HDROP drop) {
  // An over-long first path is refused whole, before anything is stopped.
  wchar_t path[kPathCapacity];
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  const bool usable = length > 0 && length < kPathCapacity &&
                      DragQueryFileW(drop, 0, path, kPathCapacity) == length;
  if (!usable) {
    DragFinish(drop);
    return;
  }
  if (workerHandle) StopFontJob();
  ClearStop(&jobStop);
  DragFinish(drop);
  if (SelectFontFile(path)) {
    StartFontJob(currentIndex);
  } else {
    ShowNoFile(dialog);
  }
}

void StepFontFile(int32_t step) {
  const int32_t next = currentIndex + step;
  if (fontFileList.empty() || next < 0 || next > lastIndex) return;
  if (workerHandle) StopFontJob();
  ClearStop(&jobStop);
  currentIndex = next;
  StartFontJob(currentIndex);
}

void OnJobDone(HWND dialog) {
  // During a stop the worker may have passed its last test of the stop token:
  // the stop owns the handle then, and the stopped file gets no caption.
  if (StopRequested(&jobStop) || !workerHandle) return;
  CloseHandle(workerHandle);
  workerHandle = nullptr;
  if (currentIndex < 0 || currentIndex > lastIndex) return;
  wchar_t name[kPathCapacity];
  wcscpy_s(name, kPathCapacity, fontFileList[currentIndex].c_str());
  PathStripPathW(name);
  wchar_t caption[kPathCapacity + 32];
  wsprintfW(caption, L"(%d/%d)%s", currentIndex + 1, lastIndex + 1, name);
  SetWindowTextW(dialog, caption);
}

INT_PTR ColorResultBox(HDC dc, HWND control) {
  if (control != resultBox) return 0;
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, OPAQUE);
  return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
}

// The worker cannot open its file: the box is shown here, on the dialog's
// thread, while the worker waits in SendMessageW. Its modal loop dispatches
// every message, so nothing that stops the worker may run until it closes.
void OnCannotOpen(HWND dialog) {
  if (ending) return;  // the program is closing: no box for a file left behind
  const bool wasShowing = showingBox;
  showingBox = true;
  ShowCannotOpenBox(dialog);
  showingBox = wasShowing;
}

// Inside a stop or the "cannot open" box, nothing may stop or start a worker.
bool Waiting() { return stopping || showingBox; }

void OnCommand(HWND dialog, WORD command) {
  if (Waiting()) return;  // a command sent in while a stop or the box waits is dropped
  switch (command) {
    case kCommandEnter:
    case kCommandEscape:
      SendMessageW(dialog, WM_CLOSE, 0, 0);
      break;
    case kCommandPrevious:
      StepFontFile(-1);
      break;
    case kCommandNext:
      StepFontFile(1);
      break;
    default:
      break;
  }
}

void OnDestroy() {
  ending = true;
  if (workerHandle) StopFontJob();
  resultBox = nullptr;
  mainDialog = nullptr;
  PostQuitMessage(0);
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitializeDialog(dialog);
      return FALSE;  // the focus stays on the result box
    case WM_SIZE:
      LayOutResultBox(dialog);
      return FALSE;
    case WM_GETMINMAXINFO: {
      MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize.x = kMinimumWidth;
      limits->ptMinTrackSize.y = kMinimumHeight;
      return FALSE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return ColorResultBox(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam));
      return FALSE;
    case WM_DROPFILES:
      if (Waiting()) {
        DragFinish(reinterpret_cast<HDROP>(wParam));
      } else {
        OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
      }
      return FALSE;
    case WM_CLOSE:
      if (Waiting()) return FALSE;
      SavePlacement(dialog);
      DestroyWindow(dialog);
      return FALSE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    case WM_JOB_DONE:
      OnJobDone(dialog);
      return FALSE;
    case WM_JOB_CANNOT_OPEN:
      OnCannotOpen(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

LRESULT CALLBACK ResultBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DROPFILES) SendMessageW(mainDialog, WM_DROPFILES, wParam, lParam);
  return CallWindowProcW(previousResultBoxProc, window, message, wParam, lParam);
}

void StartFontJob(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(fontFileList.size())) return;
  wcscpy_s(fontJob.path, kPathCapacity, fontFileList[index].c_str());
  workerHandle = CreateThread(nullptr, 0, RunFontJob, &fontJob, 0, nullptr);
}

void StopFontJob() {
  RequestStop(&jobStop);
  stopping = true;
  HANDLE worker = workerHandle;
  // The worker may be inside SendMessageW or SetWindowTextW on this thread's
  // windows (the "cannot open" box among them, shown from here): keep
  // delivering sent messages until it has ended.
  for (;;) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    const DWORD woken = MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woken != WAIT_OBJECT_0 + 1) break;  // ended (or the wait itself failed)
  }
  CloseHandle(worker);
  workerHandle = nullptr;
  stopping = false;
}

bool ReadStartPath(const wchar_t* commandLine, wchar_t (&path)[kPathCapacity]) {
  path[0] = L'\0';
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(commandLine, &count);
  if (!arguments) return false;
  // The folder's list holds full paths, so "m1.ttf", ".\\m1.ttf", "C:m1.ttf"
  // or forward slashes are made full against the current folder first. A full
  // path longer than 259 units counts as no argument.
  if (count > 1) {
    const DWORD length = GetFullPathNameW(arguments[1], kPathCapacity, path, nullptr);
    if (length == 0 || length >= kPathCapacity) path[0] = L'\0';
  }
  LocalFree(arguments);
  return path[0] != L'\0';
}

bool MakeSettingsPath(const wchar_t* modulePath, char (&path)[kPathCapacity]) {
  const int converted = WideCharToMultiByte(CP_THREAD_ACP, 0, modulePath, -1, path,
                                            static_cast<int>(kPathCapacity), nullptr, nullptr);
  if (converted == 0 || !PathRenameExtensionA(path, ".ini")) {
    path[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace glyphcensus
