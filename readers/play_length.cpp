// Which reader measures a file: the name decides, as it always has for WAV files.
#include "readers/play_length.h"

#include "readers/container_length.h"
#include "wave/wave_duration.h"

namespace readers {

bool IsWaveName(const std::filesystem::path& name) {
  const auto& native = name.native();
  if (native.size() < 3) return false;
  const auto lower = [](auto c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  const std::size_t last = native.size() - 3;
  return lower(native[last]) == 'w' && lower(native[last + 1]) == 'a' &&
         lower(native[last + 2]) == 'v';
}

std::int64_t PlaySeconds(const io::Source& file) {
  return IsWaveName(file.Name()) ? wave::GetWaveSeconds(file) : ContainerSeconds(file);
}

}  // namespace readers
