// Qt's strings as the shared, Qt-free text rules take them and give them back. QString holds UTF-16
// units, so these are views and copies, never conversions.
#pragma once

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace ui {

inline std::u16string_view Utf16View(QStringView text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

inline QString FromUtf16(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace ui
