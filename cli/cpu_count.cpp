#include "cli/cpu_count.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>

namespace glyphcensus {

namespace {

// cgroup files are small; more than this is not a cgroup file.
constexpr std::streamsize kMaxCgroupText = 4096;

std::string ReadSmallFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string text(kMaxCgroupText, '\0');
  file.read(&text[0], kMaxCgroupText);
  text.resize(static_cast<size_t>(file.gcount()));
  return text;
}

// A whole decimal number of at most 18 digits (no sign, no spaces).
bool ParseCount(const std::string& text, uint64_t* value) {
  if (text.empty() || text.size() > 18) return false;
  *value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

unsigned AffinityProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<unsigned>(online) : 1u;
}

// The smallest cpu.max quota from the process's cgroup up to the root.
bool CgroupQuota(unsigned* processors) {
  std::string path;
  if (!ParseCgroupV2Path(ReadSmallFile("/proc/self/cgroup"), &path)) return false;
  bool limited = false;
  for (;;) {
    unsigned here = 0;
    if (ParseCpuMax(ReadSmallFile("/sys/fs/cgroup" + path + "/cpu.max"), &here)) {
      *processors = limited ? std::min(*processors, here) : here;
      limited = true;
    }
    if (path.empty() || path == "/") return limited;
    path = path.substr(0, path.find_last_of('/'));
  }
}

}  // namespace

bool ParseCgroupV2Path(const std::string& procSelfCgroup, std::string* path) {
  std::istringstream lines(procSelfCgroup);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.compare(0, 3, "0::") != 0) continue;
    const std::string found = line.substr(3);
    // An absolute path without ".." parts, so that it stays under /sys/fs/cgroup.
    if (found.empty() || found[0] != '/' || ("/" + found + "/").find("/../") != std::string::npos) {
      return false;
    }
    *path = found == "/" ? "" : found;
    return true;
  }
  return false;
}

bool ParseCpuMax(const std::string& cpuMax, unsigned* processors) {
  std::string text = cpuMax;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  const size_t space = text.find(' ');
  if (space == std::string::npos) return false;
  uint64_t quota = 0;
  uint64_t period = 0;
  if (!ParseCount(text.substr(0, space), &quota) || !ParseCount(text.substr(space + 1), &period) ||
      quota == 0 || period == 0) {
    return false;
  }
  const uint64_t count = (quota + period - 1) / period;
  *processors = static_cast<unsigned>(std::min<uint64_t>(count, 1u << 16));
  return true;
}

unsigned UsableProcessors() {
  unsigned processors = AffinityProcessors();
  unsigned quota = 0;
  if (CgroupQuota(&quota)) processors = std::min(processors, quota);
  return std::max(processors, 1u);
}

}  // namespace glyphcensus
