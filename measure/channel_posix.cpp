// The channel on Linux: one recvmsg per read, as the lock-down lets the process receive on its
// channel and nothing else.
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "measure/channel.h"
#include "measure/protocol.h"

namespace measure {
namespace {

constexpr int kNoFile = -1;

// Reads exactly `into`. A descriptor that comes along is taken into `file` when it is given and
// empty; any other is closed.
bool ReadExactly(std::span<std::uint8_t> into, int* file) {
  for (std::size_t done = 0; done < into.size();) {
    iovec data{.iov_base = into.data() + done, .iov_len = into.size() - done};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 4)] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof(control);
    const ssize_t got = ::recvmsg(kChannelFd, &message, MSG_CMSG_CLOEXEC);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
      if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
      const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
      for (std::size_t i = 0; i < count; ++i) {
        int fd = kNoFile;
        std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
        if (file && *file == kNoFile) {
          *file = fd;
        } else {
          ::close(fd);
        }
      }
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

// The descriptor rides with the request's first bytes; the handle field is unused.
bool ReceiveRequest(Request& request) {
  request.file.reset();
  std::array<std::uint8_t, kRequestHeadBytes> head{};
  int fd = kNoFile;
  const bool read = ReadExactly(head, &fd);
  const auto decoded = read ? DecodeRequestHead(head) : std::nullopt;
  std::string name(decoded ? decoded->nameBytes : 0, '\0');
  if (!decoded ||
      !ReadExactly(std::span(reinterpret_cast<std::uint8_t*>(name.data()), name.size()), nullptr)) {
    if (fd != kNoFile) ::close(fd);
    return false;
  }
  if (fd != kNoFile) {
    request.file = io::File::Adopt(
        fd, std::filesystem::path(std::u8string(name.begin(), name.end())).filename());
  }
  return true;
}

bool SendToWindow(std::span<const std::uint8_t> bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = ::write(kChannelFd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace measure
