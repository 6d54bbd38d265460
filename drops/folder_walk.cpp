// The order and the choice of files in a dropped folder; the listing of one folder is the
// platform's (folder_listing_*.cpp).
#include "drops/folder_walk.h"

#include <algorithm>
#include <array>
#include <string>
#include <type_traits>

#include "drops/text_decoding.h"

namespace drops {
namespace {

using Unit = std::make_unsigned_t<std::filesystem::path::value_type>;

bool IsDigit(Unit c) { return c >= '0' && c <= '9'; }
Unit Fold(Unit c) { return c >= 'A' && c <= 'Z' ? static_cast<Unit>(c + ('a' - 'A')) : c; }

// The run of digits at `at`: where it ends, and where its value starts after leading zeros.
struct DigitRun {
  std::size_t end;
  std::size_t significant;
};
DigitRun ReadDigits(NativeName name, std::size_t at) {
  std::size_t significant = at;
  while (significant < name.size() && name[significant] == '0') ++significant;
  std::size_t end = significant;
  while (end < name.size() && IsDigit(static_cast<Unit>(name[end]))) ++end;
  // A run of zeros alone has the value 0: keep its last zero as the value.
  if (significant == end && significant > at) --significant;
  return {end, significant};
}

int Sign(bool less) { return less ? -1 : 1; }

// The extensions of media_types.txt, lower case and sorted, from the build.
constexpr std::string_view kExtensionList = TALLIMO_MEDIA_EXTENSIONS;
constexpr std::size_t kExtensionCount =
    static_cast<std::size_t>(std::ranges::count(kExtensionList, ',')) + 1;

constexpr std::array<std::string_view, kExtensionCount> SplitExtensions() {
  std::array<std::string_view, kExtensionCount> extensions{};
  std::size_t start = 0;
  for (std::string_view& extension : extensions) {
    const std::size_t comma = std::min(kExtensionList.find(',', start), kExtensionList.size());
    extension = kExtensionList.substr(start, comma - start);
    start = comma + 1;
  }
  return extensions;
}
constexpr std::array<std::string_view, kExtensionCount> kExtensions = SplitExtensions();
static_assert(std::ranges::is_sorted(kExtensions), "media_types.txt is sorted by extension");

// Longer than any extension in the list.
constexpr std::size_t kLongestExtension = 8;

}  // namespace

int CompareNaturally(NativeName a, NativeName b) {
  int tie = 0;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const auto ca = static_cast<Unit>(a[i]);
    const auto cb = static_cast<Unit>(b[j]);
    if (IsDigit(ca) && IsDigit(cb)) {
      const DigitRun ra = ReadDigits(a, i);
      const DigitRun rb = ReadDigits(b, j);
      const std::size_t la = ra.end - ra.significant;
      const std::size_t lb = rb.end - rb.significant;
      // Digit by digit, so that no run is too long to compare.
      if (la != lb) return Sign(la < lb);
      const int digits = a.substr(ra.significant, la).compare(b.substr(rb.significant, lb));
      if (digits != 0) return Sign(digits < 0);
      // "1" before "01": fewer leading zeros first, once nothing else tells the names apart.
      if (tie == 0 && ra.end - i != rb.end - j) tie = Sign(ra.end - i < rb.end - j);
      i = ra.end;
      j = rb.end;
      continue;
    }
    if (Fold(ca) != Fold(cb)) return Sign(Fold(ca) < Fold(cb));
    // "A" before "a" in the end, as in a case-sensitive sort.
    if (tie == 0 && ca != cb) tie = Sign(ca < cb);
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return Sign(i == a.size());
  return tie;
}

std::string ExtensionOf(NativeName name) {
  const std::size_t dot = name.rfind('.');
  if (dot == NativeName::npos || name.size() - dot - 1 > kLongestExtension) return {};
  std::string extension;
  for (const auto c : name.substr(dot + 1)) {
    const auto unit = static_cast<Unit>(c);
    if (unit > 0x7F) return {};
    extension.push_back(static_cast<char>(Fold(unit)));
  }
  return extension;
}

bool IsMediaName(NativeName name) {
  const std::string extension = ExtensionOf(name);
  return !extension.empty() && std::ranges::binary_search(kExtensions, std::string_view(extension));
}

std::filesystem::path FolderName(const std::filesystem::path& folder) {
  std::filesystem::path path = folder.lexically_normal();
  // "Album/" names its folder in the part before the separator.
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path.filename();
}

std::u16string LabelText(const std::filesystem::path& label) {
  const auto& name = label.native();
#ifdef _WIN32
  return std::u16string(name.begin(), name.end());
#else
  return Utf8Text(name);
#endif
}

std::vector<FolderFile> WalkFolder(const std::filesystem::path& folder,
                                   const KeepWalking& keepWalking) {
  std::vector<FolderFile> files;
  bool stopped = false;
  const auto keepListing = [&] {
    stopped = stopped || !keepWalking(files.size());
    return !stopped;
  };
  const auto sortedListing = [&](const std::filesystem::path& path) {
    std::vector<FolderEntry> entries = ListFolder(path, keepListing);
    std::ranges::sort(entries, [](const FolderEntry& a, const FolderEntry& b) {
      return CompareNaturally(a.name, b.name) < 0;
    });
    return entries;
  };

  // A folder being walked, with the entries still to visit. A stack of its own rather than
  // recursion: a deep tree must not run the worker thread out of stack.
  struct Level {
    std::filesystem::path path;
    std::filesystem::path label;
    std::vector<FolderEntry> entries;
    std::size_t next = 0;
  };
  std::vector<Level> levels;
  levels.push_back({folder, FolderName(folder), sortedListing(folder)});
  while (!levels.empty() && keepListing()) {
    Level& level = levels.back();
    if (level.next == level.entries.size()) {
      levels.pop_back();
      continue;
    }
    const FolderEntry& entry = level.entries[level.next++];
    if (entry.isFolder) {
      std::filesystem::path path = level.path / entry.name;
      std::filesystem::path label = level.label / entry.name;
      std::vector<FolderEntry> entries = sortedListing(path);
      levels.push_back({std::move(path), std::move(label), std::move(entries)});
    } else if (IsMediaName(entry.name)) {
      files.push_back({level.path / entry.name, level.label / entry.name});
    }
  }
  if (stopped) files.clear();
  return files;
}

}  // namespace drops
