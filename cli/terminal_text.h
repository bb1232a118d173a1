#pragma once
// Text for a terminal: names and paths from font files and folders may hold
// characters that a terminal obeys instead of showing (ESC starting a control
// sequence, BEL, a line feed splitting a report line, a bidirectional override
// reordering what follows). The text report, the progress line and the
// messages on stderr show each of them as "<U+XXXX>" (for example "<U+001B>").
#include <string>

namespace glyphcensus {

// `text` (UTF-8, or any bytes) with every C0 control character (U+0000 to
// U+001F), DEL (U+007F), C1 control character (U+0080 to U+009F) and
// bidirectional embedding, override and isolate (U+202A to U+202E, U+2066 to
// U+2069) written as "<U+XXXX>". Other bytes, valid UTF-8 or not, are kept.
std::string TerminalSafe(const std::string& text);

}  // namespace glyphcensus
