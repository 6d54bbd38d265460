// How fast both totals are recomputed, as on every keystroke, for lists of growing size; and the
// same for the plain transcription that copies the rest of the text for every line.
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <string_view>

#include "tests/timecalc/reference_totals.h"
#include "timecalc/time_totals.h"

namespace {

// A list of typical lines, typed and dropped, of about `bytes` bytes.
std::string TypicalList(std::size_t bytes) {
  constexpr std::array<std::string_view, 6> kLines = {
      "0:03.25[track 01.wav]", "1:05.08", "0:04.12[intro take 3.wav]", "12:30.00", "0:00.45",
      "2:15.30[session.wav]"};
  std::string text;
  text.reserve(bytes + 64);
  for (std::size_t i = 0; text.size() < bytes; ++i) {
    text += kLines[i % kLines.size()];
    text += "\r\n";
  }
  return text;
}

void Run(benchmark::State& state,
         timecalc::Totals (*totals)(std::string_view, std::int64_t, std::int64_t)) {
  const std::string text = TypicalList(static_cast<std::size_t>(state.range(0)));
  const auto third = static_cast<std::int64_t>(text.size() / 3);
  for (auto _ : state) benchmark::DoNotOptimize(totals(text, third, 2 * third));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_ComputeTotals(benchmark::State& state) { Run(state, timecalc::ComputeTotals); }

void BM_PlainTranscription(benchmark::State& state) {
  Run(state, [](std::string_view text, std::int64_t start, std::int64_t end) {
    return timecalc::reference::ComputeTotals(text, static_cast<std::int32_t>(start),
                                              static_cast<std::int32_t>(end));
  });
}

}  // namespace

BENCHMARK(BM_ComputeTotals)
    ->Arg(48 << 10)
    ->Arg(1 << 20)
    ->Arg(16 << 20)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainTranscription)->Arg(48 << 10)->Unit(benchmark::kMicrosecond);
