#include "cli/font_file.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// A font image's length is a signed 32-bit count of bytes.
constexpr uint64_t kMaxFileSize = INT32_MAX;

// Reserves room for `size` bytes and asks the kernel to back the buffer with
// large pages: a CJK font is several megabytes, and touching it 4 KiB page by
// page costs more than measuring it. Only a hint; nothing depends on it.
void ReserveInLargePages(FontBytes* bytes, size_t size) {
  bytes->reserve(size);
#ifdef MADV_HUGEPAGE
  constexpr uintptr_t kLargePage = 2 * 1024 * 1024;
  const auto start = reinterpret_cast<uintptr_t>(bytes->data());
  const uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (start + size) & ~(kLargePage - 1);
  if (size >= kLargePage && end > first) {
    madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
  }
#endif
}

const char* NotRegularReason(const struct stat& info) {
  return S_ISDIR(info.st_mode) ? "is a directory" : "not a regular file";
}

}  // namespace

bool ReadFontFile(const std::string& path, FontBytes* bytes, std::string* reason) {
  // Look before opening: opening a FIFO or a device could block or never end.
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    *reason = NotRegularReason(info);
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *reason = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  bool ok = false;
  if (fstat(fileno(file), &info) != 0) {
    *reason = std::string("cannot read: ") + std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    *reason = NotRegularReason(info);
  } else if (static_cast<uint64_t>(info.st_size) > kMaxFileSize) {
    *reason = "too large (" + std::to_string(info.st_size) + " bytes; the limit is 2 GiB)";
  } else {
    ReserveInLargePages(bytes, static_cast<size_t>(info.st_size));
    bytes->resize(static_cast<size_t>(info.st_size));
    const size_t got = bytes->empty() ? 0 : std::fread(bytes->data(), 1, bytes->size(), file);
    // A file that changed size while read is read as far as it goes, up to the size.
    ok = std::ferror(file) == 0;
    if (!ok) *reason = std::string("cannot read: ") + std::strerror(errno);
    bytes->resize(got);
  }
  std::fclose(file);
  return ok;
}
