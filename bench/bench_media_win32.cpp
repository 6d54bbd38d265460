// The Windows program's reader on the 1,000 mixed audio and video files that bench_media measures
// on Linux (bench/mixed_media_files.h), under Wine (make bench-windows): time per file, and bytes
// read per file, over five rounds after one that checks every length. Prints the median and the
// slowest round.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench/mixed_media_files.h"
#include "tests/readers/seconds_of.h"

namespace {

constexpr int kRounds = 5;

struct Round {
  double milliseconds = 0;
  std::int64_t bytes = 0;
};

Round Measure(const media_bench::MixedFiles& files) {
  const std::int64_t before = readers_test::BytesRead();
  const auto start = std::chrono::steady_clock::now();
  std::int64_t total = 0;
  for (const auto& path : files.paths()) total += readers_test::SecondsOf(path);
  const auto stop = std::chrono::steady_clock::now();
  // Keeps the calls from being optimised away.
  if (total < 0) std::puts("negative total");
  return {std::chrono::duration<double, std::milli>(stop - start).count(),
          readers_test::BytesRead() - before};
}

}  // namespace

int main() {
  const media_bench::MixedFiles files;
  if (files.paths().empty()) {
    std::fprintf(stderr, "ffmpeg could not make the files\n");
    return 1;
  }
  for (std::size_t i = 0; i < files.paths().size(); ++i) {
    if (readers_test::SecondsOf(files.paths()[i]) != files.seconds()[i]) {
      std::fprintf(stderr, "wrong length for %s\n", files.paths()[i].string().c_str());
      return 1;
    }
  }
  std::vector<Round> rounds;
  for (int i = 0; i < kRounds; ++i) rounds.push_back(Measure(files));
  std::sort(rounds.begin(), rounds.end(),
            [](const Round& a, const Round& b) { return a.milliseconds < b.milliseconds; });
  const Round& median = rounds[rounds.size() / 2];
  const auto count = static_cast<double>(files.paths().size());
  std::printf(
      "readers::PlaySeconds, %zu mixed files: median %.1f ms (%.1f us a file), "
      "slowest %.1f ms; read %.1f KiB a file\n",
      files.paths().size(), median.milliseconds, 1000 * median.milliseconds / count,
      rounds.back().milliseconds, static_cast<double>(median.bytes) / count / 1024);
  return 0;
}
