// Reads the templates, strings and icons that res/tallimo.qrc compiles into the binary.
#include "ui/resources.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QtGlobal>

// The resources live in a static library; nothing else would make the linker keep them.
static void InitTallimoResources() { Q_INIT_RESOURCE(tallimo); }

namespace ui {
namespace {

void EnsureResources() {
  static const bool initialized = (InitTallimoResources(), true);
  Q_UNUSED(initialized);
}

QJsonObject ReadJsonResource(const QString& path) {
  EnsureResources();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) qFatal("Tallimo: resource %s is missing", qPrintable(path));
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
  if (!document.isObject()) {
    qFatal("Tallimo: resource %s is malformed: %s", qPrintable(path),
           qPrintable(error.errorString()));
  }
  return document.object();
}

ControlKind KindFromName(const QString& name, int dialogId) {
  if (name == QLatin1String("edit")) return ControlKind::kEdit;
  if (name == QLatin1String("static")) return ControlKind::kStatic;
  if (name == QLatin1String("button")) return ControlKind::kButton;
  if (name == QLatin1String("icon")) return ControlKind::kIcon;
  qFatal("Tallimo: dialog %d has a control of unknown kind \"%s\"", dialogId, qPrintable(name));
}

QRect RectFromArray(const QJsonArray& values, int dialogId) {
  if (values.size() != 4)
    qFatal("Tallimo: dialog %d has a control rect without four numbers", dialogId);
  return QRect(values[0].toInt(), values[1].toInt(), values[2].toInt(), values[3].toInt());
}

}  // namespace

DialogTemplate LoadDialogTemplate(int id) {
  const QJsonObject all = ReadJsonResource(QStringLiteral(":/tallimo/dialogs.json"));
  const QJsonValue entry = all.value(QString::number(id));
  if (!entry.isObject()) qFatal("Tallimo: dialog template %d is missing", id);
  const QJsonObject object = entry.toObject();

  DialogTemplate result;
  result.id = id;
  result.caption = object.value(QLatin1String("caption")).toString();
  const QJsonObject font = object.value(QLatin1String("font")).toObject();
  result.fontFace = font.value(QLatin1String("face")).toString();
  result.fontPoints = font.value(QLatin1String("points")).toInt();
  const QJsonArray size = object.value(QLatin1String("size")).toArray();
  result.size = QSize(size.at(0).toInt(), size.at(1).toInt());

  for (const QJsonValue value : object.value(QLatin1String("controls")).toArray()) {
    const QJsonObject control = value.toObject();
    ControlTemplate item;
    item.kind = KindFromName(control.value(QLatin1String("kind")).toString(), id);
    item.id = control.value(QLatin1String("id")).toInt(-1);
    item.rect = RectFromArray(control.value(QLatin1String("rect")).toArray(), id);
    for (const QJsonValue trait : control.value(QLatin1String("traits")).toArray()) {
      item.traits.append(trait.toString());
    }
    item.text = control.value(QLatin1String("text")).toString();
    result.controls.push_back(std::move(item));
  }
  return result;
}

QString LoadString(int id) {
  const QJsonObject table = ReadJsonResource(QStringLiteral(":/tallimo/strings.json"));
  return table.value(QString::number(id)).toString();
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
