// Where the report goes in the Windows program: the result box (a read-only
// multi-line edit control) and the dialog's caption. Both calls are synchronous
// calls into the dialog thread.
#include "app/report_output.h"

#include <windows.h>

namespace glyphcensus {

void WriteResultText(WindowHandle resultBox, const char16_t* text) {
  HWND box = static_cast<HWND>(resultBox);
  const int length = GetWindowTextLengthW(box);
  SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void WriteCaption(WindowHandle dialog, const char16_t* text) {
  SetWindowTextW(static_cast<HWND>(dialog), reinterpret_cast<const wchar_t*>(text));
}

}  // namespace glyphcensus
