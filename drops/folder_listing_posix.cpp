// One folder's entries on Linux and other POSIX systems: the type that the directory itself
// records, and a stat only for links and for file systems that record no type.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "drops/folder_walk.h"

namespace drops {
namespace {

enum class Kind { kFile, kFolder, kOther };

Kind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return Kind::kFile;
  if (S_ISDIR(mode)) return Kind::kFolder;
  return Kind::kOther;
}

Kind KindOf(int folder, const dirent& entry) {
  struct stat status {};
  switch (entry.d_type) {
    case DT_REG:
      return Kind::kFile;
    case DT_DIR:
      return Kind::kFolder;
    case DT_LNK:
      // A link counts as what it leads to, but a link to a folder is not walked: it could lead
      // back up the tree.
      if (fstatat(folder, entry.d_name, &status, 0) != 0) return Kind::kOther;
      return S_ISREG(status.st_mode) ? Kind::kFile : Kind::kOther;
    case DT_UNKNOWN:
      if (fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) return Kind::kOther;
      if (S_ISLNK(status.st_mode)) {
        if (fstatat(folder, entry.d_name, &status, 0) != 0) return Kind::kOther;
        return S_ISREG(status.st_mode) ? Kind::kFile : Kind::kOther;
      }
      return KindOfMode(status.st_mode);
    default:
      return Kind::kOther;
  }
}

}  // namespace

std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder,
                                    const std::function<bool()>& keepListing) {
  std::vector<FolderEntry> entries;
  DIR* listing = opendir(folder.c_str());
  if (!listing) return entries;
  const int descriptor = dirfd(listing);
  while (keepListing()) {
    const dirent* entry = readdir(listing);
    if (!entry) break;
    // Hidden, and "." and ".." as well.
    if (entry->d_name[0] == '.') continue;
    const Kind kind = KindOf(descriptor, *entry);
    if (kind != Kind::kOther) entries.push_back({entry->d_name, kind == Kind::kFolder});
  }
  closedir(listing);
  return entries;
}

}  // namespace drops
