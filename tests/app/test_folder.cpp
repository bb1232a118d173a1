#include "tests/app/test_folder.h"

#include <vector>

namespace {

std::wstring Widen(const char* text) {
  std::wstring wide;
  for (const char* p = text; *p; ++p) wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return wide;
}

std::wstring Extended(const std::wstring& path) { return L"\\\\?\\" + path; }

}  // namespace

std::wstring FullPath(const std::wstring& path) {
  std::wstring source = path;
  for (wchar_t& c : source) {
    if (c == L'/') c = L'\\';
  }
  wchar_t full[2048];
  const DWORD length = GetFullPathNameW(source.c_str(), 2048, full, nullptr);
  return length > 0 && length < 2048 ? std::wstring(full) : source;
}

void DeleteFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Extended(folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolderTree(path);
      } else {
        SetFileAttributesW(Extended(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Extended(path).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(Extended(folder).c_str());
}

std::wstring MakeScratchFolder(const std::wstring& name) {
  CreateDirectoryW(L"app_scratch", nullptr);
  const std::wstring folder = FullPath(L"app_scratch\\" + name);
  DeleteFolderTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool WriteTestFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() ||
                  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::wstring TestDataPath(const std::wstring& relative) {
  return FullPath(Widen(GLYPHCENSUS_TEST_DATA_DIR) + L"\\app\\" + relative);
}

void CopyFolderFiles(const std::wstring& from, const std::wstring& to) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    CopyFileW((from + L"\\" + found.cFileName).c_str(), (to + L"\\" + found.cFileName).c_str(),
              FALSE);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}
