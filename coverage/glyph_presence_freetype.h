#pragma once
// Switches for the FreeType glyph presence test, for tests and benchmarks.

// Whether glyphs that lie wholly inside the scanned region and have plenty of
// area are judged without being drawn (on by default). Off, every glyph is
// drawn and scanned; the results must be the same.
void SetFreeTypeInkShortcut(bool enabled);
