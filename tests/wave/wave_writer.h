// Builds WAV headers for the tests, so that every fixture is made here and its layout can be read
// in the test that uses it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace wave_test {

using Bytes = std::vector<std::uint8_t>;

inline void PutLE(Bytes& out, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Byte by byte: g++ 12 at -O3 misreads a range insert into an empty vector as an overflow.
inline void PutText(Bytes& out, std::string_view text) {
  for (const char c : text) out.push_back(static_cast<std::uint8_t>(c));
}

// A chunk as RIFF lays it out: id, size field, body, and a pad byte after an odd-sized body.
inline Bytes Chunk(std::string_view id, const Bytes& body) {
  Bytes out;
  PutText(out, id);
  PutLE(out, body.size(), 4);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 != 0) out.push_back(0);
  return out;
}

// A format chunk; a 40-byte body is WAVE_FORMAT_EXTENSIBLE, as recorders write for more than two
// channels or more than 16 bits.
inline Bytes Fmt(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                 std::size_t body_size = 16) {
  const std::uint64_t block_align = channels * ((bits + 7) / 8);
  Bytes body;
  PutLE(body, body_size == 40 ? 0xFFFE : 1, 2);
  PutLE(body, channels, 2);
  PutLE(body, rate, 4);
  PutLE(body, rate * block_align, 4);
  PutLE(body, block_align, 2);
  PutLE(body, bits, 2);
  if (body_size == 40) PutLE(body, 22, 2);  // size of the extension that follows
  body.resize(body_size);
  return Chunk("fmt ", body);
}

// Everything up to where the sound data starts: RIFF/WAVE, `chunks`, then the "data" id and its
// size field, which is `data_bytes` unless `size_field` says what a recorder left there instead.
inline Bytes Header(std::initializer_list<Bytes> chunks, std::uint64_t data_bytes,
                    std::optional<std::uint32_t> size_field = std::nullopt) {
  Bytes body;
  PutText(body, "WAVE");
  for (const Bytes& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
  PutText(body, "data");
  PutLE(body, size_field.value_or(static_cast<std::uint32_t>(data_bytes)), 4);
  Bytes out;
  PutText(out, "RIFF");
  PutLE(out, std::min<std::uint64_t>(body.size() + data_bytes, 0xFFFFFFFF), 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// The first `length` bytes, as a file cut off there would hold them.
inline Bytes Prefix(Bytes bytes, std::size_t length) {
  bytes.resize(length);
  return bytes;
}

// Writes `header` and extends the file with `data_bytes` of silence; the extension is sparse, so
// fixtures of several gigabytes cost no disk space.
inline void WriteWave(const std::filesystem::path& path, const Bytes& header,
                      std::uint64_t data_bytes) {
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()),
              static_cast<std::streamsize>(header.size()));
  }
  std::filesystem::resize_file(path, header.size() + data_bytes);
}

}  // namespace wave_test
