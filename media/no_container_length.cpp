// Builds without FFmpeg (Windows) read WAV files only.
#include "media/container_length.h"

namespace media {

std::int64_t GetContainerSeconds(const std::filesystem::path&) { return 0; }

}  // namespace media
