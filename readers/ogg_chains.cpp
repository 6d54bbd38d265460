// Chained Ogg files measured from their pages. Every chain begins with the first pages (BOS) of
// its logical streams, whose first packets name the codec and the clock of its granule positions;
// a stream's last granule position is where its play ends. Chains carry serial numbers of their
// own, so the next chain begins at the first page whose serial belongs to none of the current
// chain's streams, which a bisection over byte offsets finds.
//
// The data comes from anywhere: a page counts only when its checksum matches, or, for a page too
// large for the window at hand, when the next page's header follows right behind it, so that the
// bytes "OggS" inside packet data are not taken for a page. Every read is counted against a
// budget, and chains, streams and probes are bounded.
#include "readers/ogg_chains.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "io/byte_order.h"

namespace readers {
namespace {

constexpr std::int64_t kHeaderBytes = 27;
constexpr std::int64_t kMaxHeaderBytes = kHeaderBytes + 255;
constexpr std::int64_t kMaxPageBytes = kMaxHeaderBytes + 255 * 255;
// What each probe of the bisection reads at a time, until it finds a page.
constexpr std::int64_t kProbeBytes = 2048;
// Read at each chain's start for its BOS pages, which hold a short packet each.
constexpr std::int64_t kBeginBytes = 2048;
// Pages walked behind them to the first page of audio or video of each stream: past comments with
// cover pictures of several megabytes.
constexpr int kHeadPages = 128;
// Windows before a chain's end in which its last pages are sought, each larger than the last: a
// film's last video pages can be large.
constexpr std::array<std::int64_t, 3> kTailWindows = {16 * 1024, 128 * 1024, 512 * 1024};
// Read at each step of a walk from page to page.
constexpr std::int64_t kWalkBytes = 512;
// The bisection hands over to a walk when this many of the largest pages seen span the rest.
constexpr std::int64_t kWalkPages = 16;
// Frames a Speex packet is taken to hold at most, so that products of header fields cannot
// overflow; encoders put up to 10 in one.
constexpr std::int64_t kMaxSpeexFrames = 1 << 16;
constexpr int kMaxChains = 256;
constexpr std::size_t kMaxStreams = 32;
constexpr std::int64_t kMicros = 1'000'000;

constexpr std::uint8_t kBeginFlag = 2;

struct Page {
  std::int64_t offset = 0;
  std::uint8_t flags = 0;
  // -1 when no packet ends on the page.
  std::int64_t granule = -1;
  std::uint32_t serial = 0;
  std::uint32_t crc = 0;
  std::int64_t header_bytes = 0;
  std::int64_t body_bytes = 0;
  std::int64_t packets_ended = 0;

  std::int64_t bytes() const { return header_bytes + body_bytes; }
  std::int64_t end() const { return offset + bytes(); }
};

// The page header at the start of `bytes` (which lie at `offset`), when they hold all of it and it
// is one: capture pattern, version 0, no flags but the three defined.
std::optional<Page> ParseHeader(std::span<const std::uint8_t> bytes, std::int64_t offset) {
  if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), "OggS", 4) != 0 || bytes[4] != 0 ||
      (bytes[5] & ~7) != 0) {
    return std::nullopt;
  }
  const std::size_t segments = bytes[26];
  if (bytes.size() < kHeaderBytes + segments) return std::nullopt;
  Page page{.offset = offset,
            .flags = bytes[5],
            .granule = static_cast<std::int64_t>(io::LittleEndian({&bytes[6], 8})),
            .serial = static_cast<std::uint32_t>(io::LittleEndian({&bytes[14], 4})),
            .crc = static_cast<std::uint32_t>(io::LittleEndian({&bytes[22], 4})),
            .header_bytes = kHeaderBytes + static_cast<std::int64_t>(segments)};
  for (std::size_t i = 0; i < segments; ++i) {
    const std::uint8_t lacing = bytes[kHeaderBytes + i];
    page.body_bytes += lacing;
    if (lacing < 255) ++page.packets_ended;
  }
  return page;
}

// The page checksum: CRC-32 with polynomial 0x04C11DB7, unreflected, over the page with its own
// checksum field taken as zero.
std::uint32_t PageCrc(std::span<const std::uint8_t> page) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t r = i << 24;
      for (int bit = 0; bit < 8; ++bit) r = (r << 1) ^ ((r & 0x80000000U) ? 0x04C11DB7U : 0);
      t[i] = r;
    }
    return t;
  }();
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < page.size(); ++i) {
    const std::uint8_t byte = (i >= 22 && i < 26) ? 0 : page[i];
    crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
  }
  return crc;
}

// Reads of the Ogg data, which starts at `start` of the file, counted against the budget. The last
// window is kept, as the pages near a probe are walked one after another.
class Reader {
 public:
  Reader(const io::Source& file, std::int64_t start)
      : m_file(file), m_start(start), m_size(file.Size() - start) {}

  std::int64_t size() const { return m_size; }
  bool failed() const { return m_failed; }

  // Up to `count` bytes from `offset`: fewer at the end of the data, none once a read failed or
  // the budget ran out.
  std::vector<std::uint8_t> Read(std::int64_t offset, std::int64_t count) {
    count = std::clamp<std::int64_t>(count, 0, std::max<std::int64_t>(m_size - offset, 0));
    const auto cached = static_cast<std::int64_t>(m_window.size());
    if (offset >= m_windowOffset && offset - m_windowOffset <= cached - count) {
      const auto from = m_window.begin() + (offset - m_windowOffset);
      return {from, from + count};
    }
    if (m_failed || count > m_budget) {
      m_failed = true;
      return {};
    }
    m_budget -= count;
    m_window.resize(static_cast<std::size_t>(count));
    const std::int64_t got = m_file.ReadAt(m_start + offset, m_window);
    if (got < 0) {
      m_failed = true;
      m_window.clear();
      return {};
    }
    m_window.resize(static_cast<std::size_t>(std::min(got, count)));
    m_windowOffset = offset;
    return m_window;
  }

 private:
  const io::Source& m_file;
  const std::int64_t m_start;
  const std::int64_t m_size;
  std::int64_t m_budget = kOggChainReadBudget;
  bool m_failed = false;
  std::int64_t m_windowOffset = 0;
  std::vector<std::uint8_t> m_window;
};

bool CrcMatches(const Page& page, std::span<const std::uint8_t> bytes) {
  return PageCrc(bytes.first(static_cast<std::size_t>(page.bytes()))) == page.crc;
}

// The first page starting in [from, until) that checks out; a valid stream has one in every
// kMaxPageBytes, so the search ends there.
std::optional<Page> FindPage(Reader& reader, std::int64_t from, std::int64_t until) {
  until = std::min({until, reader.size(), from + kMaxPageBytes});
  for (std::int64_t at = from; at < until; at += kProbeBytes) {
    // The window reaches a whole header past its last candidate.
    const std::vector<std::uint8_t> bytes = reader.Read(at, kProbeBytes + kMaxHeaderBytes);
    const auto candidates = static_cast<std::size_t>(std::min(until - at, kProbeBytes));
    for (std::size_t i = 0; i < candidates && i < bytes.size(); ++i) {
      if (bytes[i] != 'O') continue;
      const std::span<const std::uint8_t> rest = std::span(bytes).subspan(i);
      const auto page = ParseHeader(rest, at + static_cast<std::int64_t>(i));
      if (!page || page->end() > reader.size()) continue;
      if (page->bytes() <= static_cast<std::int64_t>(rest.size())) {
        if (CrcMatches(*page, rest)) return page;
        continue;
      }
      // Too large to check here: the next page must follow right behind, or the data end there.
      const std::vector<std::uint8_t> next = reader.Read(page->end(), kMaxHeaderBytes);
      if (page->end() == reader.size() || ParseHeader(next, page->end())) return page;
    }
    if (reader.failed()) return std::nullopt;
  }
  return std::nullopt;
}

// The pages lying wholly in [from, until) whose checksums match, in file order, with their bytes.
struct Scan {
  std::int64_t offset = 0;
  std::vector<std::uint8_t> bytes;
  std::vector<Page> pages;

  std::span<const std::uint8_t> Body(const Page& page) const {
    return std::span(bytes).subspan(
        static_cast<std::size_t>(page.offset - offset + page.header_bytes),
        static_cast<std::size_t>(page.body_bytes));
  }
};

Scan ScanPages(Reader& reader, std::int64_t from, std::int64_t until) {
  Scan scan;
  scan.offset = from;
  scan.bytes = reader.Read(from, until - from);
  const std::span<const std::uint8_t> bytes(scan.bytes);
  for (std::size_t i = 0; i + kHeaderBytes <= bytes.size();) {
    const auto page = ParseHeader(bytes.subspan(i), from + static_cast<std::int64_t>(i));
    if (page && page->bytes() <= static_cast<std::int64_t>(bytes.size() - i) &&
        CrcMatches(*page, bytes.subspan(i))) {
      scan.pages.push_back(*page);
      i += static_cast<std::size_t>(page->bytes());
    } else {
      ++i;
    }
  }
  return scan;
}

// A logical stream of a chain, and what its pages told of its play.
struct Stream {
  std::uint32_t serial = 0;
  // Granule units a second, as a fraction; 0 for streams that are not timed (unknown codecs,
  // Skeleton, headers that make no sense).
  std::int64_t units_num = 0;
  std::int64_t units_den = 1;
  // Theora packs its frame count into two fields; -1 for every other codec.
  int keyframe_shift = -1;
  // Older Theora streams count frames from 0.
  std::int64_t frame_offset = 0;
  std::int64_t pre_skip = 0;
  // The most one packet can add to the granule position.
  std::int64_t max_units_per_packet = 0;

  // Opus packets tell their durations, which vary from 2.5 to 120 ms.
  bool opus = false;

  std::optional<std::int64_t> first_granule;
  // The most that the packets ending on the first page of audio or video can hold.
  std::int64_t first_page_units = 0;
  std::optional<std::int64_t> last_granule;

  bool timed() const { return units_num > 0 && units_den > 0 && max_units_per_packet > 0; }

  std::int64_t Units(std::int64_t granule) const {
    if (keyframe_shift < 0) return granule;
    const std::int64_t mask = (std::int64_t{1} << keyframe_shift) - 1;
    std::int64_t frames = 0;
    // A count past any real one; ChainMicros refuses it.
    if (__builtin_add_overflow(granule >> keyframe_shift, (granule & mask) + frame_offset,
                               &frames)) {
      return std::numeric_limits<std::int64_t>::max();
    }
    return frames;
  }
};

bool StartsWith(std::span<const std::uint8_t> packet, std::string_view magic, std::size_t size) {
  return packet.size() >= size && std::memcmp(packet.data(), magic.data(), magic.size()) == 0;
}

// Reads the codec and its clock from a stream's first packet.
Stream DescribeStream(std::uint32_t serial, std::span<const std::uint8_t> packet) {
  Stream stream;
  stream.serial = serial;
  const std::uint8_t* p = packet.data();
  if (StartsWith(packet, "\x01vorbis", 30)) {
    const int long_block = p[28] >> 4;
    stream.units_num = static_cast<std::uint32_t>(io::LittleEndian({p + 12, 4}));
    if (long_block >= 6 && long_block <= 13) stream.max_units_per_packet = (1 << long_block) / 2;
  } else if (StartsWith(packet, "OpusHead", 19)) {
    stream.units_num = 48000;
    stream.pre_skip = p[10] | p[11] << 8;
    stream.max_units_per_packet = 5760;  // 120 ms
    stream.opus = true;
  } else if (StartsWith(packet,
                        "\x7F"
                        "FLAC",
                        51) &&
             std::memcmp(p + 9, "fLaC", 4) == 0) {
    const std::uint32_t max_block = static_cast<std::uint32_t>(io::BigEndian({p + 19, 2}));
    stream.units_num = std::int64_t{p[27]} << 12 | p[28] << 4 | p[29] >> 4;
    stream.max_units_per_packet = max_block > 0 ? max_block : 65535;
  } else if (StartsWith(packet, "Speex   ", 80)) {
    stream.units_num = static_cast<std::uint32_t>(io::LittleEndian({p + 36, 4}));
    const auto frame_size = static_cast<std::int64_t>(io::LittleEndian({p + 56, 4}));
    const auto frames_per_packet = static_cast<std::int64_t>(io::LittleEndian({p + 64, 4}));
    stream.max_units_per_packet =
        frame_size * std::clamp<std::int64_t>(frames_per_packet, 1, kMaxSpeexFrames);
  } else if (StartsWith(packet, "\x80theora", 42)) {
    stream.units_num = static_cast<std::uint32_t>(io::BigEndian({p + 22, 4}));
    stream.units_den = static_cast<std::uint32_t>(io::BigEndian({p + 26, 4}));
    stream.keyframe_shift = (p[40] & 0x03) << 3 | p[41] >> 5;
    const std::uint32_t version = std::uint32_t{p[7]} << 16 | p[8] << 8 | p[9];
    stream.frame_offset = version < 0x030201 ? 1 : 0;
    stream.max_units_per_packet = 1;
  }
  return stream;
}

// Samples at 48 kHz of an Opus packet, by its table-of-contents byte.
std::int64_t OpusPacketSamples(std::span<const std::uint8_t> packet) {
  if (packet.empty()) return 0;
  const int config = packet[0] >> 3;
  constexpr std::array<std::int64_t, 4> kSilk = {480, 960, 1920, 2880};
  constexpr std::array<std::int64_t, 4> kCelt = {120, 240, 480, 960};
  const std::int64_t frame = config < 12   ? kSilk[config & 3]
                             : config < 16 ? 480 * (1 + (config & 1))
                                           : kCelt[config & 3];
  const int code = packet[0] & 3;
  const std::int64_t frames = code == 0           ? 1
                              : code < 3          ? 2
                              : packet.size() > 1 ? packet[1] & 0x3F
                                                  : 0;
  return std::min<std::int64_t>(frames * frame, 5760);
}

// Samples at 48 kHz of the Opus packets that end on `page`, whose bytes start with `bytes`.
// Encoders keep to one frame size, so the first packet's stands for all of them; a packet begun on
// an earlier page counts as long as a packet can be.
std::int64_t OpusPageSamples(const Page& page, std::span<const std::uint8_t> bytes) {
  const auto body = static_cast<std::size_t>(page.header_bytes);
  if ((page.flags & 1) != 0 || bytes.size() <= body) return page.packets_ended * 5760;
  return page.packets_ended * OpusPacketSamples(bytes.subspan(body));
}

struct Chain {
  std::int64_t begin = 0;
  // Where the last of its pages read with its headers ends.
  std::int64_t head_end = 0;
  std::vector<Stream> streams;

  Stream* Find(std::uint32_t serial) {
    const auto it = std::find_if(streams.begin(), streams.end(),
                                 [serial](const Stream& s) { return s.serial == serial; });
    return it == streams.end() ? nullptr : &*it;
  }
};

// The page at `at`, where the previous one ended, else the first found after it.
std::optional<Page> NextPage(Reader& reader, std::int64_t at, std::int64_t until) {
  // Pages followed one by one: a read reaches past the next header, so that small pages are walked
  // without a read of their own.
  const std::vector<std::uint8_t> bytes = reader.Read(at, kWalkBytes);
  if (const auto page = ParseHeader(bytes, at); page && page->end() <= reader.size()) {
    const std::vector<std::uint8_t> next = reader.Read(page->end(), kWalkBytes);
    if (page->end() == reader.size() || ParseHeader(next, page->end())) return page;
  }
  return FindPage(reader, at, until);
}

// The chain whose first page lies at `begin`: its streams from its BOS pages, and the first
// granule position of each that the following pages show. nullopt when no BOS page lies there.
std::optional<Chain> ReadChainHead(Reader& reader, std::int64_t begin) {
  const Scan scan = ScanPages(reader, begin, begin + kBeginBytes);
  Chain chain;
  chain.begin = chain.head_end = begin;
  for (const Page& page : scan.pages) {
    if (page.offset != chain.head_end || (page.flags & kBeginFlag) == 0) break;
    if (chain.Find(page.serial) || chain.streams.size() == kMaxStreams) return std::nullopt;
    // The BOS page holds the stream's first packet and nothing else.
    chain.streams.push_back(DescribeStream(page.serial, scan.Body(page)));
    chain.head_end = page.end();
  }
  if (chain.streams.empty()) return std::nullopt;
  // Header pages carry granule position 0, so a stream's first page with more is its first page of
  // audio or video. The other headers, cover pictures in comments among them, are walked past.
  auto missing = std::count_if(chain.streams.begin(), chain.streams.end(),
                               [](const Stream& s) { return s.timed(); });
  for (int pages = 0; missing > 0 && pages < kHeadPages; ++pages) {
    const auto page = NextPage(reader, chain.head_end, reader.size());
    if (!page || page->offset != chain.head_end || (page->flags & kBeginFlag) != 0) break;
    Stream* stream = chain.Find(page->serial);
    if (stream == nullptr) break;
    if (page->granule > 0 && !stream->first_granule) {
      stream->first_granule = page->granule;
      stream->first_page_units = stream->opus
                                     ? OpusPageSamples(*page, reader.Read(page->offset, kWalkBytes))
                                     : page->packets_ended * stream->max_units_per_packet;
      if (stream->timed()) --missing;
    }
    chain.head_end = page->end();
  }
  return chain;
}

// The pages that end by `end`, walked from the first found behind `from`.
std::vector<Page> PagesBefore(Reader& reader, std::int64_t from, std::int64_t end) {
  std::vector<Page> pages;
  for (auto page = FindPage(reader, from, end); page && page->end() <= end && !reader.failed();
       page = NextPage(reader, page->end(), end)) {
    pages.push_back(*page);
  }
  return pages;
}

// The last pages of the data, found in ever larger windows before its end.
std::vector<Page> LastPages(Reader& reader) {
  for (const std::int64_t window : kTailWindows) {
    const std::int64_t from = std::max<std::int64_t>(reader.size() - window, 0);
    std::vector<Page> pages = PagesBefore(reader, from, reader.size());
    if (!pages.empty() || from == 0) return pages;
  }
  return {};
}

// Where a chain ends, and the pages walked up to there.
struct Boundary {
  std::int64_t end = 0;
  std::vector<Page> last_pages;
};

// Where the chain ends: where the next one begins, or the end of the data for the chain that the
// last pages belong to. nullopt when the pages there cannot be found. `probed` holds the pages
// that earlier bisections found, and takes this one's.
std::optional<Boundary> ChainEnd(Reader& reader, Chain& chain, const std::vector<Page>& last,
                                 std::vector<Page>& probed) {
  if (chain.Find(last.back().serial)) return Boundary{reader.size(), last};
  // `low` is the end of a page of this chain, and the next chain begins by `high`. Walking costs a
  // small read a page and a probe half a page on average, so the walk takes over from the
  // bisection a few dozen pages before the end.
  std::int64_t low = chain.head_end;
  std::int64_t high = reader.size();
  std::int64_t largest_page = 0;
  for (const Page& page : probed) {
    if (page.offset < chain.head_end) continue;
    largest_page = std::max(largest_page, page.bytes());
    if (chain.Find(page.serial)) {
      low = std::max(low, page.end());
    } else {
      high = std::min(high, page.offset);
    }
  }
  while (high - low > std::max(2 * kProbeBytes, kWalkPages * largest_page) && !reader.failed()) {
    const std::int64_t middle = low + (high - low) / 2;
    const auto page = FindPage(reader, middle, high);
    if (!page) {
      high = middle;
      continue;
    }
    probed.push_back(*page);
    largest_page = std::max(largest_page, page->bytes());
    if (chain.Find(page->serial)) {
      low = page->end();
    } else {
      high = page->offset;
    }
  }
  Boundary boundary;
  for (auto page = NextPage(reader, low, reader.size()); page && !reader.failed();
       page = NextPage(reader, page->end(), reader.size())) {
    if (!chain.Find(page->serial)) {
      boundary.end = page->offset;
      return boundary;
    }
    boundary.last_pages.push_back(*page);
  }
  return std::nullopt;
}

// Whether `page`'s granule position can follow `before` in `stream`: never lower, and no further
// on than the packets that end on the page can carry it. A damaged last page (a granule position
// of 0, or of 2^62) would otherwise decide the length.
bool Follows(const Stream& stream, std::int64_t before, const Page& page) {
  if (!stream.timed()) return true;
  const std::int64_t from = stream.Units(before);
  const std::int64_t to = stream.Units(page.granule);
  return to >= from && to - from <= page.packets_ended * stream.max_units_per_packet;
}

// Takes the granule positions of the pages of the chain's streams; whether a timed stream had one.
// A damaged page of Opus, whose packets tell their length, counts those.
bool TakeGranules(Reader& reader, Chain& chain, const std::vector<Page>& pages) {
  bool timed = false;
  for (const Page& page : pages) {
    Stream* stream = chain.Find(page.serial);
    if (!stream || page.granule < 0) continue;
    if (!stream->last_granule || Follows(*stream, *stream->last_granule, page)) {
      stream->last_granule = page.granule;
    } else if (stream->opus) {
      *stream->last_granule += OpusPageSamples(page, reader.Read(page.offset, kWalkBytes));
    } else {
      continue;
    }
    timed = timed || stream->timed();
  }
  return timed;
}

// The last granule position of each of the chain's streams, from the pages before its end. Pages
// are written in the order of their times, so the stream that plays longest shows up first.
void ReadLastGranules(Reader& reader, Chain& chain, const Boundary& boundary) {
  if (TakeGranules(reader, chain, boundary.last_pages)) return;
  for (const std::int64_t window : kTailWindows) {
    const std::int64_t from = std::max(chain.begin, boundary.end - window);
    if (TakeGranules(reader, chain, PagesBefore(reader, from, boundary.end)) ||
        from == chain.begin || reader.failed()) {
      return;
    }
  }
}

// Microseconds the chain of `bytes` plays: its longest timed stream. nullopt when it has no timed
// stream, or one states more than its pages can hold.
std::optional<std::int64_t> ChainMicros(const Chain& chain, std::int64_t bytes) {
  std::optional<std::int64_t> longest;
  for (const Stream& stream : chain.streams) {
    if (!stream.timed()) continue;
    longest = longest.value_or(0);
    if (!stream.last_granule) continue;
    // A recording that joined a stream in its middle starts at a granule position far above what
    // its first page can hold: it starts at most that much before the first page's end.
    std::int64_t start = 0;
    if (stream.first_granule) {
      const std::int64_t first = stream.Units(*stream.first_granule);
      if (first > stream.first_page_units) start = first - stream.first_page_units;
    }
    const std::int64_t units = stream.Units(*stream.last_granule) - start - stream.pre_skip;
    if (units <= 0) continue;
    // Every packet takes at least one lacing byte.
    if (units / stream.max_units_per_packet > bytes) return std::nullopt;
    std::int64_t micros = 0;
    if (__builtin_mul_overflow(units, kMicros, &micros) ||
        __builtin_mul_overflow(micros, stream.units_den, &micros)) {
      return std::nullopt;
    }
    longest = std::max(*longest, micros / stream.units_num);
  }
  return longest;
}

}  // namespace

std::optional<std::int64_t> ChainedOggMicros(const io::Source& file, std::int64_t start) {
  if (start < 0 || start >= file.Size()) return std::nullopt;
  Reader reader(file, start);
  const std::int64_t size = reader.size();
  std::optional<Chain> chain = ReadChainHead(reader, 0);
  if (!chain) return std::nullopt;
  const std::vector<Page> last_pages = LastPages(reader);
  if (last_pages.empty()) return std::nullopt;

  std::int64_t total = 0;
  std::vector<Page> probed;
  for (int chains = 0; chains < kMaxChains; ++chains) {
    const auto boundary = ChainEnd(reader, *chain, last_pages, probed);
    if (!boundary) return std::nullopt;
    ReadLastGranules(reader, *chain, *boundary);
    const auto micros = ChainMicros(*chain, boundary->end - chain->begin);
    if (!micros || reader.failed() || __builtin_add_overflow(total, *micros, &total)) {
      return std::nullopt;
    }
    if (boundary->end == size) return total;
    chain = ReadChainHead(reader, boundary->end);
    if (!chain) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace readers
