// The main dialog: the time list on the left, the total of every line and the total of the
// selection on the right, both kept current on every change of the text and of the selection.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QtGlobal>

class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace ui {
struct BuiltDialog;
}

class CTallimoDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CTallimoDlg(QWidget* parent = nullptr);

  // Appends one line per file, in the order given, as one edit of the list, and refreshes the
  // totals once; the caret ends up after the new lines with nothing selected.
  void OnDropFiles(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void DoDataExchange(const ui::BuiltDialog& built);
  void ConnectSignals();
  void OnInitDialog();
  void AppendSystemMenuEntry(const QString& text);

  // Takes a drag that carries local files, wherever on the dialog it arrives. Returns whether the
  // event was one of files; a drag of plain text is left to whoever else wants it.
  bool HandleFileDrag(QDropEvent* event);

  bool OnSysCommand(int id);
  void OnSelectionChanged();
  void OnAboutButton();
  void RecalcTotals();

  QLabel* m_totalSel = nullptr;
  QLabel* m_totalAll = nullptr;
  QPlainTextEdit* m_timeEdit = nullptr;
  QPushButton* m_aboutButton = nullptr;
  QIcon m_hIcon;
  // Stands in for the system menu, which X11 and Wayland window managers do not let us extend.
  QMenu* m_sysMenu = nullptr;

  // The selection (edit positions) that the totals on show were computed with.
  qsizetype m_calcSelStart = 0;
  qsizetype m_calcSelEnd = 0;
};
