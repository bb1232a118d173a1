// Steps the Windows font job through every file of the hostile corpus, as the
// dialog does when the user presses Right: for each file a worker thread runs
// RunFontJob into a result box while this thread serves its messages. Each
// job must end within a time limit, without a crash (which ends this
// process), and with the reaction that manifest.tsv expects of the dialog:
//
//   report   the result box holds the 16 report lines and WM_JOB_DONE came
//   silence  nothing was written (the box holds the previous text, or
//            nothing when the job cleared it and the report wrote nothing)
//   either   anything
//
// Usage: hostile_corpus_walk CORPUS_FOLDER [SECONDS_PER_FILE]
// Exit status: 0 all passed, 1 a reaction was wrong, 3 a job did not end.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "coverage/presence/stop_token.h"
#include "app/font_job.h"

using namespace glyphcensus;

namespace {

constexpr wchar_t kPrevious[] = L"previous report";
bool jobDone = false;

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_JOB_DONE) {
    jobDone = true;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

struct Row {
  std::string file, dialog, why;
};

std::vector<Row> ReadManifest(const std::string& folder) {
  std::ifstream manifest(folder + "/manifest.tsv");
  std::vector<Row> rows;
  std::string line;
  while (std::getline(manifest, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Row row;
    std::string cli;
    std::getline(fields, row.file, '\t');
    std::getline(fields, cli, '\t');
    std::getline(fields, row.dialog, '\t');
    std::getline(fields, row.why, '\t');
    rows.push_back(row);
  }
  return rows;
}

std::wstring WindowsPath(const std::string& path) {
  std::wstring wide(path.begin(), path.end());  // the corpus paths are ASCII
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

// Runs one job; false when it did not end in time.
bool RunJob(FontJob* job, DWORD limitMs) {
  jobDone = false;
  HANDLE worker = CreateThread(nullptr, 0, RunFontJob, job, 0, nullptr);
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= limitMs) return false;
    const DWORD wait = MsgWaitForMultipleObjects(1, &worker, FALSE, limitMs - elapsed, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  CloseHandle(worker);
  // WM_JOB_DONE is sent, so it has been handled by now.
  return true;
}

int CountLines(const std::wstring& text) {
  int lines = 0;
  for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2)) ++lines;
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: hostile_corpus_walk CORPUS_FOLDER [SECONDS_PER_FILE]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const DWORD limitMs = 1000 * static_cast<DWORD>(argc > 2 ? std::atoi(argv[2]) : 60);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DialogProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"HostileCorpusWalk";
  RegisterClassW(&windowClass);
  HWND dialog = CreateWindowExW(0, L"HostileCorpusWalk", L"GlyphCensus", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                300, nullptr, nullptr, windowClass.hInstance, nullptr);
  HWND resultBox = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0, 0,
                                   400, 300, dialog, reinterpret_cast<HMENU>(1001), windowClass.hInstance,
                                   nullptr);
  SendMessageW(resultBox, EM_SETLIMITTEXT, 0, 0);

  const std::vector<Row> rows = ReadManifest(folder);
  if (rows.empty()) {
    std::fprintf(stderr, "no manifest in %s\n", folder.c_str());
    return 2;
  }
  int failures = 0;
  DWORD slowestMs = 0;
  std::string slowest;
  for (const Row& row : rows) {
    std::printf("%-40s ", row.file.c_str());
    std::fflush(stdout);  // the last name printed tells which file a crash came from
    FontJob job{dialog, resultBox, {}};
    const std::wstring path = WindowsPath(folder + "/" + row.file);
    lstrcpynW(job.path, path.c_str(), MAX_PATH);
    SetWindowTextW(resultBox, kPrevious);
    SetWindowTextW(dialog, L"GlyphCensus");

    const DWORD start = GetTickCount();
    if (!RunJob(&job, limitMs)) {
      std::printf("did not end within %lu s (%s)\n", limitMs / 1000, row.why.c_str());
      std::fflush(stdout);
      ExitProcess(3);  // the worker cannot be stopped safely; give up at once
    }
    const DWORD took = GetTickCount() - start;
    if (took > slowestMs) {
      slowestMs = took;
      slowest = row.file;
    }
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(resultBox)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(resultBox, &text[0], static_cast<int>(text.size()))));
    const bool silent = text == kPrevious || text.empty();
    const int lines = CountLines(text);
    const char* outcome = silent ? "silence" : lines == 16 ? "report" : "name only";
    std::printf("%-9s %5lu ms\n", outcome, took);
    const bool ok = row.dialog == "either" || (row.dialog == "silence" && silent) ||
                    (row.dialog == "report" && lines == 16 && jobDone);
    if (!ok) {
      ++failures;
      std::printf("FAIL %s: expected %s (%s), got %s with %d lines%s\n", row.file.c_str(), row.dialog.c_str(),
                  row.why.c_str(), outcome, lines, jobDone ? "" : ", no WM_JOB_DONE");
    }
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  std::printf("%zu files, %d failed; slowest %s (%lu ms); peak working set %.1f MiB\n", rows.size(), failures,
              slowest.c_str(), slowestMs, memory.PeakWorkingSetSize / 1048576.0);
  DestroyWindow(dialog);
  return failures == 0 ? 0 : 1;
}
