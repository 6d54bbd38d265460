// A playlist of 1,000 local files against the same 1,000 files dropped, through the drop session
// and the real tallimo-measure (TALLIMO_MEASURE), as the window has them measured: the playlist
// must cost no more than the files themselves, its entries handed to the measuring process ahead
// of their turn as dropped files are. The files are the mixed audio and video files of
// bench/mixed_media_files.h; the playlist names them relatively, with the lengths a player writes.
// Once with the measuring process started by the drop (as for paths on the command line), once
// started while the files were dragged over the window. The README quotes the figures.
#include <benchmark/benchmark.h>

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

// 0: the files dropped, 1: the playlist; and whether the drop starts the measuring process (0) or
// it was started while dragging (1).
void BM_DropThousandFiles(benchmark::State& state) {
  const MixedFiles& files = Files();
  if (files.paths().empty() || Playlist().empty() || drops::MeasuringProcess::Find().empty()) {
    state.SkipWithError("ffmpeg could not make the files, or TALLIMO_MEASURE is not set");
    return;
  }
  const bool asPlaylist = state.range(0) == 1;
  const bool prepared = state.range(1) == 1;
  std::vector<std::u16string> expected;
  for (const std::int64_t seconds : files.seconds()) {
    const std::string time =
        "0:00." + std::string(seconds < 10 ? "0" : "") + std::to_string(seconds);
    expected.emplace_back(time.begin(), time.end());
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::optional<drop_bench::Window> window;
    window.emplace();
    if (prepared) {
      window->session().Prepare();
      std::this_thread::sleep_for(kDragTime);
    }
    state.ResumeTiming();
    window->session().Drop(asPlaylist ? std::vector<fs::path>{Playlist()} : files.paths());
    if (Lengths(window->LinesOnceIdle()) != expected) state.SkipWithError("wrong lengths");
    // Ending the measuring process is the window's business after the drop has landed.
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files.paths().size()));
}
BENCHMARK(BM_DropThousandFiles)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"playlist", "prepared"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
