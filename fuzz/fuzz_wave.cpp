// Feeds the WAV header parser arbitrary bytes and file lengths: whatever a file holds, reading its
// length must not crash, trip a sanitizer, or give a negative or impossible number of seconds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "wave/wave_duration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first eight bytes choose the file length, any value a caller could pass; the rest is the
  // header block.
  std::int64_t file_length = 0;
  if (size < sizeof file_length) return 0;
  std::memcpy(&file_length, data, sizeof file_length);
  const std::span<const std::uint8_t> block(data + sizeof file_length, size - sizeof file_length);

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
