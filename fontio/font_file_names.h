#pragma once
// Rules for the names of font files, shared by the Windows program's font file
// list and the Linux command's folder walk: which names are font files, and the
// natural order of names.
#include <string_view>

namespace glyphcensus {

// True when the text after the last dot of `name` is "ttc", "ttf", "otf",
// "woff" or "woff2", in any letter case. `name` is a file name or a path whose
// last component is one; a dot in an earlier component of a path is never taken
// for the extension's.
bool HasFontFileExtension(std::string_view name);
bool HasFontFileExtension(std::wstring_view name);

// Natural order of two file names: below 0 when `a` sorts before `b`, 0 when
// they are equal in this order, above 0 otherwise. Runs of ASCII digits compare
// by their numeric value (of any length: no overflow), a digit sorts before any
// other character, and ASCII letters compare without regard to case (as lower
// case); other units compare by value, so UTF-8 text sorts in code point order.
// On letters, digits and case this is the order of the Windows shell's
// StrCmpLogicalW. Names such as "a1" and "a01", or "A" and "a", are equal here.
int CompareNaturally(std::string_view a, std::string_view b);
int CompareNaturally(std::wstring_view a, std::wstring_view b);

// A total order for sorting a folder's names: natural order, and for names
// equal in it (such as "Font.ttf" and "font.ttf", which may both exist on
// Linux) the order of their units, so that a listing always sorts the same way.
bool NaturalFileNameLess(std::string_view a, std::string_view b);

}  // namespace glyphcensus
