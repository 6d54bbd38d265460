// What a file's first bytes tell before any demuxer sees them: where a leading ID3v2 tag ends, so
// that its pictures are skipped rather than read, and whether the file is an archive or a document,
// which stays one even when it stores audio that a demuxer scanning for frames would find.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace readers {

// An ID3v2 header is this long; its size field counts the bytes after it.
inline constexpr std::size_t kId3v2HeaderBytes = 10;

// Bytes taken by the ID3v2 tag that `header` starts with: header, body and, in version 2.4, the
// footer. 0 when `header` does not start with a valid ID3v2 header.
std::int64_t Id3v2TagBytes(std::span<const std::uint8_t> header);

// How many of a file's first bytes IsArchiveOrDocument looks at.
inline constexpr std::size_t kSignatureBytes = 512;

// Whether a file starting with `start` is an archive or a document by its signature.
bool IsArchiveOrDocument(std::span<const std::uint8_t> start);

// What the Xing (or Info) header in the first frame of an MP3 stream states: the bytes of the
// whole stream from that frame on and, where it says, its frames, with what the frame's own header
// tells of the stream. `frame` and `tag` are where the frame and the header's "Xing" or "Info"
// start within the block searched.
struct XingHeader {
  std::size_t frame = 0;
  std::size_t tag = 0;
  std::int64_t stream_bytes = 0;
  std::int64_t frames = 0;  // 0 when the header does not count them
  std::int64_t sample_rate = 0;
  std::int64_t samples_per_frame = 0;
  // The sizes of a frame at the least and the most bit rate of the stream's version, padded.
  std::int64_t smallest_frame_bytes = 0;
  std::int64_t largest_frame_bytes = 0;
  // The encoder delay and padding in samples of a LAME tag behind the header, -1 without one.
  std::int64_t encoder_delay = -1;
  std::int64_t encoder_padding = -1;
};

// How many bytes at the start of an MP3 stream FindXingHeader looks through for its first frame.
inline constexpr std::size_t kXingSearchBytes = 4096;

// The Xing header of the first MPEG audio layer III frame in `block`, when that frame has one
// that states the stream's bytes.
std::optional<XingHeader> FindXingHeader(std::span<const std::uint8_t> block);

// Whether the header's counts agree with each other, with the frame size and with the `present`
// bytes of the stream that the file holds: a damaged or forged header counts a frame of one byte,
// or a stream of one frame in a file of thousands. A header that counts more than is present
// agrees: the file may have been cut short.
bool XingAgrees(const XingHeader& xing, std::int64_t present);

// Microseconds that a player skipping the LAME tag's encoder delay and padding plays, when the
// header counts its frames and the tag's numbers are sane: each under a frame and the decoder's
// own delay, together under the whole.
std::optional<std::int64_t> GaplessMicros(const XingHeader& xing);

// Bytes at the end of an MP3 file that are tags, not frames (ID3v1 and APEv2), by the file's last
// bytes: `tail` holds at least the last kTailTagBytes of the file where it is that long.
inline constexpr std::size_t kTailTagBytes = 128 + 32;
std::int64_t TrailingTagBytes(std::span<const std::uint8_t> tail);

}  // namespace readers
