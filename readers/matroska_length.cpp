// Matroska keeps its media in clusters, each with a timestamp, each block with a timestamp relative
// to its cluster's. Every element starts with its id and its size, so a reader can step from one
// cluster to the next by reading a dozen bytes each, never the data between: the last cluster's
// blocks tell where the file really ends, whatever its header states, and a timestamp lower than
// the one before shows where a new run of timestamps starts.
#include "readers/matroska_length.h"

#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <map>
#include <span>
#include <vector>

#include "io/byte_order.h"

namespace readers {
namespace {

constexpr std::uint32_t kEbmlHeader = 0x1A45DFA3;
constexpr std::uint32_t kSegment = 0x18538067;
constexpr std::uint32_t kCluster = 0x1F43B675;
// Children of a cluster.
constexpr std::uint32_t kTimestamp = 0xE7;
constexpr std::uint32_t kSimpleBlock = 0xA3;
constexpr std::uint32_t kBlockGroup = 0xA0;
constexpr std::array<std::uint32_t, 7> kOtherClusterChildren = {0xA7 /* Position */,
                                                                0xAB /* PrevSize */,
                                                                0x5854 /* SilentTracks */,
                                                                0xAF /* EncryptedBlock */,
                                                                0xBF /* CRC-32 */,
                                                                0xEC /* Void */,
                                                                0x8E /* Slices */};
// Children of a block group.
constexpr std::uint32_t kBlock = 0xA1;
constexpr std::uint32_t kBlockDuration = 0x9B;
// What else a segment holds beside its clusters; each is stepped over whole.
constexpr std::array<std::uint32_t, 9> kOtherSegmentChildren = {
    0x114D9B74 /* SeekHead */,    0x1549A966 /* Info */, 0x1654AE6B /* Tracks */,
    0x1C53BB6B /* Cues */,        0x1254C367 /* Tags */, 0x1043A770 /* Chapters */,
    0x1941A469 /* Attachments */, 0xEC /* Void */,       0xBF /* CRC-32 */};

// The index: the seek head says where the cues lie, the last cue point which cluster it leads to.
constexpr std::uint32_t kSeekHead = 0x114D9B74;
constexpr std::uint32_t kSeek = 0x4DBB;
constexpr std::uint32_t kSeekId = 0x53AB;
constexpr std::uint32_t kSeekPosition = 0x53AC;
constexpr std::uint32_t kCues = 0x1C53BB6B;
constexpr std::uint32_t kCuePoint = 0xBB;
constexpr std::uint32_t kCueTime = 0xB3;
constexpr std::uint32_t kCueTrackPositions = 0xB7;
constexpr std::uint32_t kCueClusterPosition = 0xF1;
// Larger seek heads and cues are not read; the clusters are stepped over instead.
constexpr std::int64_t kMaxSeekHeadBytes = 4096;
constexpr std::int64_t kMaxCuesBytes = 512 * 1024;
// The timestamp scale and the tracks: which are audio or video, and how long their frames last.
constexpr std::uint32_t kInfo = 0x1549A966;
constexpr std::uint32_t kTimestampScale = 0x2AD7B1;
constexpr std::uint32_t kTracks = 0x1654AE6B;
constexpr std::uint32_t kTrackEntry = 0xAE;
constexpr std::uint32_t kTrackNumber = 0xD7;
constexpr std::uint32_t kTrackType = 0x83;
constexpr std::uint32_t kDefaultDuration = 0x23E383;
constexpr std::uint64_t kVideoTrack = 1;
constexpr std::uint64_t kAudioTrack = 2;
constexpr std::uint64_t kDefaultTimestampScale = 1'000'000;
constexpr std::int64_t kMaxHeaderElementBytes = 256 * 1024;
constexpr std::int64_t kNanosPerMicro = 1000;
// Bounds that keep the arithmetic below from overflowing, far beyond any real file: a tick of at
// most a second, frames of at most an hour.
constexpr std::uint64_t kMaxTimestampScale = 1'000'000'000;
constexpr std::uint64_t kMaxFrameNanos = 3'600'000'000'000;

// Where an element may end at most, far beyond any file, so that positions cannot overflow.
constexpr std::int64_t kMaxElementEnd = std::int64_t{1} << 56;
// An id takes at most 4 bytes, a size at most 8.
constexpr std::size_t kHeaderBytes = 12;
// A block starts with its track number (at most 8 bytes), its 16-bit relative timestamp, its flags
// and, when laced, the count of frames less one.
constexpr std::size_t kBlockHeaderBytes = 12;

// What one file's walk may cost at most. A cluster holds a few seconds, so a film of several
// hours steps over a few thousand; only a hostile or very odd file runs out.
constexpr int kMaxSteps = 1 << 16;
constexpr std::int64_t kMaxBytes = 1 << 20;
// Read at a time while searching for the next cluster where the elements cannot be followed.
constexpr std::size_t kResyncBytes = 64 * 1024;
// Windows at the end searched for the start of the last cluster, when its size is not stated.
constexpr std::array<std::int64_t, 2> kTailWindows = {64 * 1024, 512 * 1024};

// An element's id (with its length marker, as Matroska's element tables write ids), where its data
// starts, and its size; no size when the writer did not know it (live streams).
struct Element {
  std::uint32_t id = 0;
  std::int64_t data = 0;
  std::optional<std::int64_t> size;
};

// The length of an EBML variable-length integer by its first byte; 0 for the invalid 0x00.
int VintLength(std::uint8_t first) { return first == 0 ? 0 : std::countl_zero(first) + 1; }

// The element whose header `bytes` start with, `pos` being where they lie; nullopt when they do
// not hold a whole header, or when its size reaches past `limit`.
std::optional<Element> ParseHeader(std::span<const std::uint8_t> bytes, std::int64_t pos,
                                   std::int64_t limit) {
  if (bytes.empty()) return std::nullopt;
  const int id_length = VintLength(bytes[0]);
  if (id_length == 0 || id_length > 4 || static_cast<std::size_t>(id_length) >= bytes.size()) {
    return std::nullopt;
  }
  Element element;
  for (int i = 0; i < id_length; ++i) element.id = (element.id << 8) | bytes[i];
  const int size_length = VintLength(bytes[id_length]);
  if (size_length == 0 || static_cast<std::size_t>(id_length + size_length) > bytes.size()) {
    return std::nullopt;
  }
  std::uint64_t size = bytes[id_length] & (0xFFu >> size_length);
  bool unknown = size == (0xFFu >> size_length);
  for (int i = 1; i < size_length; ++i) {
    size = (size << 8) | bytes[id_length + i];
    unknown = unknown && bytes[id_length + i] == 0xFF;
  }
  element.data = pos + id_length + size_length;
  if (!unknown) {
    if (size > static_cast<std::uint64_t>(limit - element.data)) return std::nullopt;
    element.size = static_cast<std::int64_t>(size);
  }
  return element;
}

// The unsigned integer of at most 8 bytes that `bytes` hold, big-endian.
std::optional<std::uint64_t> BigEndian(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > 8) return std::nullopt;
  return io::BigEndian(bytes);
}

// The children of the element that `bytes` hold the data of, `base` being where they lie.
std::vector<Element> Children(std::span<const std::uint8_t> bytes, std::int64_t base) {
  std::vector<Element> children;
  for (std::int64_t pos = base; pos < base + static_cast<std::int64_t>(bytes.size());) {
    const auto child = ParseHeader(bytes.subspan(static_cast<std::size_t>(pos - base)), pos,
                                   base + static_cast<std::int64_t>(bytes.size()));
    if (!child || !child->size) break;
    children.push_back(*child);
    pos = child->data + *child->size;
  }
  return children;
}

// Ticks of one frame of an audio or video track by its number, 0 when the track does not say;
// nullopt for any other track (subtitles, whose last line may stay up past the end, do not count).
using FrameTicks = std::function<std::optional<std::int64_t>(std::uint64_t track)>;

struct Block {
  std::uint64_t track = 0;
  std::int64_t timestamp = 0;
  std::int64_t frames = 1;
  std::optional<std::int64_t> duration;
};

class Walker {
 public:
  explicit Walker(const io::Source& file) : m_file(file) {}

  bool exhausted() const { return m_steps > kMaxSteps || m_bytes > kMaxBytes; }

  // The element whose header starts at `pos`; nullopt at the end of the file, for a header that
  // is not one, or once the walk has cost too much.
  std::optional<Element> ElementAt(std::int64_t pos) {
    std::array<std::uint8_t, kHeaderBytes> header{};
    const std::size_t got = Read(pos, header);
    // The last cluster of a file cut short reaches past its end; its blocks up to there count.
    return ParseHeader(std::span(header).first(got), pos, kMaxElementEnd);
  }

  // An unsigned integer element's value.
  std::optional<std::uint64_t> Unsigned(const Element& element) {
    std::array<std::uint8_t, 8> bytes{};
    if (!element.size || *element.size > 8) return std::nullopt;
    const auto length = static_cast<std::size_t>(*element.size);
    if (Read(element.data, std::span(bytes).first(length)) != length) return std::nullopt;
    return BigEndian(std::span(bytes).first(length));
  }

  // The data of an element of at most `most` bytes, read whole.
  std::optional<std::vector<std::uint8_t>> Data(const Element& element, std::int64_t most) {
    if (!element.size || *element.size > most) return std::nullopt;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(*element.size));
    if (Read(element.data, data) != data.size()) return std::nullopt;
    return data;
  }

  // A SimpleBlock's or Block's track, timestamp relative to its cluster, and frame count; nullopt
  // when the block does not lie wholly within the file.
  std::optional<Block> BlockAt(const Element& element) {
    std::array<std::uint8_t, kBlockHeaderBytes> header{};
    if (!element.size || element.data + *element.size > m_file.Size()) return std::nullopt;
    const std::size_t got = Read(element.data, header);
    const int track_length = VintLength(header[0]);
    if (track_length == 0 || static_cast<std::size_t>(track_length) + 4 > got) return std::nullopt;
    Block block;
    block.track = header[0] & (0xFFu >> track_length);
    for (int i = 1; i < track_length; ++i) block.track = (block.track << 8) | header[i];
    block.timestamp =
        static_cast<std::int16_t>((header[track_length] << 8) | header[track_length + 1]);
    const std::uint8_t flags = header[track_length + 2];
    if ((flags & 0x06) != 0) block.frames = header[track_length + 3] + 1;
    return block;
  }

  // Where the element ends: by its size, or for a cluster of unknown size, where the first element
  // that cannot be its child starts. nullopt when that cannot be told.
  std::optional<std::int64_t> End(const Element& element) {
    if (element.size) return element.data + *element.size;
    if (element.id != kCluster) return std::nullopt;
    std::int64_t pos = element.data;
    while (pos < m_file.Size()) {
      const auto child = ElementAt(pos);
      if (!child || !IsClusterChild(child->id)) return pos;
      if (!child->size) return std::nullopt;
      pos = child->data + *child->size;
    }
    return m_file.Size();
  }

  // The timestamp of the cluster that `element` is, from its Timestamp child, which comes first.
  std::optional<std::int64_t> ClusterTimestamp(const Element& element) {
    if (element.id != kCluster) return std::nullopt;
    std::int64_t pos = element.data;
    for (int child_count = 0; child_count < 4; ++child_count) {
      const auto child = ElementAt(pos);
      if (!child || !child->size) return std::nullopt;
      if (child->id == kTimestamp) {
        const auto value = Unsigned(*child);
        if (!value || *value > static_cast<std::uint64_t>(INT64_MAX / 2)) return std::nullopt;
        return static_cast<std::int64_t>(*value);
      }
      pos = child->data + *child->size;
    }
    return std::nullopt;
  }

  // The blocks of the cluster that starts at `element`, as far as the file holds them whole, or up
  // to the first at or after `until`.
  std::vector<Block> Blocks(const Element& cluster, std::int64_t cluster_timestamp,
                            std::int64_t until = INT64_MAX) {
    std::vector<Block> blocks;
    const std::int64_t end =
        cluster.size ? std::min(cluster.data + *cluster.size, m_file.Size()) : m_file.Size();
    std::int64_t pos = cluster.data;
    while (pos < end) {
      const auto child = ElementAt(pos);
      if (!child || !child->size || !IsClusterChild(child->id)) break;
      std::optional<Block> block;
      if (child->id == kSimpleBlock) {
        block = BlockAt(*child);
      } else if (child->id == kBlockGroup) {
        block = GroupBlock(*child);
      }
      if (block) {
        block->timestamp += cluster_timestamp;
        blocks.push_back(*block);
        if (block->timestamp >= until) break;
      }
      pos = child->data + *child->size;
    }
    return blocks;
  }

  // The first cluster that starts after `after`, found by its id and checked by its timestamp.
  std::optional<std::int64_t> ClusterAfter(std::int64_t after) {
    constexpr std::size_t kIdBytes = 4;
    std::vector<std::uint8_t> bytes(kResyncBytes);
    for (std::int64_t from = after + 1; from < m_file.Size() && !exhausted();
         from += static_cast<std::int64_t>(bytes.size() - kIdBytes)) {
      const std::size_t got = Read(from, bytes);
      for (std::size_t at = 0; at + kIdBytes <= got; ++at) {
        if (bytes[at] != 0x1F || bytes[at + 1] != 0x43 || bytes[at + 2] != 0xB6 ||
            bytes[at + 3] != 0x75) {
          continue;
        }
        const std::int64_t pos = from + static_cast<std::int64_t>(at);
        if (const auto cluster = ElementAt(pos); cluster && ClusterTimestamp(*cluster)) return pos;
      }
      if (got < bytes.size()) break;
    }
    return std::nullopt;
  }

  // The last cluster that starts within the last `window` bytes before `limit` and at or after
  // `from`, found by its id and checked by its timestamp.
  std::optional<std::int64_t> LastClusterIn(std::int64_t from, std::int64_t window) {
    const std::int64_t begin = std::max(from, m_file.Size() - window);
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(m_file.Size() - begin));
    tail.resize(Read(begin, tail));
    for (std::size_t at = tail.size() < 4 ? 0 : tail.size() - 3; at-- > 0;) {
      if (tail[at] != 0x1F || tail[at + 1] != 0x43 || tail[at + 2] != 0xB6 ||
          tail[at + 3] != 0x75) {
        continue;
      }
      const std::int64_t pos = begin + static_cast<std::int64_t>(at);
      if (const auto cluster = ElementAt(pos); cluster && ClusterTimestamp(*cluster)) return pos;
      if (exhausted()) break;
    }
    return std::nullopt;
  }

 private:
  static bool IsClusterChild(std::uint32_t id) {
    return id == kTimestamp || id == kSimpleBlock || id == kBlockGroup ||
           std::ranges::find(kOtherClusterChildren, id) != kOtherClusterChildren.end();
  }

  std::optional<Block> GroupBlock(const Element& group) {
    std::optional<Block> block;
    std::optional<std::int64_t> duration;
    const std::int64_t end = group.data + *group.size;
    for (std::int64_t pos = group.data; pos < end;) {
      const auto child = ElementAt(pos);
      if (!child || !child->size) break;
      if (child->id == kBlock) block = BlockAt(*child);
      if (child->id == kBlockDuration) {
        if (const auto value = Unsigned(*child); value && *value <= INT64_MAX / 2) {
          duration = static_cast<std::int64_t>(*value);
        }
      }
      pos = child->data + *child->size;
    }
    if (block) block->duration = duration;
    return block;
  }

  std::size_t Read(std::int64_t pos, std::span<std::uint8_t> into) {
    ++m_steps;
    if (exhausted() || pos < 0 || pos >= m_file.Size()) return 0;
    const std::int64_t got = m_file.ReadAt(pos, into);
    if (got <= 0) return 0;
    m_bytes += got;
    return static_cast<std::size_t>(got);
  }

  const io::Source& m_file;
  int m_steps = 0;
  std::int64_t m_bytes = 0;
};

// Where the last of `blocks` ends: a block lasts as long as its group says, else as many frames as
// it holds, each as long as its track says or as the closest timestamps of that track lie apart.
std::int64_t BlocksEnd(std::span<const Block> blocks, const FrameTicks& frame_ticks) {
  std::map<std::uint64_t, std::vector<const Block*>> by_track;
  for (const Block& block : blocks) by_track[block.track].push_back(&block);
  std::int64_t end = 0;
  for (auto& [track, list] : by_track) {
    const auto stated_frame = frame_ticks(track);
    if (!stated_frame) continue;
    std::ranges::sort(list, {}, &Block::timestamp);
    std::int64_t frame = std::max<std::int64_t>(*stated_frame, 0);
    for (std::size_t i = 1; frame == 0 && i < list.size(); ++i) {
      const std::int64_t gap = list[i]->timestamp - list[i - 1]->timestamp;
      if (gap > 0) frame = gap / list[i - 1]->frames;
    }
    for (std::size_t i = 1; i < list.size(); ++i) {
      const std::int64_t gap = list[i]->timestamp - list[i - 1]->timestamp;
      if (gap > 0) frame = std::min(frame, gap / list[i - 1]->frames);
    }
    for (const Block* block : list) {
      end = std::max(end, block->timestamp + block->duration.value_or(block->frames * frame));
    }
  }
  return end;
}

// The value of the first child of `element` with id `id`, as an unsigned integer.
std::optional<std::uint64_t> ChildUnsigned(std::span<const std::uint8_t> data, std::int64_t base,
                                           const Element& element, std::uint32_t id) {
  if (!element.size) return std::nullopt;
  const auto from = static_cast<std::size_t>(element.data - base);
  for (const Element& child :
       Children(data.subspan(from, static_cast<std::size_t>(*element.size)), element.data)) {
    if (child.id == id) {
      return BigEndian(data.subspan(static_cast<std::size_t>(child.data - base),
                                    static_cast<std::size_t>(*child.size)));
    }
  }
  return std::nullopt;
}

// Where the cues' last point leads: the position, from the segment's data, of a cluster near the
// end of the file, and the time of the block it points to in that cluster.
struct CuedCluster {
  std::int64_t position = 0;
  std::int64_t time = 0;
};

std::optional<CuedCluster> LastCueCluster(std::span<const std::uint8_t> cues, std::int64_t base) {
  std::optional<CuedCluster> last;
  for (const Element& point : Children(cues, base)) {
    if (point.id != kCuePoint) continue;
    const auto from = static_cast<std::size_t>(point.data - base);
    const auto bytes = cues.subspan(from, static_cast<std::size_t>(*point.size));
    const auto time = ChildUnsigned(cues, base, point, kCueTime);
    for (const Element& positions : Children(bytes, point.data)) {
      if (positions.id != kCueTrackPositions) continue;
      const auto cluster = ChildUnsigned(cues, base, positions, kCueClusterPosition);
      if (cluster && *cluster <= static_cast<std::uint64_t>(INT64_MAX / 2) &&
          (!last || static_cast<std::int64_t>(*cluster) > last->position)) {
        last = CuedCluster{.position = static_cast<std::int64_t>(*cluster),
                           .time = static_cast<std::int64_t>(std::min<std::uint64_t>(
                               time.value_or(0), static_cast<std::uint64_t>(INT64_MAX / 2)))};
      }
    }
  }
  return last;
}

// Where the seek head says the cues lie, from the segment's data.
std::optional<std::int64_t> CuesPosition(std::span<const std::uint8_t> seek_head,
                                         std::int64_t base) {
  for (const Element& seek : Children(seek_head, base)) {
    if (seek.id != kSeek) continue;
    const auto id = ChildUnsigned(seek_head, base, seek, kSeekId);
    const auto position = ChildUnsigned(seek_head, base, seek, kSeekPosition);
    if (id == kCues && position && *position <= static_cast<std::uint64_t>(INT64_MAX / 2)) {
      return static_cast<std::int64_t>(*position);
    }
  }
  return std::nullopt;
}

// Audio and video tracks by number, with their frames' nanoseconds (0 when not stated).
std::map<std::uint64_t, std::uint64_t> MediaTracks(std::span<const std::uint8_t> tracks,
                                                   std::int64_t base) {
  std::map<std::uint64_t, std::uint64_t> media;
  for (const Element& entry : Children(tracks, base)) {
    if (entry.id != kTrackEntry) continue;
    const auto number = ChildUnsigned(tracks, base, entry, kTrackNumber);
    const auto type = ChildUnsigned(tracks, base, entry, kTrackType);
    if (number && (type == kVideoTrack || type == kAudioTrack)) {
      media[*number] = ChildUnsigned(tracks, base, entry, kDefaultDuration).value_or(0);
    }
  }
  return media;
}

// Where the element after `element` starts, entering the segments of files written one after the
// other; nullopt at the end of what can be followed.
std::optional<std::int64_t> Next(Walker& walker, const Element& element) {
  if (element.id == kSegment) return element.data;
  if (element.id == kCluster || element.id == kEbmlHeader ||
      std::ranges::find(kOtherSegmentChildren, element.id) != kOtherSegmentChildren.end()) {
    return walker.End(element);
  }
  return std::nullopt;
}

// What the segment states before its first cluster.
struct SegmentHead {
  std::int64_t data = 0;  // where the segment's children start
  Element first_cluster;
  std::int64_t first_cluster_pos = 0;
  std::int64_t first_timestamp = 0;
  std::optional<std::int64_t> cues_pos;
  std::uint64_t scale = kDefaultTimestampScale;  // nanoseconds a tick
  std::optional<std::map<std::uint64_t, std::uint64_t>> tracks;
};

// The EBML header at `start`, then the segment's children up to its first cluster; nullopt when
// they are not a Matroska file's or hold no cluster.
std::optional<SegmentHead> ReadSegmentHead(Walker& walker, std::int64_t start) {
  const auto header = walker.ElementAt(start);
  if (!header || header->id != kEbmlHeader || !header->size) return std::nullopt;
  const auto segment = walker.ElementAt(header->data + *header->size);
  if (!segment || segment->id != kSegment) return std::nullopt;

  SegmentHead head;
  head.data = segment->data;
  for (std::optional<std::int64_t> pos = segment->data; pos;) {
    const auto element = walker.ElementAt(*pos);
    if (!element) return std::nullopt;
    if (element->id == kCluster) {
      head.first_cluster = *element;
      head.first_cluster_pos = *pos;
      const auto timestamp = walker.ClusterTimestamp(*element);
      if (!timestamp || head.scale == 0 || head.scale > kMaxTimestampScale) return std::nullopt;
      head.first_timestamp = *timestamp;
      return head;
    }
    if (element->id == kCues) {
      head.cues_pos = *pos;
    } else if (element->id == kInfo) {
      if (const auto data = walker.Data(*element, kMaxHeaderElementBytes)) {
        const Element info{.id = kInfo, .data = element->data, .size = element->size};
        head.scale =
            ChildUnsigned(*data, element->data, info, kTimestampScale).value_or(head.scale);
      }
    } else if (element->id == kTracks) {
      if (const auto data = walker.Data(*element, kMaxHeaderElementBytes)) {
        head.tracks = MediaTracks(*data, element->data);
      }
    } else if (element->id == kSeekHead && !head.cues_pos) {
      if (const auto data = walker.Data(*element, kMaxSeekHeadBytes)) {
        if (const auto at = CuesPosition(*data, element->data)) head.cues_pos = segment->data + *at;
      }
    }
    pos = Next(walker, *element);
  }
  return std::nullopt;
}

// Ticks of one frame of a track: as the track list states, 0 where it does not say; every track
// counts when there is no readable track list.
FrameTicks TrackFrameTicks(const SegmentHead& head) {
  return [&head](std::uint64_t track) {
    if (!head.tracks) return std::optional<std::int64_t>(0);
    const auto found = head.tracks->find(track);
    if (found == head.tracks->end()) return std::optional<std::int64_t>();
    return std::optional(
        static_cast<std::int64_t>(std::min(found->second, kMaxFrameNanos) / head.scale));
  };
}

// Ticks from the first cluster's timestamp to the end of the last block, walking the clusters
// from `from` to the end of the file. Runs of rising timestamps are added up; the run that `from`
// belongs to is taken to start where the first cluster does. nullopt when the walk cost too much
// or found no cluster.
std::optional<std::int64_t> WalkClusters(Walker& walker, const SegmentHead& head, std::int64_t from,
                                         std::int64_t file_size) {
  const FrameTicks frame_ticks = TrackFrameTicks(head);
  std::int64_t total = 0;
  std::int64_t run_start = head.first_timestamp;
  std::optional<Element> last;
  std::int64_t last_timestamp = head.first_timestamp;
  // A cluster whose timestamp falls below the one before while the cluster after it goes on from
  // that one has a damaged timestamp; it does not start a new run.
  const auto goes_on = [&](std::optional<std::int64_t> next) {
    const auto after = next ? walker.ElementAt(*next) : std::nullopt;
    const auto timestamp = after ? walker.ClusterTimestamp(*after) : std::nullopt;
    return timestamp && *timestamp >= last_timestamp;
  };
  for (std::optional<std::int64_t> pos = from; pos && *pos < file_size;) {
    const auto element = walker.ElementAt(*pos);
    const auto timestamp = element ? walker.ClusterTimestamp(*element) : std::nullopt;
    std::optional<std::int64_t> next;
    if (element && (element->id != kCluster || timestamp)) next = Next(walker, *element);
    // Only the last cluster of a file cut short reaches past its end, its blocks running to the
    // end; anything else that does was read where no element starts.
    if (next && *next > file_size) {
      next = element->id == kCluster
                 ? walker.End(Element{.id = kCluster, .data = element->data, .size = std::nullopt})
                 : std::nullopt;
    }
    if (timestamp && !(*timestamp < last_timestamp && last && goes_on(next))) {
      if (*timestamp < last_timestamp && last) {
        total += std::max<std::int64_t>(
            BlocksEnd(walker.Blocks(*last, last_timestamp), frame_ticks) - run_start, 0);
        run_start = *timestamp;
      }
      last = element;
      last_timestamp = *timestamp;
    }
    // Where the elements cannot be followed (a size that is wrong, something unknown), the walk
    // goes on at the next cluster after the last one, as players do.
    pos = next ? next : walker.ClusterAfter(last ? last->data : *pos);
  }
  if (walker.exhausted() || !last) return std::nullopt;
  const std::int64_t end =
      std::max(BlocksEnd(walker.Blocks(*last, last_timestamp), frame_ticks), last_timestamp);
  return total + std::max<std::int64_t>(end - run_start, 0);
}

// The cluster that the cues' last point leads to, when the file has cues and the point leads to a
// cluster after the first that holds a block at the cue's time: a cluster whose timestamp was
// damaged does not.
std::optional<std::int64_t> LastCuedCluster(Walker& walker, const SegmentHead& head) {
  const auto cues = head.cues_pos ? walker.ElementAt(*head.cues_pos) : std::nullopt;
  if (!cues || cues->id != kCues) return std::nullopt;
  const auto data = walker.Data(*cues, kMaxCuesBytes);
  if (!data) return std::nullopt;
  const auto cued = LastCueCluster(*data, cues->data);
  if (!cued || head.data + cued->position <= head.first_cluster_pos) return std::nullopt;
  const std::int64_t pos = head.data + cued->position;
  const auto cluster = walker.ElementAt(pos);
  const auto timestamp = cluster ? walker.ClusterTimestamp(*cluster) : std::nullopt;
  if (!timestamp) return std::nullopt;
  // The cued block is a key frame, with which writers start a cluster: a few blocks tell.
  const std::vector<Block> blocks = walker.Blocks(*cluster, *timestamp, cued->time);
  if (std::ranges::none_of(blocks, [&](const Block& b) { return b.timestamp == cued->time; })) {
    return std::nullopt;
  }
  return pos;
}

}  // namespace

std::optional<std::int64_t> MatroskaPlayMicros(const io::Source& file, std::int64_t start) {
  Walker walker(file);
  const std::optional<SegmentHead> head = ReadSegmentHead(walker, start);
  if (!head) return std::nullopt;

  // The last cue leads close to the end; without cues, every cluster is stepped over from the
  // first, which also finds runs that start again. Only a file whose clusters do not say their
  // size, and so cannot be stepped over, is searched from its end.
  std::optional<std::int64_t> ticks;
  if (const auto cued = LastCuedCluster(walker, *head)) {
    ticks = WalkClusters(walker, *head, *cued, file.Size());
  }
  if (!ticks) ticks = WalkClusters(walker, *head, head->first_cluster_pos, file.Size());
  for (const std::int64_t window : kTailWindows) {
    if (ticks) break;
    Walker tail(file);
    if (const auto last = tail.LastClusterIn(head->first_cluster.data, window)) {
      ticks = WalkClusters(tail, *head, *last, file.Size());
    }
  }
  if (!ticks) return std::nullopt;
  const auto nanos_per_tick = static_cast<std::int64_t>(head->scale);
  if (*ticks > INT64_MAX / nanos_per_tick) return INT64_MAX;
  return *ticks * nanos_per_tick / kNanosPerMicro;
}

}  // namespace readers
