// Play lengths of the files dropped on the window: WAV files by their header, as they always
// were, and every other audio or video file by its container, where the build has FFmpeg. Only
// tallimo-measure runs them (and the tests and benchmarks); the window hands it the open file.
#pragma once

#include <cstdint>
#include <filesystem>

#include "io/source.h"

namespace readers {

// Whether PlaySeconds reads a file by the WAV rules: its name ends in "wav" in any case. Only the
// last three characters count, so "xwav" passes and "a.wave" does not.
bool IsWaveName(const std::filesystem::path& name);

// Whole seconds of play, rounded down; 0 when the file has no audio or video or cannot be read.
// The file's name picks the reader.
std::int64_t PlaySeconds(const io::Source& file);

}  // namespace readers
