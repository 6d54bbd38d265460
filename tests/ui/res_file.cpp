// Reads .res files field by field, every read checked against the bytes there are.
#include "tests/ui/res_file.h"

#include <algorithm>
#include <cstddef>

namespace resfile {
namespace {

// DS_SETFONT: the dialog template carries a font.
constexpr std::uint32_t kDsSetFont = 0x40;
// The second word of a DLGTEMPLATEEX; a DLGTEMPLATE has the high half of its style there.
constexpr std::uint16_t kExtendedSignature = 0xFFFF;
// A name or class given as a number is marked by this word in front of it.
constexpr std::uint16_t kOrdinalMark = 0xFFFF;
// A classic template's 16-bit control id for "no id", the -1 of an extended template.
constexpr std::uint16_t kNoClassicId = 0xFFFF;
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";

// Little-endian reads from a span that stick at failure: once a read runs past the end, every
// later read gives zero and ok() stays false, so a parser checks once at the end.
class Cursor {
 public:
  explicit Cursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  bool ok() const { return m_ok; }
  std::size_t pos() const { return m_pos; }
  bool AtEnd() const { return m_pos >= m_bytes.size(); }

  std::uint32_t Read(std::size_t width) {
    if (!m_ok || m_bytes.size() - m_pos < width) {
      m_ok = false;
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value |= std::uint32_t(m_bytes[m_pos + i]) << (8 * i);
    m_pos += width;
    return value;
  }
  std::uint8_t U8() { return std::uint8_t(Read(1)); }
  std::uint16_t U16() { return std::uint16_t(Read(2)); }
  std::int16_t I16() { return std::int16_t(U16()); }
  std::uint32_t U32() { return Read(4); }

  std::vector<std::uint8_t> Bytes(std::size_t count) {
    if (!m_ok || m_bytes.size() - m_pos < count) {
      m_ok = false;
      return {};
    }
    std::vector<std::uint8_t> out(m_bytes.begin() + m_pos, m_bytes.begin() + m_pos + count);
    m_pos += count;
    return out;
  }

  // A NUL-terminated UTF-16 string.
  std::u16string String() {
    std::u16string text;
    for (char16_t unit = U16(); m_ok && unit != 0; unit = U16()) text += unit;
    return text;
  }

  std::u16string Counted(std::size_t units) {
    std::u16string text;
    for (std::size_t i = 0; i < units && m_ok; ++i) text += char16_t(U16());
    return text;
  }

  // sz_Or_Ord: 0 for none, the ordinal mark and a number, or a NUL-terminated string.
  NameOrOrdinal NameOrOrd() {
    NameOrOrdinal result;
    const std::uint16_t first = U16();
    if (first == kOrdinalMark) {
      result.ordinal = U16();
    } else if (first != 0) {
      result.name = char16_t(first) + String();
    }
    return result;
  }

  // Alignment counts from the start of the span, which starts on a 4-byte boundary itself. Padding
  // cut off by the end of the span is no error: nothing would be read from it.
  void AlignTo4() { m_pos = std::min((m_pos + 3) & ~std::size_t{3}, m_bytes.size()); }

  void Seek(std::size_t pos) {
    if (pos > m_bytes.size()) m_ok = false;
    m_pos = m_ok ? pos : m_bytes.size();
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
  bool m_ok = true;
};

// RESOURCEHEADER: DataSize, HeaderSize, TYPE, NAME, (align) DataVersion, MemoryFlags, LanguageId,
// Version, Characteristics; then the data, and padding to the next 4-byte boundary.
std::optional<Resource> ReadRecord(Cursor& file) {
  const std::size_t start = file.pos();
  const std::uint32_t dataSize = file.U32();
  const std::uint32_t headerSize = file.U32();
  Resource resource;
  resource.type = file.NameOrOrd();
  resource.name = file.NameOrOrd();
  file.AlignTo4();
  file.U32();  // data version
  file.U16();  // memory flags
  resource.language = file.U16();
  file.U32();  // version
  file.U32();  // characteristics
  if (!file.ok() || file.pos() - start > headerSize) return std::nullopt;
  file.Seek(start + headerSize);
  resource.data = file.Bytes(dataSize);
  file.AlignTo4();
  if (!file.ok()) return std::nullopt;
  return resource;
}

DialogItem ReadItem(Cursor& data, bool extended) {
  DialogItem item;
  data.AlignTo4();
  if (extended) {
    item.helpId = data.U32();
    item.exStyle = data.U32();
    item.style = data.U32();
  } else {
    item.style = data.U32();
    item.exStyle = data.U32();
  }
  item.x = data.I16();
  item.y = data.I16();
  item.cx = data.I16();
  item.cy = data.I16();
  if (extended) {
    item.id = std::int32_t(data.U32());
  } else {
    const std::uint16_t id = data.U16();
    item.id = id == kNoClassicId ? -1 : id;
  }
  item.windowClass = data.NameOrOrd();
  item.text = data.NameOrOrd();
  const std::uint16_t extra = data.U16();
  item.creationData = data.Bytes(extra);
  return item;
}

}  // namespace

std::optional<std::vector<Resource>> ReadResources(std::span<const std::uint8_t> file) {
  Cursor cursor(file);
  std::vector<Resource> resources;
  while (!cursor.AtEnd()) {
    std::optional<Resource> resource = ReadRecord(cursor);
    if (!resource) return std::nullopt;
    resources.push_back(std::move(*resource));
  }
  return resources;
}

const Resource* Find(const std::vector<Resource>& resources, std::uint16_t type, std::uint16_t id,
                     std::optional<std::uint16_t> language) {
  for (const Resource& resource : resources) {
    if (resource.type.ordinal == type && resource.name.ordinal == id &&
        (!language || resource.language == *language)) {
      return &resource;
    }
  }
  return nullptr;
}

std::optional<Dialog> ParseDialog(std::span<const std::uint8_t> bytes) {
  Cursor data(bytes);
  Dialog dialog;
  const std::uint16_t version = data.U16();
  const std::uint16_t signature = data.U16();
  dialog.extended = version == 1 && signature == kExtendedSignature;
  if (dialog.extended) {
    dialog.helpId = data.U32();
    dialog.exStyle = data.U32();
    dialog.style = data.U32();
  } else {
    dialog.style = std::uint32_t(version) | (std::uint32_t(signature) << 16);
    dialog.exStyle = data.U32();
  }
  const std::uint16_t count = data.U16();
  dialog.x = data.I16();
  dialog.y = data.I16();
  dialog.cx = data.I16();
  dialog.cy = data.I16();
  dialog.menu = data.NameOrOrd();
  dialog.windowClass = data.NameOrOrd();
  dialog.title = data.String();
  dialog.hasFont = (dialog.style & kDsSetFont) != 0;
  if (dialog.hasFont) {
    dialog.pointSize = data.U16();
    if (dialog.extended) {
      dialog.weight = data.U16();
      dialog.italic = data.U8();
      dialog.charset = data.U8();
    }
    dialog.typeface = data.String();
  }
  for (std::uint16_t i = 0; i < count && data.ok(); ++i) {
    dialog.items.push_back(ReadItem(data, dialog.extended));
  }
  if (!data.ok()) return std::nullopt;
  return dialog;
}

std::optional<std::array<std::u16string, 16>> ParseStringBlock(
    std::span<const std::uint8_t> bytes) {
  Cursor data(bytes);
  std::array<std::u16string, 16> strings;
  for (std::u16string& text : strings) text = data.Counted(data.U16());
  if (!data.ok()) return std::nullopt;
  return strings;
}

// GRPICONDIR: reserved, type (1 for icons), count; then count GRPICONDIRENTRY records.
std::optional<std::vector<GroupIconEntry>> ParseGroupIcon(std::span<const std::uint8_t> bytes) {
  Cursor data(bytes);
  data.U16();
  const std::uint16_t type = data.U16();
  const std::uint16_t count = data.U16();
  std::vector<GroupIconEntry> entries;
  for (std::uint16_t i = 0; i < count && data.ok(); ++i) {
    GroupIconEntry entry;
    entry.width = data.U8();
    entry.height = data.U8();
    entry.colorCount = data.U8();
    data.U8();  // reserved
    entry.planes = data.U16();
    entry.bitCount = data.U16();
    entry.bytes = data.U32();
    entry.id = data.U16();
    if (entry.width == 0) entry.width = 256;
    if (entry.height == 0) entry.height = 256;
    entries.push_back(entry);
  }
  if (!data.ok() || type != 1) return std::nullopt;
  return entries;
}

std::optional<IconImageHeader> ParseIconImage(std::span<const std::uint8_t> bytes) {
  Cursor data(bytes);
  const std::uint32_t headerSize = data.U32();
  IconImageHeader header;
  header.width = std::int32_t(data.U32());
  header.height = std::int32_t(data.U32());
  header.planes = data.U16();
  header.bitCount = data.U16();
  if (!data.ok() || headerSize != 40) return std::nullopt;
  return header;
}

// VS_VERSIONINFO: length, value length, type, the key "VS_VERSION_INFO", padding, and then the
// VS_FIXEDFILEINFO value.
std::optional<FixedVersion> ParseVersion(std::span<const std::uint8_t> bytes) {
  Cursor data(bytes);
  data.U16();
  data.U16();
  data.U16();
  const std::u16string key = data.String();
  data.AlignTo4();
  const std::uint32_t signature = data.U32();
  data.U32();  // structure version
  const std::uint32_t fileMs = data.U32();
  const std::uint32_t fileLs = data.U32();
  const std::uint32_t productMs = data.U32();
  const std::uint32_t productLs = data.U32();
  if (!data.ok() || key != kVersionKey || signature != kFixedFileInfoSignature) {
    return std::nullopt;
  }
  const auto parts = [](std::uint32_t ms, std::uint32_t ls) {
    return std::array<int, 4>{int(ms >> 16), int(ms & 0xFFFF), int(ls >> 16), int(ls & 0xFFFF)};
  };
  return FixedVersion{parts(fileMs, fileLs), parts(productMs, productLs)};
}

}  // namespace resfile
