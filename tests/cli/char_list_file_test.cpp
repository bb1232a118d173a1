// Character list files (--chars): the size limit at its boundary.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/char_list_file.h"
#include "coverage/sets/char_list.h"

using namespace glyphcensus;

namespace {

TEST(CharListFileTest, FilesAtAndOverTheLimit) {
  const std::string path = testing::TempDir() + "char_list_limit.txt";
  std::vector<char32_t> characters;
  std::string error;
  for (const size_t size : {kMaxCharListBytes, kMaxCharListBytes + 1}) {
    {
      FILE* file = std::fopen(path.c_str(), "wb");
      ASSERT_NE(file, nullptr);
      const std::string block(size, 'k');
      std::fwrite(block.data(), 1, block.size(), file);
      std::fclose(file);
    }
    const bool ok = ReadCharListFile(path, &characters, &error);
    EXPECT_EQ(ok, size == kMaxCharListBytes) << size << " " << error;
  }
  EXPECT_EQ(error, "larger than the limit of 16777216 bytes");
  std::remove(path.c_str());
}

}  // namespace
