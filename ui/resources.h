// The program's resources as the dialogs see them: dialog templates, the string table and icon
// groups, all compiled into the binary from res/ and looked up by their resource numbers.
#pragma once

#include <QIcon>
#include <QString>

#include "ui/resource_script.h"

namespace ui {

// The templates are part of the binary, so a missing or malformed one is a build defect: it stops
// the program with a message instead of showing a half-built dialog.
DialogTemplate LoadDialogTemplate(int id);

// Empty when the string table has no such entry.
QString LoadString(int id);

// Every size drawn for the icon group; a null icon when there is none.
QIcon LoadIconGroup(int id);

}  // namespace ui
