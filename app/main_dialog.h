#pragma once
// The main dialog: the result box, the folder's font file list, and starting
// and stopping the worker that measures one font file. Windows only.
#include <windows.h>

#include <cstdint>

#include "app/font_file_list.h"

namespace glyphcensus {

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Subclass of the result box: passes drops on to the dialog.
LRESULT CALLBACK ResultBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Starts a worker on entry `index` of the font file list; an index outside the
// list starts nothing.
void StartFontJob(int32_t index);

// Asks the worker to stop (the dialog's stop token) and waits for the held worker to end while still serving
// the messages it sends to the dialog thread, then closes its handle.
void StopFontJob();

// The first argument after the program name made a full path, or empty: when
// there is none or when its full path would not fit in a path buffer (260
// units or more). False when empty.
bool ReadStartPath(const wchar_t* commandLine, wchar_t (&startPath)[kPathCapacity]);

// The settings file's path: the program's path in the thread's ANSI code page
// with the extension ".ini". False, with an empty path, when it does not fit.
bool MakeSettingsPath(const wchar_t* modulePath, char (&settingsPath)[kPathCapacity]);

}  // namespace glyphcensus
