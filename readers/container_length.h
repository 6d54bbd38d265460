// Play length of any audio or video file that is not read as WAV, from its container.
#pragma once

#include <cstdint>

#include "io/source.h"

namespace readers {

// Whole seconds of the audio or video in the file, rounded down; 0 for anything else. Without
// FFmpeg in the build, always 0.
std::int64_t ContainerSeconds(const io::Source& file);

}  // namespace readers
