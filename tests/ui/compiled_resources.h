// Resources as windres compiles them, set against what the Qt shell reads from the same script:
// the file tallimo.rc compiles to, and field-by-field checks of a dialog template.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/ui/res_file.h"
#include "ui/resource_script.h"

namespace testres {

// The whole file; empty when it cannot be read.
std::vector<std::uint8_t> ReadBytes(const QString& path);

// res/tallimo.rc as the build compiled it for these tests; the test stops when it is unreadable.
const std::vector<resfile::Resource>& TallimoResources();

std::string Utf8(const std::u16string& text);
std::string Utf8(const QString& text);
std::string Hex(std::uint32_t value);

// The upper-case name of a control class; the predefined classes may be stored as numbers.
std::string ClassName(const resfile::NameOrOrdinal& windowClass);

std::array<int, 4> Rect(const resfile::DialogItem& item);

// Every string of the string table resources of one language, by number.
std::map<int, std::u16string> Strings(const std::vector<resfile::Resource>& resources,
                                      std::uint16_t language);

// Records a failure for every field in which the template read by the Qt shell differs from the
// compiled one, in the dialog and in each control, in template order.
void ExpectSameDialog(const resfile::Dialog& compiled, const ui::DialogTemplate& read);

}  // namespace testres
