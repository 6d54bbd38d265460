// A dropped file opened for reading, the one way the program opens one on each platform: only a
// regular file on disk, opened without ever blocking (a FIFO or a device named like a media file
// is refused at once), shared with any program that holds it, read at offsets. The window's
// process opens files this way and hands them to the measuring process, which adopts them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>

#include "io/source.h"

namespace io {

class File final : public Source {
 public:
  // nullopt for anything but a readable regular file.
  static std::optional<File> Open(const std::filesystem::path& path);

  // Takes over a file that this process was handed already open, a POSIX descriptor or a Windows
  // HANDLE, and closes it in the end; nullopt, with the handle closed, for anything but a regular
  // file. `name` is the name it was handed with.
  static std::optional<File> Adopt(std::intptr_t handle, std::filesystem::path name);

  File(File&& other) noexcept
      : m_handle(std::exchange(other.m_handle, kNoHandle)),
        m_size(other.m_size),
        m_name(std::move(other.m_name)) {}
  File& operator=(File&& other) noexcept {
    std::swap(m_handle, other.m_handle);
    std::swap(m_size, other.m_size);
    std::swap(m_name, other.m_name);
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() override;

  std::int64_t Size() const override { return m_size; }
  // Retries interrupted and partial reads.
  std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const override;
  const std::filesystem::path& Name() const override { return m_name; }

  // The POSIX descriptor or Windows HANDLE, to hand the file to another process; it stays this
  // object's to close.
  std::intptr_t handle() const { return m_handle; }

 private:
  static constexpr std::intptr_t kNoHandle = -1;

  File(std::intptr_t handle, std::int64_t size, std::filesystem::path name)
      : m_handle(handle), m_size(size), m_name(std::move(name)) {}

  std::intptr_t m_handle = kNoHandle;
  std::int64_t m_size = 0;
  std::filesystem::path m_name;
};

}  // namespace io
