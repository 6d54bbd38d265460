// The main dialog, built from template 102, and what it does with a drop: hands it to the drop
// session and lands its lines as one edit.
#include "ui/tallimo_dlg.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>
#include <utility>

#include "res/resource.h"
#include "timecalc/dialog_layout.h"
#include "timecalc/dropped_lines.h"
#include "timecalc/edit_text.h"
#include "timecalc/time_totals.h"
#include "ui/about_dlg.h"
#include "ui/dialog_builder.h"
#include "ui/measuring_dlg.h"
#include "ui/window_ops.h"

// The worker wakes the dialog from its own thread; a queued call is the one safe way to do that.
CTallimoDlg::CTallimoDlg(QWidget* parent, std::unique_ptr<drops::Measurer> measurer)
    : QDialog(parent),
      m_hIcon(ui::LoadIconGroup(res::kIdrMainFrame)),
      m_progressDelay(new QTimer(this)),
      m_drops(
          [this] {
            QMetaObject::invokeMethod(this, &CTallimoDlg::OnMeasuringNews, Qt::QueuedConnection);
          },
          std::move(measurer)) {
  const ui::BuiltDialog built = ui::BuildDialog(*this, GrowingTemplate());
  DoDataExchange(built);
  RememberTemplateLayout(built);
  m_caption = windowTitle();
  ConnectSignals();
  OnInitDialog();
}

void CTallimoDlg::DoDataExchange(const ui::BuiltDialog& built) {
  m_totalSel = qobject_cast<QLabel*>(built.Control(res::kIdcTotalSel));
  m_totalAll = qobject_cast<QLabel*>(built.Control(res::kIdcTotalAll));
  m_timeEdit = qobject_cast<QPlainTextEdit*>(built.Control(res::kIdcTimeEdit));
  m_aboutButton = qobject_cast<QPushButton*>(built.Control(res::kIdcAboutButton));
  m_totalSel->setObjectName(QStringLiteral("totalSel"));
  m_totalAll->setObjectName(QStringLiteral("totalAll"));
  m_timeEdit->setObjectName(QStringLiteral("timeEdit"));
  m_aboutButton->setObjectName(QStringLiteral("aboutButton"));
}

ui::DialogTemplate CTallimoDlg::GrowingTemplate() {
  ui::DialogTemplate dialogTemplate = ui::LoadDialogTemplate(res::kIddTallimoDialog);
  dialogTemplate.style |= res::kMainDialogAddedStyle;
  return dialogTemplate;
}

void CTallimoDlg::RememberTemplateLayout(const ui::BuiltDialog& built) {
  m_templatePlaces = built.controls;
  m_templateSize = minimumSize();
}

void CTallimoDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayoutControls();
}

void CTallimoDlg::LayoutControls() {
  const int grownX = width() - m_templateSize.width();
  const int grownY = height() - m_templateSize.height();
  for (const ui::BuiltControl& control : m_templatePlaces) {
    const QRect& r = control.geometry;
    const timecalc::ControlPlace place = timecalc::PlaceInGrownMainDialog(
        control.id, {r.x(), r.y(), r.width(), r.height()}, grownX, grownY);
    control.widget->setGeometry(place.x, place.y, place.width, place.height);
  }
}

void CTallimoDlg::ConnectSignals() {
  connect(m_timeEdit, &QPlainTextEdit::textChanged, this, &CTallimoDlg::RecalcTotals);
  // Qt reports every change of a selection, so nothing has to poll for it.
  connect(m_timeEdit, &QPlainTextEdit::selectionChanged, this, &CTallimoDlg::OnSelectionChanged);
  connect(m_aboutButton, &QPushButton::clicked, this, &CTallimoDlg::OnAboutButton);
  connect(m_progressDelay, &QTimer::timeout, this, &CTallimoDlg::OnProgressDelay);
}

void CTallimoDlg::OnInitDialog() {
  const QString aboutEntry = ui::LoadString(res::kIdsAboutBox);
  if (!aboutEntry.isEmpty()) AppendSystemMenuEntry(aboutEntry);

  // The program carries no help text; the about box is the one thing Help can show.
  auto* help = new QAction(this);
  help->setShortcut(QKeySequence::HelpContents);
  connect(help, &QAction::triggered, this, &CTallimoDlg::OnAboutButton);
  addAction(help);

  setWindowIcon(m_hIcon);
  // No label of the template stands beside the list to name it for screen readers.
  m_timeEdit->setAccessibleName(ui::LoadString(res::kIdsTimeListName));
  for (QLabel* total : {m_totalAll, m_totalSel}) ShowTotal(*total, total->text());

  m_progressDelay->setSingleShot(true);
  m_progressDelay->setInterval(drops::DropSession::kProgressDelay);

  // The template lets the dialog take dropped files. The edit box would paste a dropped file's URL
  // as text; its drags of files come here instead.
  m_timeEdit->viewport()->installEventFilter(this);
}

void CTallimoDlg::AppendSystemMenuEntry(const QString& text) {
  m_sysMenu = new QMenu(this);
  m_sysMenu->setObjectName(QStringLiteral("systemMenu"));
  QAction* about = m_sysMenu->addAction(text);
  connect(about, &QAction::triggered, this, [this] { OnSysCommand(res::kIdmAboutBox); });
}

// Right clicks on the edit box open its own menu; everywhere else in the dialog they land here.
void CTallimoDlg::contextMenuEvent(QContextMenuEvent* event) {
  if (!m_sysMenu) {
    QDialog::contextMenuEvent(event);
    return;
  }
  m_sysMenu->popup(event->globalPos());
}

bool CTallimoDlg::OnSysCommand(int id) {
  // The low four bits of a system command are the window system's own.
  if ((id & 0xFFF0) != res::kIdmAboutBox) return false;
  OnAboutButton();
  return true;
}

void CTallimoDlg::OnSelectionChanged() {
  const QTextCursor cursor = m_timeEdit->textCursor();
  // Clicking somewhere leaves the selection total as it was.
  if (!cursor.hasSelection()) return;
  if (cursor.selectionStart() == m_calcSelStart && cursor.selectionEnd() == m_calcSelEnd) return;
  RecalcTotals();
}

bool CTallimoDlg::HandleFileDrag(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) return false;
  std::vector<std::filesystem::path> paths = ui::LocalFilePaths(*event->mimeData());
  // Copy, never move: a file manager deletes the source of a move once the drop is accepted.
  if (paths.empty() || !(event->possibleActions() & Qt::CopyAction)) {
    event->ignore();
    return true;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  // The measuring process starts while the files are still being dragged.
  if (event->type() == QEvent::DragEnter) m_drops.Prepare();
  if (event->type() == QEvent::Drop) OnDropPaths(std::move(paths));
  return true;
}

void CTallimoDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!HandleFileDrag(event)) event->ignore();
}

void CTallimoDlg::dragMoveEvent(QDragMoveEvent* event) {
  if (!HandleFileDrag(event)) event->ignore();
}

void CTallimoDlg::dropEvent(QDropEvent* event) {
  if (!HandleFileDrag(event)) event->ignore();
}

bool CTallimoDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_timeEdit->viewport()) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
        return HandleFileDrag(static_cast<QDropEvent*>(event));
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CTallimoDlg::OnDropFiles(const QStringList& paths) {
  std::vector<std::filesystem::path> files;
  files.reserve(static_cast<std::size_t>(paths.size()));
  for (const QString& path : paths) files.push_back(ui::ToFilesystemPath(path));
  OnDropPaths(std::move(files));
}

void CTallimoDlg::OnDropPaths(std::vector<std::filesystem::path> paths) {
  m_drops.Drop(std::move(paths));
  if (m_busyCursor) return;
  // The window goes on taking input meanwhile; only a drop that takes long shows its progress.
  m_busyCursor.emplace();
  m_progressDelay->start();
}

bool CTallimoDlg::IsMeasuring() const { return m_drops.Busy(); }

void CTallimoDlg::done(int result) {
  OnCancelMeasuring();
  QDialog::done(result);
}

void CTallimoDlg::OnMeasuringNews() {
  const drops::DropSession::News news = m_drops.Collect();
  for (const drops::DropSession::Landed& landed : news.landed) LandDrop(landed);
  if (!IsMeasuring()) {
    EndMeasuring();
    return;
  }
  if (m_measuringDlg) m_measuringDlg->SetProgress(news.filesDone, news.filesTotal);
}

void CTallimoDlg::OnProgressDelay() {
  if (!m_measuringDlg) {
    m_measuringDlg = new CMeasuringDlg(this);
    connect(m_measuringDlg, &QDialog::rejected, this, &CTallimoDlg::OnCancelMeasuring);
  }
  // The count as it stands now; the drops may even have been measured since the last news.
  OnMeasuringNews();
  if (!IsMeasuring()) return;
  // The list keeps the keyboard and typing goes on: the window stays active, whatever the window
  // system makes of a new window.
  const bool active = isActiveWindow();
  m_measuringDlg->show();
  if (active) activateWindow();
}

// The list and the totals stay as they were; the worker drops the file it is reading.
void CTallimoDlg::OnCancelMeasuring() {
  m_drops.Cancel();
  EndMeasuring();
}

void CTallimoDlg::EndMeasuring() {
  m_progressDelay->stop();
  if (m_measuringDlg) m_measuringDlg->hide();
  m_busyCursor.reset();
}

// The title says so while the last drop could not be measured for want of tallimo-measure: its
// files show as not measured, and nothing else would tell why.
void CTallimoDlg::LandDrop(const drops::DropSession::Landed& landed) {
  AppendDroppedLines(landed.lines);
  setWindowTitle(landed.programMissing ? ui::LoadString(res::kIdsNotMeasuredTitle) : m_caption);
}

void CTallimoDlg::AppendDroppedLines(const std::vector<std::u16string>& lines) {
  // The document ends in a separator of its own; the character before it ends the user's text,
  // and the document keeps line breaks as paragraph or line separators.
  const QTextDocument* document = m_timeEdit->document();
  const int last = document->characterCount() - 2;
  std::u16string listEnd;
  if (last >= 0) {
    const QChar c = document->characterAt(last);
    const bool isBreak = c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
    listEnd = isBreak ? u'\n' : c.unicode();
  }
  const QString text =
      ui::FromUtf16(timecalc::AppendedDropText(listEnd, lines, timecalc::LineBreak::kLf));
  if (text.isEmpty()) {
    RecalcTotals();
    return;
  }
  // Moving the caret first clears any selection, so the recomputation that the insertion triggers
  // already sees the empty selection. One insertion is one change and one undo step.
  m_timeEdit->moveCursor(QTextCursor::End);
  m_timeEdit->insertPlainText(text);
  m_timeEdit->ensureCursorVisible();
}

void CTallimoDlg::OnAboutButton() {
  auto* about = new CAboutDlg(this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->open();
}

void CTallimoDlg::RecalcTotals() {
  const QString text = m_timeEdit->toPlainText();
  const QTextCursor cursor = m_timeEdit->textCursor();
  m_calcSelStart = cursor.selectionStart();
  m_calcSelEnd = cursor.selectionEnd();
  const timecalc::ListBytesBuffer::View bytes = m_listBytes.Convert(
      ui::Utf16View(text), timecalc::LineBreak::kLf, m_calcSelStart, m_calcSelEnd);
  const timecalc::Totals totals = timecalc::ComputeTotals(bytes.bytes, bytes.start, bytes.end);
  ShowTotal(*m_totalAll, QString::fromStdString(timecalc::FormatSeconds(totals.all)));
  ShowTotal(*m_totalSel, QString::fromStdString(timecalc::FormatSeconds(totals.selection)));
}

// A screen reader names a total by its label and reads the total itself as its description,
// which Qt announces as it changes: a label offers no other place for a value.
void CTallimoDlg::ShowTotal(QLabel& total, const QString& text) {
  total.setText(text);
  total.setAccessibleDescription(text);
}
