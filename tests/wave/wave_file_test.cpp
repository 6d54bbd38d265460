// Tests of GetWaveSeconds on files written here: the layouts recorders and editors produce, sparse
// files of several gigabytes and cut-off files. Which paths open at all is the file's own rule
// (tests/io).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

#include "io/file.h"
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
    m_dir =
        fs::temp_directory_path() / ("tallimo-wave-" + std::to_string(ProcessId()) + "-" + name);
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  fs::path m_dir;
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
  const fs::path path = m_dir / "x.wav";
  wave_test::WriteWave(path, GetParam().header, GetParam().data_bytes);
  const auto file = io::File::Open(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(wave::GetWaveSeconds(*file), GetParam().seconds);
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

}  // namespace
