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

// Shows the busy cursor, the arrow with a busy sign that says the program still takes input, over
// the whole application for as long as it lives.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace ui
