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
// whole stream from that frame on. `frame` is where the frame starts within the block searched.
struct XingHeader {
  std::size_t frame = 0;
  std::int64_t stream_bytes = 0;
};

// How many bytes at the start of an MP3 stream FindXingHeader looks through for its first frame.
inline constexpr std::size_t kXingSearchBytes = 4096;

// The Xing header of the first MPEG audio layer III frame in `block`, when that frame has one
// that states the stream's bytes.
std::optional<XingHeader> FindXingHeader(std::span<const std::uint8_t> block);

// Bytes at the end of an MP3 file that are tags, not frames (ID3v1 and APEv2), by the file's last
// bytes: `tail` holds at least the last kTailTagBytes of the file where it is that long.
inline constexpr std::size_t kTailTagBytes = 128 + 32;
std::int64_t TrailingTagBytes(std::span<const std::uint8_t> tail);

}  // namespace readers
