// A raw MPEG video stream carries no timestamps, but every group of pictures starts with a time
// code (hours, minutes, seconds and pictures), which encoders count up from the first. The last
// group's time code and the pictures after it tell the length from two small reads, where counting
// every picture would read the whole file. Streams whose time codes do not count their pictures
// are measured by the pictures themselves: all of them in a small file, a sample of its start and
// end in a large one.
#include "readers/mpeg_video_length.h"

#include <algorithm>
#include <array>
#include <vector>

namespace readers {
namespace {

// Start codes: 00 00 01 and the code's own byte.
constexpr std::uint8_t kPicture = 0x00;
constexpr std::uint8_t kSequenceHeader = 0xB3;
constexpr std::uint8_t kGroupOfPictures = 0xB8;
// A sequence header gives the frame rate code in the low bits of its 8th byte after the code.
constexpr std::size_t kFrameRateByte = 7;
// A group's time code takes the 25 bits after the code: drop frame (1), hours (5), minutes (6),
// a marker bit, seconds (6), pictures (6).
constexpr std::size_t kTimeCodeBytes = 4;

constexpr std::size_t kHeadBytes = 64 * 1024;
constexpr std::array<std::int64_t, 2> kTailWindows = {64 * 1024, 512 * 1024};
// Where the time codes cannot be used, pictures are counted in this much of the file's start and
// of its end: all of a file up to twice as large, a sample of a larger one.
constexpr std::int64_t kCountedBytes = 256 * 1024;
// Drop-frame time codes skip two numbers at most minutes.
constexpr std::int64_t kDroppedFrames = 2;

constexpr std::array<FrameRate, 9> kFrameRates = {{{0, 1},
                                                   {24000, 1001},
                                                   {24, 1},
                                                   {25, 1},
                                                   {30000, 1001},
                                                   {30, 1},
                                                   {50, 1},
                                                   {60000, 1001},
                                                   {60, 1}}};

// Where the next start code with `code` begins at or after `from`; bytes.size() when none.
std::size_t FindCode(std::span<const std::uint8_t> bytes, std::size_t from, std::uint8_t code) {
  for (std::size_t at = from; at + 4 <= bytes.size(); ++at) {
    if (bytes[at] == 0 && bytes[at + 1] == 0 && bytes[at + 2] == 1 && bytes[at + 3] == code) {
      return at;
    }
  }
  return bytes.size();
}

// The frames that a group's time code counts, at `whole` frames a second.
std::optional<std::int64_t> TimeCodeFrames(std::span<const std::uint8_t> bytes, std::size_t group,
                                           std::int64_t whole) {
  if (group + 4 + kTimeCodeBytes > bytes.size()) return std::nullopt;
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < kTimeCodeBytes; ++i) bits = (bits << 8) | bytes[group + 4 + i];
  const std::uint32_t code = bits >> 7;
  const std::int64_t hours = (code >> 19) & 0x1F;
  const std::int64_t minutes = (code >> 13) & 0x3F;
  const std::int64_t seconds = (code >> 6) & 0x3F;
  const std::int64_t pictures = code & 0x3F;
  if (minutes > 59 || seconds > 59 || pictures >= whole) return std::nullopt;
  return ((hours * 60 + minutes) * 60 + seconds) * whole + pictures;
}

std::int64_t WholeFramesPerSecond(const FrameRate& rate) {
  return (rate.num + rate.den - 1) / rate.den;
}

std::int64_t CountPictures(std::span<const std::uint8_t> bytes) {
  std::int64_t pictures = 0;
  for (std::size_t at = FindCode(bytes, 0, kPicture); at < bytes.size();
       at = FindCode(bytes, at + 4, kPicture)) {
    ++pictures;
  }
  return pictures;
}

// Up to `count` bytes of `file` from `from`; nullopt when the read failed.
std::optional<std::vector<std::uint8_t>> ReadBytes(const io::Source& file, std::int64_t from,
                                                   std::int64_t count) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
  const std::int64_t got = file.ReadAt(from, bytes);
  if (got < 0) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

// Microseconds of the pictures in the stream from `start` to the end of the file at `rate`:
// counted in the whole of a small file, in a large one estimated from the pictures a byte holds
// at its start and its end.
std::optional<std::int64_t> CountedMicros(const io::Source& file, std::int64_t start,
                                          const FrameRate& rate) {
  const std::int64_t size = file.Size() - start;
  const auto head = ReadBytes(file, start, std::min(size, kCountedBytes));
  const std::int64_t tail_from = std::max(start + kCountedBytes, file.Size() - kCountedBytes);
  const auto tail = ReadBytes(file, tail_from, file.Size() - tail_from);
  if (!head || !tail) return std::nullopt;
  const std::int64_t pictures = CountPictures(*head) + CountPictures(*tail);
  const auto sampled = static_cast<std::int64_t>(head->size() + tail->size());
  if (pictures == 0 || sampled == 0) return std::nullopt;
  // A sample of at most 512 KiB holds fewer than 2^20 pictures: the products cannot overflow.
  const std::int64_t frames =
      sampled >= size ? pictures : size / sampled * pictures + size % sampled * pictures / sampled;
  return frames * rate.den * 1'000'000 / rate.num;
}

}  // namespace

std::optional<FrameRate> SequenceFrameRate(std::span<const std::uint8_t> head) {
  const std::size_t at = FindCode(head, 0, kSequenceHeader);
  if (at + kFrameRateByte >= head.size()) return std::nullopt;
  const std::size_t code = head[at + kFrameRateByte] & 0x0F;
  if (code == 0 || code >= kFrameRates.size()) return std::nullopt;
  return kFrameRates[code];
}

std::optional<std::int64_t> FramesAtEnd(std::span<const std::uint8_t> tail, const FrameRate& rate) {
  std::vector<std::size_t> groups;
  for (std::size_t at = FindCode(tail, 0, kGroupOfPictures); at < tail.size();
       at = FindCode(tail, at + 4, kGroupOfPictures)) {
    groups.push_back(at);
  }
  if (groups.empty()) return std::nullopt;
  const std::int64_t whole = WholeFramesPerSecond(rate);
  const auto start = TimeCodeFrames(tail, groups.back(), whole);
  if (!start) return std::nullopt;
  // Time codes that do not count the pictures between them (all zero, as some encoders write
  // them, or made up) say nothing.
  if (groups.size() > 1) {
    const auto before = TimeCodeFrames(tail, groups[groups.size() - 2], whole);
    const std::size_t from = groups[groups.size() - 2];
    const std::int64_t between = CountPictures(tail.subspan(from, groups.back() - from));
    if (!before || *start - *before < between - kDroppedFrames ||
        *start - *before > between + kDroppedFrames) {
      return std::nullopt;
    }
  }
  return *start + CountPictures(tail.subspan(groups.back()));
}

std::optional<std::int64_t> MpegVideoMicros(const io::Source& file, std::int64_t start) {
  const auto head = ReadBytes(file, start, static_cast<std::int64_t>(kHeadBytes));
  if (!head || head->empty()) return std::nullopt;
  const auto rate = SequenceFrameRate(*head);
  if (!rate) return std::nullopt;
  // The first group's time code is where the stream's count starts, rarely at zero for a cut.
  const std::size_t first_group = FindCode(*head, 0, kGroupOfPictures);
  const auto first = TimeCodeFrames(*head, first_group, WholeFramesPerSecond(*rate));
  for (const std::int64_t window : kTailWindows) {
    if (!first) break;
    const std::int64_t from = std::max(start, file.Size() - window);
    const auto tail = ReadBytes(file, from, file.Size() - from);
    if (!tail) return std::nullopt;
    if (const auto end = FramesAtEnd(*tail, *rate)) {
      if (*end < *first) break;
      return (*end - *first) * rate->den * 1'000'000 / rate->num;
    }
    if (from == start) break;
  }
  return CountedMicros(file, start, *rate);
}

}  // namespace readers
