// Feeds the readers that walk a file's own structure (Matroska clusters, MPEG video time codes,
// FLAC and MP4 cover masks) arbitrary bytes as a file: whatever it holds, they must not crash, trip
// a sanitizer or read past what they were given, and a masked read must give as many bytes as a
// plain one.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/cover_art.h"
#include "media/matroska_end.h"
#include "media/media_file.h"
#include "media/mpeg_video_length.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("fuzz", MFD_CLOEXEC);
  if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
  const auto file = media::MediaFile::Open("/proc/self/fd/" + std::to_string(fd));
  ::close(fd);
  if (!file) std::abort();

  if (const auto micros = media::MatroskaPlayMicros(*file, 0); micros && *micros < 0) std::abort();
  if (const auto micros = media::MpegVideoMicros(*file, 0); micros && *micros < 0) std::abort();
  const std::vector<media::Mask> masks = media::CoverArtMasks(*file, 0);
  std::vector<std::uint8_t> plain(size);
  std::vector<std::uint8_t> masked(size);
  if (file->ReadAt(0, plain) != media::ReadMasked(*file, masks, 0, masked)) std::abort();
  return 0;
}
