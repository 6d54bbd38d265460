// Which reader measures a file: the name decides, as it always has for WAV files.
#include "media/play_length.h"

#include "media/container_length.h"
#include "wave/wave_duration.h"

namespace media {

bool IsWaveName(const std::filesystem::path& path) {
  const auto& name = path.native();
  if (name.size() < 3) return false;
  const auto lower = [](auto c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  const std::size_t last = name.size() - 3;
  return lower(name[last]) == 'w' && lower(name[last + 1]) == 'a' && lower(name[last + 2]) == 'v';
}

std::int64_t GetPlaySeconds(const std::filesystem::path& path) {
  return IsWaveName(path) ? wave::GetWaveSeconds(path) : GetContainerSeconds(path);
}

}  // namespace media
