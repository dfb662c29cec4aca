#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Runs a copy of the running benchmark program in a fresh process, so that a figure
// meets what a user meets: a new heap, no warm caches of the program's own. Linux.
namespace lumarik::bench {

// Runs this program again with the arguments and answers what it wrote to its
// standard output; nothing when it could not run or did not exit with 0.
std::optional<std::string> RunFreshCopy(const std::vector<std::string>& arguments);

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"); -1 when missing.
int64_t StatusKiB(std::string_view key);

// Lowers the process's peak resident set (VmHWM) to what it holds now.
void ResetPeakMemory();

} // namespace lumarik::bench
