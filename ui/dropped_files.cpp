// Turning dropped files into lines of the time list.
#include "ui/dropped_files.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace ui {

// Going through QUrl::toLocalFile would read the name as UTF-8 text: a name that is no UTF-8 would
// come out as another, which cannot be opened.
std::vector<std::filesystem::path> LocalFilePaths(const QMimeData& data) {
  std::vector<std::filesystem::path> paths;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    paths.emplace_back(bytes.toStdString());
  }
  return paths;
}

std::filesystem::path ToFilesystemPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor)); }

BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace ui
