// Fuzzes the totaliser with arbitrary bytes and selection bounds. The first 16 bytes, when
// present, are the selection start and end; the rest is the list.
//
// Checked: no crash or sanitizer report, totals never negative, selecting the whole text gives
// the total of all lines, and wherever no field can overflow, agreement with the plain
// transcription kept in the tests.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "tests/timecalc/reference_totals.h"
#include "timecalc/time_totals.h"

namespace {

bool FitsInt32(std::int64_t v) {
  return v >= std::numeric_limits<std::int32_t>::min() &&
         v <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int64_t bounds[2] = {0, 0};
  if (size >= sizeof bounds) {
    std::memcpy(bounds, data, sizeof bounds);
    data += sizeof bounds;
    size -= sizeof bounds;
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const timecalc::Totals totals = timecalc::ComputeTotals(text, bounds[0], bounds[1]);
  if (totals.all < 0 || totals.selection < 0) std::abort();

  const auto length = static_cast<std::int64_t>(text.size());
  if (timecalc::ComputeTotals(text, 0, length).selection != totals.all) std::abort();

  const auto digits =
      std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits <= 15 && FitsInt32(bounds[0]) && FitsInt32(bounds[1]) &&
      FitsInt32(bounds[1] - bounds[0])) {
    const timecalc::Totals expected = timecalc::reference::ComputeTotals(
        text, static_cast<std::int32_t>(bounds[0]), static_cast<std::int32_t>(bounds[1]));
    if (expected.all != totals.all || expected.selection != totals.selection) std::abort();
  }
  return 0;
}
