// The folder's font file list: which files it takes, their natural order, and
// the look-up of a path in it.
#include "app/font_file_list.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "fontio/font_file_names.h"
#include "tests/app/test_folder.h"

using namespace glyphcensus;

namespace {

std::vector<std::wstring> Names(const FontFileList& list, const std::wstring& folder) {
  std::vector<std::wstring> names;
  for (const std::wstring& entry : list) {
    EXPECT_EQ(entry.compare(0, folder.size() + 1, folder + L"\\"), 0) << entry;
    names.push_back(entry.substr(folder.size() + 1));
  }
  return names;
}

TEST(FontFileList, SortsInNaturalOrderAndJoinsWithTheFolder) {
  const std::wstring folder = MakeScratchFolder(L"natural");
  for (const wchar_t* name : {L"a10.ttf", L"a2.otf", L"A1.woff2"}) {
    ASSERT_TRUE(WriteTestFile(folder + L"\\" + name));
  }
  FontFileList list;
  BuildFontFileList(list, folder.c_str());
  EXPECT_EQ(Names(list, folder), (std::vector<std::wstring>{L"A1.woff2", L"a2.otf", L"a10.ttf"}));

  // A second build of the same folder gives the same list, nothing doubled.
  BuildFontFileList(list, folder.c_str());
  EXPECT_EQ(Names(list, folder), (std::vector<std::wstring>{L"A1.woff2", L"a2.otf", L"a10.ttf"}));
}

TEST(FontFileList, TakesOnlyFontExtensionsOfFilesInTheFolderItself) {
  const std::wstring folder = MakeScratchFolder(L"extensions");
  for (const wchar_t* name : {L"FONT.TTF", L"b.Woff", L"c.woff2", L"d.TtC", L"e.OTF", L"font.ttf.bak",
                              L"readme.txt", L"noextension", L"f.woff3", L"g.tt", L"h.ttf.otf"}) {
    ASSERT_TRUE(WriteTestFile(folder + L"\\" + name));
  }
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\x.ttf").c_str(), nullptr));
  ASSERT_TRUE(WriteTestFile(folder + L"\\x.ttf\\inner.ttf"));

  FontFileList list;
  BuildFontFileList(list, folder.c_str());
  EXPECT_EQ(Names(list, folder), (std::vector<std::wstring>{L"b.Woff", L"c.woff2", L"d.TtC",
                                                             L"e.OTF", L"FONT.TTF", L"h.ttf.otf"}));
}

TEST(FontFileList, FolderWithoutFontsOrMissingFolderGivesEmptyList) {
  const std::wstring folder = MakeScratchFolder(L"nofonts");
  ASSERT_TRUE(WriteTestFile(folder + L"\\readme.txt"));
  const std::wstring other = MakeScratchFolder(L"onefont");
  ASSERT_TRUE(WriteTestFile(other + L"\\one.ttf"));

  FontFileList list;
  BuildFontFileList(list, other.c_str());
  ASSERT_EQ(list.size(), 1u);
  BuildFontFileList(list, folder.c_str());  // entries of the earlier folder go
  EXPECT_TRUE(list.empty());

  BuildFontFileList(list, other.c_str());
  BuildFontFileList(list, (folder + L"\\does-not-exist").c_str());
  EXPECT_TRUE(list.empty());
}

TEST(FontFileList, LeavesOutNamesWhoseJoinedPathDoesNotFit) {
  const std::wstring folder = MakeScratchFolder(L"long");
  // The joined path may hold 259 units: folder, backslash and name.
  const size_t room = 259 - folder.size() - 1;
  ASSERT_LT(room, 250u) << "working directory too short for this test";
  const std::wstring fits = std::wstring(room - 4, L'f') + L".ttf";
  const std::wstring tooLong = std::wstring(room - 3, L'g') + L".ttf";
  ASSERT_TRUE(WriteTestFile(folder + L"\\" + fits));
  ASSERT_TRUE(WriteTestFile(folder + L"\\" + tooLong));

  FontFileList list;
  BuildFontFileList(list, folder.c_str());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].size(), 259u);
  EXPECT_EQ(list[0], folder + L"\\" + fits);
}

TEST(FontFileList, FolderAtTheLengthLimitDoesNotOverrun) {
  FontFileList list{L"stale"};
  const std::wstring folder = L"C:\\" + std::wstring(256, L'd');  // 259 units
  BuildFontFileList(list, folder.c_str());
  EXPECT_TRUE(list.empty());
}

TEST(FontFileList, ComparesFileNamesOnlyInNaturalOrder) {
  EXPECT_TRUE(CompareFontFileNames(L"C:\\z\\a2.ttf", L"C:\\a\\a10.ttf"));
  EXPECT_FALSE(CompareFontFileNames(L"C:\\a\\a10.ttf", L"C:\\z\\a2.ttf"));
  EXPECT_FALSE(CompareFontFileNames(L"C:\\f\\Font.ttf", L"C:\\f\\font.ttf"));  // case aside: equal
  EXPECT_FALSE(CompareFontFileNames(L"C:\\f\\font.ttf", L"C:\\f\\Font.ttf"));
}

// The Linux command sorts a folder with the portable comparison; on letters,
// digits and case it must agree with the shell's order used here.
TEST(FontFileList, PortableNaturalOrderAgreesWithTheShell) {
  const std::vector<std::wstring> names = {L"a", L"A1", L"a2", L"a10", L"a10b", L"a10B1", L"a9z",
                                           L"B", L"b2c", L"b10c", L"Font", L"font2", L"x9y", L"x10",
                                           L"9", L"10", L"abc", L"ABD", L"ab", L"v1.2", L"v1.10"};
  for (const std::wstring& a : names) {
    for (const std::wstring& b : names) {
      const int shell = StrCmpLogicalW(a.c_str(), b.c_str());
      const int portable = CompareNaturally(a, b);
      EXPECT_EQ((shell > 0) - (shell < 0), (portable > 0) - (portable < 0))
          << std::string(a.begin(), a.end()) << " vs " << std::string(b.begin(), b.end());
    }
  }
}

TEST(FindFontFileIndex, FindsThePathIgnoringCaseElseTheLastEntry) {
  const FontFileList list{L"C:\\f\\a.ttf", L"C:\\f\\b.ttf", L"C:\\f\\c.ttf"};
  EXPECT_EQ(FindFontFileIndex(list, L"C:\\f\\a.ttf"), 0);
  EXPECT_EQ(FindFontFileIndex(list, L"c:\\F\\B.TTF"), 1);
  EXPECT_EQ(FindFontFileIndex(list, L"C:\\f\\c.ttf"), 2);
  // Not in the list (another extension, the folder, another spelling): the last.
  EXPECT_EQ(FindFontFileIndex(list, L"C:\\f\\notes.txt"), 2);
  EXPECT_EQ(FindFontFileIndex(list, L"C:\\f"), 2);
  EXPECT_EQ(FindFontFileIndex(list, L"C:\\f\\.\\a.ttf"), 2);
}

TEST(FindFontFileIndex, OneEntryIsAlwaysChosenAndAnEmptyListHasNone) {
  EXPECT_EQ(FindFontFileIndex(FontFileList{L"C:\\f\\a.ttf"}, L"C:\\other.txt"), 0);
  EXPECT_EQ(FindFontFileIndex(FontFileList{}, L"C:\\f\\a.ttf"), -1);
}

}  // namespace
