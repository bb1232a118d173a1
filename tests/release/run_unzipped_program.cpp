// Starts GlyphCensus.exe where it lies (the unpacked release zip) on one font,
// waits for the report, prints it in UTF-8 on stdout and closes the program
// with Escape, as a user would. For check_release_zip.py.
//
// Usage: run_unzipped_program.exe PROGRAM.exe FONT CAPTION
// Exit status 0 when the caption appeared and the program ended on Escape.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "tests/app/program_driver.h"

namespace {

constexpr DWORD kMeasureTimeout = 120000;

// The report's own CR LF line ends, unchanged (stdout in binary mode).
void PrintUtf8(const std::wstring& text) {
  _setmode(_fileno(stdout), _O_BINARY);
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                      nullptr);
  fwrite(bytes.data(), 1, bytes.size(), stdout);
  fflush(stdout);
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count != 4) {
    fprintf(stderr, "usage: run_unzipped_program PROGRAM.exe FONT CAPTION\n");
    return 2;
  }
  ProgramDriver program;
  if (!program.StartInPlace(arguments[1], arguments[2])) {
    fprintf(stderr, "run_unzipped_program: the program did not start or showed no dialog\n");
    return 1;
  }
  if (!program.WaitForCaption(arguments[3], kMeasureTimeout)) {
    fprintf(stderr, "run_unzipped_program: the caption did not become the expected one\n");
    PrintUtf8(program.Caption());
    return 1;
  }
  PrintUtf8(program.Report());
  program.PressKey(VK_ESCAPE);
  if (program.WaitForExit(30000) != 0) {
    fprintf(stderr, "run_unzipped_program: the program did not end with status 0 on Escape\n");
    return 1;
  }
  return 0;
}
