// Taking over a file that the window's process opened and duplicated into the measuring process.
// Kept apart from the rest of the Windows file access, which the window's process never needs.
#include <windows.h>

#include "media/media_file.h"

namespace media {

std::optional<MediaFile> MediaFile::FromHandle(std::intptr_t handle) {
  const auto file = reinterpret_cast<HANDLE>(handle);
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
    ::CloseHandle(file);
    return std::nullopt;
  }
  return MediaFile(handle, size.QuadPart);
}

}  // namespace media
