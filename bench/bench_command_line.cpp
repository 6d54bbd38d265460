// Times `tallimo --total FOLDER` over a folder of 10,000 mixed audio and video files
// (bench/mixed_media_files.h), the whole program from its start to its answer, against measuring
// the same files in-process (in this process, again and again, and in a program of its own started
// afresh, bench/in_process_total.cpp), against `mediainfo` over the folder, and against one
// `ffprobe` run per file, as a shell loop does it (over one file in ten). The tools take minutes,
// so they run once each. The README quotes the figures.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "bench/mixed_media_files.h"
#include "bench/processes.h"
#include "tests/readers/seconds_of.h"
#include "timecalc/time_totals.h"

namespace {

namespace fs = std::filesystem;
using media_bench::ChildCpuSeconds;
using media_bench::MixedFiles;
using media_bench::Run;

constexpr int kCopiesOfEachKind = 2500;

const MixedFiles& Files() {
  static const MixedFiles files(kCopiesOfEachKind, true);
  return files;
}

bool Ready(benchmark::State& state) {
  if (Files().paths().empty()) state.SkipWithError("ffmpeg could not make the files");
  return !Files().paths().empty();
}

void BM_InProcess(benchmark::State& state) {
  if (!Ready(state)) return;
  const MixedFiles& files = Files();
  for (auto _ : state) {
    for (std::size_t i = 0; i < files.paths().size(); ++i) {
      if (readers_test::SecondsOf(files.paths()[i]) != files.seconds()[i]) {
        state.SkipWithError(("wrong length for " + files.paths()[i].string()).c_str());
        return;
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files.paths().size()));
}
BENCHMARK(BM_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// A program given the folder, from its start to the total it prints.
void TimeTotalProgram(benchmark::State& state, const std::vector<std::string>& command) {
  if (!Ready(state)) return;
  const MixedFiles& files = Files();
  const std::string expected =
      timecalc::FormatSeconds(std::accumulate(files.seconds().begin(), files.seconds().end(),
                                              timecalc::SecondCount{0})) +
      "\n";
  std::vector<std::string> arguments = command;
  arguments.push_back(files.folder().string());
  const double childBefore = ChildCpuSeconds();
  for (auto _ : state) {
    std::string total;
    if (Run(arguments, &total) != 0 || total != expected) {
      state.SkipWithError((command.front() + " printed " + total + ", not " + expected).c_str());
      return;
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files.paths().size()));
  // Every process of it: for tallimo the measuring program's too, which it waits for.
  state.counters["child_cpu_ms"] =
      1000 * (ChildCpuSeconds() - childBefore) / static_cast<double>(state.iterations());
}

void BM_TallimoTotal(benchmark::State& state) {
  TimeTotalProgram(state, {TALLIMO_PROGRAM, "--total"});
}
BENCHMARK(BM_TallimoTotal)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same walk and readers in one process, started afresh as tallimo is.
void BM_InProcessProgram(benchmark::State& state) {
  TimeTotalProgram(state, {TALLIMO_IN_PROCESS_PROGRAM});
}
BENCHMARK(BM_InProcessProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs each of `runs` once an iteration: a tool over `files` of the files, which takes minutes.
void TimeTool(benchmark::State& state, const std::vector<std::vector<std::string>>& runs,
              std::size_t files) {
  if (!Ready(state)) return;
  for (auto _ : state) {
    for (const std::vector<std::string>& run : runs) {
      if (Run(run) != 0) {
        state.SkipWithError((run.front() + " failed, or is missing").c_str());
        return;
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files));
}

// One mediainfo process for the folder, printing each file's duration.
void BM_MediainfoFolder(benchmark::State& state) {
  TimeTool(state, {{"mediainfo", "--Inform=General;%Duration%\\n", Files().folder().string()}},
           Files().paths().size());
}
BENCHMARK(BM_MediainfoFolder)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(1);

// One ffprobe process per file, printing its duration, as a loop in a shell runs it. Each run
// takes about a third of a second, most of an hour for all the files: one file in ten is timed,
// the same share of each kind, and the rate is per file.
void BM_FfprobePerFile(benchmark::State& state) {
  constexpr std::size_t kEvery = 10;
  std::vector<std::vector<std::string>> runs;
  for (std::size_t i = 0; i < Files().paths().size(); i += kEvery) {
    runs.push_back({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
                    Files().paths()[i].string()});
  }
  TimeTool(state, runs, runs.size());
}
BENCHMARK(BM_FfprobePerFile)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(1);

}  // namespace
