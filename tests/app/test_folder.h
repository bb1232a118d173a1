#pragma once
// Scratch folders and files for the Windows program's tests.
#include <windows.h>

#include <string>

// Full path of a fresh, empty folder `name` below the working directory.
std::wstring MakeScratchFolder(const std::wstring& name);
// Deletes a folder and everything in it; missing folders are fine.
void DeleteFolderTree(const std::wstring& folder);
// Writes `bytes` to `path`, replacing it. Long paths are allowed.
bool WriteTestFile(const std::wstring& path, const std::string& bytes = std::string());
// The absolute form of `path`, as the program's joins spell it (drive letter,
// backslashes).
std::wstring FullPath(const std::wstring& path);
// Generated fonts of tools/make_app_test_fonts.py: <test data>\app\relative.
std::wstring TestDataPath(const std::wstring& relative);
// Copies every file (not the subfolders) of `from` into `to`.
void CopyFolderFiles(const std::wstring& from, const std::wstring& to);
