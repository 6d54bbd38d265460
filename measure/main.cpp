// tallimo-measure: reads the play length of the files the window's process hands it, one request
// at a time, until the window closes the channel. Started by the window, never by a user.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "measure/lockdown.h"
#include "media/container_length.h"
#include "media/measure_protocol.h"
#include "media/media_file.h"
#include "wave/wave_duration.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

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

namespace protocol = media::measure;

#ifdef _WIN32

constexpr std::intptr_t kNoFile = 0;

bool ReadExactly(std::span<std::uint8_t> into) {
  const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  for (std::size_t done = 0; done < into.size();) {
    DWORD got = 0;
    if (!::ReadFile(in, into.data() + done, static_cast<DWORD>(into.size() - done), &got,
                    nullptr) ||
        got == 0) {
      return false;
    }
    done += got;
  }
  return true;
}

bool WriteAll(std::span<const std::uint8_t> bytes) {
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  return ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

void CloseFile(std::intptr_t file) {
  if (file != kNoFile) ::CloseHandle(reinterpret_cast<HANDLE>(file));
}

// The handle was duplicated into this process by the window's; it travels as a number.
bool ReceiveRequest(std::string& name, std::intptr_t& file) {
  std::array<std::uint8_t, protocol::kRequestHeadBytes> head{};
  if (!ReadExactly(head)) return false;
  const auto request = protocol::DecodeRequestHead(head);
  if (!request) return false;
  name.assign(request->nameBytes, '\0');
  file = static_cast<std::intptr_t>(request->handle);
  return ReadExactly(std::span(reinterpret_cast<std::uint8_t*>(name.data()), name.size()));
}

#else

constexpr std::intptr_t kNoFile = -1;

// One recvmsg per read: the filter lets the process receive on its channel and nothing else. A
// descriptor that comes along is taken into `file` (any further one is closed).
bool ReadExactly(std::span<std::uint8_t> into, std::intptr_t* file) {
  for (std::size_t done = 0; done < into.size();) {
    iovec data{.iov_base = into.data() + done, .iov_len = into.size() - done};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 4)] = {};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof(control);
    const ssize_t got = ::recvmsg(measure::kChannelFd, &message, MSG_CMSG_CLOEXEC);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
      if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
      const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
      for (std::size_t i = 0; i < count; ++i) {
        int fd = -1;
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

bool WriteAll(std::span<const std::uint8_t> bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = ::write(measure::kChannelFd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

void CloseFile(std::intptr_t file) {
  if (file != kNoFile) ::close(static_cast<int>(file));
}

// The descriptor rides with the request's first bytes; the handle field is unused.
bool ReceiveRequest(std::string& name, std::intptr_t& file) {
  std::array<std::uint8_t, protocol::kRequestHeadBytes> head{};
  file = kNoFile;
  if (!ReadExactly(head, &file)) return false;
  const auto request = protocol::DecodeRequestHead(head);
  if (!request) return false;
  name.assign(request->nameBytes, '\0');
  return ReadExactly(std::span(reinterpret_cast<std::uint8_t*>(name.data()), name.size()), nullptr);
}

#endif

// The same choice of reader as in GetPlaySeconds, on the file handed over instead of a path.
std::int64_t Measure(const std::filesystem::path& name, std::intptr_t file) {
  if (file == kNoFile) return 0;
#ifdef TALLIMO_MEASURE_TEST_READERS
  if (const auto seconds = measure_test::RunTestReader(name)) {
    CloseFile(file);
    return *seconds;
  }
#endif
  if (media::IsWaveName(name)) {
    const std::int64_t seconds = wave::GetWaveSecondsOf(file);
    CloseFile(file);
    return seconds;
  }
#ifdef TALLIMO_WITH_FFMPEG
  const media::HandedFile handed(name, media::MediaFile::FromHandle(file));
  return media::GetContainerSeconds(name);
#else
  CloseFile(file);
  return 0;
#endif
}

}  // namespace

int main() {
#ifdef TALLIMO_WITH_FFMPEG
  av_max_alloc(static_cast<std::size_t>(measure::kLargestAllocation));
#endif
  if (!measure::LockDown()) return 1;
  if (!WriteAll(protocol::EncodeHello())) return 1;
  std::string name;
  std::intptr_t file = kNoFile;
  while (ReceiveRequest(name, file)) {
    const std::u8string utf8(name.begin(), name.end());
    const std::int64_t seconds = Measure(std::filesystem::path(utf8).filename(), file);
    if (!WriteAll(protocol::EncodeReply(seconds))) return 1;
  }
  CloseFile(file);
  return 0;
}
