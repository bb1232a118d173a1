#include "app/font_file_list.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "fontio/font_file_names.h"

namespace glyphcensus {

namespace {

void AddFontFile(FontFileList& list, const wchar_t* folder, size_t folderLength,
                 const WIN32_FIND_DATAW& found) {
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
  // PathCombineW needs the joined text to fit its 260-unit buffer; a longer
  // name is left out rather than cut.
  const size_t nameLength = wcsnlen(found.cFileName, MAX_PATH);
  if (folderLength + 1 + nameLength > kPathCapacity - 1) return;
  wchar_t joined[kPathCapacity];
  if (!PathCombineW(joined, folder, found.cFileName)) return;
  if (HasFontFileExtension(std::wstring_view(joined))) list.emplace_back(joined);
}

}  // namespace

void BuildFontFileList(FontFileList& list, const wchar_t* folder) {
  list.clear();
  const size_t folderLength = wcsnlen(folder, kPathCapacity);
  if (folderLength >= kPathCapacity) return;
  wchar_t pattern[kPathCapacity + 4];  // the folder, "\*.*" and the NUL
  wsprintfW(pattern, L"%s\\*.*", folder);

  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;  // no record was filled
  do {
    AddFontFile(list, folder, folderLength, found);
  } while (FindNextFileW(search, &found));
  FindClose(search);

  std::sort(list.begin(), list.end(), CompareFontFileNames);
}

bool CompareFontFileNames(const std::wstring& a, const std::wstring& b) {
  // The file-name part, as PathStripPathW leaves it: the text after the last
  // backslash. Entries never end in a backslash.
  return StrCmpLogicalW(PathFindFileNameW(a.c_str()), PathFindFileNameW(b.c_str())) < 0;
}

int32_t FindFontFileIndex(const FontFileList& list, const wchar_t* path) {
  const int32_t count = static_cast<int32_t>(list.size());
  if (count == 0) return -1;
  for (int32_t index = 0; index < count - 1; ++index) {
    if (_wcsicmp(list[index].c_str(), path) == 0) return index;
  }
  return count - 1;
}

}  // namespace glyphcensus
