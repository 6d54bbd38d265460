// Feeds the WAV header parser arbitrary bytes and file lengths: whatever a file holds, reading its
// length must not crash, trip a sanitizer, or give a negative or impossible number of seconds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "wave/wave_duration.h"

namespace {

// Four-byte ids are hard to guess byte by byte, so the input may plant them: a control byte below
// 250 puts `id` at twice its value, when the id fits in the block there.
void Plant(std::vector<std::uint8_t>& block, std::uint8_t control, std::string_view id) {
  const std::size_t at = 2 * std::size_t{control};
  if (control < 250 && at + id.size() <= block.size()) std::copy(id.begin(), id.end(), &block[at]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Eight bytes choose the file length, any value a caller could pass, and two bytes where to plant
  // "fmt " and "data"; the rest is the header block.
  std::int64_t file_length = 0;
  constexpr std::size_t kControlBytes = sizeof file_length + 2;
  if (size < kControlBytes) return 0;
  std::memcpy(&file_length, data, sizeof file_length);
  std::vector<std::uint8_t> block(data + kControlBytes, data + size);
  Plant(block, data[8], "fmt ");
  Plant(block, data[9], "data");

  const wave::WaveHeader header = wave::ReadWaveHeader(block);
  // "data" must lie wholly within the first kHeaderBytes, and the id and size field are skipped.
  const auto last_data_offset = static_cast<std::int64_t>(wave::kHeaderBytes - 4 + 8);
  if (header.data_offset < 0 || header.data_offset > last_data_offset) __builtin_trap();

  // Every positive byte rate is at least one byte a second, so no file plays longer than it has
  // bytes.
  const std::int64_t seconds = wave::SecondsFromHeader(block, file_length);
  if (seconds < 0 || seconds > std::max<std::int64_t>(file_length, 0)) __builtin_trap();
  return 0;
}
