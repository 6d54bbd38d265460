// Opening and reading a file with Win32 calls.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "io/file.h"

namespace io {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// ReadFile counts in 32 bits.
constexpr std::size_t kMaxReadBytes = 1 << 30;

// Windows opens plain paths of MAX_PATH characters or more only when the program and the machine
// both opted in; the \\?\ form opens them everywhere. It takes the path as it stands, so it is only
// used for absolute paths, normalised and with backslashes.
std::wstring OpenableForm(const std::filesystem::path& path) {
  if (path.native().size() < MAX_PATH || !path.is_absolute()) return path.native();
  std::wstring normal = path.lexically_normal().make_preferred().native();
  if (normal.starts_with(LR"(\\?\)")) return normal;
  if (normal.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + normal.substr(2);
  return LR"(\\?\)" + normal;
}

}  // namespace

// Every share mode: a recorder still writing the file, or a player holding it, neither stops the
// measuring nor is stopped by it. A folder does not open without backup semantics, and opening a
// pipe or a device returns at once; the type of what was opened is then checked on the handle, so
// that nothing but a disk file is ever read.
std::optional<File> File::Open(const std::filesystem::path& path) {
  HANDLE file = ::CreateFileW(OpenableForm(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  return Adopt(reinterpret_cast<std::intptr_t>(file), path.filename());
}

std::optional<File> File::Adopt(std::intptr_t handle, std::filesystem::path name) {
  HANDLE file = AsHandle(handle);
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
    ::CloseHandle(file);
    return std::nullopt;
  }
  return File(handle, size.QuadPart, std::move(name));
}

File::~File() {
  if (m_handle != kNoHandle) ::CloseHandle(AsHandle(m_handle));
}

// The offset goes with each read, so no shared file position is relied on. A local file delivers
// what was asked in one call; a network share may hand it over in parts.
std::int64_t File::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const {
  std::size_t done = 0;
  while (done < into.size()) {
    const std::uint64_t at = static_cast<std::uint64_t>(offset) + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const auto wanted = static_cast<DWORD>(std::min(into.size() - done, kMaxReadBytes));
    DWORD got = 0;
    if (!::ReadFile(AsHandle(m_handle), into.data() + done, wanted, &got, &where)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<std::int64_t>(done);
}

}  // namespace io
