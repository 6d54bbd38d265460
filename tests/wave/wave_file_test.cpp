// Tests of GetWaveSeconds on files written here: the layouts recorders and editors produce, sparse
// files of several gigabytes, cut-off files, names in any script, paths that are not regular files,
// and on Windows files that other programs hold open.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

int ProcessId() {
#ifdef _WIN32
  return ::_getpid();
#else
  return ::getpid();
#endif
}

// A fresh directory per test, so that parallel runs of the suite never share fixtures.
class WaveFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');  // parameterised tests are named "Case/..."
    dir_ = fs::temp_directory_path() / ("tallimo-wave-" + std::to_string(ProcessId()) + "-" + name);
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
        FileCase{"FourBitAdpcm", Header({Fmt(1, 8000, 4)}, 0), 80000, 10},
        FileCase{"Empty", {}, 0, 0}, FileCase{"TenBytes", Prefix(kOnePerSecond, 10), 0, 0},
        FileCase{"ThirtyOneBytes", Prefix(kOnePerSecond, 31), 0, 0},
        FileCase{"FortyThreeBytes", Prefix(kOnePerSecond, 43), 0, 0}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

TEST_F(WaveFileTest, GivesZeroForMissingFileAndDirectory) {
  EXPECT_EQ(wave::GetWaveSeconds(dir_ / "vanished.wav"), 0);
  fs::create_directory(dir_ / "x.wav");
  EXPECT_EQ(wave::GetWaveSeconds(dir_ / "x.wav"), 0);
}

// Both ways round: the characters of "テスト🎵.wav" lie outside every ANSI code page together.
TEST_F(WaveFileTest, MeasuresNamesOutsideTheAnsiCodePage) {
  for (const char8_t* name :
       {u8"\u30c6\u30b9\u30c8\U0001F3B5.wav", u8"\u66f2 01.wav", u8"\u00e9t\u00e9.wav"}) {
    const fs::path path = dir_ / fs::path(name);
    wave_test::WriteWave(path, Header({Fmt(1, 8000, 8)}, 80000), 80000);
    EXPECT_EQ(wave::GetWaveSeconds(path), 10) << reinterpret_cast<const char*>(name);
  }
}

// Windows' old limit of 260 characters stops plain paths, not the file: a drop can carry longer
// ones.
TEST_F(WaveFileTest, MeasuresPathsLongerThanTheOldWindowsLimit) {
  fs::path folder = dir_;
  for (const char part : {'a', 'b', 'c', 'd', 'e'}) folder /= std::string(60, part);
  fs::create_directories(folder);
  const fs::path path = folder / "long.wav";
  ASSERT_GT(path.native().size(), 300u);
  wave_test::WriteWave(path, Header({Fmt(1, 8000, 8)}, 80000), 80000);
  EXPECT_EQ(wave::GetWaveSeconds(path), 10);
  // remove_all walks long paths no better than plain opens do on Windows: one step at a time.
  fs::remove(path);
  for (; folder != dir_; folder = folder.parent_path()) fs::remove(folder);
}

TEST_F(WaveFileTest, GivesZeroForFifoWithoutWaitingForAWriter) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs among file names";
#else
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
#endif
}

// Whatever feeds a pipe named like a WAV file meant its bytes for someone else.
TEST_F(WaveFileTest, LeavesDataInAPipeUnread) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs among file names";
#else
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
#endif
}

#ifdef _WIN32

// How other programs hold a file open while it is dropped: a recorder still writing it, a player,
// an editor that keeps the right to rename or delete it. Measuring must neither fail nor get in
// their way.
TEST_F(WaveFileTest, MeasuresFilesOtherProgramsHoldOpen) {
  struct Holder {
    const char* who;
    DWORD access;
    DWORD share;
  };
  const Holder holders[] = {
      {"recorder writing", GENERIC_WRITE, FILE_SHARE_READ},
      {"player reading", GENERIC_READ, FILE_SHARE_READ},
      {"editor that may rename", GENERIC_READ | DELETE,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
      {"writer that lets others rename", GENERIC_WRITE,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
  };
  const fs::path path = dir_ / "held.wav";
  wave_test::WriteWave(path, Header({Fmt(1, 8000, 8)}, 80000), 80000);
  for (const Holder& holder : holders) {
    HANDLE held = ::CreateFileW(path.c_str(), holder.access, holder.share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << holder.who;
    EXPECT_EQ(wave::GetWaveSeconds(path), 10) << holder.who;
    ::CloseHandle(held);
  }
}

#endif

}  // namespace
