// The worker thread of the Windows program: one font file read, recognised,
// converted and measured into the result box.
#include "app/font_job.h"

#include <new>
#include <utility>
#include <vector>

#include "app/coverage_report.h"
#include "fontio/font_image.h"

namespace glyphcensus {

namespace {

// "ファイルが開けません。" ("the file cannot be opened")
constexpr wchar_t kCannotOpenMessage[] =
    L"\u30D5\u30A1\u30A4\u30EB\u304C\u958B\u3051\u307E\u305B\u3093\u3002";
constexpr wchar_t kProgramName[] = L"GlyphCensus";

// The largest image a signed 32-bit length can describe.
constexpr DWORD kMaxImageBytes = 0x7FFFFFFF;

enum class ReadOutcome { kRead, kCannotOpen, kTooLarge };

// Reads the whole file with one request. Only the bytes actually delivered are
// kept, so a file that shrank after its size was taken is measured as read.
ReadOutcome ReadWholeFile(const wchar_t* path, FontBytes* bytes) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return ReadOutcome::kCannotOpen;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    CloseHandle(file);
    return ReadOutcome::kCannotOpen;
  }
  if (high != 0 || size > kMaxImageBytes) {
    CloseHandle(file);
    return ReadOutcome::kTooLarge;
  }
  try {
    bytes->resize(size);
  } catch (const std::bad_alloc&) {
    CloseHandle(file);
    return ReadOutcome::kTooLarge;
  }
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  DWORD delivered = 0;
  const BOOL ok = ReadFile(file, bytes->data(), size, &delivered, nullptr);
  CloseHandle(file);
  if (!ok) return ReadOutcome::kCannotOpen;
  bytes->resize(delivered);
  return ReadOutcome::kRead;
}

}  // namespace

void ShowCannotOpenBox(HWND dialog) {
  MessageBoxW(dialog, kCannotOpenMessage, kProgramName, MB_OK);
}

DWORD WINAPI RunFontJob(LPVOID fontJob) {
  const FontJob& job = *static_cast<const FontJob*>(fontJob);

  FontBytes fileBytes;
  switch (ReadWholeFile(job.path, &fileBytes)) {
    case ReadOutcome::kCannotOpen:
      SendMessageW(job.dialog, WM_JOB_CANNOT_OPEN, 0, 0);
      return 0;
    case ReadOutcome::kTooLarge:  // refused like any container we do not take
      return 0;
    case ReadOutcome::kRead:
      break;
  }

  FontImage image;
  bool made = false;
  try {
    made = MakeFontImage(std::move(fileBytes), &image);
  } catch (const std::bad_alloc&) {
    made = false;
  }
  if (!made) return 0;  // refused: no message, the previous report stays

  SetWindowTextW(job.resultBox, L"");
  WriteCoverageReport(ReportTarget{job.dialog, job.resultBox, job.stop}, ImageBytes(image));
  image = FontImage();  // freed as soon as the report returns

  if (StopRequested(job.stop)) return 0;
  SendMessageW(job.resultBox, EM_LINESCROLL, 0, -20);
  SendMessageW(job.resultBox, EM_SETSEL, 0, 0);
  if (StopRequested(job.stop)) return 0;
  SendMessageW(job.dialog, WM_JOB_DONE, 0, 0);
  return 0;
}

}  // namespace glyphcensus
