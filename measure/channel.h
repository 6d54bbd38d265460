// tallimo-measure's end of its channel to the window's process: the requests it reads, each with
// the open file it measures, and the bytes it writes back. On Linux a socket on kChannelFd that
// carries each file's descriptor along with its request; on Windows a named pipe on standard input
// and output, each file's handle duplicated into this process by the window's.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "io/file.h"

namespace measure {

struct Request {
  // The file to measure, named by the name it came with; none when what came along was not a
  // regular file.
  std::optional<io::File> file;
};

// Waits for the next request; false when the window closed the channel or sent anything that is
// not a request.
bool ReceiveRequest(Request& request);

// Writes all of `bytes` to the window; false when the channel is gone.
bool SendToWindow(std::span<const std::uint8_t> bytes);

}  // namespace measure
