#pragma once
// How many processors this process may use: the default of -j.
#include <string>

namespace glyphcensus {

// The processors in the affinity mask (taskset, cpusets), capped by the CPU
// quota of the process's cgroup (cgroup v2 cpu.max, the smallest along the
// path to the root) when there is one; at least 1.
unsigned UsableProcessors();

// The cgroup v2 path of the process from the text of /proc/self/cgroup (the
// line "0::/path"); false when there is none (cgroup v1 only, or text that is
// not understood).
bool ParseCgroupV2Path(const std::string& procSelfCgroup, std::string* path);

// The processors a cpu.max text ("max 100000", or "<quota> <period>") allows,
// rounded up; false for "max" (no limit) and for text that is not understood.
bool ParseCpuMax(const std::string& cpuMax, unsigned* processors);

}  // namespace glyphcensus
