// Turning dropped files into lines of the time list.
#include "ui/dropped_files.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace ui {

QStringList LocalFilePaths(const QMimeData& data) {
  QStringList paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  return paths;
}

std::filesystem::path ToFilesystemPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor)); }

BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace ui
