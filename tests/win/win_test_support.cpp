#include "tests/win/win_test_support.h"

#include <cstdio>

#include "app/font_job.h"

using namespace glyphcensus;

bool IsWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string TestDataPath(const std::string& name) {
  return std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/" + name;
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                        nullptr, 0);
  std::wstring text(units, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], units);
  return text;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes,
                      nullptr, nullptr);
  return utf8;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  FILE* file = _wfopen(Widen(path).c_str(), L"rb");
  if (file == nullptr) return false;
  bytes->clear();
  uint8_t buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
  fclose(file);
  return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = _wfopen(Widen(path).c_str(), L"wb");
  if (file == nullptr) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && ok;
}

namespace {

constexpr wchar_t kDialogClass[] = L"GlyphCensusTestDialog";
constexpr UINT_PTR kBoxTimer = 77;

void CALLBACK WhileBoxShown(HWND window, UINT, UINT_PTR, DWORD) {
  auto* log = reinterpret_cast<DialogLog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (log != nullptr && log->whileBoxShown != nullptr) {
    log->whileBoxShown(GetCurrentThreadId(), log->boxContext);
  }
}

LRESULT CALLBACK TestDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* log = reinterpret_cast<DialogLog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (log != nullptr) {
    if (message == WM_JOB_DONE) {
      ++log->jobDone;
      return 0;
    }
    if (message == WM_JOB_CANNOT_OPEN) {
      ++log->cannotOpen;
      if (log->whileBoxShown == nullptr) return 0;
      SetTimer(window, kBoxTimer, 20, WhileBoxShown);
      ShowCannotOpenBox(window);
      KillTimer(window, kBoxTimer);
      return 0;
    }
    if (message == WM_SETTEXT) {
      const std::wstring caption = reinterpret_cast<const wchar_t*>(lParam);
      if (log->onCaption != nullptr) log->onCaption(log, caption);
      log->captions.push_back(caption);
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterDialogClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = TestDialogProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kDialogClass;
  RegisterClassW(&windowClass);
  registered = true;
}

}  // namespace

TestDialog::TestDialog() {
  RegisterDialogClass();
  dialog = CreateWindowExW(0, kDialogClass, L"GlyphCensus", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  resultBox = CreateWindowExW(
      0, L"EDIT", L"",
      WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 300, 60, dialog,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001)), GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log));
}

TestDialog::~TestDialog() {
  SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
  DestroyWindow(dialog);
  PumpMessages();
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(length + 1, L'\0');
  const int got = GetWindowTextW(window, &text[0], length + 1);
  text.resize(got);
  return text;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

DWORD RunOnThreadPumping(LPTHREAD_START_ROUTINE entry, void* parameter,
                         void (*whilePumping)(DWORD threadId, void* context), void* context) {
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, entry, parameter, 0, &threadId);
  if (thread == nullptr) return 0xFFFFFFFF;
  const DWORD deadline = GetTickCount() + 120000;
  for (;;) {
    const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    PumpMessages();
    if (whilePumping != nullptr) whilePumping(threadId, context);
    if (static_cast<int32_t>(GetTickCount() - deadline) > 0) {
      CloseHandle(thread);
      return 0xFFFFFFFF;
    }
  }
  PumpMessages();
  DWORD exitCode = 0xFFFFFFFF;
  GetExitCodeThread(thread, &exitCode);
  CloseHandle(thread);
  return exitCode;
}
