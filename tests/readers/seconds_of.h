// A file measured as the two processes measure it together, here in one: opened the window's way
// (io::File) and read by the readers, as tallimo-measure reads what it is handed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <span>
#include <utility>
#include <vector>

#include "io/file.h"
#include "readers/play_length.h"

namespace readers_test {

// 0 when the file cannot be opened, as the measuring process answers for a file not handed over.
inline std::int64_t SecondsOf(const std::filesystem::path& path) {
  const auto file = io::File::Open(path);
  return file ? readers::PlaySeconds(*file) : 0;
}

// A file that notes every stretch the readers read from it.
class ReadLog final : public io::Source {
 public:
  explicit ReadLog(const io::Source& file) : m_file(file) {}

  std::int64_t Size() const override { return m_file.Size(); }
  std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const override {
    const std::int64_t got = m_file.ReadAt(offset, into);
    if (got > 0) m_reads.emplace_back(offset, offset + got);
    return got;
  }
  const std::filesystem::path& Name() const override { return m_file.Name(); }

  std::int64_t Bytes() const {
    std::int64_t bytes = 0;
    for (const auto& [from, to] : m_reads) bytes += to - from;
    return bytes;
  }
  // Bytes read more than once.
  std::int64_t BytesAgain() const {
    auto reads = m_reads;
    std::ranges::sort(reads);
    std::int64_t again = 0;
    std::int64_t reached = 0;
    for (const auto& [from, to] : reads) {
      again += std::max<std::int64_t>(std::min(to, reached) - from, 0);
      reached = std::max(reached, to);
    }
    return again;
  }

 private:
  const io::Source& m_file;
  mutable std::vector<std::pair<std::int64_t, std::int64_t>> m_reads;
};

struct Measurement {
  std::int64_t seconds = 0;
  std::int64_t bytes_read = 0;
  std::int64_t bytes_read_again = 0;
};

// The file's length with what measuring it read.
inline Measurement Measure(const std::filesystem::path& path) {
  const auto file = io::File::Open(path);
  if (!file) return {};
  const ReadLog log(*file);
  const std::int64_t seconds = readers::PlaySeconds(log);
  return {seconds, log.Bytes(), log.BytesAgain()};
}

}  // namespace readers_test
