// The program's resources as the dialogs see them: dialog templates, the string table and icon
// groups, all compiled into the binary from res/ and looked up by their resource numbers.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "ui/resource_script.h"

namespace ui {

// The language of the resources for a user who prefers `uiLanguages` (BCP 47 names, most wanted
// first): the first of them that is Japanese or English decides, and English stands in for any
// other.
std::uint16_t ChooseResourceLanguage(const QStringList& uiLanguages);

// That choice for the user's locale (LANGUAGE, LC_ALL, LC_MESSAGES and LANG, as Qt reads them),
// made once: the interface does not change language while it runs.
std::uint16_t InterfaceLanguage();

// The templates are part of the binary, so a missing or malformed one is a build defect: it stops
// the program with a message instead of showing a half-built dialog.
DialogTemplate LoadDialogTemplate(int id, std::uint16_t language = InterfaceLanguage());

// Empty when the string table has no such entry.
QString LoadString(int id, std::uint16_t language = InterfaceLanguage());

// The same in the interface language, in the form the shared code takes (drops::LoadText). Reads
// only the resource script: no application object is needed.
std::u16string LoadText(int id);

// Every size drawn for the icon group; a null icon when there is none.
QIcon LoadIconGroup(int id);

}  // namespace ui
