// Tests of GetWaveSeconds on files written here: the layouts recorders and editors produce, sparse
// files of several gigabytes, cut-off files, and paths that are not regular files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <future>
#include <ostream>
#include <string>

#include "tests/wave/wave_writer.h"
#include "wave/wave_duration.h"

namespace {

using wave_test::Bytes;
using wave_test::Chunk;
using wave_test::Fmt;
using wave_test::Header;
using wave_test::Prefix;

namespace fs = std::filesystem;

// A fresh directory per test, so that parallel runs of the suite never share fixtures.
class WaveFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');  // parameterised tests are named "Case/..."
    dir_ = fs::temp_directory_path() / ("tallimo-wave-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
};

constexpr std::uint64_t kCdRate = 44100 * 2 * 2;
constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

// 8-bit mono at 1 Hz, so that a cut-off header that is misread shows as a number of seconds.
const Bytes kOnePerSecond = Header({Fmt(1, 1, 8)}, 0);

// "metadata" in a comment puts the bytes "data" four bytes before the real data chunk's id.
Bytes CommentSayingMetadata() {
  Bytes body;
  wave_test::PutText(body, "INFOICMT");
  wave_test::PutLE(body, 8, 4);
  wave_test::PutText(body, "metadata");
  return Chunk("LIST", body);
}

struct FileCase {
  const char* name;
  Bytes header;
  std::uint64_t data_bytes;
  std::int64_t seconds;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FileCase& c, std::ostream* out) { *out << c.name; }

class MeasuresFile : public WaveFileTest, public testing::WithParamInterface<FileCase> {};

TEST_P(MeasuresFile, Case) {
  const fs::path path = dir_ / "x.wav";
  wave_test::WriteWave(path, GetParam().header, GetParam().data_bytes);
  EXPECT_EQ(wave::GetWaveSeconds(path), GetParam().seconds);
}

// Where measuring from the wrong place would change the result, the data sizes are chosen so that
// it does.
INSTANTIATE_TEST_SUITE_P(
    WaveFiles, MeasuresFile,
    testing::Values(
        FileCase{"Canonical10s", Header({Fmt(2, 44100, 16)}, 1764000), 1764000, 10},
        FileCase{"OneByteShortOf10s", Header({Fmt(2, 44100, 16)}, 1763999), 1763999, 9},
        FileCase{"EightBitMono", Header({Fmt(1, 8000, 8)}, 80000), 80000, 10},
        FileCase{"TwelveBitsCountAsOneByte", Header({Fmt(1, 8000, 12)}, 80000), 80000, 10},
        FileCase{"ListBeforeData", Header({Fmt(2, 44100, 16), Chunk("LIST", Bytes(26))}, 0),
                 1763999, 9},
        FileCase{"FirstDataBytesWinEvenInsideAnotherChunk",
                 Header({Fmt(2, 44100, 16), CommentSayingMetadata()}, 0), 1763996, 10},
        FileCase{"DataChunkBeyond500CountsWholeFile",
                 Header({Fmt(2, 44100, 16), Chunk("LIST", Bytes(500))}, 0), 1763448, 10},
        FileCase{"UnpatchedSizeZero", Header({Fmt(2, 44100, 16)}, 0, 0), 1764000, 10},
        FileCase{"UnpatchedSizeAllOnes", Header({Fmt(2, 44100, 16)}, 0, 0xFFFFFFFF), 1764000, 10},
        FileCase{"JunkBeforeFmt", Header({Chunk("JUNK", Bytes(28)), Fmt(2, 44100, 16)}, 0), 1764000,
                 10},
        FileCase{"Extensible", Header({Fmt(2, 48000, 16, 40)}, 0), 1920000, 10},
        FileCase{"TwentyFourBitSixChannels", Header({Fmt(6, 48000, 24, 40)}, 0), 8640000, 10},
        FileCase{"ThreeGiBSparse", Header({Fmt(2, 44100, 16)}, 3 * kGiB - 44), 3 * kGiB - 44,
                 (3 * kGiB - 44) / kCdRate},
        FileCase{"FiveGiBSparse", Header({Fmt(2, 44100, 16)}, 0, 0xFFFFFFFF), 5 * kGiB - 44,
                 (5 * kGiB - 44) / kCdRate},
        FileCase{"ZeroSampleRate", Header({Fmt(2, 0, 16)}, 0), 1764000, 0},
        FileCase{"FourBit", Header({Fmt(1, 8000, 4)}, 0), 80000, 0}, FileCase{"Empty", {}, 0, 0},
        FileCase{"TenBytes", Prefix(kOnePerSecond, 10), 0, 0},
        FileCase{"ThirtyFiveBytes", Prefix(kOnePerSecond, 35), 0, 0},
        FileCase{"FortyThreeBytes", Prefix(kOnePerSecond, 43), 0, 0}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

TEST_F(WaveFileTest, GivesZeroForMissingFileAndDirectory) {
  EXPECT_EQ(wave::GetWaveSeconds(dir_ / "vanished.wav"), 0);
  fs::create_directory(dir_ / "x.wav");
  EXPECT_EQ(wave::GetWaveSeconds(dir_ / "x.wav"), 0);
}

TEST_F(WaveFileTest, GivesZeroForFifoWithoutWaitingForAWriter) {
  const fs::path path = dir_ / "x.wav";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  auto seconds = std::async(std::launch::async, [&] { return wave::GetWaveSeconds(path); });
  // Not a timing check: a reader stuck in open is released by a writer coming and going, so that a
  // regression fails here instead of hanging the suite.
  if (seconds.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
    ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
    ADD_FAILURE() << "GetWaveSeconds waited for a writer on a FIFO";
  }
  EXPECT_EQ(seconds.get(), 0);
}

// Whatever feeds a pipe named like a WAV file meant its bytes for someone else.
TEST_F(WaveFileTest, LeavesDataInAPipeUnread) {
  const fs::path path = dir_ / "x.wav";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  const int both_ends = ::open(path.c_str(), O_RDWR | O_NONBLOCK);  // both ends, so the bytes stay
  ASSERT_GE(both_ends, 0);
  const Bytes header = Header({Fmt(1, 1, 8)}, 0);
  ASSERT_EQ(::write(both_ends, header.data(), header.size()), static_cast<ssize_t>(header.size()));
  EXPECT_EQ(wave::GetWaveSeconds(path), 0);
  Bytes left(header.size() + 1);
  EXPECT_EQ(::read(both_ends, left.data(), left.size()), static_cast<ssize_t>(header.size()));
  ::close(both_ends);
}

}  // namespace
