// What tallimo-measure does to itself before it reads anything: limits and, where the platform
// lets a process give up rights of its own, the lock-down. The rest is the window's side's to set
// (on Windows, the token and the job it starts the process with).
#pragma once

namespace measure {

// false when a step failed: the process must then end without reading anything.
bool LockDown();

}  // namespace measure
