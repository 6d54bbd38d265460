// Which reader measures a file: names ending in "wav" in any case go to the WAV header reader,
// whatever their contents.
#include "readers/play_length.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/readers/seconds_of.h"
#include "tests/wave/wave_writer.h"

namespace {

TEST(IsWaveName, LooksAtTheLastThreeCharactersInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"a.wav", true}, {"a.WAV", true},   {"a.Wav", true},         {"xwav", true},
      {"wav", true},   {"a.wave", false}, {"a.wav.mp3", false},    {"av", false},
      {"", false},     {"a.wa", false},   {"/m/wav/a.mp3", false},
  };
  for (const auto& [name, isWave] : cases) {
    EXPECT_EQ(readers::IsWaveName(name), isWave) << name;
  }
}

class PlaySecondsTest : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::path(testing::TempDir()) /
            testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::filesystem::path m_dir;
};

// A WAV header on a file of any name: the name alone decides that the header is read.
TEST_F(PlaySecondsTest, WaveNamesAreMeasuredByTheirHeader) {
  const auto header = wave_test::Header({wave_test::Fmt(1, 1, 8)}, 42);
  for (const char* name : {"a.wav", "b.WAV", "xwav"}) {
    wave_test::WriteWave(m_dir / name, header, 42);
    EXPECT_EQ(readers_test::SecondsOf(m_dir / name), 42) << name;
  }
}

TEST_F(PlaySecondsTest, WaveReaderRulesHoldEvenForOtherContents) {
  // Text named like a WAV file is read by the WAV rules: no usable format, so 0.
  std::ofstream(m_dir / "notes.wav") << "not a sound file at all";
  EXPECT_EQ(readers_test::SecondsOf(m_dir / "notes.wav"), 0);
  EXPECT_EQ(readers_test::SecondsOf(m_dir / "missing.wav"), 0);
}

}  // namespace
