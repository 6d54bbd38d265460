// Play lengths of audio and video files from their containers, read with FFmpeg's demuxers, or
// for Ogg and FLAC files, whose own pages and frames tell more for fewer bytes, with Tallimo's.
//
// The files come from anywhere and the demuxers are a large attack surface, so FFmpeg gets as
// little as possible: the bytes of one regular file that the window's process opened, as a view
// (no protocol, no file name to open), an allow-list of audio and video demuxers, no
// opening of anything else, no decoding, and a cap on what it may read. A drop of many files must
// not keep the window waiting, and a file on a network share pays a round trip for every read,
// so only headers are read, each byte at most once: a leading ID3v2 tag (where cover pictures
// live) is skipped by starting the view behind it.
#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "io/byte_order.h"
#include "readers/container_length.h"
#include "readers/cover_art.h"
#include "readers/file_sniff.h"
#include "readers/flac_length.h"
#include "readers/matroska_length.h"
#include "readers/mpeg_video_length.h"
#include "readers/ogg_chains.h"
#include "readers/read_once.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
#include <libavutil/log.h>
}

namespace readers {
namespace {

// Demuxers of audio and video containers, from readers/demuxers.txt. Everything else FFmpeg reads
// is refused even when its probe wins.
constexpr char kDemuxers[] = TALLIMO_DEMUXERS;

// Demuxers whose packets carry the file's own timestamps and that find their footing again after a
// jump into the middle of the data, so that the last packets of the file tell where it ends.
constexpr char kTimestampedDemuxers[] = "asf,flac,flv,matroska,mpeg,mpegts";

// Demuxers that measure the stated length themselves at the end of the file (Ogg's last granule
// position), so that it already shows a file cut short and needs no check.
constexpr char kEndMeasuredDemuxers[] = "ogg";

// Small reads: headers are small, and every byte read beyond them is wasted.
constexpr int kBufferBytes = 4096;
// Media files are recognised within their first few kilobytes; anything else is given up on here.
// Below this, the MP3 reader, chosen by the name alone for random bytes, searches them for frames
// until the read budget runs out.
constexpr int kProbeBytes = 128 * 1024;
// What one file may cost at most, whatever its demuxer makes of it: the index of a long film fits.
constexpr std::int64_t kReadBudget = 16 * 1024 * 1024;
// Leading ID3v2 tags skipped at most; each needs a read of its own.
constexpr int kMaxId3v2Tags = 16;

// The first packets, from which the byte rate of a file without a stated length is measured.
constexpr int kHeadPackets = 64;
constexpr std::int64_t kHeadBytes = 256 * 1024;
// Windows at the end of the file searched for the last timestamps, each larger than the last.
constexpr std::array<std::int64_t, 3> kTailWindows = {16 * 1024, 256 * 1024, 1024 * 1024};
// A stated length is refused when the file holds less than this fraction of the bytes it needs at
// the rate of its first packets. Variable bit rates keep the factor generous: a loud start may
// well run at twice the average rate.
constexpr std::int64_t kRateSlack = 4;

constexpr std::int64_t kMicros = AV_TIME_BASE;
// AV_TIME_BASE_Q is a C compound literal, which C++ compilers accept only as an extension.
constexpr AVRational kMicrosBase = {1, AV_TIME_BASE};
// The fewest bytes a second of any format read here takes: AMR-NB at 4.75 kb/s, Speex at 2.15 kb/s
// and Opus at 6 kb/s need 270 bytes or more, and even a silence sent as comfort noise frames still
// takes about 50. A length for which the file has fewer cannot be.
constexpr std::int64_t kFewestBytesPerSecond = 16;
// How close to the stated end an index must reach to vouch for it.
constexpr std::int64_t kIndexReach = 10 * kMicros;

// The longest play that `bytes` of media can hold.
std::int64_t LongestPlausible(std::int64_t bytes) {
  return bytes > std::numeric_limits<std::int64_t>::max() / kMicros
             ? std::numeric_limits<std::int64_t>::max()
             : bytes * kMicros / kFewestBytesPerSecond;
}

// The part of a regular file that FFmpeg sees, from `start` to the end.
struct FileView {
  const io::Source* file = nullptr;  // with its cover pictures masked
  std::int64_t start = 0;
  std::int64_t size = 0;
  std::int64_t pos = 0;
  std::int64_t budget = kReadBudget;
  // An MP3 stream's Xing header, when its counts agree with the file.
  std::optional<XingHeader> xing;
};

int ReadView(void* opaque, std::uint8_t* buffer, int wanted) {
  auto& view = *static_cast<FileView*>(opaque);
  const std::int64_t left = std::min(view.size - view.pos, view.budget);
  if (left <= 0 || wanted <= 0) return AVERROR_EOF;
  const auto count = static_cast<std::size_t>(std::min<std::int64_t>(wanted, left));
  const std::int64_t got = view.file->ReadAt(view.start + view.pos, {buffer, count});
  if (got < 0) return AVERROR(EIO);
  if (got == 0) return AVERROR_EOF;
  view.pos += got;
  view.budget -= got;
  return static_cast<int>(got);
}

std::int64_t SeekView(void* opaque, std::int64_t offset, int whence) {
  auto& view = *static_cast<FileView*>(opaque);
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return view.size;
  std::int64_t base = 0;
  if (whence == SEEK_CUR) {
    base = view.pos;
  } else if (whence == SEEK_END) {
    base = view.size;
  } else if (whence != SEEK_SET) {
    return AVERROR(EINVAL);
  }
  if (offset < -base || offset > std::numeric_limits<std::int64_t>::max() - base) {
    return AVERROR(EINVAL);
  }
  view.pos = base + offset;
  return view.pos;
}

// Playlists, references in MP4 files and the like ask FFmpeg to open further files or URLs.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

struct IoContextFree {
  void operator()(AVIOContext* io) const {
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
};
struct FormatContextClose {
  void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using IoContext = std::unique_ptr<AVIOContext, IoContextFree>;
using FormatContext = std::unique_ptr<AVFormatContext, FormatContextClose>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;

// Cover pictures come as video streams that hold one still image.
bool IsMedia(const AVStream& stream) {
  const AVMediaType type = stream.codecpar->codec_type;
  return (type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_VIDEO) &&
         (stream.disposition & AV_DISPOSITION_ATTACHED_PIC) == 0;
}

// Microseconds of `value` in `base`; nullopt for unknown or overflowing values.
std::optional<std::int64_t> Micros(std::int64_t value, AVRational base) {
  if (value == AV_NOPTS_VALUE || base.num <= 0 || base.den <= 0) return std::nullopt;
  const std::int64_t micros = av_rescale_q(value, base, kMicrosBase);
  if (micros == std::numeric_limits<std::int64_t>::min()) return std::nullopt;
  return micros;
}

// Differences of timestamps from a hostile file must not overflow.
std::int64_t Span(std::int64_t from, std::int64_t to) {
  std::int64_t span = 0;
  return __builtin_sub_overflow(to, from, &span) ? 0 : span;
}

std::int64_t Sum(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::int64_t>::max() : sum;
}

// How long one frame of the stream lasts, by its frame rate or its samples per frame.
std::optional<std::int64_t> FrameMicros(const AVStream& stream) {
  const AVCodecParameters& codec = *stream.codecpar;
  for (const AVRational rate : {stream.avg_frame_rate, stream.r_frame_rate}) {
    if (codec.codec_type == AVMEDIA_TYPE_VIDEO && rate.num > 0 && rate.den > 0) {
      return av_rescale_q(1, av_inv_q(rate), kMicrosBase);
    }
  }
  if (codec.codec_type == AVMEDIA_TYPE_AUDIO && codec.frame_size > 0 && codec.sample_rate > 0) {
    return av_rescale(codec.frame_size, kMicros, codec.sample_rate);
  }
  return std::nullopt;
}

// Where the packets seen of the audio and video streams end. A packet that does not say how long it
// lasts (FLV and ASF video) lasts one frame of its stream, or, where the stream does not say, as
// long as its stream's closest timestamps lie apart: its start alone would leave its frame out.
class StreamEnds {
 public:
  void Add(const AVPacket& packet, const AVStream& stream) {
    const auto pts = Micros(packet.pts, stream.time_base);
    if (!pts || !IsMedia(stream)) return;
    m_first = std::min(m_first.value_or(*pts), *pts);
    Stream& seen = m_streams[stream.index];
    seen.stream = &stream;
    if (seen.last && *pts != *seen.last) {
      seen.gap = std::min(seen.gap.value_or(INT64_MAX),
                          *pts > *seen.last ? *pts - *seen.last : *seen.last - *pts);
    }
    seen.last = *pts;
    if (const auto duration = Micros(packet.duration, stream.time_base); duration > 0) {
      seen.end = std::max(seen.end.value_or(INT64_MIN), Sum(*pts, *duration));
    } else {
      seen.latest_bare = std::max(seen.latest_bare.value_or(*pts), *pts);
    }
  }

  std::optional<std::int64_t> first() const { return m_first; }

  std::optional<std::int64_t> End() const {
    std::optional<std::int64_t> end;
    for (const auto& [index, seen] : m_streams) {
      if (seen.end) end = std::max(end.value_or(*seen.end), *seen.end);
      if (seen.latest_bare) {
        const std::int64_t frame = FrameMicros(*seen.stream).value_or(seen.gap.value_or(0));
        const std::int64_t bare_end = Sum(*seen.latest_bare, std::max<std::int64_t>(frame, 0));
        end = std::max(end.value_or(bare_end), bare_end);
      }
    }
    return end;
  }

 private:
  struct Stream {
    const AVStream* stream = nullptr;
    std::optional<std::int64_t> last;
    std::optional<std::int64_t> gap;
    std::optional<std::int64_t> end;
    std::optional<std::int64_t> latest_bare;
  };
  std::optional<std::int64_t> m_first;
  std::map<int, Stream> m_streams;
};

// Where the stream's timestamps start, 0 when the header does not say.
std::int64_t StartMicros(const AVStream& stream) {
  return Micros(stream.start_time, stream.time_base).value_or(0);
}

// The length the header states: the container's, or else the longest of its streams'.
std::optional<std::int64_t> StatedLength(const AVFormatContext& format) {
  if (format.duration > 0) return format.duration;
  std::int64_t longest = 0;
  for (unsigned i = 0; i < format.nb_streams; ++i) {
    const AVStream& stream = *format.streams[i];
    if (IsMedia(stream) && stream.duration > 0) {
      longest = std::max(longest, Micros(stream.duration, stream.time_base).value_or(0));
    }
  }
  return longest > 0 ? std::optional(longest) : std::nullopt;
}

// Where the data ends by the demuxer's index of packet positions (every sample in MP4, the table
// of contents of a Xing header, AVI's index, Matroska's cues when they lie close by). A stream with
// entries past the end of the file ends where its entries within the file say; an index lying
// wholly within the file and reaching close to the stated end vouches for the stated length.
// nullopt when it says neither.
std::optional<std::int64_t> IndexedEnd(const AVFormatContext& format, std::int64_t size,
                                       std::int64_t stated) {
  // A table of contents has an entry per hundredth of the length, a seek table one per ten seconds;
  // an index of a short file must still reach past its middle.
  const std::int64_t reach = std::max(stated / 2, stated - std::max(kIndexReach, stated / 50));
  std::optional<std::int64_t> end;
  for (unsigned i = 0; i < format.nb_streams; ++i) {
    AVStream& stream = *format.streams[i];
    const int count = avformat_index_get_entries_count(&stream);
    if (!IsMedia(stream) || count <= 0) continue;
    const auto past_end = [&stream, size](int entry) {
      const AVIndexEntry& e = *avformat_index_get_entry(&stream, entry);
      return e.pos >= size || e.size > size - e.pos;
    };
    const auto since_start = [&stream](int entry) {
      const std::int64_t timestamp = avformat_index_get_entry(&stream, entry)->timestamp;
      return Span(StartMicros(stream), Micros(timestamp, stream.time_base).value_or(0));
    };
    int kept = count;
    while (kept > 0 && past_end(kept - 1)) --kept;
    if (kept < count) {
      // An entry that gives its packet's size (MP4) marks where the complete packets end; one that
      // gives only a position (a table of contents) bounds the data from below.
      const bool sized = avformat_index_get_entry(&stream, kept)->size > 0;
      const std::int64_t stream_end = sized      ? since_start(kept)
                                      : kept > 0 ? since_start(kept - 1)
                                                 : 0;
      end = std::max(end.value_or(0), stream_end);
    } else if (since_start(count - 1) >= reach) {
      return std::numeric_limits<std::int64_t>::max();
    }
  }
  return end;
}

// The microseconds a picture lasts by an AVI file's main header, which a stream header whose clock
// is broken does not change; nullopt for other files.
std::optional<std::int64_t> AviFrameMicros(const io::Source& file, std::int64_t start) {
  // RIFF, its size, "AVI ", then the header list, its size, "hdrl", "avih", its size and the
  // microseconds a frame.
  constexpr std::size_t kFrameMicrosOffset = 32;
  std::array<std::uint8_t, kFrameMicrosOffset + 4> head{};
  if (file.ReadAt(start, head) != static_cast<std::int64_t>(head.size())) return std::nullopt;
  const auto has = [&head](std::size_t at, std::string_view what) {
    return std::equal(what.begin(), what.end(), head.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char w, std::uint8_t b) { return static_cast<std::uint8_t>(w) == b; });
  };
  if (!has(0, "RIFF") || !has(8, "AVI ") || !has(12, "LIST") || !has(20, "hdrl") ||
      !has(24, "avih")) {
    return std::nullopt;
  }
  const auto micros =
      static_cast<std::int64_t>(io::LittleEndian(std::span(head).subspan(kFrameMicrosOffset, 4)));
  return micros > 0 ? std::optional(micros) : std::nullopt;
}

// Where the data ends by an index that lists every packet of the file (AVI's, and MP4's where it
// counts every sample of its streams), as far as its streams make sense: a stream whose entries
// would play longer than the file's bytes can hold has a broken clock (a frame rate or time scale
// read from a damaged header), and counts only where an AVI file's main header tells how long its
// pictures last. nullopt without such an index, or when it reaches past the end of the file,
// which IndexedEnd tells about.
std::optional<std::int64_t> FullIndexEnd(const AVFormatContext& format, const FileView& view) {
  const bool mov = av_match_list(format.iformat->name, "mov", ',') > 0;
  const bool avi = av_match_list(format.iformat->name, "avi", ',') > 0;
  if (!mov && !avi) return std::nullopt;
  std::optional<std::int64_t> end;
  for (unsigned i = 0; i < format.nb_streams; ++i) {
    AVStream& stream = *format.streams[i];
    const int count = avformat_index_get_entries_count(&stream);
    // Fragments of an MP4 file come into its index only as they are read.
    if (!IsMedia(stream) || count <= 0 || (mov && count != stream.nb_frames)) continue;
    const AVIndexEntry& last = *avformat_index_get_entry(&stream, count - 1);
    if (last.pos >= view.size || last.size > view.size - last.pos) return std::nullopt;
    const auto at = Micros(last.timestamp, stream.time_base);
    if (!at) continue;
    std::int64_t stream_end = Sum(Span(StartMicros(stream), *at),
                                  std::max<std::int64_t>(FrameMicros(stream).value_or(0), 0));
    if (stream_end > LongestPlausible(view.size) && avi &&
        stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
      stream_end = count * AviFrameMicros(*view.file, view.start).value_or(0);
    }
    if (stream_end <= LongestPlausible(view.size)) end = std::max(end.value_or(0), stream_end);
  }
  return end;
}

// Whether an index entry of an audio or video stream lies past `length`: the file's own packets
// play longer than that.
bool IndexReachesPast(const AVFormatContext& format, std::int64_t length) {
  for (unsigned i = 0; i < format.nb_streams; ++i) {
    AVStream& stream = *format.streams[i];
    const int count = avformat_index_get_entries_count(&stream);
    if (!IsMedia(stream) || count <= 0) continue;
    const auto at =
        Micros(avformat_index_get_entry(&stream, count - 1)->timestamp, stream.time_base);
    if (at && Span(StartMicros(stream), *at) > length) return true;
  }
  return false;
}

// Bits per second of uncompressed audio, fixed by its format; nullopt for anything compressed.
std::optional<std::int64_t> UncompressedBitRate(const AVFormatContext& format) {
  // Wider than any real format, narrow enough that the product below cannot overflow.
  constexpr std::int64_t kMaxChannels = 1 << 16;
  constexpr std::int64_t kMaxSampleRate = 1 << 24;
  std::int64_t bits_per_second = 0;
  for (unsigned i = 0; i < format.nb_streams; ++i) {
    const AVCodecParameters& codec = *format.streams[i]->codecpar;
    if (!IsMedia(*format.streams[i])) continue;
    const std::int64_t bits = av_get_bits_per_sample(codec.codec_id);
    const std::int64_t channels = codec.ch_layout.nb_channels;
    const std::int64_t rate = codec.sample_rate;
    if (bits <= 0 || channels <= 0 || channels > kMaxChannels || rate <= 0 ||
        rate > kMaxSampleRate) {
      return std::nullopt;
    }
    bits_per_second += bits * channels * rate;
  }
  return bits_per_second > 0 ? std::optional(bits_per_second) : std::nullopt;
}

// What the first packets tell: where the media data and its timestamps start, its byte rate, and,
// when they are all the file holds, where it ends.
struct Head {
  int packets = 0;
  bool whole_file = false;
  std::int64_t data_start = -1;
  StreamEnds ends;
  std::int64_t bytes_per_second = 0;
};

// Reads `wanted` packets of audio or video from where the demuxer stands, or more until one tells
// its position; at most kHeadPackets and about kHeadBytes.
Head ReadHead(AVFormatContext& format, const FileView& view, int wanted) {
  struct Tally {
    std::int64_t bytes = 0;
    std::int64_t micros = 0;
  };
  std::vector<Tally> tallies;
  Head head;
  Packet packet(av_packet_alloc());
  if (!packet) return head;
  const std::int64_t stop_budget = view.budget - kHeadBytes;
  while ((head.packets < wanted || head.data_start < 0) && head.packets < kHeadPackets &&
         view.budget > stop_budget) {
    if (av_read_frame(&format, packet.get()) < 0) {
      head.whole_file = true;
      break;
    }
    const auto index = static_cast<std::size_t>(packet->stream_index);
    const AVStream& stream = *format.streams[index];
    if (IsMedia(stream)) {
      ++head.packets;
      if (packet->pos >= 0) {
        head.data_start =
            head.data_start < 0 ? packet->pos : std::min(head.data_start, packet->pos);
      }
      head.ends.Add(*packet, stream);
      if (tallies.size() <= index) tallies.resize(index + 1);
      tallies[index].bytes += packet->size;
      tallies[index].micros =
          Sum(tallies[index].micros,
              std::max<std::int64_t>(Micros(packet->duration, stream.time_base).value_or(0), 0));
    }
    av_packet_unref(packet.get());
  }
  // The sound's rate is steady where a picture's is not: the first key frame of a film can be as
  // large as seconds of the frames after it. Pictures count only in a file without sound.
  const auto is_audio = [&format](std::size_t i) {
    return format.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
  };
  bool audio = false;
  for (std::size_t i = 0; i < tallies.size(); ++i)
    audio = audio || (is_audio(i) && tallies[i].bytes);
  // Raw AAC says nothing of its packets' durations; its parser keeps the bit rate instead.
  for (std::size_t i = 0; i < tallies.size(); ++i) {
    if (audio && !is_audio(i)) continue;
    if (tallies[i].micros > 0) {
      head.bytes_per_second += av_rescale(tallies[i].bytes, kMicros, tallies[i].micros);
    } else if (tallies[i].bytes > 0) {
      head.bytes_per_second += std::max<std::int64_t>(format.streams[i]->codecpar->bit_rate, 0) / 8;
    }
  }
  return head;
}

bool IsTimestamped(const AVFormatContext& format) {
  return av_match_list(format.iformat->name, kTimestampedDemuxers, ',') > 0;
}

// The end of the latest packet near the end of the file, for demuxers whose packets carry their own
// timestamps: what the file really holds, whatever its header says. `all` tells whether every
// packet of the file was read for it.
struct LastPackets {
  std::int64_t end = 0;
  bool all = false;
};

std::optional<LastPackets> LastTimestamp(AVFormatContext& format, std::int64_t data_start,
                                         std::int64_t size) {
  Packet packet(av_packet_alloc());
  if (!packet) return std::nullopt;
  for (const std::int64_t window : kTailWindows) {
    // Before the first packet lie headers, which a demuxer does not take for packets.
    const std::int64_t from = std::max(data_start, size - window);
    if (av_seek_frame(&format, -1, from, AVSEEK_FLAG_BYTE) < 0) return std::nullopt;
    StreamEnds ends;
    while (av_read_frame(&format, packet.get()) >= 0) {
      ends.Add(*packet, *format.streams[packet->stream_index]);
      av_packet_unref(packet.get());
    }
    if (const auto last = ends.End()) return LastPackets{*last, from == data_start};
    if (from == data_start) return std::nullopt;
  }
  return std::nullopt;
}

// Where the timestamps of the streams start: as the header says, or as the first packets do.
std::int64_t FirstTimestamp(const AVFormatContext& format, const Head& head) {
  std::optional<std::int64_t> first;
  for (unsigned i = 0; i < format.nb_streams; ++i) {
    const AVStream& stream = *format.streams[i];
    if (const auto start = Micros(stream.start_time, stream.time_base); start && IsMedia(stream)) {
      first = std::min(first.value_or(*start), *start);
    }
  }
  return first.value_or(head.ends.first().value_or(0));
}

// The length of a file whose packets were all read with the head.
std::int64_t HeadLength(const AVFormatContext& format, const Head& head) {
  const std::int64_t first = FirstTimestamp(format, head);
  return Span(first, std::max(head.ends.End().value_or(first), first));
}

// Microseconds that the media data plays at the rate of the first packets; nullopt without a rate.
std::optional<std::int64_t> LengthAtRate(const Head& head, const FileView& view) {
  const std::int64_t media_bytes = view.size - head.data_start;
  if (head.bytes_per_second <= 0 || media_bytes <= 0) return std::nullopt;
  return av_rescale(media_bytes, kMicros, head.bytes_per_second);
}

// What the packets say of the file's length: the packets themselves when the head read them all,
// else the timestamps at its end where the demuxer has them, else its size at the byte rate of the
// first packets (then, for a length that the header states, only to catch a file cut far short).
struct PacketEvidence {
  std::optional<std::int64_t> length;
  bool exact = false;
  // Every packet of the file was read for it.
  bool all = false;
};

PacketEvidence LengthFromPackets(AVFormatContext& format, const FileView& view, Head head) {
  if (IsTimestamped(format) && head.data_start >= 0 && !head.whole_file) {
    if (const auto last = LastTimestamp(format, head.data_start, view.size)) {
      return {Span(FirstTimestamp(format, head), last->end), true, last->all};
    }
    // Only the first packet was read for where the timestamps start; the rate needs more.
    av_seek_frame(&format, -1, 0, AVSEEK_FLAG_BACKWARD);
    head = ReadHead(format, view, kHeadPackets);
  }
  // A header without a single packet behind it is all that is left of the file.
  if (head.data_start < 0) return {0, true, true};
  if (head.whole_file) return {HeadLength(format, head), true, true};
  return {LengthAtRate(head, view), false};
}

// A stated length held against what the packets say: only a length measured from them replaces it
// outright, a mere rate only when the file falls far short. Packets that play on past the stated
// length count where all of them were read, or where the index shows them too; elsewhere a
// timestamp near the end may be a stray one.
std::int64_t CheckedLength(AVFormatContext& format, const FileView& view, std::int64_t stated,
                           const Head& head) {
  const PacketEvidence evidence = LengthFromPackets(format, view, head);
  if (!evidence.length) return stated;
  if (evidence.exact) {
    if (*evidence.length > stated && (evidence.all || IndexReachesPast(format, stated))) {
      return *evidence.length;
    }
    return std::min(stated, *evidence.length);
  }
  return stated / kRateSlack > *evidence.length ? *evidence.length : stated;
}

// The bytes of an MP3 stream that the file holds from the frame that carries its Xing header on:
// all but that frame's offset and the tags at the end.
std::optional<std::int64_t> PresentMp3Bytes(const io::Source& file, std::int64_t start,
                                            const XingHeader& xing) {
  std::array<std::uint8_t, kTailTagBytes> tail{};
  const std::int64_t size = file.Size() - start;
  const std::int64_t tail_start =
      std::max<std::int64_t>(0, size - static_cast<std::int64_t>(tail.size()));
  const std::int64_t got = file.ReadAt(start + tail_start, tail);
  if (got < 0) return std::nullopt;
  return size - static_cast<std::int64_t>(xing.frame) -
         TrailingTagBytes(std::span(tail).first(static_cast<std::size_t>(got)));
}

// An MP3 stream's Xing header states the bytes of the whole stream; the bytes really there tell
// whether the file is whole and, when it is not, what share of the stream it holds. A LAME tag's
// encoder delay and padding do not play. nullopt when the stream has no such header.
std::optional<std::int64_t> XingLength(const FileView& view, std::int64_t stated) {
  // The largest layer III frame: 320 kb/s at 32 kHz, padded. A file may end a frame short of
  // what the header counted.
  constexpr std::int64_t kLargestFrameBytes = 1441;
  if (!view.xing) return std::nullopt;
  const auto there = PresentMp3Bytes(*view.file, view.start, *view.xing);
  if (!there) return std::nullopt;
  const std::int64_t whole = GaplessMicros(*view.xing).value_or(stated);
  if (*there + kLargestFrameBytes >= view.xing->stream_bytes) return whole;
  return av_rescale(whole, std::max<std::int64_t>(*there, 0), view.xing->stream_bytes);
}

// The length of the file that `format` has opened: what its structure or its packets show, or
// what its header states, checked against them.
std::int64_t MeasuredLength(AVFormatContext& format, FileView& view) {
  // Formats whose own structure Tallimo reads: a raw MPEG video stream has no header to state a
  // length, and FFmpeg's readers of the others lose their way on chained or long files.
  if (av_match_name("mpegvideo", format.iformat->name)) {
    if (const auto length = MpegVideoMicros(*view.file, view.start)) return *length;
  }
  // What the clusters hold plays, whatever the header states: writers to a pipe cannot go back to
  // correct the length they wrote first.
  if (av_match_name("matroska", format.iformat->name)) {
    if (const auto length = MatroskaPlayMicros(*view.file, view.start)) return *length;
  }

  // What the header says about where the data lies needs no packets read; once packets are read,
  // the index also holds what the demuxer saw while reading them.
  if (const auto stated = StatedLength(format)) {
    if (av_match_list(format.iformat->name, kEndMeasuredDemuxers, ',') > 0) return *stated;
    if (av_match_name("mp3", format.iformat->name)) {
      if (const auto length = XingLength(view, *stated)) return *length;
    }
    if (const auto end = FullIndexEnd(format, view); end && *stated > *end + kMicros) {
      return *end;
    }
    if (const auto end = IndexedEnd(format, view.size, *stated)) return std::min(*stated, *end);
    // Uncompressed audio runs from the end of the header to the end of the file at a fixed rate.
    if (const auto bit_rate = UncompressedBitRate(format)) {
      const std::int64_t data_bytes = view.size - avio_tell(format.pb);
      return std::min(*stated, av_rescale(data_bytes, 8 * kMicros, *bit_rate));
    }
  }
  // Where the end's timestamps will be read, the first packet tells where they start.
  const Head head = ReadHead(format, view, IsTimestamped(format) ? 1 : kHeadPackets);
  // FLV keeps its length in a metadata packet that comes with the first packets.
  if (const auto stated = StatedLength(format)) {
    return CheckedLength(format, view, *stated, head);
  }
  return LengthFromPackets(format, view, head).length.value_or(0);
}

std::int64_t LengthOf(FileView& view) {
  // The name only adds its extension to the probe's evidence: nothing is opened by it.
  const std::u8string name = view.file->Name().filename().u8string();
  const auto buffer = static_cast<std::uint8_t*>(av_malloc(kBufferBytes));
  if (!buffer) return 0;
  IoContext io(avio_alloc_context(buffer, kBufferBytes, 0, &view, ReadView, nullptr, SeekView));
  if (!io) {
    av_free(buffer);
    return 0;
  }
  AVFormatContext* raw = avformat_alloc_context();
  if (!raw) return 0;
  raw->pb = io.get();
  raw->io_open = RefuseNestedOpen;
  raw->format_probesize = kProbeBytes;
  AVDictionary* options = nullptr;
  // Without this option the MP3 reader ignores the Xing header's table of positions, which shows a
  // file cut short.
  av_dict_set(&options, "usetoc", "1", 0);
  av_dict_set(&options, "format_whitelist", kDemuxers, 0);
  // The view involves no protocol; should a reader reach for one anyway, only for a local file.
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int opened =
      avformat_open_input(&raw, reinterpret_cast<const char*>(name.c_str()), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return 0;
  FormatContext format(raw);
  // A tracker module states no length: libopenmpt works it out while loading the whole module,
  // following its order list once. Its notes are not sound, so a few kilobytes of patterns may
  // rightly play for minutes, past what the bytes of any recording could hold.
  if (av_match_name("libopenmpt", format->iformat->name)) return StatedLength(*format).value_or(0);

  const std::int64_t length = MeasuredLength(*format, view);
  if (length <= LongestPlausible(view.size)) return length;
  // A header that claims more than the file's bytes can hold is not believed: what the first
  // packets show of the byte rate decides, or nothing does.
  av_seek_frame(format.get(), -1, 0, AVSEEK_FLAG_BACKWARD);
  const auto at_rate = LengthAtRate(ReadHead(*format, view, kHeadPackets), view);
  return at_rate && *at_rate <= LongestPlausible(view.size) ? *at_rate : 0;
}

// Where the audio starts: behind any ID3v2 tags, whose pictures can be megabytes. FFmpeg would
// read them all while probing from byte 0. nullopt when the file is not to be read at all.
std::optional<std::int64_t> MediaStart(const io::Source& file) {
  std::array<std::uint8_t, kSignatureBytes> first{};
  const std::int64_t got = file.ReadAt(0, first);
  if (got <= 0) return std::nullopt;
  const std::span<const std::uint8_t> start(first.data(), static_cast<std::size_t>(got));
  if (IsArchiveOrDocument(start)) return std::nullopt;

  std::int64_t offset = Id3v2TagBytes(start);
  for (int tags = 1; offset > 0 && tags < kMaxId3v2Tags; ++tags) {
    std::array<std::uint8_t, kId3v2HeaderBytes> header{};
    if (offset > file.Size() - static_cast<std::int64_t>(header.size()) ||
        file.ReadAt(offset, header) != static_cast<std::int64_t>(header.size())) {
      break;
    }
    const std::int64_t next = Id3v2TagBytes(header);
    if (next == 0) break;
    offset += next;
  }
  return offset;
}

// Ogg and FLAC files measured from their own pages and frames, without FFmpeg: its readers of
// both read the last 64 KiB of the file or more to learn what a few kilobytes tell.
std::optional<std::int64_t> OwnLength(const io::Source& file, std::int64_t start) {
  if (const auto length = ChainedOggMicros(file, start)) return length;
  return FlacMicros(file, start);
}

// The Xing header of the MP3 stream at `start`, when its counts agree with the file. One that
// contradicts it is hidden from FFmpeg by `masks`, which then measures the frames as it does in a
// file without one.
std::optional<XingHeader> AgreeingXing(const io::Source& file, std::int64_t start,
                                       std::vector<Mask>& masks) {
  std::array<std::uint8_t, kXingSearchBytes> head{};
  const std::int64_t got = file.ReadAt(start, head);
  if (got <= 0) return std::nullopt;
  const auto xing = FindXingHeader(std::span(head).first(static_cast<std::size_t>(got)));
  if (!xing) return std::nullopt;
  const auto there = PresentMp3Bytes(file, start, *xing);
  if (!there) return std::nullopt;
  if (XingAgrees(*xing, *there)) return xing;
  // "Xing" or "Info" read as zeros, and the frame as one of sound.
  const std::int64_t tag = start + static_cast<std::int64_t>(xing->tag);
  masks.push_back({.offset = tag, .bytes = {}, .blank_end = tag + 4});
  return std::nullopt;
}

// FFmpeg logs every oddity of a damaged file to the terminal; a drop must stay quiet. Set once,
// before the first file, whichever thread measures it.
void SilenceFfmpeg() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

std::int64_t ContainerSeconds(const io::Source& file) {
  SilenceFfmpeg();
  if (file.Size() <= 0) return 0;
  const ReadOnceSource once(file);
  const auto start = MediaStart(once);
  if (!start || *start >= once.Size()) return 0;
  const std::int64_t size = once.Size() - *start;
  if (const auto length = OwnLength(once, *start); length && *length <= LongestPlausible(size)) {
    return *length / kMicros;
  }
  std::vector<Mask> masks = CoverArtMasks(once, *start);
  std::optional<XingHeader> xing;
  if (masks.empty()) xing = AgreeingXing(once, *start, masks);
  const MaskedSource masked(once, std::move(masks));
  FileView view{.file = &masked, .start = *start, .size = size, .xing = xing};
  return std::max<std::int64_t>(LengthOf(view), 0) / kMicros;
}

}  // namespace readers
