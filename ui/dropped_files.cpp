// Turning dropped files into lines of the time list.
#include "ui/dropped_files.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "timecalc/time_totals.h"
#include "wave/wave_duration.h"

namespace ui {
namespace {

std::filesystem::path ToFilesystemPath(const QString& path) {
#ifdef Q_OS_WIN
  return std::filesystem::path(path.toStdWString());
#else
  // The file name's bytes as the file system has them, which need not be UTF-8.
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

bool BreaksTheLine(QChar c) {
  return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
         c == QChar::ParagraphSeparator;
}

}  // namespace

QStringList LocalFilePaths(const QMimeData& data) {
  QStringList paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  return paths;
}

QString DroppedFileName(const QString& path) {
  qsizetype cut = path.lastIndexOf(u'/');
  if (QDir::separator() != u'/') cut = std::max(cut, path.lastIndexOf(QDir::separator()));
  QString name = path.mid(cut + 1);
  for (QChar& c : name) {
    if (BreaksTheLine(c)) c = QChar::ReplacementCharacter;
  }
  return name;
}

QString DroppedFileLine(const QString& path) {
  const bool isWave = path.right(3).toLower() == QLatin1String("wav");
  const timecalc::SecondCount seconds = isWave ? wave::GetWaveSeconds(ToFilesystemPath(path)) : 0;
  return QString::fromStdString(timecalc::FormatSeconds(seconds)) + u'[' + DroppedFileName(path) +
         u']';
}

WaitCursor::WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

WaitCursor::~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace ui
