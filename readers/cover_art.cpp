// FLAC keeps its pictures in PICTURE metadata blocks before the audio; MP4 in a `covr` item of the
// iTunes metadata list (moov/udta/meta/ilst). Both formats' readers step over padding without
// reading it, so a picture shown as padding costs a seek instead of its size.
#include "readers/cover_art.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

#include "io/byte_order.h"
#include "readers/flac_length.h"

namespace readers {
namespace {

// FLAC metadata block types.
constexpr std::uint8_t kFlacPadding = 1;
constexpr std::uint8_t kFlacPicture = 6;

// An MP4 box header: a 32-bit size and the type, the size 1 meaning a 64-bit size follows and 0
// that the box runs to the end of the file.
constexpr std::size_t kBoxHeaderBytes = 8;
constexpr std::size_t kLargeBoxHeaderBytes = 16;
// `meta` starts with a version and flags before its children.
constexpr std::int64_t kFullBoxBytes = 4;
constexpr int kMaxBoxes = 4096;

struct Box {
  std::array<char, 4> type{};
  std::int64_t data = 0;
  std::int64_t end = 0;
};

// The box whose header starts at `pos`, within a parent that ends at `limit`.
std::optional<Box> BoxAt(const io::Source& file, std::int64_t pos, std::int64_t limit) {
  std::array<std::uint8_t, kLargeBoxHeaderBytes> header{};
  const std::int64_t got = file.ReadAt(pos, header);
  if (got < static_cast<std::int64_t>(kBoxHeaderBytes)) return std::nullopt;
  Box box;
  std::memcpy(box.type.data(), &header[4], 4);
  // A 32-bit size, or a 64-bit one whose top bit is checked below: never negative.
  auto size = static_cast<std::int64_t>(io::BigEndian(std::span(header).first(4)));
  box.data = pos + static_cast<std::int64_t>(kBoxHeaderBytes);
  if (size == 1) {
    if (got < static_cast<std::int64_t>(kLargeBoxHeaderBytes) || header[8] >= 0x80) {
      return std::nullopt;
    }
    size = static_cast<std::int64_t>(io::BigEndian(std::span(header).subspan(8, 8)));
    box.data = pos + static_cast<std::int64_t>(kLargeBoxHeaderBytes);
  } else if (size == 0) {
    size = limit - pos;
  }
  if (size < box.data - pos || size > limit - pos) return std::nullopt;
  box.end = pos + size;
  return box;
}

bool Is(const Box& box, std::string_view type) {
  return std::string_view(box.type.data(), box.type.size()) == type;
}

// The first child of type `type` among the boxes from `from` to `limit`.
std::optional<Box> Find(const io::Source& file, std::int64_t from, std::int64_t limit,
                        std::string_view type, int& budget) {
  for (std::int64_t pos = from; pos < limit && budget-- > 0;) {
    const auto box = BoxAt(file, pos, limit);
    if (!box) return std::nullopt;
    if (Is(*box, type)) return box;
    pos = box->end;
  }
  return std::nullopt;
}

std::vector<Mask> Mp4Masks(const io::Source& file, std::int64_t start) {
  std::vector<Mask> masks;
  int budget = kMaxBoxes;
  const auto moov = Find(file, start, file.Size(), "moov", budget);
  if (!moov) return masks;
  // iTunes puts the list under udta/meta; some writers put meta straight under moov.
  std::optional<Box> meta;
  if (const auto udta = Find(file, moov->data, moov->end, "udta", budget)) {
    meta = Find(file, udta->data, udta->end, "meta", budget);
  }
  if (!meta) meta = Find(file, moov->data, moov->end, "meta", budget);
  if (!meta) return masks;
  const auto ilst = Find(file, meta->data + kFullBoxBytes, meta->end, "ilst", budget);
  if (!ilst) return masks;
  for (std::int64_t pos = ilst->data; pos < ilst->end && budget-- > 0;) {
    const auto item = BoxAt(file, pos, ilst->end);
    if (!item) break;
    if (Is(*item, "covr")) {
      std::vector<std::uint8_t> header(static_cast<std::size_t>(item->data - pos));
      if (file.ReadAt(pos, header) != static_cast<std::int64_t>(header.size())) break;
      std::memcpy(&header[4], "free", 4);
      masks.push_back({.offset = pos, .bytes = std::move(header), .blank_end = item->end});
    }
    pos = item->end;
  }
  return masks;
}

std::vector<Mask> FlacMasks(const io::Source& file, std::int64_t start) {
  std::vector<Mask> masks;
  std::int64_t pos = start + 4;
  for (int blocks = 0; blocks < kMaxFlacBlocks; ++blocks) {
    std::array<std::uint8_t, kFlacBlockHeaderBytes> header{};
    if (file.ReadAt(pos, header) != static_cast<std::int64_t>(header.size())) break;
    const std::int64_t end = pos + static_cast<std::int64_t>(header.size()) +
                             static_cast<std::int64_t>(io::BigEndian(std::span(header).subspan(1)));
    if ((header[0] & ~kFlacLastBlock) == kFlacPicture) {
      const auto padding = static_cast<std::uint8_t>((header[0] & kFlacLastBlock) | kFlacPadding);
      masks.push_back(
          {.offset = pos, .bytes = {padding, header[1], header[2], header[3]}, .blank_end = end});
    }
    if ((header[0] & kFlacLastBlock) != 0) break;
    pos = end;
  }
  return masks;
}

}  // namespace

std::vector<Mask> CoverArtMasks(const io::Source& file, std::int64_t start) {
  std::array<std::uint8_t, kBoxHeaderBytes> first{};
  if (file.ReadAt(start, first) != static_cast<std::int64_t>(first.size())) return {};
  if (std::memcmp(first.data(), "fLaC", 4) == 0) return FlacMasks(file, start);
  if (std::memcmp(&first[4], "ftyp", 4) == 0) return Mp4Masks(file, start);
  return {};
}

std::int64_t MaskedSource::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const {
  const io::Source& file = m_file;
  const std::int64_t end = std::min(offset + static_cast<std::int64_t>(into.size()), file.Size());
  std::int64_t pos = offset;
  for (const Mask& mask : m_masks) {
    if (pos >= end) break;
    if (mask.blank_end <= pos) continue;
    // The file's own bytes up to the mask.
    if (pos < mask.offset) {
      const std::int64_t until = std::min(end, mask.offset);
      const std::int64_t got =
          file.ReadAt(pos, into.subspan(static_cast<std::size_t>(pos - offset),
                                        static_cast<std::size_t>(until - pos)));
      if (got < 0) return pos > offset ? pos - offset : -1;
      pos += got;
      if (pos < until) return pos - offset;
    }
    // The replacement bytes, then the blank.
    const std::int64_t bytes_end = mask.offset + static_cast<std::int64_t>(mask.bytes.size());
    for (; pos < end && pos < bytes_end; ++pos) {
      into[static_cast<std::size_t>(pos - offset)] =
          mask.bytes[static_cast<std::size_t>(pos - mask.offset)];
    }
    const std::int64_t blank_until = std::min(end, mask.blank_end);
    if (pos < blank_until) {
      std::fill(into.begin() + (pos - offset), into.begin() + (blank_until - offset), 0);
      pos = blank_until;
    }
  }
  if (pos < end) {
    const std::int64_t got = file.ReadAt(pos, into.subspan(static_cast<std::size_t>(pos - offset),
                                                           static_cast<std::size_t>(end - pos)));
    if (got < 0) return pos > offset ? pos - offset : -1;
    pos += got;
  }
  return std::max<std::int64_t>(pos - offset, 0);
}

}  // namespace readers
