// Opening and reading a file with POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "io/file.h"

namespace io {

// Checking the type first and opening afterwards would leave a moment in which the file could be
// swapped for a FIFO, whose open waits for a writer forever. O_NONBLOCK makes every open return at
// once, and fstat on the descriptor then tells what was really opened.
std::optional<File> File::Open(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  return Adopt(fd, path.filename());
}

std::optional<File> File::Adopt(std::intptr_t handle, std::filesystem::path name) {
  const int fd = static_cast<int>(handle);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  return File(fd, info.st_size, std::move(name));
}

File::~File() {
  if (m_handle != kNoHandle) ::close(static_cast<int>(m_handle));
}

// A regular file nearly always delivers what was asked in one call, but a network file system may
// hand it over in parts.
std::int64_t File::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const {
  std::size_t done = 0;
  while (done < into.size()) {
    const ssize_t got = ::pread(static_cast<int>(m_handle), into.data() + done, into.size() - done,
                                offset + static_cast<std::int64_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

}  // namespace io
