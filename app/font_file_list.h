#pragma once
// The font files of one folder, in natural (logical) file-name order: the list
// the Left and Right keys step through. Windows only.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace glyphcensus {

// Paths are fixed buffers of this many UTF-16 units: at most 259 plus the NUL.
constexpr size_t kPathCapacity = 260;

// Full paths of the font files of one folder, each at most 259 units.
using FontFileList = std::vector<std::wstring>;

// Empties `list`, then fills it with the font files (.ttc .ttf .otf .woff
// .woff2, any letter case) found directly in `folder`, sorted in natural order.
// A folder that cannot be searched leaves the list empty; a file whose joined
// path would not fit in 259 units is left out.
void BuildFontFileList(FontFileList& list, const wchar_t* folder);

// Natural order of the file-name parts: true when `a` sorts before `b`.
bool CompareFontFileNames(const std::wstring& a, const std::wstring& b);

// Index of `path` in the list, compared whole and case-insensitively with the
// first count - 1 entries; when none of them is equal, the last entry
// (count - 1). An empty list has no entry to select: -1.
int32_t FindFontFileIndex(const FontFileList& list, const wchar_t* path);

}  // namespace glyphcensus
