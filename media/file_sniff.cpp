// Signatures and tag headers read from a file's first bytes, kept apart from any file access so
// that the tests drive them with bytes alone.
#include "media/file_sniff.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace media {
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

}  // namespace media
