// Play lengths of the files dropped on the window: WAV files by their header, as they always
// were, and every other audio or video file by its container, where the build has FFmpeg.
#pragma once

#include <cstdint>
#include <filesystem>

namespace media {

// Whole seconds of play, rounded down; 0 when the file has no audio or video or cannot be read.
std::int64_t GetPlaySeconds(const std::filesystem::path& path);

}  // namespace media
