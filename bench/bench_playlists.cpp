// A playlist of 1,000 local files against the same 1,000 files dropped, through the drop session
// and the real tallimo-measure (TALLIMO_MEASURE), as the window has them measured: the playlist
// must cost no more than the files themselves, its entries handed to the measuring process ahead
// of their turn as dropped files are. The files are the mixed audio and video files of
// bench/mixed_media_files.h; the playlist names them relatively, with the lengths a player writes.
// Once with the measuring process started by the drop (as for paths on the command line), once
// started while the files were dragged over the window. The README quotes the figures.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/drop_window.h"
#include "bench/mixed_media_files.h"
#include "drops/measuring_process.h"

namespace {

namespace fs = std::filesystem;
using media_bench::MixedFiles;

// Long enough for the prepared measuring process to have started and greeted.
constexpr auto kDragTime = std::chrono::milliseconds(500);

const MixedFiles& Files() {
  static const MixedFiles files;
  return files;
}

// The playlist beside the files, removed with them.
const fs::path& Playlist() {
  static const fs::path list = [] {
    const MixedFiles& files = Files();
    if (files.paths().empty()) return fs::path();
    const fs::path path = files.paths().front().parent_path() / "All.m3u";
    std::ofstream out(path, std::ios::binary);
    out << "#EXTM3U\n";
    for (std::size_t i = 0; i < files.paths().size(); ++i) {
      out << "#EXTINF:" << files.seconds()[i] << ",Test\n"
          << files.paths()[i].filename().string() << "\n";
    }
    return path;
  }();
  return list;
}

// The lengths of the lines, without their labels, which differ.
std::vector<std::u16string> Lengths(const std::vector<std::u16string>& lines) {
  std::vector<std::u16string> lengths;
  for (const std::u16string& line : lines) lengths.push_back(line.substr(0, line.find(u'[')));
  return lengths;
}

double Median(std::vector<double> values) {
  std::ranges::sort(values);
  return values.empty() ? 0 : values[values.size() / 2];
}

// Each round drops the files once and the playlist once, in turns (files first in one round, the
// playlist first in the next), so that whatever else the machine does weighs on both alike; the
// counters are the medians of each and their ratio. Timed from the drop until its lines are in.
// Argument: whether the drop starts the measuring process (0) or it was started while dragging (1).
void BM_PlaylistAgainstItsFiles(benchmark::State& state) {
  const MixedFiles& files = Files();
  if (files.paths().empty() || Playlist().empty() || drops::MeasuringProcess::Find().empty()) {
    state.SkipWithError("ffmpeg could not make the files, or TALLIMO_MEASURE is not set");
    return;
  }
  const bool prepared = state.range(0) == 1;
  std::vector<std::u16string> expected;
  for (const std::int64_t seconds : files.seconds()) {
    const std::string time =
        "0:00." + std::string(seconds < 10 ? "0" : "") + std::to_string(seconds);
    expected.emplace_back(time.begin(), time.end());
  }
  std::vector<double> filesMs;
  std::vector<double> playlistMs;
  const auto drop = [&](bool asPlaylist) {
    std::optional<drop_bench::Window> window;
    window.emplace();
    if (prepared) {
      window->session().Prepare();
      std::this_thread::sleep_for(kDragTime);
    }
    const auto start = std::chrono::steady_clock::now();
    window->session().Drop(asPlaylist ? std::vector<fs::path>{Playlist()} : files.paths());
    const std::vector<std::u16string> lines = window->LinesOnceIdle();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (Lengths(lines) != expected) state.SkipWithError("wrong lengths");
    (asPlaylist ? playlistMs : filesMs).push_back(took.count());
    return took.count() / 1000;
  };
  for (auto _ : state) {
    const bool playlistFirst = filesMs.size() % 2 == 1;
    const double first = drop(playlistFirst);
    state.SetIterationTime(first + drop(!playlistFirst));
  }
  state.counters["files_ms"] = Median(filesMs);
  state.counters["playlist_ms"] = Median(playlistMs);
  state.counters["ratio"] = Median(playlistMs) / Median(filesMs);
}
BENCHMARK(BM_PlaylistAgainstItsFiles)
    ->ArgName("prepared")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

}  // namespace
