// Reads the play length of a WAV file with one read of at most kHeaderBytes and its size, since a
// drop of many files must not keep the window waiting.
#include "wave/wave_duration.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "io/byte_order.h"

namespace wave {
namespace {

// Where the canonical header keeps the format fields: a 12-byte RIFF/WAVE preamble, then the
// "fmt " chunk's id and size field, then its body.
constexpr std::size_t kFixedChannels = 22;
constexpr std::size_t kFixedSampleRate = 24;
constexpr std::size_t kFixedAverageBytesPerSecond = 28;
constexpr std::size_t kFixedBitsPerSample = 34;

// The same fields counted from a "fmt " id found elsewhere in the block.
constexpr std::size_t kFmtChannels = 10;
constexpr std::size_t kFmtSampleRate = 12;
constexpr std::size_t kFmtAverageBytesPerSecond = 16;
constexpr std::size_t kFmtBitsPerSample = 22;
// Id, size field and the 16-byte body that every format chunk starts with.
constexpr std::size_t kFmtChunkMinBytes = 8 + 16;

// A chunk's id and size field come before its body.
constexpr std::int64_t kChunkPreambleBytes = 8;

// The widest fields give the largest byte rate, (65535 / 8) * 65535 * (2^32 - 1), which fits in
// 64 bits, so the product in ByteRate cannot overflow whatever the header holds.
static_assert((std::int64_t{0xFFFF} / 8) * 0xFFFF <=
              std::numeric_limits<std::int64_t>::max() / 0xFFFFFFFF);

// Little-endian unsigned field of `width` bytes; 0 when it does not lie wholly within the block.
std::int64_t ReadLE(std::span<const std::uint8_t> block, std::size_t offset, std::size_t width) {
  if (offset > block.size() || width > block.size() - offset) return 0;
  return static_cast<std::int64_t>(io::LittleEndian(block.subspan(offset, width)));
}

std::int64_t ReadU16LE(std::span<const std::uint8_t> block, std::size_t offset) {
  return ReadLE(block, offset, 2);
}

std::int64_t ReadU32LE(std::span<const std::uint8_t> block, std::size_t offset) {
  return ReadLE(block, offset, 4);
}

// Start of the first occurrence of `id` lying wholly within the block; block.size() when none.
std::size_t FindId(std::span<const std::uint8_t> block, std::string_view id) {
  const auto match =
      std::search(block.begin(), block.end(), id.begin(), id.end(),
                  [](std::uint8_t byte, char wanted) { return byte == std::uint8_t(wanted); });
  return static_cast<std::size_t>(match - block.begin());
}

// Bytes of sound per second: 12 bits give 1 byte a sample. Compressed formats of fewer bits than
// a byte (IMA and Microsoft ADPCM) would give 0; their format states its own average.
std::int64_t ByteRate(const WaveHeader& header) {
  if (header.bits_per_sample < 8 && header.channels > 0 && header.sample_rate > 0 &&
      header.average_bytes_per_second > 0) {
    return header.average_bytes_per_second;
  }
  return (header.bits_per_sample / 8) * header.channels * header.sample_rate;
}

}  // namespace

std::int64_t FindDataChunk(std::span<const std::uint8_t> block) {
  const std::size_t start = FindId(block, "data");
  return start == block.size() ? 0 : static_cast<std::int64_t>(start) + kChunkPreambleBytes;
}

WaveHeader ReadWaveHeader(std::span<const std::uint8_t> block) {
  block = block.first(std::min(block.size(), kHeaderBytes));
  WaveHeader header{
      .data_offset = FindDataChunk(block),
      .channels = ReadU16LE(block, kFixedChannels),
      .sample_rate = ReadU32LE(block, kFixedSampleRate),
      .bits_per_sample = ReadU16LE(block, kFixedBitsPerSample),
      .average_bytes_per_second = ReadU32LE(block, kFixedAverageBytesPerSecond),
  };
  if (ByteRate(header) > 0) return header;

  // Audio editors, broadcast recorders and ffmpeg put a JUNK chunk before "fmt ", which moves the
  // format fields off their canonical places. Any later "fmt " id would end later still, so only
  // the first one can have a complete body within the block.
  const std::size_t fmt = FindId(block, "fmt ");
  if (fmt + kFmtChunkMinBytes <= block.size()) {
    header.channels = ReadU16LE(block, fmt + kFmtChannels);
    header.sample_rate = ReadU32LE(block, fmt + kFmtSampleRate);
    header.bits_per_sample = ReadU16LE(block, fmt + kFmtBitsPerSample);
    header.average_bytes_per_second = ReadU32LE(block, fmt + kFmtAverageBytesPerSecond);
  }
  return header;
}

std::int64_t SecondsFromHeader(std::span<const std::uint8_t> block, std::int64_t file_length) {
  const WaveHeader header = ReadWaveHeader(block);
  const std::int64_t byte_rate = ByteRate(header);
  // A "data" id at the very end of a short file points past it: no sound, not a negative amount.
  if (byte_rate <= 0 || file_length <= header.data_offset) return 0;
  return (file_length - header.data_offset) / byte_rate;
}

std::int64_t GetWaveSeconds(const io::Source& file) {
  std::array<std::uint8_t, kHeaderBytes> block{};
  const std::int64_t got = file.ReadAt(0, block);
  if (got < 0) return 0;
  return SecondsFromHeader(std::span(block).first(static_cast<std::size_t>(got)), file.Size());
}

}  // namespace wave
