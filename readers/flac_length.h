// The play length of a FLAC file: the sample count that its STREAMINFO block states, held against
// the header of its last frame, which tells the first sample of that frame. Only the metadata
// blocks' headers and the last few kilobytes are read, never the frames in between.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "io/source.h"

namespace readers {

// A FLAC metadata block header: the last-block flag and the type in one byte, then a 24-bit size.
inline constexpr std::size_t kFlacBlockHeaderBytes = 4;
inline constexpr std::uint8_t kFlacLastBlock = 0x80;
// A file with more metadata blocks than this is not looked through further.
inline constexpr int kMaxFlacBlocks = 256;

// What a FLAC file's STREAMINFO block states.
struct FlacStreamInfo {
  std::int64_t max_block = 0;        // samples of a frame, the last one excepted
  std::int64_t max_frame_bytes = 0;  // 0 when not known
  std::int64_t sample_rate = 0;
  int channels = 0;
  int bits = 0;
  std::int64_t total_samples = 0;  // 0 when not known
};

// The STREAMINFO of the FLAC stream that `head` starts with ("fLaC", the block header, the block);
// nullopt when it is not one.
std::optional<FlacStreamInfo> ParseFlacStreamInfo(std::span<const std::uint8_t> head);

// The frame whose header comes last in `tail`, checked by its CRC and against the stream's format.
struct FlacFrame {
  std::size_t offset = 0;  // within `tail`
  std::int64_t first_sample = 0;
  std::int64_t samples = 0;
};
std::optional<FlacFrame> LastFlacFrame(std::span<const std::uint8_t> tail,
                                       const FlacStreamInfo& info);

// Microseconds of the FLAC stream that starts at `start`: its stated sample count when its last
// frame reaches it, else up to the last frame the file holds. nullopt when the file is not FLAC,
// does not state its samples, or its last frame header is not within the last few kilobytes.
std::optional<std::int64_t> FlacMicros(const io::Source& file, std::int64_t start);

}  // namespace readers
