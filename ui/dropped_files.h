// Files dropped on the dialog: which of the dragged data counts as files, and the line of the time
// list that each file becomes.
#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

namespace ui {

// The local files among the dragged data, in the order of the drag. Web links and other URLs are
// not files and are left out; plain text carries no files at all.
QStringList LocalFilePaths(const QMimeData& data);

// The label of a dropped file: the part of its path after the last separator (empty when the path
// ends in one), with every control character and line or paragraph separator replaced by U+FFFD,
// so that one file is always exactly one line.
QString DroppedFileName(const QString& path);

// The line a dropped file adds, without its line break: its play length when the path ends in
// "wav" in any case, 0:00.00 otherwise, then its name in square brackets.
QString DroppedFileLine(const QString& path);

// Shows the wait cursor over the whole application for as long as it lives.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace ui
