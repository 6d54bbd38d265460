// Reads the templates and strings from the resource script and the icons that res/tallimo.qrc
// compiles into the binary.
#include "ui/resources.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPixmap>
#include <QtGlobal>
#include <utility>

#include "ui/window_ops.h"

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

const LanguageResources& Resources(std::uint16_t language) {
  const auto found = Script().languages.find(language);
  if (found == Script().languages.end()) {
    qFatal("Tallimo: no resources in language 0x%04X", unsigned(language));
  }
  return found->second;
}

}  // namespace

std::uint16_t ChooseResourceLanguage(const QStringList& uiLanguages) {
  for (const QString& name : uiLanguages) {
    const QLocale::Language language = QLocale(name).language();
    if (language == QLocale::Japanese) return kLangJapanese;
    if (language == QLocale::English) return kLangEnglishUs;
  }
  return kLangEnglishUs;
}

std::uint16_t InterfaceLanguage() {
  static const std::uint16_t language = ChooseResourceLanguage(QLocale::system().uiLanguages());
  return language;
}

DialogTemplate LoadDialogTemplate(int id, std::uint16_t language) {
  const LanguageResources& resources = Resources(language);
  const auto found = resources.dialogs.find(id);
  if (found == resources.dialogs.end()) qFatal("Tallimo: dialog template %d is missing", id);
  return found->second;
}

QString LoadString(int id, std::uint16_t language) {
  const LanguageResources& resources = Resources(language);
  const auto found = resources.strings.find(id);
  return found == resources.strings.end() ? QString() : found->second;
}

std::u16string LoadText(int id) { return std::u16string(Utf16View(LoadString(id))); }

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
