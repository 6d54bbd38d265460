// A FLAC frame header carries the frame's number (or its first sample's), its block size and its
// format, and a CRC-8 of its own, so the last header in the file's last kilobytes shows whether
// the file holds the samples that STREAMINFO counts, without FFmpeg's parser reading frames whole.
#include "readers/flac_length.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "io/byte_order.h"

namespace readers {
namespace {

constexpr std::size_t kMagicBytes = 4;
constexpr std::size_t kStreamInfoBytes = 34;
constexpr std::uint8_t kStreamInfo = 0;
// The most a frame header takes: sync and codes (4), a sample number of up to 7 bytes, a block
// size and a sample rate of up to 2 bytes each, the CRC.
constexpr std::size_t kMaxFrameHeaderBytes = 16;
// The tail searched for the last frame headers: three of the largest frames, within these bounds. A
// frame of 16-bit stereo at 4096 samples takes 16 KiB at most.
constexpr std::int64_t kLeastTailBytes = 8 * 1024;
constexpr std::int64_t kMostTailBytes = 48 * 1024;

std::uint8_t Crc8(std::span<const std::uint8_t> bytes) {
  std::uint8_t crc = 0;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint8_t>((crc & 0x80) != 0 ? (crc << 1) ^ 0x07 : crc << 1);
    }
  }
  return crc;
}

// The number coded like UTF-8 at the start of `bytes` (up to 36 bits in 7 bytes), and its length.
std::optional<std::pair<std::int64_t, std::size_t>> CodedNumber(
    std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  const auto length = static_cast<std::size_t>(std::countl_one(bytes[0]));
  if (length == 0) return std::pair(std::int64_t{bytes[0]}, std::size_t{1});
  // A continuation byte cannot start a number, and 0xFF starts none.
  if (length == 1 || length == 8 || length > bytes.size()) return std::nullopt;
  std::int64_t value = bytes[0] & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((bytes[i] & 0xC0) != 0x80) return std::nullopt;
    value = (value << 6) | (bytes[i] & 0x3F);
  }
  return std::pair(value, length);
}

// The frame whose header starts `bytes`, when it is one of this stream's.
std::optional<FlacFrame> FrameAt(std::span<const std::uint8_t> bytes, const FlacStreamInfo& info) {
  if (bytes.size() < 6 || bytes[0] != 0xFF || (bytes[1] & 0xFE) != 0xF8) return std::nullopt;
  const bool variable = (bytes[1] & 1) != 0;
  const int block_code = bytes[2] >> 4;
  const int rate_code = bytes[2] & 0x0F;
  const int channel_code = bytes[3] >> 4;
  const int bits_code = (bytes[3] >> 1) & 7;
  if (block_code == 0 || rate_code == 15 || channel_code > 10 || bits_code == 3 ||
      (bytes[3] & 1) != 0) {
    return std::nullopt;
  }
  const int channels = channel_code < 8 ? channel_code + 1 : 2;
  constexpr std::array<int, 8> kBits = {0, 8, 12, 0, 16, 20, 24, 32};
  constexpr std::array<std::int64_t, 12> kRates = {0,     88200, 176400, 192000, 8000,  16000,
                                                   22050, 24000, 32000,  44100,  48000, 96000};
  if (channels != info.channels || (bits_code != 0 && kBits[bits_code] != info.bits) ||
      (rate_code != 0 && rate_code < 12 && kRates[rate_code] != info.sample_rate)) {
    return std::nullopt;
  }
  const auto number = CodedNumber(bytes.subspan(4));
  if (!number) return std::nullopt;
  std::size_t at = 4 + number->second;
  std::int64_t samples = 0;
  if (block_code == 1) {
    samples = 192;
  } else if (block_code <= 5) {
    samples = std::int64_t{576} << (block_code - 2);
  } else if (block_code <= 7) {
    const std::size_t width = block_code == 6 ? 1 : 2;
    if (at + width > bytes.size()) return std::nullopt;
    samples = static_cast<std::int64_t>(io::BigEndian(bytes.subspan(at, width))) + 1;
    at += width;
  } else {
    samples = std::int64_t{256} << (block_code - 8);
  }
  if (rate_code >= 12) at += rate_code == 12 ? 1 : 2;
  if (at >= bytes.size() || Crc8(bytes.first(at)) != bytes[at]) return std::nullopt;
  // A stream of fixed blocks numbers its frames, one of variable blocks its samples.
  const std::int64_t first = variable ? number->first : number->first * info.max_block;
  return FlacFrame{.first_sample = first, .samples = samples};
}

}  // namespace

std::optional<FlacStreamInfo> ParseFlacStreamInfo(std::span<const std::uint8_t> head) {
  constexpr std::size_t kBytes = kMagicBytes + kFlacBlockHeaderBytes + kStreamInfoBytes;
  if (head.size() < kBytes || std::memcmp(head.data(), "fLaC", kMagicBytes) != 0 ||
      (head[kMagicBytes] & ~kFlacLastBlock) != kStreamInfo ||
      io::BigEndian(head.subspan(kMagicBytes + 1, 3)) < kStreamInfoBytes) {
    return std::nullopt;
  }
  const auto block = head.subspan(kMagicBytes + kFlacBlockHeaderBytes, kStreamInfoBytes);
  // Block sizes (16 bits each), frame sizes (24 each), then 20 bits of sample rate, 3 of channels
  // less one, 5 of bits less one and 36 of samples.
  const std::uint64_t format = io::BigEndian(block.subspan(10, 8));
  FlacStreamInfo info{
      .max_block = static_cast<std::int64_t>(io::BigEndian(block.subspan(2, 2))),
      .max_frame_bytes = static_cast<std::int64_t>(io::BigEndian(block.subspan(7, 3))),
      .sample_rate = static_cast<std::int64_t>(format >> 44),
      .channels = static_cast<int>((format >> 41) & 7) + 1,
      .bits = static_cast<int>((format >> 36) & 0x1F) + 1,
      .total_samples = static_cast<std::int64_t>(format & 0xFFFFFFFFF)};
  if (info.sample_rate == 0 || info.max_block < 16) return std::nullopt;
  return info;
}

std::optional<FlacFrame> LastFlacFrame(std::span<const std::uint8_t> tail,
                                       const FlacStreamInfo& info) {
  std::vector<FlacFrame> frames;
  for (std::size_t at = 0; at < tail.size(); ++at) {
    if (tail[at] != 0xFF) continue;
    const std::size_t length = std::min(kMaxFrameHeaderBytes, tail.size() - at);
    if (auto frame = FrameAt(tail.subspan(at, length), info)) {
      frame->offset = at;
      frames.push_back(*frame);
    }
  }
  // The bytes of a frame can look like a header, CRC and all: a header counts when it ends the
  // stated samples exactly or follows on from an earlier one.
  for (auto last = frames.rbegin(); last != frames.rend(); ++last) {
    const bool follows = std::any_of(std::next(last), frames.rend(), [&](const FlacFrame& before) {
      return before.first_sample + before.samples == last->first_sample;
    });
    if (follows || last->first_sample + last->samples == info.total_samples) return *last;
  }
  return std::nullopt;
}

std::optional<std::int64_t> FlacMicros(const io::Source& file, std::int64_t start) {
  std::array<std::uint8_t, kMagicBytes + kFlacBlockHeaderBytes + kStreamInfoBytes> head{};
  if (file.ReadAt(start, head) != static_cast<std::int64_t>(head.size())) return std::nullopt;
  const auto info = ParseFlacStreamInfo(head);
  if (!info || info->total_samples == 0) return std::nullopt;
  // The frames start behind the last metadata block.
  std::int64_t audio = start + static_cast<std::int64_t>(kMagicBytes);
  for (int blocks = 0;; ++blocks) {
    std::array<std::uint8_t, kFlacBlockHeaderBytes> header{};
    if (blocks == kMaxFlacBlocks) return std::nullopt;
    if (file.ReadAt(audio, header) != static_cast<std::int64_t>(header.size())) return 0;
    audio += static_cast<std::int64_t>(kFlacBlockHeaderBytes +
                                       io::BigEndian(std::span(header).subspan(1)));
    if ((header[0] & kFlacLastBlock) != 0) break;
  }
  if (audio >= file.Size()) return 0;
  const std::int64_t window =
      std::clamp(3 * info->max_frame_bytes, kLeastTailBytes, kMostTailBytes);
  const std::int64_t from = std::max(audio, file.Size() - window);
  std::vector<std::uint8_t> tail(static_cast<std::size_t>(file.Size() - from));
  const std::int64_t got = file.ReadAt(from, tail);
  if (got < 0) return std::nullopt;
  tail.resize(static_cast<std::size_t>(got));
  const auto last = LastFlacFrame(tail, *info);
  if (!last) {
    // No frame at all behind the metadata: nothing plays.
    return from == audio ? std::optional<std::int64_t>(0) : std::nullopt;
  }
  // A file cut short counts up to its last frame, which may itself be cut.
  const std::int64_t samples = last->first_sample + last->samples >= info->total_samples
                                   ? info->total_samples
                                   : last->first_sample;
  return samples * 1'000'000 / info->sample_rate;
}

}  // namespace readers
