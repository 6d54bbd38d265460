// Builds without FFmpeg (TALLIMO_WITH_FFMPEG off) read WAV files only.
#include "readers/container_length.h"

namespace readers {

std::int64_t ContainerSeconds(const io::Source&) { return 0; }

}  // namespace readers
