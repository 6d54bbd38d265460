// Measures reading the play length of 1,000 WAV files against the least any reader must do for the
// same files: open, read the header, close. The ratio of the two shows what the size query and the
// parsing add; the README quotes it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/file.h"
#include "wave/wave_duration.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 1000;

// The canonical 44-byte header of 16-bit stereo at 44,100 Hz; the size fields do not matter here.
std::array<char, 44> CanonicalHeader() {
  std::array<char, 44> header{};
  const auto put = [&header](std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) header[at + i] = static_cast<char>(value >> (8 * i));
  };
  const auto text = [&header](std::size_t at, const char(&id)[5]) {
    std::copy(id, id + 4, header.begin() + static_cast<std::ptrdiff_t>(at));
  };
  text(0, "RIFF");
  text(8, "WAVE");
  text(12, "fmt ");
  put(16, 16, 4);
  put(20, 1, 2);  // PCM
  put(22, 2, 2);
  put(24, 44100, 4);
  put(28, 44100 * 4, 4);
  put(32, 4, 2);
  put(34, 16, 2);
  text(36, "data");
  return header;
}

// 1,000 files of one to a thousand seconds, sparse so they cost no disk space; removed at exit.
class WaveFiles {
 public:
  WaveFiles() : m_dir(fs::temp_directory_path() / ("tallimo-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(m_dir);
    const auto header = CanonicalHeader();
    for (int i = 0; i < kFiles; ++i) {
      m_paths.push_back(m_dir / ("take" + std::to_string(i) + ".wav"));
      std::ofstream(m_paths.back(), std::ios::binary).write(header.data(), header.size());
      fs::resize_file(m_paths.back(), header.size() + (i + 1) * std::uintmax_t{44100 * 4});
    }
  }
  ~WaveFiles() { fs::remove_all(m_dir); }

  const std::vector<fs::path>& paths() const { return m_paths; }

 private:
  fs::path m_dir;
  std::vector<fs::path> m_paths;
};

const std::vector<fs::path>& Paths() {
  static const WaveFiles files;
  return files.paths();
}

void BM_OpenReadCloseFloor(benchmark::State& state) {
  const auto& paths = Paths();
  std::array<std::uint8_t, wave::kHeaderBytes> block{};
  for (auto _ : state) {
    for (const fs::path& path : paths) {
      const int fd = ::open(path.c_str(), O_RDONLY);
      benchmark::DoNotOptimize(::read(fd, block.data(), block.size()));
      ::close(fd);
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_OpenReadCloseFloor)->Unit(benchmark::kMicrosecond);

void BM_GetWaveSeconds(benchmark::State& state) {
  const auto& paths = Paths();
  for (auto _ : state) {
    for (const fs::path& path : paths) {
      const auto file = io::File::Open(path);
      benchmark::DoNotOptimize(file ? wave::GetWaveSeconds(*file) : 0);
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_GetWaveSeconds)->Unit(benchmark::kMicrosecond);

}  // namespace
