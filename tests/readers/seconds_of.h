// A file measured as the two processes measure it together, here in one: opened the window's way
// (io::File) and read by the readers, as tallimo-measure reads what it is handed.
#pragma once

#include <cstdint>
#include <filesystem>

#include "io/file.h"
#include "readers/play_length.h"

namespace readers_test {

// 0 when the file cannot be opened, as the measuring process answers for a file not handed over.
inline std::int64_t SecondsOf(const std::filesystem::path& path) {
  const auto file = io::File::Open(path);
  return file ? readers::PlaySeconds(*file) : 0;
}

}  // namespace readers_test
