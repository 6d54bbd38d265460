// Media fixtures for the tests, made on first use with the ffmpeg command-line tool into a folder
// of this test process, so that every expected length follows from the signal that made the file.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/media/fixture_tools.h"

namespace media_test {

namespace fs = std::filesystem;

// A sine tone or a test picture of `seconds`, as ffmpeg's input arguments.
inline std::string Tone(double seconds) {
  return "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds);
}
inline std::string Picture(double seconds) {
  return "-f lavfi -i testsrc=size=160x120:rate=25:duration=" + std::to_string(seconds);
}

class Fixtures {
 public:
  static Fixtures& Get() {
    static Fixtures fixtures;
    return fixtures;
  }

  const fs::path& folder() const { return folder_; }

  // The file `name` made by `ffmpeg <arguments> <name>`, once per process.
  const fs::path& Make(const std::string& name, const std::string& arguments) {
    const auto [it, made] = files_.try_emplace(name, folder_ / name);
    if (made) {
      EXPECT_TRUE(RunFfmpeg(arguments, it->second)) << name << ": ffmpeg " << arguments;
    }
    return it->second;
  }

 private:
  Fixtures() : folder_(fs::temp_directory_path() / ("tallimo-media-" + ProcessId())) {
    fs::create_directories(folder_);
  }
  ~Fixtures() { fs::remove_all(folder_); }

  fs::path folder_;
  std::map<std::string, fs::path> files_;
};

}  // namespace media_test
