// Opening and reading a media file with Win32 calls.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "media/media_file.h"
#include "wave/openable_path.h"

namespace media {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// ReadFile counts in 32 bits.
constexpr std::size_t kMaxReadBytes = 1 << 30;

}  // namespace

// Every share mode, as the WAV reader opens: a recorder still writing the file, or a player holding
// it, neither stops the measuring nor is stopped by it. A folder does not open without backup
// semantics, and opening a pipe or a device returns at once; the type of what was opened is then
// checked on the handle, so that nothing but a disk file is ever read.
std::optional<MediaFile> MediaFile::Open(const std::filesystem::path& path) {
  if (std::optional<MediaFile> handed; HandedFile::Claim(path, handed)) return handed;
  HANDLE file = ::CreateFileW(wave::OpenableForm(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  return FromHandle(reinterpret_cast<std::intptr_t>(file));
}

std::optional<MediaFile> MediaFile::FromHandle(std::intptr_t handle) {
  HANDLE file = AsHandle(handle);
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
    ::CloseHandle(file);
    return std::nullopt;
  }
  return MediaFile(reinterpret_cast<std::intptr_t>(file), size.QuadPart);
}

MediaFile::~MediaFile() {
  if (handle_ != -1) ::CloseHandle(AsHandle(handle_));
}

// The offset goes with each read, so no shared file position is relied on. A local file delivers
// what was asked in one call; a network share may hand it over in parts.
std::int64_t MediaFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const {
  std::size_t done = 0;
  while (done < into.size()) {
    const std::uint64_t at = static_cast<std::uint64_t>(offset) + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const auto wanted = static_cast<DWORD>(std::min(into.size() - done, kMaxReadBytes));
    DWORD got = 0;
    if (!::ReadFile(AsHandle(handle_), into.data() + done, wanted, &got, &where)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<std::int64_t>(done);
}

}  // namespace media
