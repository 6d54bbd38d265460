// Play length of any audio or video file that is not read as WAV, from its container.
#pragma once

#include <cstdint>
#include <filesystem>

namespace media {

// Whether GetPlaySeconds hands `path` to the WAV reader: its name ends in "wav" in any case. Only
// the last three characters count, so "xwav" passes and "a.wave" does not.
bool IsWaveName(const std::filesystem::path& path);

// Whole seconds of the audio or video in the file, rounded down; 0 for anything else. Without
// FFmpeg in the build, always 0.
std::int64_t GetContainerSeconds(const std::filesystem::path& path);

}  // namespace media
