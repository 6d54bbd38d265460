// A file whose bytes are read from it at most once in a measurement. FFmpeg's probe, its demuxers
// and Tallimo's own walkers each look at the same headers and tails; on a network share every
// read is a round trip, so whatever was read once is kept and handed out again.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "io/source.h"

namespace readers {

class ReadOnceSource final : public io::Source {
 public:
  explicit ReadOnceSource(const io::Source& file) : m_file(file) {}

  std::int64_t Size() const override { return m_file.Size(); }
  std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const override;
  const std::filesystem::path& Name() const override { return m_file.Name(); }

 private:
  // Keeps `bytes`, read from `offset`, joined to the stretches they touch.
  void Keep(std::int64_t offset, std::span<const std::uint8_t> bytes) const;

  const io::Source& m_file;
  // Stretches read so far by where they start; none touches another.
  mutable std::map<std::int64_t, std::vector<std::uint8_t>> m_kept;
};

}  // namespace readers
