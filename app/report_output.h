#pragma once
// Platform seam for where the report goes. On Windows: the result box (an edit
// control; text appended with EM_SETSEL and EM_REPLACESEL) and the dialog
// caption. On the command line: the report text and the progress line.
#include "app/window_handle.h"

namespace glyphcensus {

// Appends text at the end of the result box. Called only while no stop is requested.
void WriteResultText(WindowHandle resultBox, const char16_t* text);
// Replaces the caption. Called only while no stop is requested.
void WriteCaption(WindowHandle dialog, const char16_t* text);

}  // namespace glyphcensus
