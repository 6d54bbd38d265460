// What a dropped folder stands for: the audio and video files inside it at any depth, in the order
// a person reads their names ("2 Intro" before "10 Outro"), each labelled with its path from the
// folder's own name. Nothing here opens a file; the drop session measures what the walk finds.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace drops {

using NativeName = std::basic_string_view<std::filesystem::path::value_type>;

// Natural order of two names: runs of digits compare by their value, everything else unit by unit
// with ASCII letters folded to one case. Names that differ only there (case, leading zeros) still
// get a fixed order, so that no two different names are ever equal. Negative, 0 or positive.
int CompareNaturally(NativeName a, NativeName b);

// The extension of a name in lower case (ASCII letters only), without its dot; empty when there is
// none, or when it is longer than any extension the program knows or not ASCII.
std::string ExtensionOf(NativeName name);

// Whether a file inside a dropped folder is measured at all: its name ends in the extension of an
// audio or video kind that the program reads (any case).
bool IsMediaName(NativeName name);

// The folder's own name, which labels start with: the last part of the path once "." and ".." and
// trailing separators are resolved; empty for the root of a file system.
std::filesystem::path FolderName(const std::filesystem::path& folder);

// A label as text: on Windows the name as it stands; elsewhere the bytes of the name read as UTF-8,
// as the desktop shows them, each byte that is not UTF-8 as U+FFFD.
std::u16string LabelText(const std::filesystem::path& label);

struct FolderFile {
  std::filesystem::path path;   // to open
  std::filesystem::path label;  // FolderName(folder), then the names inside it
};

// Called for every entry the walk looks at, with the count of media files found so far; false
// stops the walk.
using KeepWalking = std::function<bool(std::size_t found)>;

// The media files in `folder` and its subfolders, depth first, each folder's entries in natural
// order, so that the labels come out compared name by name. Hidden entries and links to folders
// are left out; a folder that cannot be read counts as empty. Empty when stopped.
std::vector<FolderFile> WalkFolder(const std::filesystem::path& folder,
                                   const KeepWalking& keepWalking);

// The platform's piece: the entries of one folder that a walk visits. Hidden entries, links to
// folders (symbolic links, junctions) and anything that is neither a regular file, a link to one,
// nor a folder are left out. `keepListing` is asked before each entry; false ends the listing.
struct FolderEntry {
  std::filesystem::path::string_type name;
  bool isFolder = false;
};
std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder,
                                    const std::function<bool()>& keepListing);

}  // namespace drops
