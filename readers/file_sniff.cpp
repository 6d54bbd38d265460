// Signatures and tag headers read from a file's first bytes, kept apart from any file access so
// that the tests drive them with bytes alone.
#include "readers/file_sniff.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "io/byte_order.h"

namespace readers {
namespace {

using namespace std::string_view_literals;

// Where in the 10-byte ID3v2 header each field lies.
constexpr std::size_t kId3Version = 3;
constexpr std::size_t kId3Flags = 5;
constexpr std::size_t kId3Size = 6;
// Version 2.4 may repeat the header at the end of the tag, which the size field does not count.
constexpr std::uint8_t kId3FooterFlag = 0x10;

struct Signature {
  std::size_t offset;
  std::string_view bytes;
};

// Archives and documents whose contents may be stored uncompressed: a zip of MP3 files holds
// frames that the MP3 and MPEG demuxers would find and measure. Office, OpenDocument and EPUB
// files are zip archives too.
constexpr std::array kNotMedia = {
    Signature{0, "PK\x03\x04"sv},          // zip
    Signature{0, "PK\x05\x06"sv},          // empty zip
    Signature{0, "PK\x07\x08"sv},          // spanned zip
    Signature{0, "Rar!\x1A\x07"sv},        // RAR
    Signature{0, "7z\xBC\xAF\x27\x1C"sv},  // 7-Zip
    Signature{0, "\x1F\x8B"sv},            // gzip
    Signature{0, "BZh"sv},                 // bzip2
    Signature{0,
              "\xFD"
              "7zXZ\x00"sv},             // xz
    Signature{0, "\x28\xB5\x2F\xFD"sv},  // Zstandard
    Signature{0, "MSCF"sv},              // Windows cabinet
    Signature{0, "!<arch>\n"sv},         // ar, as in Debian packages
    Signature{257, "ustar"sv},           // tar
    Signature{0, "%PDF-"sv},             // PDF
};

bool HasAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view wanted) {
  return offset <= bytes.size() && wanted.size() <= bytes.size() - offset &&
         std::equal(wanted.begin(), wanted.end(),
                    bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                    [](char w, std::uint8_t b) { return static_cast<std::uint8_t>(w) == b; });
}

// A 32-bit field at `offset`; -1 when it does not lie wholly within `bytes`.
std::int64_t ReadU32BE(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return -1;
  return static_cast<std::int64_t>(io::BigEndian(bytes.subspan(offset, 4)));
}

std::int64_t ReadU32LE(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return -1;
  return static_cast<std::int64_t>(io::LittleEndian(bytes.subspan(offset, 4)));
}

// An MPEG audio frame header: 11 sync bits, then version, layer, bit rate, sample rate and channel
// mode. Layer III's side information lies between the header and a Xing header: 17 or 32 bytes in
// MPEG-1 (mono or not), 9 or 17 in MPEG-2 and 2.5.
constexpr std::size_t kFrameHeaderBytes = 4;

struct FrameHeader {
  std::size_t xing_offset = 0;  // from the frame's start
  std::int64_t sample_rate = 0;
  std::int64_t samples_per_frame = 0;
  std::int64_t smallest_frame_bytes = 0;
  std::int64_t largest_frame_bytes = 0;
};

std::optional<FrameHeader> LayerThreeHeader(std::span<const std::uint8_t> header) {
  if (header.size() < kFrameHeaderBytes || header[0] != 0xFF || (header[1] & 0xE0) != 0xE0) {
    return std::nullopt;
  }
  const int version = (header[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  const int layer = (header[1] >> 1) & 3;    // 1: layer III
  const int bit_rate = header[2] >> 4;
  const int sample_rate = (header[2] >> 2) & 3;
  if (version == 1 || layer != 1 || bit_rate == 0 || bit_rate == 15 || sample_rate == 3) {
    return std::nullopt;
  }
  constexpr std::array<std::int64_t, 3> kMpeg1Rates = {44100, 48000, 32000};
  const bool mpeg1 = version == 3;
  const bool mono = (header[3] >> 6) == 3;
  FrameHeader frame;
  frame.xing_offset = kFrameHeaderBytes + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
  frame.sample_rate = kMpeg1Rates[static_cast<std::size_t>(sample_rate)] >> (mpeg1          ? 0
                                                                             : version == 2 ? 1
                                                                                            : 2);
  frame.samples_per_frame = mpeg1 ? 1152 : 576;
  // Bytes a frame takes: its bit rate times its samples, over 8 bits and the sample rate; the
  // least and most bit rates are 32 and 320 kb/s in MPEG-1, 8 and 160 kb/s otherwise.
  const std::int64_t bytes_per_bit_rate = frame.samples_per_frame / 8;
  frame.smallest_frame_bytes = bytes_per_bit_rate * (mpeg1 ? 32000 : 8000) / frame.sample_rate;
  frame.largest_frame_bytes =
      bytes_per_bit_rate * (mpeg1 ? 320000 : 160000) / frame.sample_rate + 1;
  return frame;
}

// The Xing header's flags say which of its fields follow them.
constexpr std::int64_t kXingFrames = 0x1;
constexpr std::int64_t kXingBytes = 0x2;
constexpr std::int64_t kXingToc = 0x4;
constexpr std::int64_t kXingQuality = 0x8;
constexpr std::size_t kXingTocBytes = 100;
// A LAME tag follows the fields: the encoder's name, then, 21 bytes in, 12 bits of encoder delay
// and 12 of padding. FFmpeg's own encoders write it too.
constexpr std::size_t kLameDelayOffset = 21;
constexpr std::array kLameNames = {"LAME"sv, "Lavf"sv, "Lavc"sv};
// What an MP3 decoder delays its output by, on top of the encoder's delay.
constexpr std::int64_t kDecoderDelay = 529;
// What may follow the frames that the header counts without contradicting it: tags of other
// kinds than the ones counted off, a frame or two written after the header.
constexpr std::int64_t kUncountedBytes = 64 * 1024;

}  // namespace

std::int64_t Id3v2TagBytes(std::span<const std::uint8_t> header) {
  if (header.size() < kId3v2HeaderBytes || !HasAt(header, 0, "ID3")) return 0;
  // Versions 2.2 to 2.4 exist; the revision byte is never 0xFF. Each size byte holds 7 bits.
  const std::uint8_t version = header[kId3Version];
  if (version < 2 || version > 4 || header[kId3Version + 1] == 0xFF) return 0;
  std::int64_t size = 0;
  for (std::size_t i = kId3Size; i < kId3Size + 4; ++i) {
    if (header[i] & 0x80) return 0;
    size = (size << 7) | header[i];
  }
  const bool footer = version == 4 && (header[kId3Flags] & kId3FooterFlag) != 0;
  return static_cast<std::int64_t>(kId3v2HeaderBytes) * (footer ? 2 : 1) + size;
}

bool IsArchiveOrDocument(std::span<const std::uint8_t> start) {
  return std::any_of(kNotMedia.begin(), kNotMedia.end(), [start](const Signature& signature) {
    return HasAt(start, signature.offset, signature.bytes);
  });
}

std::optional<XingHeader> FindXingHeader(std::span<const std::uint8_t> block) {
  for (std::size_t at = 0; at + kFrameHeaderBytes <= block.size(); ++at) {
    const auto frame = LayerThreeHeader(block.subspan(at));
    if (!frame) continue;
    // Only the first frame may carry the header.
    const std::size_t tag = at + frame->xing_offset;
    if (!HasAt(block, tag, "Xing") && !HasAt(block, tag, "Info")) return std::nullopt;
    const std::int64_t flags = ReadU32BE(block, tag + 4);
    if (flags < 0 || (flags & kXingBytes) == 0) return std::nullopt;
    std::size_t field = tag + 8;
    XingHeader xing{.frame = at,
                    .tag = tag,
                    .sample_rate = frame->sample_rate,
                    .samples_per_frame = frame->samples_per_frame,
                    .smallest_frame_bytes = frame->smallest_frame_bytes,
                    .largest_frame_bytes = frame->largest_frame_bytes};
    if ((flags & kXingFrames) != 0) {
      xing.frames = std::max<std::int64_t>(ReadU32BE(block, field), 0);
      field += 4;
    }
    xing.stream_bytes = ReadU32BE(block, field);
    if (xing.stream_bytes <= 0) return std::nullopt;
    field += 4;
    if ((flags & kXingToc) != 0) field += kXingTocBytes;
    if ((flags & kXingQuality) != 0) field += 4;
    const bool lame = std::any_of(kLameNames.begin(), kLameNames.end(),
                                  [&](std::string_view name) { return HasAt(block, field, name); });
    if (lame && field + kLameDelayOffset + 3 <= block.size()) {
      const auto gap = io::BigEndian(block.subspan(field + kLameDelayOffset, 3));
      xing.encoder_delay = static_cast<std::int64_t>(gap >> 12);
      xing.encoder_padding = static_cast<std::int64_t>(gap & 0xFFF);
    }
    return xing;
  }
  return std::nullopt;
}

bool XingAgrees(const XingHeader& xing, std::int64_t present) {
  const std::int64_t slack = kUncountedBytes + xing.stream_bytes / 8;
  if (present > xing.stream_bytes + slack) return false;
  if (xing.frames == 0) return true;
  // Both counts are at most 2^32, so neither product can overflow.
  return xing.stream_bytes >= xing.frames * xing.smallest_frame_bytes &&
         xing.stream_bytes <= xing.frames * xing.largest_frame_bytes &&
         present <= xing.frames * xing.largest_frame_bytes + slack;
}

std::optional<std::int64_t> GaplessMicros(const XingHeader& xing) {
  const std::int64_t samples = xing.frames * xing.samples_per_frame;
  const std::int64_t most = xing.samples_per_frame + kDecoderDelay;
  if (xing.frames == 0 || xing.encoder_delay < 0 || xing.encoder_delay >= most ||
      xing.encoder_padding >= most || xing.encoder_delay + xing.encoder_padding >= samples) {
    return std::nullopt;
  }
  return (samples - xing.encoder_delay - xing.encoder_padding) * 1'000'000 / xing.sample_rate;
}

std::int64_t TrailingTagBytes(std::span<const std::uint8_t> tail) {
  constexpr std::size_t kId3v1Bytes = 128;
  constexpr std::size_t kApeFooterBytes = 32;
  // An APEv2 footer counts the tag's items and itself; a header, when flagged, comes on top.
  constexpr std::int64_t kApeHasHeader = std::int64_t{1} << 31;
  std::size_t end = tail.size();
  std::int64_t tags = 0;
  if (end >= kId3v1Bytes && HasAt(tail, end - kId3v1Bytes, "TAG")) {
    end -= kId3v1Bytes;
    tags += kId3v1Bytes;
  }
  if (end >= kApeFooterBytes && HasAt(tail, end - kApeFooterBytes, "APETAGEX")) {
    const std::int64_t size = ReadU32LE(tail, end - kApeFooterBytes + 12);
    const std::int64_t flags = ReadU32LE(tail, end - kApeFooterBytes + 20);
    if (size >= static_cast<std::int64_t>(kApeFooterBytes) && flags >= 0) {
      tags +=
          size + ((flags & kApeHasHeader) != 0 ? static_cast<std::int64_t>(kApeFooterBytes) : 0);
    }
  }
  return tags;
}

}  // namespace readers
