// tallimo-measure: reads the play length of the files the window's process hands it, one request
// at a time, until the window closes the channel. Started by the window, never by a user.
#include <cstdint>

#include "measure/channel.h"
#include "measure/limits.h"
#include "measure/lockdown.h"
#include "measure/protocol.h"
#include "readers/play_length.h"

#ifdef TALLIMO_WITH_FFMPEG
extern "C" {
#include <libavutil/mem.h>
}
#endif

#ifdef TALLIMO_MEASURE_TEST_READERS
#include "measure/test_readers.h"
#endif

#ifdef __SANITIZE_ADDRESS__
// The sanitizer's stand-in for the memory cap (see lockdown_linux.cpp); no leak check, which
// would need to start a thread and read /proc.
extern "C" const char* __asan_default_options() { return "mmap_limit_mb=1024:detect_leaks=0"; }
#endif

namespace {

std::int64_t Measure(const io::File& file) {
#ifdef TALLIMO_MEASURE_TEST_READERS
  if (const auto seconds = measure::RunTestReader(file.Name())) return *seconds;
#endif
  return readers::PlaySeconds(file);
}

}  // namespace

int main() {
#ifdef TALLIMO_WITH_FFMPEG
  av_max_alloc(static_cast<std::size_t>(measure::kLargestAllocation));
#endif
#ifdef TALLIMO_MEASURE_TEST_READERS
  const measure::StartFault fault = measure::TakeStartFault();
  if (fault == measure::StartFault::kQuit) return 1;
#endif
  if (!measure::LockDown()) return 1;
  if (!measure::SendToWindow(measure::EncodeHello())) return 1;
  measure::Request request;
  while (measure::ReceiveRequest(request)) {
#ifdef TALLIMO_MEASURE_TEST_READERS
    if (fault == measure::StartFault::kCrash) measure::Crash();
#endif
    const std::int64_t seconds = request.file ? Measure(*request.file) : 0;
    request.file.reset();
    if (!measure::SendToWindow(measure::EncodeReply(seconds))) return 1;
  }
  return 0;
}
