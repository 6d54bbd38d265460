// Measures reading the play length of 1,000 mixed audio and video files in this process, with the
// bytes read per file as the kernel counts them, then through tallimo-measure as the window does
// (one process per drop, found through TALLIMO_MEASURE), against mediainfo reading the same files
// in one process of its own. The files are made here with the ffmpeg tool: an MP3 whose ID3v2 tag
// holds a cover picture of over a megabyte, FLAC, AAC in M4A, and 1080p H.264 video in MP4, 250
// copies each, so that every file is read from a file of its own. The README quotes the figures.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/measuring_process.h"
#include "media/play_length.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCopies = 250;

struct Kind {
  const char* name;
  const char* arguments;
  std::int64_t seconds;
};

const Kind kKinds[] = {
    {"song.mp3",
     "-f lavfi -i sine=frequency=440:duration=10.5 "
     "-f lavfi -i 'nullsrc=size=900x900:duration=0.04,geq=lum=random(1)*255:cb=128:cr=128' "
     "-map 0 -map 1 -frames:v 1 -c:a libmp3lame -b:a 192k -c:v png -disposition:v attached_pic",
     10},
    {"song.flac", "-f lavfi -i sine=frequency=440:duration=10.5", 10},
    {"song.m4a", "-f lavfi -i sine=frequency=440:duration=10.5 -c:a aac -b:a 160k", 10},
    {"clip.mp4",
     "-f lavfi -i testsrc2=size=1920x1080:rate=25:duration=4.5 "
     "-f lavfi -i sine=frequency=440:duration=4.5 "
     "-c:v libx264 -preset ultrafast -b:v 2M -c:a aac",
     4},
};

// The files, removed at exit; empty when ffmpeg failed to make them.
class MixedFiles {
 public:
  MixedFiles()
      : dir_(fs::temp_directory_path() / ("tallimo-bench-media-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    for (const Kind& kind : kKinds) {
      const fs::path original = dir_ / kind.name;
      const std::string command = std::string(TALLIMO_FFMPEG_TOOL) +
                                  " -hide_banner -loglevel error -nostdin -y " + kind.arguments +
                                  " '" + original.string() + "'";
      if (std::system(command.c_str()) != 0) {
        paths_.clear();
        return;
      }
      for (int i = 0; i < kCopies; ++i) {
        const fs::path copy = dir_ / (std::to_string(i) + "-" + kind.name);
        fs::copy_file(original, copy);
        paths_.push_back(copy);
        seconds_.push_back(kind.seconds);
      }
    }
  }
  ~MixedFiles() { fs::remove_all(dir_); }

  const std::vector<fs::path>& paths() const { return paths_; }
  const std::vector<std::int64_t>& seconds() const { return seconds_; }

 private:
  fs::path dir_;
  std::vector<fs::path> paths_;
  std::vector<std::int64_t> seconds_;
};

const MixedFiles& Files() {
  static const MixedFiles files;
  return files;
}

std::int64_t BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::int64_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
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

// CPU time of the child processes ended so far, user and system.
double ChildCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A drop of the same files as the window measures it: each opened here and handed to the measuring
// process, which is started for the drop and ended after it.
void BM_MeasuringProcess(benchmark::State& state) {
  const MixedFiles& files = Files();
  if (files.paths().empty() || media::MeasuringProcess::Find().empty()) {
    state.SkipWithError("ffmpeg could not make the files, or TALLIMO_MEASURE is not set");
    return;
  }
  media::MeasuringProcess process;
  const double childBefore = ChildCpuSeconds();
  for (auto _ : state) {
    for (std::size_t i = 0; i < files.paths().size(); ++i) {
      if (process.Measure(files.paths()[i]) != files.seconds()[i]) {
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
BENCHMARK(BM_MeasuringProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

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
