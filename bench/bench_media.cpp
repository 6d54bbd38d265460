// Measures reading the play length of 1,000 mixed audio and video files (bench/mixed_media_files.h)
// in this process, with the bytes read per file as the kernel counts them, then through
// tallimo-measure as the window does (one process per drop, found through TALLIMO_MEASURE), against
// mediainfo reading the same files in one process of its own. The README quotes the figures.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "bench/mixed_media_files.h"
#include "bench/processes.h"
#include "drops/measuring_process.h"
#include "tests/readers/seconds_of.h"

namespace {

namespace fs = std::filesystem;
using media_bench::ChildCpuSeconds;
using media_bench::Kind;
using media_bench::MixedFiles;
using readers_test::BytesRead;

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
    if (readers_test::SecondsOf(files.paths()[i]) != files.seconds()[i]) {
      state.SkipWithError(("wrong length for " + files.paths()[i].string()).c_str());
      return;
    }
  }
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const std::int64_t before = BytesRead();
    for (const fs::path& path : files.paths())
      benchmark::DoNotOptimize(readers_test::SecondsOf(path));
    bytes += BytesRead() - before;
  }
  const auto files_read = static_cast<double>(state.iterations() * files.paths().size());
  state.SetItemsProcessed(static_cast<std::int64_t>(files_read));
  state.counters["bytes_per_file"] = static_cast<double>(bytes) / files_read;
}
BENCHMARK(BM_GetPlaySeconds)->Unit(benchmark::kMillisecond)->UseRealTime();

// A drop of the same files as the window measures it: each opened here and handed to the measuring
// process, which is ended after the drop.
void BM_MeasuringProcess(benchmark::State& state) {
  const MixedFiles& files = Files();
  if (files.paths().empty() || drops::MeasuringProcess::Find().empty()) {
    state.SkipWithError("ffmpeg could not make the files, or TALLIMO_MEASURE is not set");
    return;
  }
  // 1: the process was started while the files were dragged over the window, as the shells do;
  // 0: the drop starts it, as for files given on the command line.
  const bool prepared = state.range(0) == 1;
  drops::MeasuringProcess process;
  const double childBefore = ChildCpuSeconds();
  for (auto _ : state) {
    if (prepared) {
      state.PauseTiming();
      process.Prepare();
      state.ResumeTiming();
    }
    for (std::size_t i = 0; i < files.paths().size(); ++i) {
      // As the drop session does: the files after it go to the process along with this one.
      const std::size_t end = std::min(files.paths().size(), i + 1 + drops::Measurer::kLookAhead);
      const std::span<const fs::path> ahead(files.paths().data() + i + 1,
                                            files.paths().data() + end);
      if (process.Measure(files.paths()[i], ahead).seconds != files.seconds()[i]) {
        state.SkipWithError(("wrong length for " + files.paths()[i].string()).c_str());
        return;
      }
    }
    process.Finish();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files.paths().size()));
  // The CPU column counts this process only; the measuring process's share comes apart.
  state.counters["child_cpu_ms"] =
      1000 * (ChildCpuSeconds() - childBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MeasuringProcess)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Bytes read for one file of each common kind, large ones and ones with covers among them.
const Kind kFormats[] = {
    {"film.mkv",
     "-f lavfi -i testsrc2=size=640x360:rate=25:duration=60 "
     "-f lavfi -i sine=frequency=440:duration=60 -c:v libx264 -preset ultrafast -b:v 4M -c:a aac",
     60},
    {"film.webm",
     "-f lavfi -i testsrc2=size=320x180:rate=25:duration=30 -c:v libvpx -deadline realtime "
     "-cpu-used 8 -b:v 2M",
     30},
    {"covered.flac",
     "-f lavfi -i sine=frequency=440:duration=180.5 "
     "-f lavfi -i 'nullsrc=size=1600x1600:duration=0.04,geq=lum=random(1)*255:cb=128:cr=128' "
     "-map 0 -map 1 -frames:v 1 -c:v png -disposition:v attached_pic",
     180},
    {"covered.m4a",
     "-f lavfi -i sine=frequency=440:duration=180.5 "
     "-f lavfi -i 'nullsrc=size=1600x1600:duration=0.04,geq=lum=random(1)*255:cb=128:cr=128' "
     "-map 0 -map 1 -frames:v 1 -c:a aac -c:v png -disposition:v attached_pic",
     180},
    {"song.ogg", "-f lavfi -i sine=frequency=440:duration=180.5 -c:a libvorbis", 180},
    {"song.opus", "-f lavfi -i sine=frequency=440:duration=180.5 -c:a libopus", 180},
    {"vbr.mp3", "-f lavfi -i sine=frequency=440:duration=180.5 -c:a libmp3lame -q:a 4", 180},
    {"clip.avi", "-f lavfi -i testsrc2=size=640x360:rate=25:duration=30 -c:v mpeg4 -b:v 2M", 30},
    // Small files that a reader looking for the last page in the last 64 KiB reads whole, and
    // noise, whose FLAC frames are large.
    {"short.ogg", "-f lavfi -i sine=frequency=440:duration=5.5 -c:a libvorbis", 5},
    {"noise.flac", "-f lavfi -i anoisesrc=d=4.5:a=0.5 -ac 2", 4},
    {"elementary.m1v",
     "-f lavfi -i testsrc2=size=320x240:rate=25:duration=5.4 -c:v mpeg1video -b:v 350k "
     "-f mpeg1video",
     5},
};

// A folder of this process, removed at exit.
struct Folder {
  Folder()
      : path(fs::temp_directory_path() / ("tallimo-bench-formats-" + std::to_string(::getpid()))) {
    fs::create_directories(path);
  }
  ~Folder() { fs::remove_all(path); }
  fs::path path;
};

void BM_BytesReadPerFormat(benchmark::State& state) {
  const Kind& kind = kFormats[state.range(0)];
  static const Folder folder;
  const fs::path file = folder.path / kind.name;
  const std::string command = std::string(TALLIMO_FFMPEG_TOOL) +
                              " -hide_banner -loglevel error -nostdin -y " + kind.arguments + " '" +
                              file.string() + "'";
  if (!fs::exists(file) && std::system(command.c_str()) != 0) {
    state.SkipWithError("ffmpeg could not make the file");
    return;
  }
  if (readers_test::SecondsOf(file) != kind.seconds) {
    state.SkipWithError(("wrong length for " + file.string()).c_str());
    return;
  }
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const std::int64_t before = BytesRead();
    benchmark::DoNotOptimize(readers_test::SecondsOf(file));
    bytes += BytesRead() - before;
  }
  state.SetLabel(kind.name);
  state.counters["bytes_per_file"] =
      static_cast<double>(bytes) / static_cast<double>(state.iterations());
  state.counters["file_bytes"] = static_cast<double>(fs::file_size(file));
}
BENCHMARK(BM_BytesReadPerFormat)
    ->DenseRange(0, std::size(kFormats) - 1)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

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
