// Which reader measures a file: names ending in "wav" in any case go to the WAV header reader,
// whatever their contents.
#include "media/play_length.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "media/container_length.h"
#include "tests/wave/wave_writer.h"

namespace {

TEST(IsWaveName, LooksAtTheLastThreeCharactersInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"a.wav", true},  {"a.WAV", true},   {"a.Wav", true}, {"xwav", true},   {"wav", true},
      {"a.wave", false}, {"a.wav.mp3", false}, {"av", false}, {"", false},     {"a.wa", false},
      {"/m/wav/a.mp3", false},
  };
  for (const auto& [name, isWave] : cases) {
    EXPECT_EQ(media::IsWaveName(name), isWave) << name;
  }
}

class PlaySecondsTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(testing::TempDir()) /
           testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;
};

// A WAV header on a file of any name: the name alone decides that the header is read.
TEST_F(PlaySecondsTest, WaveNamesAreMeasuredByTheirHeader) {
  const auto header = wave_test::Header({wave_test::Fmt(1, 1, 8)}, 42);
  for (const char* name : {"a.wav", "b.WAV", "xwav"}) {
    wave_test::WriteWave(dir_ / name, header, 42);
    EXPECT_EQ(media::GetPlaySeconds(dir_ / name), 42) << name;
  }
}

TEST_F(PlaySecondsTest, WaveReaderRulesHoldEvenForOtherContents) {
  // Text named like a WAV file is read by the WAV rules: no usable format, so 0.
  std::ofstream(dir_ / "notes.wav") << "not a sound file at all";
  EXPECT_EQ(media::GetPlaySeconds(dir_ / "notes.wav"), 0);
  EXPECT_EQ(media::GetPlaySeconds(dir_ / "missing.wav"), 0);
}

}  // namespace
