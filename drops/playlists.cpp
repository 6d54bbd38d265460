// Finding a list's entries: paths relative to the list's folder or absolute, file:// URLs, paths
// written on Windows read on Linux, names in the code page of the list's writer; and the nesting of
// lists, within one budget of bytes and lines for everything one dropped list brings.
#include "drops/playlists.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <system_error>
#include <utility>

#include "drops/text_decoding.h"
#include "io/file.h"

namespace drops {
namespace {

namespace fs = std::filesystem;

// Pieces of a list read at a time: the unit in which a cancel is noticed while reading.
constexpr std::size_t kReadPiece = std::size_t{64} << 10;

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the scheme of "scheme://...", 0 for anything else. One letter before the colon is
// a Windows drive, not a scheme.
std::size_t SchemeLength(std::string_view location) {
  std::size_t length = 0;
  while (length < location.size() &&
         (IsAlpha(location[length]) ||
          (length > 0 && (IsDigit(location[length]) || location[length] == '+' ||
                          location[length] == '-' || location[length] == '.')))) {
    ++length;
  }
  return length >= 2 && location.substr(length).starts_with("://") ? length : 0;
}

std::string PercentDecoded(std::string_view text) {
  const auto hex = [](char c) {
    return IsDigit(c)                               ? c - '0'
           : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10
                                                    : -1;
  };
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      decoded.push_back(static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
      i += 2;
    } else {
      decoded.push_back(text[i]);
    }
  }
  return decoded;
}

// The entry's file name: the last part of its path or URL, with either separator.
std::u16string LastPart(std::u16string_view text) {
  while (!text.empty() && (text.back() == u'/' || text.back() == u'\\')) text.remove_suffix(1);
  const std::size_t cut = text.find_last_of(u"/\\");
  return std::u16string(cut == std::u16string_view::npos ? text : text.substr(cut + 1));
}

// Where an entry is.
struct Located {
  enum class Where { kOnDisk, kElsewhere, kNowhere } where;
  fs::path path;  // on disk
  std::u16string name;
};

// The path of a local entry whose bytes are `bytes` and whose text is `text`, relative to `folder`
// unless absolute.
fs::path PathOf(const std::string& bytes, const std::u16string& text, bool codePage,
                const fs::path& folder) {
#ifdef _WIN32
  (void)bytes;
  (void)codePage;
  return folder / fs::path(std::wstring(text.begin(), text.end()));
#else
  // Linux names files by bytes: the entry may name one in the code page of a Windows machine,
  // read as Latin-1 and named in UTF-8 today, or by the very bytes written; a list made on
  // Windows separates folders with backslashes, which here may also be part of a name. The first
  // candidate that is there is taken, else the first of all.
  std::vector<std::string> candidates;
  if (codePage) candidates.push_back(Utf8Of(text));
  candidates.push_back(bytes);
  const std::size_t written = candidates.size();
  for (std::size_t i = 0; i < written; ++i) {
    if (candidates[i].find('\\') == std::string::npos) continue;
    std::string slashed = candidates[i];
    std::ranges::replace(slashed, '\\', '/');
    candidates.push_back(std::move(slashed));
  }
  if (candidates.size() == 1) return folder / candidates.front();
  for (const std::string& candidate : candidates) {
    std::error_code error;
    if (fs::exists(folder / candidate, error)) return folder / candidate;
  }
  return folder / candidates.front();
#endif
}

Located Locate(const ListEntry& entry, const fs::path& folder) {
  const std::string_view location = entry.location;
  std::string bytes;
  bool codePage = entry.codePage;
  if (const std::size_t scheme = SchemeLength(location); scheme > 0) {
    std::string_view rest = location.substr(scheme + 3);
    const std::size_t slash = std::min(rest.find('/'), rest.size());
    const std::string_view host = rest.substr(0, slash);
    const bool elsewhere = !EqualsNoCase(location.substr(0, scheme), "file")
#ifndef _WIN32
                           // Another machine's file, which Windows reaches by its UNC path.
                           || (!host.empty() && !EqualsNoCase(host, "localhost"))
#endif
        ;
    if (elsewhere) {
      bytes = PercentDecoded(location);
      return {Located::Where::kElsewhere,
              {},
              LastPart(IsUtf8(bytes) ? Utf8Text(bytes) : CodePageText(bytes))};
    }
    bytes = PercentDecoded(rest.substr(slash));
#ifdef _WIN32
    if (!host.empty() && !EqualsNoCase(host, "localhost")) bytes = "//" + std::string(host) + bytes;
    // file:///C:/Music/...: the drive follows the slash.
    if (bytes.size() >= 3 && bytes[0] == '/' && IsAlpha(bytes[1]) && bytes[2] == ':') {
      bytes.erase(0, 1);
    }
#endif
    codePage = !IsUtf8(bytes);
  } else if (entry.uriReference) {
    bytes = PercentDecoded(location);
    codePage = !IsUtf8(bytes);
  } else {
    bytes = location;
  }
  const std::u16string text = codePage ? CodePageText(bytes) : Utf8Text(bytes);
  // No file has a NUL in its name; the name would stop short at it and open another file.
  if (bytes.empty() || bytes.find('\0') != std::string::npos) {
    return {Located::Where::kNowhere, {}, LastPart(text)};
  }
  return {Located::Where::kOnDisk, PathOf(bytes, text, codePage, folder), LastPart(text)};
}

class Expander {
 public:
  Expander(const KeepWalking& keepGoing, const ListLimits& limits)
      : m_keepGoing(keepGoing), m_limits(limits), m_bytesLeft(limits.bytes) {}

  void Expand(const fs::path& list, ListFormat format, const std::u16string& label, int depth) {
    const std::optional<ParsedList> parsed = Read(list, format);
    if (!parsed) {
      m_lines.push_back({.label = label});
      return;
    }
    const std::size_t first = m_lines.size();
    bool incomplete = parsed->incomplete;
    m_open.push_back(list);
    const fs::path folder = list.parent_path();
    const std::u16string prefix = label + static_cast<char16_t>(fs::path::preferred_separator);
    for (const ListEntry& entry : parsed->entries) {
      if (!KeepGoing()) break;
      if (m_lines.size() >= m_limits.lines) {
        incomplete = true;
        break;
      }
      Place(entry, folder, prefix, depth);
    }
    m_open.pop_back();
    if (incomplete) m_lines.push_back({.label = label});
    if (m_lines.size() == first) m_lines.push_back({.label = label, .seconds = 0});
  }

  std::vector<ListedLine> Take() { return std::move(m_lines); }

 private:
  bool KeepGoing() {
    m_stopped = m_stopped || !m_keepGoing(m_lines.size());
    return !m_stopped;
  }

  // The list's entries, as many as the budgets allow; none when it cannot be opened.
  std::optional<ParsedList> Read(const fs::path& list, ListFormat format) {
    const std::optional<io::File> file = io::File::Open(list);
    if (!file) return std::nullopt;
    ListParser parser(format, m_limits.lines - std::min(m_lines.size(), m_limits.lines));
    // Only the bytes the file had when opened: a file that grows (or a /proc file, which says it
    // has none) costs no more.
    std::int64_t size = file->Size();
    bool whole = size <= m_bytesLeft;
    size = std::min(size, m_bytesLeft);
    m_buffer.resize(kReadPiece);
    for (std::int64_t offset = 0; offset < size && KeepGoing();) {
      const auto wanted = static_cast<std::size_t>(
          std::min<std::int64_t>(static_cast<std::int64_t>(kReadPiece), size - offset));
      const std::int64_t got = file->ReadAt(offset, std::span(m_buffer.data(), wanted));
      if (got < 0) whole = false;
      if (got <= 0) break;
      parser.Feed(std::string_view(reinterpret_cast<const char*>(m_buffer.data()),
                                   static_cast<std::size_t>(got)));
      offset += got;
      m_bytesLeft -= got;
    }
    return parser.Finish(whole);
  }

  void Place(const ListEntry& entry, const fs::path& folder, const std::u16string& prefix,
             int depth) {
    if (entry.track && !entry.toEndFrom) {
      m_lines.push_back({.label = prefix + *entry.track, .seconds = entry.seconds});
      return;
    }
    const Located found = Locate(entry, folder);
    std::u16string label = prefix + (entry.track ? *entry.track : found.name);
    if (found.where != Located::Where::kOnDisk) {
      // Never fetched: a stream takes the length the list states; a cue's file elsewhere has no
      // length to end its last track.
      const bool stated = found.where == Located::Where::kElsewhere && !entry.track;
      m_lines.push_back(
          {.label = std::move(label), .seconds = stated ? entry.seconds : std::nullopt});
      return;
    }
    const ListFormat nested =
        entry.toEndFrom ? ListFormat::kNone : ListFormatOf(found.path.filename().native());
    if (nested == ListFormat::kNone) {
      m_lines.push_back(
          {.label = std::move(label), .measure = found.path, .toEndFrom = entry.toEndFrom});
    } else if (depth >= m_limits.depth || IsOpen(found.path)) {
      m_lines.push_back({.label = std::move(label)});
    } else {
      Expand(found.path, nested, label, depth + 1);
    }
  }

  // Whether `path` is one of the lists being expanded, under whatever name.
  bool IsOpen(const fs::path& path) const {
    return std::ranges::any_of(m_open, [&](const fs::path& open) {
      std::error_code error;
      return open == path || fs::equivalent(open, path, error);
    });
  }

  const KeepWalking& m_keepGoing;
  const ListLimits m_limits;
  bool m_stopped = false;
  std::vector<ListedLine> m_lines;
  std::int64_t m_bytesLeft;
  std::vector<fs::path> m_open;  // the lists being expanded, the dropped one first
  std::vector<std::uint8_t> m_buffer;
};

}  // namespace

std::vector<ListedLine> ExpandList(const fs::path& list, ListFormat format,
                                   const std::u16string& label, const KeepWalking& keepGoing,
                                   const ListLimits& limits) {
  Expander expander(keepGoing, limits);
  expander.Expand(list, format, label, 1);
  return expander.Take();
}

std::optional<std::int64_t> SecondsToEnd(std::optional<std::int64_t> fileSeconds,
                                         std::int64_t fromFrame) {
  // The file may play up to a second longer than its whole seconds: a track starting within that
  // second lasts 0 s; one starting later lies beyond the file.
  if (!fileSeconds || fromFrame / kCueFramesPerSecond > *fileSeconds) return std::nullopt;
  const std::int64_t startSeconds = (fromFrame + kCueFramesPerSecond - 1) / kCueFramesPerSecond;
  return std::max<std::int64_t>(0, *fileSeconds - startSeconds);
}

}  // namespace drops
