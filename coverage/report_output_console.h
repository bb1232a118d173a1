#pragma once
// Where the report goes in the command-line tool. The report's "result box" is
// a ConsoleReport that gathers the text, and its "dialog" a ConsoleProgress
// that shows the progress captions on one refreshing line of stderr, only when
// stderr is a terminal. Both are passed to the report as WindowHandle.
#include <string>

struct ConsoleReport {
  std::u16string text;  // the report as written: lines ending in "\r\n"
};

struct ConsoleProgress {
  bool onTerminal = false;  // show captions (stderr is a terminal)
  bool lineShown = false;   // a caption is on the line now
};

// Removes the progress line, if one is shown.
void ClearProgressLine(ConsoleProgress* progress);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);
