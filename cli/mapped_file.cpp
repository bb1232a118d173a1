#include "cli/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace glyphcensus {

namespace {

// A font image's length is a signed 32-bit count of bytes.
constexpr uint64_t kMaxFileSize = INT32_MAX;

const char* NotRegularReason(const struct stat& info) {
  return S_ISDIR(info.st_mode) ? "is a directory" : "not a regular file";
}

std::string SystemError(const char* what) { return std::string(what) + std::strerror(errno); }

}  // namespace

MappedFile::~MappedFile() {
  if (data != nullptr) munmap(data, size);
}

std::unique_ptr<MappedFile> MapFontFile(const std::string& path, std::string* reason) {
  // Look before opening: opening a FIFO or a device could block or never end.
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    *reason = NotRegularReason(info);
    return nullptr;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *reason = SystemError("cannot open: ");
    return nullptr;
  }
  auto file = std::make_unique<MappedFile>();
  if (fstat(fd, &info) != 0) {
    *reason = SystemError("cannot read: ");
    file.reset();
  } else if (!S_ISREG(info.st_mode)) {
    *reason = NotRegularReason(info);
    file.reset();
  } else if (static_cast<uint64_t>(info.st_size) > kMaxFileSize) {
    *reason = "too large (" + std::to_string(info.st_size) + " bytes; the limit is 2 GiB)";
    file.reset();
  } else if (info.st_size > 0) {
    void* data = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ | PROT_WRITE,
                      MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
      *reason = SystemError("cannot read: ");
      file.reset();
    } else {
      file->data = static_cast<uint8_t*>(data);
      file->size = static_cast<size_t>(info.st_size);
      // The glyph tables are read from start to end, roughly in order.
      madvise(data, file->size, MADV_WILLNEED);
    }
  }
  close(fd);
  return file;
}

}  // namespace glyphcensus
