// The readers of the list formats: M3U (and its UTF-8 form M3U8), PLS and cue sheets line by line,
// XSPF with a scanner of just enough XML to find each track's location and duration. Each reader
// sees the text once, byte by byte or line by line, whatever the pieces it comes in.
#include "drops/playlist_parser.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>

#include "drops/text_decoding.h"

namespace drops {
namespace {

// The extensions of playlist_types.txt, from the build, and what each of them is.
constexpr std::string_view kExtensionList = TALLIMO_PLAYLIST_EXTENSIONS;
constexpr std::pair<std::string_view, ListFormat> kFormats[] = {
    {"cue", ListFormat::kCue}, {"m3u", ListFormat::kM3u},   {"m3u8", ListFormat::kM3u8},
    {"pls", ListFormat::kPls}, {"xspf", ListFormat::kXspf},
};

constexpr bool ReadsEveryListedType() {
  std::size_t start = 0;
  for (const auto& format : kFormats) {
    const std::size_t comma = std::min(kExtensionList.find(',', start), kExtensionList.size());
    if (kExtensionList.substr(start, comma - start) != format.first) return false;
    start = comma + 1;
  }
  return start == kExtensionList.size() + 1;
}
static_assert(ReadsEveryListedType(), "playlist_types.txt lists exactly the formats read here");

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The decimal number at the start of `text` and where its digits end; none without digits or
// beyond 64 bits.
struct Number {
  std::int64_t value = 0;
  std::size_t end = 0;
};
std::optional<Number> ReadNumber(std::string_view text) {
  Number number;
  for (; number.end < text.size() && IsDigit(text[number.end]); ++number.end) {
    if (number.value > (std::numeric_limits<std::int64_t>::max() - 9) / 10) return std::nullopt;
    number.value = number.value * 10 + (text[number.end] - '0');
  }
  if (number.end == 0) return std::nullopt;
  return number;
}

// A length in seconds as M3U and PLS state it, "245" or "245.73": whole seconds when it is above
// 0, none for 0, -1 (a stream's "unknown") or anything else.
std::optional<std::int64_t> StatedSeconds(std::string_view text) {
  text = Trim(text);
  const std::optional<Number> whole = ReadNumber(text);
  if (whole && whole->value > 0) return whole->value;
  // "0.5": above 0 all the same.
  const std::size_t point = whole ? whole->end : 0;
  if (point >= text.size() || text[point] != '.') return std::nullopt;
  for (std::size_t i = point + 1; i < text.size() && IsDigit(text[i]); ++i) {
    if (text[i] != '0') return 0;
  }
  return std::nullopt;
}

// XML's character references and its five named entities; anything else stays as written.
std::string DecodeEntities(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  constexpr std::pair<std::string_view, char> kNamed[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  constexpr std::size_t kLongestReference = 10;  // "#x10FFFF" and more leading zeros
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t semicolon =
        text[i] == '&' ? text.substr(i, kLongestReference + 2).find(';') : std::string_view::npos;
    if (semicolon == std::string_view::npos) {
      decoded.push_back(text[i]);
      continue;
    }
    const std::string_view name = text.substr(i + 1, semicolon - 1);
    const auto named = std::ranges::find(kNamed, name, &std::pair<std::string_view, char>::first);
    char32_t value = 0;
    bool known = named != std::end(kNamed);
    if (known) {
      decoded.push_back(named->second);
    } else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      known = name.size() > (hex ? 2u : 1u);
      for (const char c : name.substr(hex ? 2 : 1)) {
        const int digit = IsDigit(c)                                  ? c - '0'
                          : hex && Lower(c) >= 'a' && Lower(c) <= 'f' ? Lower(c) - 'a' + 10
                                                                      : -1;
        known = known && digit >= 0 && value <= 0x10FFFF;
        if (known) value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
      }
      known = known && value != 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
      if (known) AppendUtf8(decoded, value);
    }
    if (!known) {
      decoded.push_back('&');
      continue;
    }
    i += semicolon;
  }
  return decoded;
}

}  // namespace

ListFormat ListFormatOf(NativeName name) {
  const std::string extension = ExtensionOf(name);
  for (const auto& [known, format] : kFormats) {
    if (extension == known) return format;
  }
  return ListFormat::kNone;
}

// What every format's reader shares: the entries kept, within their limit, and how a location's
// bytes read.
class ListParser::Reader {
 public:
  Reader(ListFormat format, std::size_t maxEntries) : m_format(format), m_maxEntries(maxEntries) {}
  virtual ~Reader() = default;

  virtual void Bytes(std::string_view bytes) = 0;
  // No more bytes come; unless the text came whole, its unfinished end is left out.
  virtual void End(bool whole) = 0;
  ParsedList Take() { return std::move(m_list); }

 protected:
  // Whether one more entry fits beside the `kept` ones; when not, the list is incomplete.
  bool Room(std::size_t kept) {
    if (kept < m_maxEntries) return true;
    m_list.incomplete = true;
    return false;
  }
  void Add(ListEntry entry) {
    if (Room(m_list.entries.size())) m_list.entries.push_back(std::move(entry));
  }
  // M3U8 is UTF-8 by its name; every other list is whatever its writer used.
  bool CodePage(std::string_view text) const {
    return m_format != ListFormat::kM3u8 && !IsUtf8(text);
  }
  std::u16string Text(std::string_view text) const {
    return CodePage(text) ? CodePageText(text) : Utf8Text(text);
  }

  ParsedList m_list;

 private:
  const ListFormat m_format;
  const std::size_t m_maxEntries;
};

namespace {

// Hands on each line, trimmed, that is not empty; a line over kMaxListLine is dropped as it comes
// and makes the list incomplete.
class LineReader : public ListParser::Reader {
 public:
  using Reader::Reader;

  void Bytes(std::string_view bytes) final {
    while (!bytes.empty()) {
      const std::size_t end = bytes.find_first_of("\r\n");
      const std::string_view piece = bytes.substr(0, end);
      if (m_line.size() + piece.size() > kMaxListLine) {
        m_tooLong = true;
        m_line.clear();
      }
      if (!m_tooLong) m_line.append(piece);
      if (end == std::string_view::npos) return;
      EndLine();
      bytes.remove_prefix(end + 1);
    }
  }
  void End(bool whole) final {
    if (!whole) {
      m_line.clear();
      m_list.incomplete = true;
    }
    EndLine();
    Done();
  }

 protected:
  virtual void Line(std::string_view line) = 0;
  virtual void Done() {}

 private:
  void EndLine() {
    const std::string_view line = Trim(m_line);
    if (m_tooLong) {
      m_list.incomplete = true;
    } else if (!line.empty()) {
      Line(line);
    }
    m_line.clear();
    m_tooLong = false;
  }

  std::string m_line;
  bool m_tooLong = false;
};

// A path or URL a line; "#EXTINF:245,Artist - Title" states the length of the entry after it,
// and any other line starting with "#" is a comment.
class M3uReader final : public LineReader {
 public:
  using LineReader::LineReader;

 private:
  void Line(std::string_view line) override {
    if (line.front() == '#') {
      if (StartsWithNoCase(line, "#extinf:")) m_stated = StatedSeconds(line.substr(8));
      return;
    }
    Add({.location = std::string(line),
         .codePage = CodePage(line),
         .seconds = std::exchange(m_stated, std::nullopt)});
  }

  std::optional<std::int64_t> m_stated;
};

// "FileN=", "LengthN=" (and "TitleN=", not needed) under "[playlist]": the entries in the order
// of their numbers, whatever the order of the lines.
class PlsReader final : public LineReader {
 public:
  using LineReader::LineReader;

 private:
  struct Numbered {
    std::string file;
    std::optional<std::int64_t> seconds;
  };

  void Line(std::string_view line) override {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = Trim(line.substr(0, equals));
    const bool file = StartsWithNoCase(key, "file");
    if (!file && !StartsWithNoCase(key, "length")) return;
    const std::string_view digits = key.substr(file ? 4 : 6);
    const std::optional<Number> number = ReadNumber(digits);
    if (!number || number->end != digits.size()) return;
    auto found = m_numbered.find(number->value);
    if (found == m_numbered.end()) {
      // Numbers without a file count too: memory goes with what is kept.
      if (!Room(m_numbered.size())) return;
      found = m_numbered.emplace(number->value, Numbered{}).first;
    }
    const std::string_view value = Trim(line.substr(equals + 1));
    if (file) {
      found->second.file = value;
    } else {
      found->second.seconds = StatedSeconds(value);
    }
  }

  void Done() override {
    for (auto& [number, entry] : m_numbered) {
      if (entry.file.empty()) continue;
      const bool codePage = CodePage(entry.file);
      m_list.entries.push_back(
          {.location = std::move(entry.file), .codePage = codePage, .seconds = entry.seconds});
    }
  }

  std::map<std::int64_t, Numbered> m_numbered;
};

// FILE "Album.flac" WAVE, then TRACK 01 AUDIO, TITLE "...", INDEX 01 mm:ss:ff for each track. A
// track lasts from its INDEX 01 to the next one in the same FILE; the last of a FILE to its end.
class CueReader final : public LineReader {
 public:
  using LineReader::LineReader;

 private:
  static constexpr std::size_t kNoFile = std::numeric_limits<std::size_t>::max();

  struct Track {
    std::int64_t number = 0;
    std::size_t file = kNoFile;
    std::u16string title{};
    std::optional<std::int64_t> start{};  // INDEX 01, in frames
  };

  // "Name with spaces.wav" or, unquoted, the words before the last one (the file's type), which a
  // FILE line has and a TITLE line has not.
  static std::string_view Argument(std::string_view rest, bool typeFollows) {
    if (rest.starts_with('"')) {
      rest.remove_prefix(1);
      return rest.substr(0, rest.find('"'));
    }
    const std::size_t last = rest.find_last_of(" \t");
    return typeFollows && last != std::string_view::npos ? Trim(rest.substr(0, last)) : rest;
  }

  // "mm:ss:ff": minutes without limit, seconds below 60, frames below 75.
  static std::optional<std::int64_t> Frames(std::string_view time) {
    std::int64_t fields[3] = {};
    for (int i = 0; i < 3; ++i) {
      const std::optional<Number> number = ReadNumber(time);
      if (!number) return std::nullopt;
      fields[i] = number->value;
      time.remove_prefix(number->end);
      if (i < 2 && !time.starts_with(':')) return std::nullopt;
      if (i < 2) time.remove_prefix(1);
    }
    constexpr std::int64_t kMostMinutes = 1'000'000'000;
    if (!Trim(time).empty() || fields[0] >= kMostMinutes || fields[1] >= 60 ||
        fields[2] >= kCueFramesPerSecond) {
      return std::nullopt;
    }
    return (fields[0] * 60 + fields[1]) * kCueFramesPerSecond + fields[2];
  }

  void Line(std::string_view line) override {
    const std::size_t space = std::min(line.find_first_of(" \t"), line.size());
    const std::string_view command = line.substr(0, space);
    const std::string_view rest = Trim(line.substr(space));
    if (EqualsNoCase(command, "file")) {
      m_file = Argument(rest, true);
      m_fileKept = false;
      m_hasFile = true;
    } else if (EqualsNoCase(command, "track")) {
      m_inTrack = Room(m_tracks.size());
      if (!m_inTrack) return;
      // Kept only once a track plays from it: memory goes with the tracks.
      if (m_hasFile && !std::exchange(m_fileKept, true)) m_files.push_back(m_file);
      const std::optional<Number> number = ReadNumber(rest);
      m_tracks.push_back({.number = number ? number->value : std::int64_t(m_tracks.size()) + 1,
                          .file = m_hasFile ? m_files.size() - 1 : kNoFile});
    } else if (m_inTrack && EqualsNoCase(command, "title")) {
      m_tracks.back().title = Text(Argument(rest, false));
    } else if (m_inTrack && EqualsNoCase(command, "index")) {
      const std::optional<Number> number = ReadNumber(rest);
      if (!number || number->value != 1 || m_tracks.back().start) return;
      m_tracks.back().start = Frames(Trim(rest.substr(number->end)));
    }
  }

  void Done() override {
    for (std::size_t i = 0; i < m_tracks.size(); ++i) {
      const Track& track = m_tracks[i];
      std::u16string number;
      for (const char digit : std::to_string(track.number)) number.push_back(digit);
      if (number.size() < 2) number.insert(0, 1, u'0');
      ListEntry entry{.track =
                          track.title.empty() ? u"Track " + number : number + u' ' + track.title};
      if (track.start) {
        std::size_t next = i + 1;
        while (next < m_tracks.size() && m_tracks[next].file == track.file &&
               !m_tracks[next].start) {
          ++next;
        }
        if (next < m_tracks.size() && m_tracks[next].file == track.file) {
          // Indexes out of order give no length.
          const std::int64_t frames = *m_tracks[next].start - *track.start;
          if (frames >= 0) entry.seconds = frames / kCueFramesPerSecond;
        } else if (track.file != kNoFile) {
          entry.location = m_files[track.file];
          entry.codePage = CodePage(entry.location);
          entry.toEndFrom = track.start;
        }
      }
      m_list.entries.push_back(std::move(entry));
    }
  }

  std::string m_file;  // of the last FILE line
  bool m_hasFile = false;
  bool m_fileKept = false;
  std::vector<std::string> m_files;
  std::vector<Track> m_tracks;
  bool m_inTrack = false;  // TITLE and INDEX belong to the last track
};

// <track> elements, each with its first <location> and its <duration> in milliseconds, in the
// order they come; comments, CDATA, attributes (quoted '>' included) and namespace prefixes are
// understood, anything else of XML is skipped over.
class XspfReader final : public ListParser::Reader {
 public:
  using Reader::Reader;

  void Bytes(std::string_view bytes) override {
    for (const char c : bytes) Byte(c);
  }
  // A track left open at the end of the text is left out.
  void End(bool whole) override { m_list.incomplete = m_list.incomplete || !whole; }

 private:
  enum class State { kText, kMarkup, kComment, kCData };
  enum class Capture { kNone, kLocation, kDuration };
  // Enough of a tag to hold any name this reader looks for, with a prefix.
  static constexpr std::size_t kMarkupKept = 64;

  void Byte(char c) {
    switch (m_state) {
      case State::kText:
        if (c == '<') {
          m_state = State::kMarkup;
          m_markup.clear();
          m_quote = 0;
          m_last = 0;
        } else {
          Keep(c);
        }
        return;
      case State::kMarkup:
        if (m_quote != 0) {
          if (c == m_quote) m_quote = 0;
          m_last = c;
          return;
        }
        if (c == '>') {
          m_state = State::kText;
          Tag();
          return;
        }
        if (c == '"' || c == '\'') m_quote = c;
        if (!IsSpace(c)) m_last = c;
        if (m_markup.size() < kMarkupKept) m_markup.push_back(c);
        if (m_markup == "!--") {
          m_state = State::kComment;
          m_run = 0;
        } else if (m_markup == "![CDATA[") {
          m_state = State::kCData;
          m_run = 0;
        }
        return;
      case State::kComment:
        if (c == '>' && m_run >= 2) m_state = State::kText;
        m_run = c == '-' ? m_run + 1 : 0;
        return;
      case State::kCData:
        if (c == ']') {
          ++m_run;
          return;
        }
        // "]]>" ends it; the brackets before those two are text.
        if (c == '>' && m_run >= 2) {
          KeepLiterally(']', m_run - 2);
          m_state = State::kText;
          return;
        }
        KeepLiterally(']', m_run);
        m_run = 0;
        KeepLiterally(c, 1);
        return;
    }
  }

  void Keep(char c) {
    if (m_capture == Capture::kNone) return;
    if (m_text.size() < kMaxListLine) {
      m_text.push_back(c);
    } else {
      m_textTooLong = true;
    }
  }
  // CDATA is not decoded: its "&" is kept as the reference that decodes back to it.
  void KeepLiterally(char c, std::size_t times) {
    for (std::size_t i = 0; i < times && !m_textTooLong; ++i) {
      if (c == '&') {
        for (const char e : std::string_view("&amp;")) Keep(e);
      } else {
        Keep(c);
      }
    }
  }

  void Tag() {
    std::string_view tag = m_markup;
    // Declarations, processing instructions and doctypes.
    if (tag.empty() || tag.front() == '!' || tag.front() == '?') return;
    const bool closing = tag.front() == '/';
    if (closing) tag.remove_prefix(1);
    std::string_view name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
    if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos) {
      name.remove_prefix(colon + 1);
    }
    if (closing) {
      Close();
    } else if (m_last != '/') {
      Open(name);
    }
  }

  void Open(std::string_view name) {
    ++m_depth;
    if (m_trackDepth == 0 && name == "track") {
      m_trackDepth = m_depth;
      m_location.reset();
      m_duration.reset();
    } else if (m_trackDepth != 0 && m_depth == m_trackDepth + 1 && m_capture == Capture::kNone) {
      // A track may name several locations of the same media: the first is taken.
      if (name == "location" && !m_location) m_capture = Capture::kLocation;
      if (name == "duration") m_capture = Capture::kDuration;
      m_captureDepth = m_depth;
    }
  }

  void Close() {
    if (m_capture != Capture::kNone && m_depth == m_captureDepth) EndCapture();
    if (m_trackDepth != 0 && m_depth == m_trackDepth) {
      m_trackDepth = 0;
      if (m_location) {
        const bool codePage = CodePage(*m_location);
        Add({.location = std::move(*m_location),
             .codePage = codePage,
             .uriReference = true,
             .seconds = m_duration});
      }
    }
    if (m_depth > 0) --m_depth;
  }

  void EndCapture() {
    if (m_textTooLong) {
      m_list.incomplete = true;
    } else {
      const std::string text = DecodeEntities(Trim(m_text));
      const std::optional<Number> ms = ReadNumber(text);
      if (m_capture == Capture::kLocation && !text.empty()) m_location = text;
      if (m_capture == Capture::kDuration && ms && ms->end == text.size() && ms->value > 0) {
        m_duration = ms->value / 1000;
      }
    }
    m_capture = Capture::kNone;
    m_text.clear();
    m_textTooLong = false;
  }

  State m_state = State::kText;
  std::string m_markup;   // the start of the tag being read
  char m_quote = 0;       // the quote of an attribute's value being read
  char m_last = 0;        // the last character of the tag but spaces: "/" closes it at once
  std::size_t m_run = 0;  // "-" in a row in a comment, "]" in a row in CDATA
  std::size_t m_depth = 0;
  std::size_t m_trackDepth = 0;  // 0 outside a track
  Capture m_capture = Capture::kNone;
  std::size_t m_captureDepth = 0;
  std::string m_text;
  bool m_textTooLong = false;
  std::optional<std::string> m_location;
  std::optional<std::int64_t> m_duration;
};

std::unique_ptr<ListParser::Reader> ReaderFor(ListFormat format, std::size_t maxEntries) {
  switch (format) {
    case ListFormat::kPls:
      return std::make_unique<PlsReader>(format, maxEntries);
    case ListFormat::kXspf:
      return std::make_unique<XspfReader>(format, maxEntries);
    case ListFormat::kCue:
      return std::make_unique<CueReader>(format, maxEntries);
    case ListFormat::kNone:
    case ListFormat::kM3u:
    case ListFormat::kM3u8:
      break;
  }
  return std::make_unique<M3uReader>(format, maxEntries);
}

}  // namespace

ListParser::ListParser(ListFormat format, std::size_t maxEntries)
    : m_reader(ReaderFor(format, maxEntries)) {}

ListParser::~ListParser() = default;

void ListParser::Feed(std::string_view bytes) {
  if (!m_headDone) {
    constexpr std::size_t kLongestMark = 3;
    const std::size_t take = std::min(bytes.size(), kLongestMark - m_head.size());
    m_head.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (m_head.size() < kLongestMark) return;
    StartText();
  }
  Pass(bytes);
}

void ListParser::StartText() {
  m_headDone = true;
  std::string_view head = m_head;
  if (head.starts_with("\xEF\xBB\xBF")) {
    head.remove_prefix(3);
  } else if (head.starts_with("\xFF\xFE")) {
    m_utf16 = Utf16::kLittleEndian;
    head.remove_prefix(2);
  } else if (head.starts_with("\xFE\xFF")) {
    m_utf16 = Utf16::kBigEndian;
    head.remove_prefix(2);
  }
  Pass(head);
}

void ListParser::Pass(std::string_view bytes) {
  if (m_utf16 == Utf16::kNo) {
    m_reader->Bytes(bytes);
    return;
  }
  // UTF-16 text goes on as UTF-8, which every reader reads.
  std::string text;
  text.reserve(bytes.size() * 3 / 2 + 4);
  for (const char byte : bytes) {
    m_odd.push_back(byte);
    if (m_odd.size() < 2) continue;
    const auto first = static_cast<unsigned char>(m_odd[0]);
    const auto second = static_cast<unsigned char>(m_odd[1]);
    m_odd.clear();
    const auto unit = static_cast<char16_t>(
        m_utf16 == Utf16::kLittleEndian ? first | (second << 8) : (first << 8) | second);
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (m_highSurrogate != 0 && low) {
      AppendUtf8(text, 0x10000 + ((m_highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
      m_highSurrogate = 0;
      continue;
    }
    if (m_highSurrogate != 0) AppendUtf8(text, 0xFFFD);
    m_highSurrogate = high ? unit : 0;
    if (!high) AppendUtf8(text, low ? 0xFFFD : unit);
  }
  m_reader->Bytes(text);
}

ParsedList ListParser::Finish(bool whole) {
  if (!m_headDone) StartText();
  if (m_highSurrogate != 0) m_reader->Bytes("\xEF\xBF\xBD");
  m_reader->End(whole);
  return m_reader->Take();
}

ParsedList ParseList(ListFormat format, std::string_view text, std::size_t maxEntries) {
  ListParser parser(format, maxEntries);
  parser.Feed(text);
  return parser.Finish();
}

}  // namespace drops
