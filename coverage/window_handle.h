#pragma once
// Windows are passed as opaque handles through the portable code: an HWND in the
// Windows program, a console-side record in the command-line tool.
using WindowHandle = void*;
