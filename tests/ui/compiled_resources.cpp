// Compiled resources against the Qt shell's reading of the script they were compiled from.
#include "tests/ui/compiled_resources.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace testres {

std::vector<std::uint8_t> ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

const std::vector<resfile::Resource>& TallimoResources() {
  static const std::vector<resfile::Resource> resources = [] {
    const std::optional<std::vector<resfile::Resource>> read =
        resfile::ReadResources(ReadBytes(QStringLiteral(TALLIMO_RES_FILE)));
    if (!read || read->empty()) {
      std::fprintf(stderr, "cannot read the compiled resources %s\n", TALLIMO_RES_FILE);
      std::abort();
    }
    return *read;
  }();
  return resources;
}

std::string Utf8(const std::u16string& text) { return Utf8(QString::fromStdU16String(text)); }

std::string Utf8(const QString& text) { return text.toStdString(); }

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string ClassName(const resfile::NameOrOrdinal& windowClass) {
  if (!windowClass.ordinal) return Utf8(QString::fromStdU16String(windowClass.name).toUpper());
  switch (*windowClass.ordinal) {
    case 0x80:
      return "BUTTON";
    case 0x81:
      return "EDIT";
    case 0x82:
      return "STATIC";
    case 0x83:
      return "LISTBOX";
    case 0x84:
      return "SCROLLBAR";
    case 0x85:
      return "COMBOBOX";
  }
  return "#" + std::to_string(*windowClass.ordinal);
}

std::array<int, 4> Rect(const resfile::DialogItem& item) {
  return {item.x, item.y, item.cx, item.cy};
}

std::map<int, std::u16string> Strings(const std::vector<resfile::Resource>& resources,
                                      std::uint16_t language) {
  std::map<int, std::u16string> strings;
  for (const resfile::Resource& resource : resources) {
    if (resource.type.ordinal != resfile::kRtString || !resource.name.ordinal ||
        resource.language != language) {
      continue;
    }
    const auto block = resfile::ParseStringBlock(resource.data);
    EXPECT_TRUE(block) << "string block " << *resource.name.ordinal;
    if (!block) continue;
    for (int i = 0; i < 16; ++i) {
      if (!(*block)[i].empty()) strings[(*resource.name.ordinal - 1) * 16 + i] = (*block)[i];
    }
  }
  return strings;
}

void ExpectSameDialog(const resfile::Dialog& compiled, const ui::DialogTemplate& read) {
  SCOPED_TRACE("dialog " + std::to_string(read.id));
  EXPECT_EQ(read.extended, compiled.extended);
  EXPECT_EQ(Hex(read.style), Hex(compiled.style));
  EXPECT_EQ(Hex(read.exStyle), Hex(compiled.exStyle));
  EXPECT_EQ((std::array<int, 4>{read.position.x(), read.position.y(), read.size.width(),
                                read.size.height()}),
            (std::array<int, 4>{compiled.x, compiled.y, compiled.cx, compiled.cy}));
  // The Qt shell knows of no menus or window classes of a dialog's own.
  EXPECT_EQ(compiled.menu, resfile::NameOrOrdinal{});
  EXPECT_EQ(compiled.windowClass, resfile::NameOrOrdinal{});
  EXPECT_EQ(Utf8(read.caption), Utf8(compiled.title));
  EXPECT_EQ(Utf8(read.fontFace), Utf8(compiled.typeface));
  EXPECT_EQ(read.fontPoints, compiled.pointSize);
  EXPECT_EQ(read.fontWeight, compiled.weight);
  EXPECT_EQ(read.fontItalic, compiled.italic);
  EXPECT_EQ(read.fontCharset, compiled.charset);

  ASSERT_EQ(read.controls.size(), compiled.items.size());
  for (std::size_t i = 0; i < read.controls.size(); ++i) {
    const ui::ControlTemplate& control = read.controls[i];
    const resfile::DialogItem& item = compiled.items[i];
    SCOPED_TRACE("control " + std::to_string(i));
    EXPECT_EQ(Utf8(control.className.toUpper()), ClassName(item.windowClass));
    EXPECT_EQ(control.id, item.id);
    EXPECT_EQ((std::array<int, 4>{control.rect.x(), control.rect.y(), control.rect.width(),
                                  control.rect.height()}),
              Rect(item));
    EXPECT_EQ(Hex(control.style), Hex(item.style));
    // The reader takes no extended styles, help ids or creation data for controls.
    EXPECT_EQ(item.exStyle, 0u);
    EXPECT_EQ(item.helpId, 0u);
    EXPECT_TRUE(item.creationData.empty());
    if (item.text.ordinal) {
      EXPECT_EQ(control.textId, std::optional<int>(*item.text.ordinal));
    } else {
      EXPECT_EQ(control.textId, std::nullopt);
      EXPECT_EQ(Utf8(control.text), Utf8(item.text.name));
    }
  }
}

}  // namespace testres
