// Play length of WAV files, worked out from their first bytes and their size, for the line that a
// dropped file adds to the time list. The parsing is kept apart from the file access so that the
// tests and the fuzzer drive it with bytes alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "io/source.h"

namespace wave {

// Only this much of the start of a file is ever read: the canonical header and the chunks that
// recorders commonly put before the sound data fit in it.
inline constexpr std::size_t kHeaderBytes = 500;

// What the header says about the sound. Fields that lie past the bytes read count as 0.
struct WaveHeader {
  std::int64_t data_offset = 0;  // where the sound data starts; 0 counts the whole file as sound
  std::int64_t channels = 0;
  std::int64_t sample_rate = 0;
  std::int64_t bits_per_sample = 0;
  std::int64_t average_bytes_per_second = 0;  // the format's own figure, used below 8 bits
};

// The offset just past the id and size field of the first "data" id lying wholly within `block`,
// or 0 when there is none. The chunk's size field is not trusted: recorders that were cut off
// leave it 0 or 0xFFFFFFFF, so the sound data is taken to run to the end of the file.
std::int64_t FindDataChunk(std::span<const std::uint8_t> block);

// Reads the header from the first kHeaderBytes of `block`: the format fields from their places in
// the canonical 44-byte header or, when those give no positive byte rate, from the first "fmt "
// chunk whose 16-byte body lies wholly within the block.
WaveHeader ReadWaveHeader(std::span<const std::uint8_t> block);

// Whole seconds of sound in a file of `file_length` bytes that starts with `block`: the bytes from
// the data offset to the end, divided by the byte rate, truncated. The byte rate is whole bytes
// per sample times channels times sample rate; below 8 bits per sample (4-bit ADPCM), where that
// gives 0, it is the format's average bytes per second. 0 when the header gives no
// positive byte rate or the sound data would start past the end; never negative.
std::int64_t SecondsFromHeader(std::span<const std::uint8_t> block, std::int64_t file_length);

// Whole seconds of the open WAV file, from its first kHeaderBytes and its size: one read, at
// offset 0.
std::int64_t GetWaveSeconds(const io::Source& file);

}  // namespace wave
