#pragma once

namespace glyphcensus {
// Switches for the GDI glyph presence test, for tests.

// Whether ScriptGetFontProperties is treated as failing for every font (off by
// default), so that tests can reach the special glyphs taken without it.
void SimulateFontPropertiesFailure(bool enabled);

}  // namespace glyphcensus
