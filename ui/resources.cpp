// Reads the templates and strings from the resource script and the icons that res/tallimo.qrc
// compiles into the binary.
#include "ui/resources.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QtGlobal>
#include <utility>

// The resources live in a static library; nothing else would make the linker keep them.
static void InitTallimoResources() { Q_INIT_RESOURCE(tallimo); }

namespace ui {
namespace {

void EnsureResources() {
  static const bool initialized = (InitTallimoResources(), true);
  Q_UNUSED(initialized);
}

// Read once: the script does not change while the program runs.
const ResourceScript& Script() {
  static const ResourceScript script = [] {
    EnsureResources();
    const QString path = QStringLiteral(":/tallimo/tallimo.rc");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      qFatal("Tallimo: resource %s is missing", qPrintable(path));
    }
    QString error;
    std::optional<ResourceScript> parsed = ParseResourceScript(file.readAll(), &error);
    if (!parsed) qFatal("Tallimo: resource %s, %s", qPrintable(path), qPrintable(error));
    return std::move(*parsed);
  }();
  return script;
}

}  // namespace

DialogTemplate LoadDialogTemplate(int id) {
  const auto found = Script().dialogs.find(id);
  if (found == Script().dialogs.end()) qFatal("Tallimo: dialog template %d is missing", id);
  return found->second;
}

QString LoadString(int id) {
  const auto found = Script().strings.find(id);
  return found == Script().strings.end() ? QString() : found->second;
}

QIcon LoadIconGroup(int id) {
  EnsureResources();
  // Each image of a group is a file "<group>-<size>.png".
  const QDir folder(QStringLiteral(":/tallimo/icons"));
  QIcon icon;
  const QStringList names =
      folder.entryList({QString::number(id) + QStringLiteral("-*.png")}, QDir::Files, QDir::Name);
  for (const QString& name : names) icon.addPixmap(QPixmap(folder.filePath(name)));
  return icon;
}

}  // namespace ui
