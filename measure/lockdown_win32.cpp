// On Windows the window's process starts this one with a restricted, low-integrity token inside a
// job that caps its memory and keeps it from the desktop; what is left to do here is to make sure
// a crash ends it quietly instead of with Windows' error dialog.
#include <windows.h>

#include "measure/lockdown.h"

namespace measure {

bool LockDown() {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  return true;
}

}  // namespace measure
