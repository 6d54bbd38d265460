// The file the measuring process was handed, found again by the readers that ask for it by name.
#include <utility>

#include "media/media_file.h"

namespace media {

namespace {

// One file per thread: the measuring process reads one file at a time on its main thread.
thread_local HandedFile* t_handed = nullptr;

}  // namespace

HandedFile::HandedFile(std::filesystem::path name, std::optional<MediaFile> file)
    : name_(std::move(name)), file_(std::move(file)), outer_(std::exchange(t_handed, this)) {}

HandedFile::~HandedFile() { t_handed = outer_; }

bool HandedFile::Claim(const std::filesystem::path& path, std::optional<MediaFile>& file) {
  if (!t_handed) return false;
  if (path == t_handed->name_) file = std::exchange(t_handed->file_, std::nullopt);
  return true;
}

}  // namespace media
