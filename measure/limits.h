// What tallimo-measure may take of the machine, set by itself on Linux and by the window's process
// (the job it starts it in) on Windows.
#pragma once

#include <cstdint>

namespace measure {

// The most memory the process may map, whatever the readers ask for.
inline constexpr std::int64_t kMemoryCap = std::int64_t{1} << 30;
// The largest single allocation a reader may make: more than a header of the 16 MiB a reader may
// read can need, far less than a hostile count of samples asks for.
inline constexpr std::int64_t kLargestAllocation = std::int64_t{128} << 20;

}  // namespace measure
