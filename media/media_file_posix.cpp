// Opening and reading a media file with POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "media/media_file.h"

namespace media {

// O_NONBLOCK: a FIFO named like a media file must not hold the open until a writer comes. What was
// opened is then checked on the descriptor, so nothing can be swapped in between.
std::optional<MediaFile> MediaFile::Open(const std::filesystem::path& path) {
  if (std::optional<MediaFile> handed; HandedFile::Claim(path, handed)) return handed;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  return FromHandle(fd);
}

std::optional<MediaFile> MediaFile::FromHandle(std::intptr_t handle) {
  const int fd = static_cast<int>(handle);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  return MediaFile(fd, info.st_size);
}

MediaFile::~MediaFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::int64_t MediaFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const {
  std::size_t done = 0;
  while (done < into.size()) {
    const ssize_t got = ::pread(static_cast<int>(handle_), into.data() + done, into.size() - done,
                                offset + static_cast<std::int64_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

}  // namespace media
