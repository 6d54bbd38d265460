// A file opened for measuring: only a regular file on disk, opened without ever blocking (a FIFO or
// device named like a media file is refused), shared with any program that holds it, and read at
// offsets. The readers above it are the same on every platform; only this differs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>

namespace media {

class MediaFile {
 public:
  // nullopt for anything but a readable regular file. On a thread with a HandedFile, the file
  // handed over under that name, and nothing is opened.
  static std::optional<MediaFile> Open(const std::filesystem::path& path);

  // Takes over a file that this process was handed already open, a POSIX descriptor or a Windows
  // HANDLE, and closes it in the end; nullopt, with the handle closed, for anything but a regular
  // file.
  static std::optional<MediaFile> FromHandle(std::intptr_t handle);

  MediaFile(MediaFile&& other) noexcept
      : handle_(std::exchange(other.handle_, -1)), size_(other.size_) {}
  MediaFile& operator=(MediaFile&& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(size_, other.size_);
    return *this;
  }
  MediaFile(const MediaFile&) = delete;
  MediaFile& operator=(const MediaFile&) = delete;
  ~MediaFile();

  std::int64_t size() const { return size_; }

  // Reads into `into` from `offset`, retrying interrupted and partial reads; the bytes read (fewer
  // at the end of the file), or -1 when the read failed.
  std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const;

 private:
  MediaFile(std::intptr_t handle, std::int64_t size) : handle_(handle), size_(size) {}

  // A POSIX descriptor or a Windows HANDLE; -1 when moved from.
  std::intptr_t handle_ = -1;
  std::int64_t size_ = 0;
};

// In the measuring process nothing opens a file by its name: the window's process opened it and
// handed it over, and the process may open nothing else. While a HandedFile lives, MediaFile::Open
// on its thread gives the handed file for the name it came with (once), and nothing for any other.
class HandedFile {
 public:
  HandedFile(std::filesystem::path name, std::optional<MediaFile> file);
  ~HandedFile();
  HandedFile(const HandedFile&) = delete;
  HandedFile& operator=(const HandedFile&) = delete;

  // For MediaFile::Open: whether this thread has a HandedFile; if so, `file` takes its file when
  // `path` is its name and the file was not taken yet.
  static bool Claim(const std::filesystem::path& path, std::optional<MediaFile>& file);

 private:
  std::filesystem::path name_;
  std::optional<MediaFile> file_;
  HandedFile* outer_;
};

}  // namespace media
