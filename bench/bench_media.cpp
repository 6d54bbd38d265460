// Measures reading the play length of 1,000 mixed audio and video files (bench/mixed_media_files.h)
// in this process, with the bytes read per file as the kernel counts them, against mediainfo
// reading the same files in one process of its own. The README quotes the figures.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/mixed_media_files.h"
#include "media/play_length.h"

namespace {

namespace fs = std::filesystem;
using media_bench::MixedFiles;
using media_test::BytesRead;

const MixedFiles& Files() {
  static const MixedFiles files;
  return files;
}

void BM_GetPlaySeconds(benchmark::State& state) {
  const MixedFiles& files = Files();
  if (files.paths().empty()) {
    state.SkipWithError("ffmpeg could not make the files");
    return;
  }
  for (std::size_t i = 0; i < files.paths().size(); ++i) {
    if (media::GetPlaySeconds(files.paths()[i]) != files.seconds()[i]) {
      state.SkipWithError(("wrong length for " + files.paths()[i].string()).c_str());
      return;
    }
  }
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const std::int64_t before = BytesRead();
    for (const fs::path& path : files.paths())
      benchmark::DoNotOptimize(media::GetPlaySeconds(path));
    bytes += BytesRead() - before;
  }
  const auto files_read = static_cast<double>(state.iterations() * files.paths().size());
  state.SetItemsProcessed(static_cast<std::int64_t>(files_read));
  state.counters["bytes_per_file"] = static_cast<double>(bytes) / files_read;
}
BENCHMARK(BM_GetPlaySeconds)->Unit(benchmark::kMillisecond)->UseRealTime();

// One mediainfo process for all the files, printing each one's duration, as a user of the tool
// would list a folder.
void BM_MediainfoOneProcess(benchmark::State& state) {
  const MixedFiles& files = Files();
  if (files.paths().empty() || std::system("command -v mediainfo >/dev/null") != 0) {
    state.SkipWithError("mediainfo or the files are missing");
    return;
  }
  std::string command = "mediainfo '--Inform=General;%Duration%\\n'";
  for (const fs::path& path : files.paths()) command += " '" + path.string() + "'";
  command += " >/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("mediainfo failed");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files.paths().size()));
}
BENCHMARK(BM_MediainfoOneProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
