#pragma once
#include <cstdint>

// Switches for the FreeType glyph presence test, for tests and benchmarks.

// Whether glyphs that lie wholly inside the scanned region and have plenty of
// area are judged without being drawn (on by default). Off, every glyph is
// drawn and scanned; the results must be the same.
void SetFreeTypeInkShortcut(bool enabled);

// When glyphs with ink well inside the scanned region are judged from their
// unhinted outline, for fonts whose hinting moves outlines little: by default
// only when the font's glyph programs make hinting dear; always (for tests);
// or never, when every glyph is loaded hinted. The results must be the same.
enum class UnhintedJudging { kOff, kWhenHintingIsDear, kAlways };
void SetFreeTypeUnhintedJudging(UnhintedJudging mode);

struct MeasuringContext;
// How many glyphs the context has judged from their unhinted outline so far.
uint32_t CountUnhintedVerdicts(const MeasuringContext* context);
