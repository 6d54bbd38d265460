// The program's resources as the dialogs see them: dialog templates, the string table and icon
// groups, all compiled into the binary from res/ and looked up by their resource numbers.
#pragma once

#include <QIcon>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace ui {

enum class ControlKind { kEdit, kStatic, kButton, kIcon };

// One control of a dialog template. `rect` is in dialog units; `id` is -1 for controls that no code
// binds to. Traits name the window styles that matter to the widget built for it.
struct ControlTemplate {
  ControlKind kind = ControlKind::kStatic;
  int id = -1;
  QRect rect;
  QStringList traits;
  QString text;

  bool Has(const char* trait) const { return traits.contains(QLatin1String(trait)); }
};

struct DialogTemplate {
  int id = 0;
  QString caption;
  QString fontFace;
  int fontPoints = 0;
  QSize size;  // client area, in dialog units
  std::vector<ControlTemplate> controls;
};

// The templates are part of the binary, so a missing or malformed one is a build defect: it stops
// the program with a message instead of showing a half-built dialog.
DialogTemplate LoadDialogTemplate(int id);

// Empty when the string table has no such entry.
QString LoadString(int id);

// Every size drawn for the icon group; a null icon when there is none.
QIcon LoadIconGroup(int id);

}  // namespace ui
