// What a file's first bytes tell before any demuxer sees them: where a leading ID3v2 tag ends, so
// that its pictures are skipped rather than read, and whether the file is an archive or a document,
// which stays one even when it stores audio that a demuxer scanning for frames would find.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace media {

// An ID3v2 header is this long; its size field counts the bytes after it.
inline constexpr std::size_t kId3v2HeaderBytes = 10;

// Bytes taken by the ID3v2 tag that `header` starts with: header, body and, in version 2.4, the
// footer. 0 when `header` does not start with a valid ID3v2 header.
std::int64_t Id3v2TagBytes(std::span<const std::uint8_t> header);

// How many of a file's first bytes IsArchiveOrDocument looks at.
inline constexpr std::size_t kSignatureBytes = 512;

// Whether a file starting with `start` is an archive or a document by its signature.
bool IsArchiveOrDocument(std::span<const std::uint8_t> start);

}  // namespace media
