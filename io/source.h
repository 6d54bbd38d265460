// What every reader of dropped files reads from: the bytes of one file at any offset, its size,
// and its name, which tells a reader the file's extension and nothing else. Readers never open
// anything themselves; whoever holds the file decides what they see of it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace io {

class Source {
 public:
  virtual ~Source() = default;

  virtual std::int64_t Size() const = 0;

  // Reads into `into` from `offset`: the bytes read, fewer only at the end, or -1 when the read
  // failed.
  virtual std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const = 0;

  // The file's name without its folder.
  virtual const std::filesystem::path& Name() const = 0;

 protected:
  Source() = default;
  Source(const Source&) = default;
  Source& operator=(const Source&) = default;
};

}  // namespace io
