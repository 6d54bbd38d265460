// A reader for the binary resource files (.res) that windres writes: the resource records, and the
// dialog templates, string blocks, icon directories and version block inside them, laid out as
// Windows reads them from an executable. It uses no Qt, so what it reports owes nothing to the Qt
// shell it is compared with.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace resfile {

// Resource types as Windows numbers them.
inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtDialog = 5;
inline constexpr std::uint16_t kRtString = 6;
inline constexpr std::uint16_t kRtGroupIcon = 14;
inline constexpr std::uint16_t kRtVersion = 16;

// A resource type or name, a dialog's menu or class, or a control's class or text: either a number
// (an ordinal) or a string. Both empty stands for "none".
struct NameOrOrdinal {
  std::optional<std::uint16_t> ordinal;
  std::u16string name;

  bool operator==(const NameOrOrdinal&) const = default;
};

struct Resource {
  NameOrOrdinal type;
  NameOrOrdinal name;
  std::uint16_t language = 0;
  std::vector<std::uint8_t> data;
};

// Every record of the file in order; nothing when a record does not fit the file.
std::optional<std::vector<Resource>> ReadResources(std::span<const std::uint8_t> file);

// The resource of that type and numbered name, of that language when one is given, or null.
const Resource* Find(const std::vector<Resource>& resources, std::uint16_t type, std::uint16_t id,
                     std::optional<std::uint16_t> language = std::nullopt);

// DLGITEMTEMPLATE and DLGITEMTEMPLATEEX. The classic form has no help id and a 16-bit id, whose
// 0xFFFF reads as the -1 ("no id") of the extended form.
struct DialogItem {
  std::uint32_t helpId = 0;
  std::uint32_t exStyle = 0;
  std::uint32_t style = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::int32_t id = 0;
  NameOrOrdinal windowClass;
  NameOrOrdinal text;
  std::vector<std::uint8_t> creationData;
};

// DLGTEMPLATE and DLGTEMPLATEEX. The font fields are there when the style has DS_SETFONT; weight,
// italic and character set only in the extended form.
struct Dialog {
  bool extended = false;
  std::uint32_t helpId = 0;
  std::uint32_t exStyle = 0;
  std::uint32_t style = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::u16string title;
  bool hasFont = false;
  std::uint16_t pointSize = 0;
  std::uint16_t weight = 0;
  std::uint8_t italic = 0;
  std::uint8_t charset = 0;
  std::u16string typeface;
  std::vector<DialogItem> items;
};

std::optional<Dialog> ParseDialog(std::span<const std::uint8_t> data);

// A string table resource holds the strings 16 * (name - 1) to 16 * (name - 1) + 15.
std::optional<std::array<std::u16string, 16>> ParseStringBlock(std::span<const std::uint8_t> data);

// One image of an icon group (GRPICONDIRENTRY); `id` names its RT_ICON resource.
struct GroupIconEntry {
  int width = 0;  // 0 in the file stands for 256
  int height = 0;
  int colorCount = 0;
  int planes = 0;
  int bitCount = 0;
  std::uint32_t bytes = 0;
  std::uint16_t id = 0;
};

std::optional<std::vector<GroupIconEntry>> ParseGroupIcon(std::span<const std::uint8_t> data);

// The BITMAPINFOHEADER an RT_ICON image starts with; its height counts colour image and mask.
struct IconImageHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int planes = 0;
  int bitCount = 0;
};

std::optional<IconImageHeader> ParseIconImage(std::span<const std::uint8_t> data);

// File and product version of VS_FIXEDFILEINFO, most significant part first.
struct FixedVersion {
  std::array<int, 4> file{};
  std::array<int, 4> product{};
};

std::optional<FixedVersion> ParseVersion(std::span<const std::uint8_t> data);

}  // namespace resfile
