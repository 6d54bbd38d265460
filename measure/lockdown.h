// What tallimo-measure does to itself before it reads anything: limits and, where the platform
// lets a process give up rights of its own, the lock-down. The rest is the window's side's to set
// (on Windows, the token and the job it starts the process with).
#pragma once

#include <cstdint>

namespace measure {

// The most memory the process may map, whatever the readers ask for.
inline constexpr std::int64_t kMemoryCap = std::int64_t{1} << 30;
// The largest single allocation a reader may make: more than a header of the 16 MiB a reader may
// read can need, far less than a hostile count of samples asks for.
inline constexpr std::int64_t kLargestAllocation = std::int64_t{128} << 20;

// The descriptor the channel to the window arrives on (Linux).
inline constexpr int kChannelFd = 3;

// false when a step failed: the process must then end without reading anything.
bool LockDown();

}  // namespace measure
