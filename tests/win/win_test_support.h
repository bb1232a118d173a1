#pragma once
// Helpers of the Windows tests: a hidden dialog stand-in with a result box,
// message pumping while a worker runs, files and Wine detection.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// True under Wine (its ntdll exports wine_get_version).
bool IsWine();

// A generated test file: GLYPHCENSUS_TEST_DATA_DIR/name.
std::string TestDataPath(const std::string& name);
std::wstring Widen(const std::string& utf8);
std::string Utf8(const std::wstring& text);
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// What the stand-in dialog saw: its window procedure counts WM_JOB_DONE and
// keeps every caption it was given.
struct DialogLog {
  int jobDone = 0;
  std::vector<std::wstring> captions;
  // Called (if set) for every caption, before it is applied.
  void (*onCaption)(DialogLog* log, const std::wstring& caption) = nullptr;
  // WM_JOB_CANNOT_OPEN requests. With `whileBoxShown` set the window shows the
  // box as the program's dialog does, and calls it every 20 ms (with this
  // thread's id and `boxContext`) until the box is closed.
  int cannotOpen = 0;
  void (*whileBoxShown)(DWORD threadId, void* context) = nullptr;
  void* boxContext = nullptr;
};

// A hidden top-level window standing in for the main dialog, with a hidden
// read-only multi-line edit control as its result box. The result box is a
// few lines high, so a long text scrolls.
struct TestDialog {
  HWND dialog = nullptr;
  HWND resultBox = nullptr;
  DialogLog log;

  TestDialog();
  ~TestDialog();
  TestDialog(const TestDialog&) = delete;
  TestDialog& operator=(const TestDialog&) = delete;
};

std::wstring WindowText(HWND window);

// Handles every message of the calling thread that is waiting, sent or posted.
void PumpMessages();

// Runs `entry(parameter)` on a new thread and keeps this thread's messages
// flowing until it ends; `whilePumping` (if set) is called between waits.
// Returns the thread's exit code, or 0xFFFFFFFF after a 120 s timeout.
DWORD RunOnThreadPumping(LPTHREAD_START_ROUTINE entry, void* parameter,
                         void (*whilePumping)(DWORD threadId, void* context) = nullptr,
                         void* context = nullptr);
