// gdi_report FONT...: measures each font file the way the Windows program does
// (the font job on a worker thread, the GDI glyph test, a real edit control as
// the result box) and prints each report as UTF-8 with LF line ends, like the
// glyphcensus command. Used to compare the two glyph tests and to time the
// Windows one under Wine. With --time, the milliseconds of each job go to
// stderr.
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "coverage/presence/stop_token.h"
#include "app/font_job.h"
#include "tests/win/win_test_support.h"

using namespace glyphcensus;

namespace {

std::string WithLineFeeds(const std::wstring& text) {
  std::wstring lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    lines.push_back(text[i]);
  }
  return Utf8(lines);
}

// True when the job ran to its end (WM_JOB_DONE arrived).
bool MeasureFile(const wchar_t* path, std::string* report, double* milliseconds) {
  TestDialog windows;
  FontJob job = {};
  job.dialog = windows.dialog;
  job.resultBox = windows.resultBox;
  if (wcslen(path) >= 260) return false;
  wcscpy(job.path, path);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  RunOnThreadPumping(RunFontJob, &job);
  QueryPerformanceCounter(&end);
  *milliseconds = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                  static_cast<double>(frequency.QuadPart);
  *report = WithLineFeeds(WindowText(windows.resultBox));
  return windows.log.jobDone == 1;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  _setmode(_fileno(stdout), _O_BINARY);  // LF stays LF
  bool timing = false;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    if (wcscmp(argv[i], L"--time") == 0) {
      timing = true;
      continue;
    }
    std::string report;
    double milliseconds = 0;
    if (!MeasureFile(argv[i], &report, &milliseconds)) {
      fprintf(stderr, "gdi_report: %s: not measured\n", Utf8(argv[i]).c_str());
      status = 1;
      continue;
    }
    fwrite(report.data(), 1, report.size(), stdout);
    if (timing) fprintf(stderr, "%.1f ms\n", milliseconds);
  }
  fflush(stdout);
  LocalFree(argv);
  return status;
}
