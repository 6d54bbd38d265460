// Bytes held in memory shown to the readers as a file, for the tests and the fuzzers: it counts
// what the readers ask for, and traps a read at an offset no file has.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <utility>

#include "io/source.h"

namespace readers_test {

class MemorySource final : public io::Source {
 public:
  MemorySource(std::span<const std::uint8_t> bytes, std::filesystem::path name = "memory")
      : m_bytes(bytes), m_name(std::move(name)) {}
  MemorySource(const std::string& bytes, std::filesystem::path name = "memory")
      : MemorySource({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                     std::move(name)) {}

  std::int64_t Size() const override { return static_cast<std::int64_t>(m_bytes.size()); }
  std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const override {
    if (offset < 0) std::abort();
    m_requested += static_cast<std::int64_t>(into.size());
    if (static_cast<std::uint64_t>(offset) >= m_bytes.size()) return 0;
    const std::size_t count =
        std::min(into.size(), m_bytes.size() - static_cast<std::size_t>(offset));
    std::copy_n(m_bytes.begin() + offset, count, into.begin());
    return static_cast<std::int64_t>(count);
  }
  const std::filesystem::path& Name() const override { return m_name; }

  // The bytes the readers asked for so far, whether the data held them or not.
  std::int64_t Requested() const { return m_requested; }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::filesystem::path m_name;
  mutable std::int64_t m_requested = 0;
};

}  // namespace readers_test
