// Unsigned integers in either byte order, for the readers' headers and the measuring protocol:
// the one set of byte-order helpers. Callers check that the bytes lie within what was read before
// they ask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace io {

// The value that `bytes` (at most 8) hold, least significant byte first.
constexpr std::uint64_t LittleEndian(std::span<const std::uint8_t> bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

// The value that `bytes` (at most 8) hold, most significant byte first.
constexpr std::uint64_t BigEndian(std::span<const std::uint8_t> bytes) {
  std::uint64_t value = 0;
  for (const std::uint8_t byte : bytes) value = (value << 8) | byte;
  return value;
}

// Writes the low bytes of `value` into `into` (at most 8), least significant first.
constexpr void PutLittleEndian(std::span<std::uint8_t> into, std::uint64_t value) {
  for (std::uint8_t& byte : into) {
    byte = static_cast<std::uint8_t>(value);
    value >>= 8;
  }
}

}  // namespace io
