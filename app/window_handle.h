#pragma once

namespace glyphcensus {
// Windows are passed as opaque handles through the dialog's portable report
// code: an HWND in the Windows program, a recording record in its Linux tests.
using WindowHandle = void*;

}  // namespace glyphcensus
