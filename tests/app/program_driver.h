#pragma once
// Drives GlyphCensus.exe from outside, as a user would: starts it, finds its
// dialog, reads the caption and the result box, presses keys and drops files.
#include <windows.h>

#include <string>
#include <vector>

class ProgramDriver {
 public:
  ProgramDriver() = default;
  ProgramDriver(const ProgramDriver&) = delete;
  ProgramDriver& operator=(const ProgramDriver&) = delete;
  ~ProgramDriver();  // ends a program still running

  // Copies the program into `folder` (so that its settings file lives there),
  // starts it with `argument` as its only argument (none when empty), and
  // waits for its dialog.
  bool Start(const std::wstring& folder, const std::wstring& argument);
  // Starts the program where it lies (its folder is the working folder) and
  // waits for its dialog.
  bool StartInPlace(const std::wstring& programPath, const std::wstring& argument);

  HWND dialog() const { return dialog_; }
  HWND resultBox() const { return resultBox_; }
  HANDLE process() const { return process_.hProcess; }
  DWORD processId() const { return process_.dwProcessId; }
  std::wstring programPath() const { return programPath_; }

  std::wstring Caption() const;
  std::wstring Report() const;
  // Posts the key's WM_KEYDOWN and WM_KEYUP to the result box, which has the focus.
  void PressKey(UINT virtualKey) const;
  // Writes a DROPFILES block into the program's memory and posts WM_DROPFILES.
  bool Drop(HWND target, const std::vector<std::wstring>& paths) const;

  bool WaitForCaption(const std::wstring& caption, DWORD milliseconds) const;
  // Waits until the caption differs from `caption`; returns the new one or "".
  std::wstring WaitForCaptionChange(const std::wstring& caption, DWORD milliseconds) const;
  // A message box of the program, owned by its dialog, or null.
  HWND WaitForMessageBox(DWORD milliseconds) const;
  // The exit code, or STILL_ACTIVE when the program did not end in time.
  DWORD WaitForExit(DWORD milliseconds);
  // Threads of the program right now.
  int ThreadCount() const;

 private:
  PROCESS_INFORMATION process_{};
  HWND dialog_ = nullptr;
  HWND resultBox_ = nullptr;
  std::wstring programPath_;
};

// The text of any window, read with WM_GETTEXT (works across processes).
std::wstring ReadWindowText(HWND window);
// True when running under Wine (ntdll exports wine_get_version).
bool RunningUnderWine();
// Splits the report into its lines (each without its CR LF).
std::vector<std::wstring> ReportLines(const std::wstring& report);
