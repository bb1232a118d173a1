#pragma once
// The font job of the Windows program: one worker thread per measured file.
// Windows only.
#include <windows.h>

#include "coverage/presence/stop_token.h"

namespace glyphcensus {

// The one record handed to every worker. The dialog owns and writes it; the
// worker only reads it.
struct FontJob {
  HWND dialog;         // owner of message boxes, target of captions and WM_JOB_DONE
  HWND resultBox;      // the result box (edit control 1001)
  wchar_t path[260];   // full path of the font file, NUL-terminated
  const StopToken* stop;  // the dialog's: the worker stops writing and measuring once it is set
};

// Sent (synchronously) by the worker to FontJob.dialog after a complete report.
constexpr UINT WM_JOB_DONE = WM_APP + 1;

// Sent (synchronously) by the worker to FontJob.dialog when the file cannot be
// opened or read. The dialog answers with ShowCannotOpenBox on its own thread:
// a message box owned by a window of another thread would tie the two
// threads' input together, and a dialog waiting for the worker could then hold
// back the box's input for ever.
constexpr UINT WM_JOB_CANNOT_OPEN = WM_APP + 2;

// The "cannot open" message box, owned by `dialog`. Call on the dialog's thread.
void ShowCannotOpenBox(HWND dialog);

// Thread entry: reads, recognises and converts the file at FontJob.path, writes
// the report into the result box, then sends WM_JOB_DONE. Always returns 0.
DWORD WINAPI RunFontJob(LPVOID fontJob);

}  // namespace glyphcensus
