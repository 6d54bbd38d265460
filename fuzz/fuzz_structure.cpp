// Feeds the readers that walk a file's own structure (Matroska clusters, MPEG video time codes and
// pictures, FLAC frame headers, FLAC and MP4 cover masks) arbitrary bytes as a file: whatever it
// holds, they must not crash, trip a sanitizer or read past what they were given, a masked read
// must give as many bytes as a plain one, and a read of kept bytes the same bytes as the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "readers/cover_art.h"
#include "readers/flac_length.h"
#include "readers/matroska_length.h"
#include "readers/mpeg_video_length.h"
#include "readers/read_once.h"
#include "tests/readers/memory_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const readers_test::MemorySource file({data, size});
  if (const auto micros = readers::MatroskaPlayMicros(file, 0); micros && *micros < 0) std::abort();
  if (const auto micros = readers::MpegVideoMicros(file, 0); micros && *micros < 0) std::abort();
  if (const auto micros = readers::FlacMicros(file, 0); micros && *micros < 0) std::abort();
  // Two overlapping reads through the kept bytes give what the file holds.
  const readers::ReadOnceSource once(file);
  const std::size_t half = size / 2;
  std::vector<std::uint8_t> first(size - half / 2);
  std::vector<std::uint8_t> whole(size);
  std::vector<std::uint8_t> kept(size);
  if (once.ReadAt(static_cast<std::int64_t>(half / 2), first) !=
          static_cast<std::int64_t>(first.size()) ||
      once.ReadAt(0, kept) != file.ReadAt(0, whole) || kept != whole) {
    std::abort();
  }
  const readers::MaskedSource masked(file, readers::CoverArtMasks(file, 0));
  std::vector<std::uint8_t> plain(size);
  std::vector<std::uint8_t> read(size);
  if (file.ReadAt(0, plain) != masked.ReadAt(0, read)) std::abort();
  return 0;
}
