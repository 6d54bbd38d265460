// Cover pictures inside FLAC and MP4 files, which FFmpeg would read whole while opening the file
// (megabytes each), hidden from it: the block or box that holds a picture is shown as padding of
// the same size, whose bytes are never read.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "media/media_file.h"

namespace media {

// A stretch of the file shown other than it is: `bytes` in place of the file's own from `offset`,
// then zeros up to `blank_end`, which are not read from the file at all.
struct Mask {
  std::int64_t offset = 0;
  std::vector<std::uint8_t> bytes;
  std::int64_t blank_end = 0;
};

// The masks that hide the cover pictures of the FLAC or MP4 file whose data starts at `start`,
// in the file's own positions, in order; none for other files.
std::vector<Mask> CoverArtMasks(const MediaFile& file, std::int64_t start);

// Reads like MediaFile::ReadAt, with `masks` (in order, not overlapping) applied.
std::int64_t ReadMasked(const MediaFile& file, std::span<const Mask> masks, std::int64_t offset,
                        std::span<std::uint8_t> into);

}  // namespace media
