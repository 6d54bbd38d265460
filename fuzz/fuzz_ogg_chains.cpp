// Feeds the Ogg reader arbitrary data: whatever a file holds, measuring it must not crash, trip a
// sanitizer, give a negative length, or read more than its budget.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "readers/ogg_chains.h"
#include "tests/readers/memory_source.h"

namespace {

// Pages with a wrong checksum are passed over, and random bytes never have a right one: the input
// may ask for every page header it holds to get its checksum set.
void SetChecksums(std::vector<std::uint8_t>& data) {
  for (std::size_t at = 0; at + 27 <= data.size(); ++at) {
    if (std::memcmp(&data[at], "OggS", 4) != 0 || at + 27 + data[at + 26] > data.size()) continue;
    std::size_t bytes = 27 + data[at + 26];
    for (std::size_t i = 0; i < data[at + 26]; ++i) bytes += data[at + 27 + i];
    if (at + bytes > data.size()) continue;
    std::fill_n(&data[at + 22], 4, 0);
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
      crc ^= std::uint32_t{data[at + i]} << 24;
      for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc >> 31) ? 0x04C11DB7U : 0);
    }
    for (int i = 0; i < 4; ++i) data[at + 22 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < 1) return 0;
  std::vector<std::uint8_t> data(input + 1, input + size);
  if ((input[0] & 1) != 0) SetChecksums(data);

  const readers_test::MemorySource file(data, "chained.ogg");
  const auto micros = readers::ChainedOggMicros(file, 0);
  if ((micros && *micros < 0) || file.Requested() > readers::kOggChainReadBudget) __builtin_trap();
  return 0;
}
