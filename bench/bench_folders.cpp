// Dropped folders, through the drop session as the window uses it: a music library of 10,000
// MP3 files in 100 folders, walked and measured, against mediainfo over the same folder; and a tree
// of 100,000 small files that are not media (a source tree), walked without opening any of them,
// and how soon a Cancel in the middle of that walk frees the worker. The files are made here: one
// MP3 by the ffmpeg tool, then hard links to it, so that the tree costs no disk space; every file
// is still opened and read under a name of its own. The README quotes the figures.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "bench/drop_window.h"
#include "tests/drops/test_measurers.h"
#include "tests/readers/seconds_of.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kOtherFolders = 1000;
constexpr int kOtherFilesPerFolder = 100;

class Trees {
 public:
  Trees()
      : m_dir(fs::temp_directory_path() / ("tallimo-bench-folders-" + std::to_string(::getpid()))) {
    fs::create_directories(m_dir);
    const fs::path song = m_dir / "song.mp3";
    const std::string command =
        std::string(TALLIMO_FFMPEG_TOOL) +
        " -hide_banner -loglevel error -nostdin -y -f lavfi -i sine=frequency=440:duration=3.5 "
        "-c:a libmp3lame -b:a 128k '" +
        song.string() + "'";
    if (std::system(command.c_str()) != 0) return;
    for (int folder = 1; folder <= kFolders; ++folder) {
      const fs::path path = music() / ("Disc " + std::to_string(folder));
      fs::create_directories(path);
      for (int file = 1; file <= kFilesPerFolder; ++file) {
        fs::create_hard_link(song, path / (std::to_string(file) + " Track.mp3"));
      }
      std::ofstream(path / "cover.jpg") << "not a picture";
    }
    for (int folder = 0; folder < kOtherFolders; ++folder) {
      const fs::path path = source() / ("module" + std::to_string(folder));
      fs::create_directories(path);
      for (int file = 0; file < kOtherFilesPerFolder; ++file) {
        std::ofstream(path / ("unit" + std::to_string(file) + (file % 2 ? ".cpp" : ".h")))
            << "int x;\n";
      }
    }
    m_made = true;
  }
  ~Trees() { fs::remove_all(m_dir); }

  bool made() const { return m_made; }
  fs::path music() const { return m_dir / "Music"; }
  fs::path source() const { return m_dir / "Source"; }

 private:
  fs::path m_dir;
  bool m_made = false;
};

const Trees& GetTrees() {
  static const Trees trees;
  return trees;
}

// The window, the files measured in this process.
drop_bench::Window InProcessWindow() {
  return drop_bench::Window(std::make_unique<drops_test::MeasureBy>(readers_test::SecondsOf));
}

void BM_DropMusicFolder(benchmark::State& state) {
  const Trees& trees = GetTrees();
  if (!trees.made()) {
    state.SkipWithError("ffmpeg could not make the song");
    return;
  }
  for (auto _ : state) {
    drop_bench::Window window = InProcessWindow();
    window.session().Drop({trees.music()});
    if (window.LinesOnceIdle().size() != kFolders * kFilesPerFolder)
      state.SkipWithError("lines missing");
  }
  state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}
BENCHMARK(BM_DropMusicFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// mediainfo given the folder, printing each file's duration: one process for the whole tree.
void BM_MediainfoMusicFolder(benchmark::State& state) {
  const Trees& trees = GetTrees();
  if (!trees.made() || std::system("command -v mediainfo >/dev/null") != 0) {
    state.SkipWithError("mediainfo or the files are missing");
    return;
  }
  const std::string command =
      "mediainfo '--Inform=General;%Duration%\\n' '" + trees.music().string() + "' >/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("mediainfo failed");
  }
  state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}
// One run: mediainfo takes minutes for the tree.
BENCHMARK(BM_MediainfoMusicFolder)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(1);

void BM_DropSourceTree(benchmark::State& state) {
  const Trees& trees = GetTrees();
  if (!trees.made()) {
    state.SkipWithError("the tree could not be made");
    return;
  }
  for (auto _ : state) {
    drop_bench::Window window = InProcessWindow();
    window.session().Drop({trees.source()});
    // No file counts: the folder names itself in one line.
    if (window.LinesOnceIdle().size() != 1) state.SkipWithError("a source file was listed");
  }
  state.SetItemsProcessed(state.iterations() * kOtherFolders * kOtherFilesPerFolder);
}
BENCHMARK(BM_DropSourceTree)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// From Cancel, 20 ms into the walk of the source tree, until the worker has handed back the next
// drop (an empty one): how long a Cancel keeps the worker from the next drop.
void BM_CancelSourceTreeWalk(benchmark::State& state) {
  const Trees& trees = GetTrees();
  if (!trees.made()) {
    state.SkipWithError("the tree could not be made");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    drop_bench::Window window = InProcessWindow();
    window.session().Drop({trees.source()});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    state.ResumeTiming();
    window.session().Cancel();
    window.session().Drop({});
    window.LinesOnceIdle();
  }
}
BENCHMARK(BM_CancelSourceTreeWalk)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(20);

}  // namespace
