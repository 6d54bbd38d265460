// Files dropped on the dialog: which of the dragged data counts as files, and the line of the time
// list that each file becomes.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <vector>

class QMimeData;

namespace ui {

// The local files among the dragged data, in the order of the drag, each as the file system names
// it: the bytes of the URL's path, which need not be UTF-8. Web links and other URLs are not files
// and are left out; plain text carries no files at all.
std::vector<std::filesystem::path> LocalFilePaths(const QMimeData& data);

// The path as the file system names it, in the local 8-bit encoding.
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
