// The main dialog: the time list on the left, the total of every line and the total of the
// selection on the right, both kept current on every change of the text and of the selection;
// dropped files are measured on a worker thread, so that the window never freezes.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QSize>
#include <QStringList>
#include <QtGlobal>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drops/drop_session.h"
#include "timecalc/edit_text.h"
#include "ui/dialog_builder.h"
#include "ui/dropped_files.h"

class CMeasuringDlg;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class CTallimoDlg : public QDialog {
  Q_OBJECT

 public:
  // `measurer` measures the dropped files, on a thread of its own; without one, tallimo-measure
  // does, in a process of its own.
  explicit CTallimoDlg(QWidget* parent = nullptr,
                       std::unique_ptr<drops::Measurer> measurer = nullptr);

  // Has the files and folders measured off the window's thread, in the order given. Once all are
  // measured, the drop's lines are appended as one edit of the list and the totals are refreshed;
  // the caret ends up after the new lines with nothing selected. Drops land in the order they were
  // made.
  void OnDropPaths(std::vector<std::filesystem::path> paths);
  // The same for paths as text.
  void OnDropFiles(const QStringList& paths);

  // Whether a drop is still waiting for its lengths.
  bool IsMeasuring() const;

  // Closing the window gives up on the drops still being measured.
  void done(int result) override;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Template 102 with a sizing frame and a maximise box, which the window has beyond its template.
  static ui::DialogTemplate GrowingTemplate();
  void DoDataExchange(const ui::BuiltDialog& built);
  // The list takes the room of a window larger than its template; the rest keeps its place.
  void RememberTemplateLayout(const ui::BuiltDialog& built);
  void LayoutControls();
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
  static void ShowTotal(QLabel& total, const QString& text);

  void OnMeasuringNews();
  void OnProgressDelay();
  void OnCancelMeasuring();
  void EndMeasuring();
  void LandDrop(const drops::DropSession::Landed& landed);
  void AppendDroppedLines(const std::vector<std::u16string>& lines);

  QLabel* m_totalSel = nullptr;
  QLabel* m_totalAll = nullptr;
  QPlainTextEdit* m_timeEdit = nullptr;
  QPushButton* m_aboutButton = nullptr;
  QIcon m_hIcon;
  QString m_caption;  // the template's
  // Each control as the template places it, and the client size it is placed in.
  std::vector<ui::BuiltControl> m_templatePlaces;
  QSize m_templateSize;
  // Stands in for the system menu, which X11 and Wayland window managers do not let us extend.
  QMenu* m_sysMenu = nullptr;

  // The selection (edit positions) that the totals on show were computed with.
  qsizetype m_calcSelStart = 0;
  qsizetype m_calcSelEnd = 0;
  // The list as the totaliser reads it, kept from one keystroke to the next.
  timecalc::ListBytesBuffer m_listBytes;

  std::optional<ui::BusyCursor> m_busyCursor;  // while a drop is being measured
  QTimer* m_progressDelay = nullptr;           // runs only while a drop is being measured
  CMeasuringDlg* m_measuringDlg = nullptr;     // made when a drop first takes long
  // Last, so that its worker is stopped and joined before anything it reports to goes away.
  drops::DropSession m_drops;
};
