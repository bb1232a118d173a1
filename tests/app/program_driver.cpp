#include "tests/app/program_driver.h"

#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>

#include "tests/app/test_folder.h"

namespace {

std::wstring Widen(const char* text) {
  std::wstring wide;
  for (const char* p = text; *p; ++p) wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return wide;
}

struct WindowSearch {
  DWORD processId;
  HWND owner;  // null: the main dialog (the one holding the result box)
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  wchar_t className[64];
  if (processId != search->processId || !GetClassNameW(window, className, 64) ||
      wcscmp(className, L"#32770") != 0) {
    return TRUE;
  }
  const bool isMainDialog = GetDlgItem(window, 1001) != nullptr;
  if (search->owner ? GetWindow(window, GW_OWNER) == search->owner && !isMainDialog : isMainDialog) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindProgramWindow(DWORD processId, HWND owner) {
  WindowSearch search{processId, owner, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::wstring ReadWindowText(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(copied));
  return text;
}

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::vector<std::wstring> ReportLines(const std::wstring& report) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = report.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    lines.push_back(report.substr(start, end - start));
  }
  if (start < report.size()) lines.push_back(report.substr(start));
  return lines;
}

ProgramDriver::~ProgramDriver() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

bool ProgramDriver::Start(const std::wstring& folder, const std::wstring& argument) {
  const std::wstring copy = folder + L"\\GlyphCensus.exe";
  if (!CopyFileW(FullPath(Widen(GLYPHCENSUS_EXE)).c_str(), copy.c_str(), FALSE)) return false;
  return StartInPlace(copy, argument);
}

bool ProgramDriver::StartInPlace(const std::wstring& programPath, const std::wstring& argument) {
  programPath_ = programPath;
  const std::wstring folder = programPath_.substr(0, programPath_.find_last_of(L'\\'));
  std::wstring commandLine = L"\"" + programPath_ + L"\"";
  if (!argument.empty()) commandLine += L" \"" + argument + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(programPath_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process_)) {
    return false;
  }
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(20)) {
    dialog_ = FindProgramWindow(process_.dwProcessId, nullptr);
    // The program gives the dialog its taskbar style once it is created.
    if (dialog_ && (GetWindowLongW(dialog_, GWL_EXSTYLE) & WS_EX_APPWINDOW)) {
      resultBox_ = GetDlgItem(dialog_, 1001);
      return true;
    }
  }
  return false;
}

std::wstring ProgramDriver::Caption() const { return ReadWindowText(dialog_); }

std::wstring ProgramDriver::Report() const { return ReadWindowText(resultBox_); }

void ProgramDriver::PressKey(UINT virtualKey) const {
  const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  const bool extended = virtualKey == VK_LEFT || virtualKey == VK_RIGHT;
  const LPARAM down = 1 | (scan << 16) | (extended ? 1 << 24 : 0);
  PostMessageW(resultBox_, WM_KEYDOWN, virtualKey, down);
  PostMessageW(resultBox_, WM_KEYUP, virtualKey, down | (1u << 30) | (1u << 31));
}

bool ProgramDriver::Drop(HWND target, const std::vector<std::wstring>& paths) const {
  std::vector<char> block(sizeof(DROPFILES));
  for (const std::wstring& path : paths) {
    const char* bytes = reinterpret_cast<const char*>(path.c_str());
    block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
  }
  block.insert(block.end(), sizeof(wchar_t), '\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  memcpy(block.data(), &header, sizeof header);

  void* remote = VirtualAllocEx(process_.hProcess, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(process_.hProcess, remote, block.data(), block.size(), nullptr)) {
    return false;
  }
  return PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != FALSE;
}

bool ProgramDriver::WaitForCaption(const std::wstring& caption, DWORD milliseconds) const {
  for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(20)) {
    if (Caption() == caption) return true;
  }
  return Caption() == caption;
}

std::wstring ProgramDriver::WaitForCaptionChange(const std::wstring& caption, DWORD milliseconds) const {
  for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(20)) {
    const std::wstring now = Caption();
    if (now != caption) return now;
  }
  return std::wstring();
}

HWND ProgramDriver::WaitForMessageBox(DWORD milliseconds) const {
  for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(20)) {
    if (HWND box = FindProgramWindow(process_.dwProcessId, dialog_)) return box;
  }
  return nullptr;
}

DWORD ProgramDriver::WaitForExit(DWORD milliseconds) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process_.hProcess, &code);
  }
  return code;
}

int ProgramDriver::ThreadCount() const {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == process_.dwProcessId) ++count;
  }
  CloseHandle(snapshot);
  return count;
}
