// Files dropped on the dialog: which of the dragged data counts as files, and the line of the time
// list that each file becomes.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

class QMimeData;

namespace ui {

// The local files among the dragged data, in the order of the drag. Web links and other URLs are
// not files and are left out; plain text carries no files at all.
QStringList LocalFilePaths(const QMimeData& data);

// The path as the file system names it: on Linux the bytes of the name, which need not be UTF-8.
std::filesystem::path ToFilesystemPath(const QString& path);

// Shows the wait cursor over the whole application for as long as it lives.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace ui
