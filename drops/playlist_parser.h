// The text of playlists and cue sheets: what each entry names and how long the list says it is,
// read from bytes given in pieces of any size. The lists come from anywhere and are read in the
// window's process, so the reader holds at most one line (or one XML element's text) besides the
// entries it keeps, keeps at most the entries it is allowed, and reads any bytes without failing.
// Finding the entries on disk is the expansion's (drops/playlists.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "drops/folder_walk.h"

namespace drops {

enum class ListFormat { kNone, kM3u, kM3u8, kPls, kXspf, kCue };

// What a file's name says it is: its extension, in any case.
ListFormat ListFormatOf(NativeName name);

// Longer lines name no file any system could open; they are left out.
inline constexpr std::size_t kMaxListLine = std::size_t{64} << 10;
// A cue sheet counts its indexes in frames of a compact disc.
inline constexpr std::int64_t kCueFramesPerSecond = 75;

// One entry as the list writes it, before it is looked for.
struct ListEntry {
  std::string location{};  // a path or a URL, its bytes as they stand in the list
  // The location's text is not UTF-8 (and the format allows other encodings): it reads in the
  // system's ANSI code page on Windows, as Latin-1 elsewhere.
  bool codePage = false;
  // XSPF: the location is a URI even when relative, so its escapes are decoded too.
  bool uriReference = false;
  // The length the list states, only when above 0 (#EXTINF, LengthN=, <duration>); for a track
  // of a cue sheet, its length from its indexes, empty when they give none.
  std::optional<std::int64_t> seconds{};
  // A cue sheet's track: what its line shows ("03 Title", or "Track 03" without a TITLE).
  std::optional<std::u16string> track{};
  // A cue sheet's last track of a FILE, which runs from this frame to the end of the file that
  // `location` names.
  std::optional<std::int64_t> toEndFrom{};
  friend bool operator==(const ListEntry&, const ListEntry&) = default;
};

struct ParsedList {
  std::vector<ListEntry> entries;
  // Something was left out: a line over kMaxListLine, or entries beyond the limit.
  bool incomplete = false;
  friend bool operator==(const ParsedList&, const ParsedList&) = default;
};

// Reads one list. A byte order mark is skipped; a UTF-16 one makes the text UTF-16. Lines end in
// LF, CR LF or CR.
class ListParser {
 public:
  // At most `maxEntries` entries are kept (a PLS file's numbers and a cue sheet's tracks count
  // as they come), the rest makes the list incomplete.
  ListParser(ListFormat format, std::size_t maxEntries);
  ~ListParser();
  ListParser(const ListParser&) = delete;
  ListParser& operator=(const ListParser&) = delete;

  void Feed(std::string_view bytes);
  // The entries in the list's order; nothing may be fed afterwards. Unless the text came `whole`,
  // the list is incomplete and a line it ends in the middle of is left out.
  ParsedList Finish(bool whole = true);

  class Reader;

 private:
  // The first bytes are in: skips the byte order mark, if any, and passes the rest on.
  void StartText();
  void Pass(std::string_view bytes);

  std::unique_ptr<Reader> m_reader;
  // The first bytes, until they show whether a byte order mark starts the text.
  std::string m_head;
  bool m_headDone = false;
  enum class Utf16 { kNo, kLittleEndian, kBigEndian } m_utf16 = Utf16::kNo;
  std::string m_odd;  // a byte of a UTF-16 unit whose other byte is still to come
  char16_t m_highSurrogate = 0;
};

// The whole text at once.
ParsedList ParseList(ListFormat format, std::string_view text, std::size_t maxEntries);

}  // namespace drops
