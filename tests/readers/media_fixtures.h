// Media fixtures for the tests, made on first use with the ffmpeg command-line tool into a folder
// of this test process, so that every expected length follows from the signal that made the file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "tests/readers/fixture_tools.h"

namespace readers_test {

namespace fs = std::filesystem;

// A sine tone or a test picture of `seconds`, as ffmpeg's input arguments.
inline std::string Tone(double seconds) {
  return "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds);
}
inline std::string Picture(double seconds) {
  return "-f lavfi -i testsrc=size=160x120:rate=25:duration=" + std::to_string(seconds);
}

// The checksum of an Ogg page, its own field taken as zero: CRC-32 with polynomial 0x04C11DB7,
// unreflected.
inline std::uint32_t OggPageCrc(std::string_view page) {
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < page.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(i >= 22 && i < 26 ? 0 : page[i]);
    crc ^= std::uint32_t{byte} << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc >> 31) ? 0x04C11DB7U : 0);
  }
  return crc;
}

class Fixtures {
 public:
  static Fixtures& Get() {
    static Fixtures fixtures;
    return fixtures;
  }

  const fs::path& folder() const { return m_folder; }

  // The file `name` made by `ffmpeg <arguments> <name>`, once per process.
  const fs::path& Make(const std::string& name, const std::string& arguments) {
    const auto [it, made] = m_files.try_emplace(name, m_folder / name);
    if (made) {
      EXPECT_TRUE(RunFfmpeg(arguments, it->second)) << name << ": ffmpeg " << arguments;
    }
    return it->second;
  }

 private:
  Fixtures() : m_folder(fs::temp_directory_path() / ("tallimo-media-" + ProcessId())) {
    fs::create_directories(m_folder);
  }
  ~Fixtures() { fs::remove_all(m_folder); }

  fs::path m_folder;
  std::map<std::string, fs::path> m_files;
};

}  // namespace readers_test
