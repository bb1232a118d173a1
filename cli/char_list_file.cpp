#include "cli/char_list_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "coverage/sets/char_list.h"

namespace glyphcensus {

bool ReadCharListFile(const std::string& path, std::vector<char32_t>* characters,
                      std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  // One byte more than the limit tells a file at the limit from a larger one.
  std::vector<uint8_t> bytes(kMaxCharListBytes + 1);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  const bool failed = std::ferror(file) != 0;
  const int readErrno = errno;
  std::fclose(file);
  if (failed) {
    *error = std::string("cannot read: ") + std::strerror(readErrno);
    return false;
  }
  if (got > kMaxCharListBytes) {
    *error = "larger than the limit of " + std::to_string(kMaxCharListBytes) + " bytes";
    return false;
  }
  return ParseCharList(bytes.data(), got, characters, error);
}

}  // namespace glyphcensus
