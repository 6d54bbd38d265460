// Dropped folders, through the measuring queue as the window uses it: a music library of 10,000
// MP3 files in 100 folders, walked and measured, against mediainfo over the same folder; and a tree
// of 100,000 small files that are not media (a source tree), walked without opening any of them,
// and how soon a Cancel in the middle of that walk frees the worker. The files are made here: one
// MP3 by the ffmpeg tool, then hard links to it, so that the tree costs no disk space; every file
// is still opened and read under a name of its own. The README quotes the figures.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "media/measuring_queue.h"
#include "media/play_length.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kOtherFolders = 1000;
constexpr int kOtherFilesPerFolder = 100;

class Trees {
 public:
  Trees()
      : dir_(fs::temp_directory_path() / ("tallimo-bench-folders-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    const fs::path song = dir_ / "song.mp3";
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
    made_ = true;
  }
  ~Trees() { fs::remove_all(dir_); }

  bool made() const { return made_; }
  fs::path music() const { return dir_ / "Music"; }
  fs::path source() const { return dir_ / "Source"; }

 private:
  fs::path dir_;
  bool made_ = false;
};

const Trees& GetTrees() {
  static const Trees trees;
  return trees;
}

// The window's side of the queue: waits for each wake-up and collects, until the drops are in.
class Window {
 public:
  Window() : queue_([this] { Wake(); }, media::GetPlaySeconds) {}

  media::MeasuringQueue& queue() { return queue_; }

  // The lines of the drops still waiting, once all of them are in.
  std::size_t LinesOnceIdle() {
    std::size_t lines = 0;
    for (;;) {
      {
        std::unique_lock lock(mutex_);
        woken_.wait(lock, [this] { return news_; });
        news_ = false;
      }
      const media::MeasuringQueue::News news = queue_.Collect();
      for (const auto& measured : news.measured) lines += measured.lengths.size();
      if (!news.busy) return lines;
    }
  }

 private:
  void Wake() {
    const std::lock_guard lock(mutex_);
    news_ = true;
    woken_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable woken_;
  bool news_ = false;
  media::MeasuringQueue queue_;
};

void BM_DropMusicFolder(benchmark::State& state) {
  const Trees& trees = GetTrees();
  if (!trees.made()) {
    state.SkipWithError("ffmpeg could not make the song");
    return;
  }
  for (auto _ : state) {
    Window window;
    window.queue().Add({trees.music()});
    if (window.LinesOnceIdle() != kFolders * kFilesPerFolder) state.SkipWithError("lines missing");
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
    Window window;
    window.queue().Add({trees.source()});
    // No file counts: the folder names itself in one line.
    if (window.LinesOnceIdle() != 1) state.SkipWithError("a source file was listed");
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
    Window window;
    window.queue().Add({trees.source()});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    state.ResumeTiming();
    window.queue().CancelAll();
    window.queue().Add({});
    window.LinesOnceIdle();
  }
}
BENCHMARK(BM_CancelSourceTreeWalk)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(20);

}  // namespace
