// Cover pictures inside FLAC and MP4 files, which FFmpeg would read whole while opening the file
// (megabytes each), hidden from it: the block or box that holds a picture is shown as padding of
// the same size, whose bytes are never read.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "io/source.h"

namespace readers {

// A stretch of the file shown other than it is: `bytes` in place of the file's own from `offset`,
// then zeros up to `blank_end`, which are not read from the file at all.
struct Mask {
  std::int64_t offset = 0;
  std::vector<std::uint8_t> bytes;
  std::int64_t blank_end = 0;
};

// The masks that hide the cover pictures of the FLAC or MP4 file whose data starts at `start`,
// in the file's own positions, in order; none for other files.
std::vector<Mask> CoverArtMasks(const io::Source& file, std::int64_t start);

// The file with `masks` (in order, not overlapping) applied.
class MaskedSource final : public io::Source {
 public:
  MaskedSource(const io::Source& file, std::vector<Mask> masks)
      : m_file(file), m_masks(std::move(masks)) {}

  std::int64_t Size() const override { return m_file.Size(); }
  std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const override;
  const std::filesystem::path& Name() const override { return m_file.Name(); }

 private:
  const io::Source& m_file;
  std::vector<Mask> m_masks;
};

}  // namespace readers
