// The report output of the command-line tool: the report text is gathered for
// printing, and the captions go to one refreshing line of stderr.
#include "coverage/report_output_console.h"

#include <cstdio>

#include "coverage/report_output.h"
#include "coverage/utf8.h"

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendCodePointUtf8(&out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                           (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendCodePointUtf8(&out, 0xFFFD);
    } else {
      AppendCodePointUtf8(&out, unit);
    }
  }
  return out;
}

void WriteResultText(WindowHandle resultBox, const char16_t* text) {
  static_cast<ConsoleReport*>(resultBox)->text += text;
}

void WriteCaption(WindowHandle dialog, const char16_t* text) {
  auto* progress = static_cast<ConsoleProgress*>(dialog);
  if (progress == nullptr || !progress->onTerminal) return;
  // Carriage return, the caption, then erase the rest of the old caption.
  std::fprintf(stderr, "\r%s\x1b[K", Utf16ToUtf8(text).c_str());
  std::fflush(stderr);
  progress->lineShown = true;
}

void ClearProgressLine(ConsoleProgress* progress) {
  if (!progress->lineShown) return;
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
  progress->lineShown = false;
}
