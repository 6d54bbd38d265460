// Feeds the readers that walk a file's own structure (Matroska clusters, MPEG video time codes,
// FLAC and MP4 cover masks) arbitrary bytes as a file: whatever it holds, they must not crash, trip
// a sanitizer or read past what they were given, and a masked read must give as many bytes as a
// plain one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "readers/cover_art.h"
#include "readers/matroska_length.h"
#include "readers/mpeg_video_length.h"
#include "tests/readers/memory_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const readers_test::MemorySource file({data, size});
  if (const auto micros = readers::MatroskaPlayMicros(file, 0); micros && *micros < 0) std::abort();
  if (const auto micros = readers::MpegVideoMicros(file, 0); micros && *micros < 0) std::abort();
  const readers::MaskedSource masked(file, readers::CoverArtMasks(file, 0));
  std::vector<std::uint8_t> plain(size);
  std::vector<std::uint8_t> read(size);
  if (file.ReadAt(0, plain) != masked.ReadAt(0, read)) std::abort();
  return 0;
}
