// GlyphCensus.exe steps through the hostile corpus the way a user does: started
// with the folder's first font, then Right pressed once per file. Every job
// must end within a time limit, the program must stay alive and answer its
// messages throughout, and Escape must still close it with exit code 0.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/program_driver.h"
#include "tests/app/test_folder.h"

namespace {

constexpr DWORD kJobLimit = 60000;  // the slowest corpus file takes a few seconds under Wine
constexpr DWORD kPoll = 50;

bool IsFontFile(const std::wstring& name) {
  const wchar_t* extension = PathFindExtensionW(name.c_str());
  for (const wchar_t* font : {L".ttf", L".otf", L".ttc", L".woff", L".woff2"}) {
    if (lstrcmpiW(extension, font) == 0) return true;
  }
  return false;
}

// The font files of the folder in the program's order (natural file-name order).
std::vector<std::wstring> FontFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsFontFile(found.cFileName)) {
      names.emplace_back(found.cFileName);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return StrCmpLogicalW(a.c_str(), b.c_str()) < 0; });
  return names;
}

bool Responds(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// Waits until the program runs no more than `idleThreads` threads (its worker
// has ended) for a moment; false when that does not happen within the limit.
bool WaitForJobEnd(const ProgramDriver& program, int idleThreads) {
  DWORD quietSince = 0;
  for (DWORD waited = 0; waited < kJobLimit; waited += kPoll) {
    if (WaitForSingleObject(program.process(), 0) == WAIT_OBJECT_0) return false;
    if (program.ThreadCount() <= idleThreads) {
      if (waited - quietSince >= 300) return true;
    } else {
      quietSince = waited;
    }
    Sleep(kPoll);
  }
  return false;
}

TEST(HostileCorpus, TheProgramStepsThroughEveryFile) {
  const std::wstring corpus = FullPath(TestDataPath(L"..\\hostile"));
  const std::vector<std::wstring> files = FontFiles(corpus);
  ASSERT_GT(files.size(), 100u) << "no corpus in " << std::string(corpus.begin(), corpus.end());
  ASSERT_EQ(files.front(), L"0_start_here.ttf");

  ProgramDriver program;
  ASSERT_TRUE(program.Start(MakeScratchFolder(L"hostile_walk"), corpus + L"\\" + files.front()));
  const std::wstring first = L"(1/" + std::to_wstring(files.size()) + L")" + files.front();
  ASSERT_TRUE(program.WaitForCaption(first, kJobLimit)) << "caption: " << program.Caption().size();
  Sleep(500);
  const int idleThreads = program.ThreadCount();

  for (size_t i = 1; i < files.size(); ++i) {
    const std::string name(files[i].begin(), files[i].end());
    program.PressKey(VK_RIGHT);
    ASSERT_TRUE(WaitForJobEnd(program, idleThreads)) << name << ": the job did not end, or the program died";
    ASSERT_TRUE(Responds(program.dialog())) << name << ": the dialog does not answer";
  }
  program.PressKey(VK_ESCAPE);
  EXPECT_EQ(program.WaitForExit(10000), 0u);
}

}  // namespace
