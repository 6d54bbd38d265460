// One folder's entries on Windows, with the attributes that the listing itself carries: hidden
// and system entries are left out, and so are folders that are reparse points (junctions, links
// to folders), which could lead back up the tree.
#include <windows.h>

#include "drops/folder_walk.h"

namespace drops {
namespace {

bool IsHidden(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder,
                                    const std::function<bool()>& keepListing) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW found;
  const std::wstring pattern = (folder / L"*").native();
  HANDLE listing = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (listing == INVALID_HANDLE_VALUE) return entries;
  do {
    const DWORD attributes = found.dwFileAttributes;
    if (IsDotOrDotDot(found.cFileName) || IsHidden(attributes)) continue;
    const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
    if (!isFolder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      // A link to a file counts as that file, when it leads to one.
      const DWORD target = ::GetFileAttributesW((folder / found.cFileName).c_str());
      if (target == INVALID_FILE_ATTRIBUTES || (target & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    }
    entries.push_back({found.cFileName, isFolder});
  } while (keepListing() && ::FindNextFileW(listing, &found));
  ::FindClose(listing);
  return entries;
}

}  // namespace drops
