// Renders the main dialog, holding a sample list with part of it selected, and the about box to
// PNG files, without a display: tallimo_screenshots OUTPUT-FOLDER (make screenshots).
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <cstdio>

#include "ui/about_dlg.h"
#include "ui/tallimo_app.h"
#include "ui/tallimo_dlg.h"

namespace {

// Four durations, one with the label a dropped file gets; the middle two will be selected.
constexpr char kSampleList[] = "1:05.08\n0:42.30\n0:03.25[track 01.wav]\n2:10.00";
constexpr int kSelectedLines = 2;

bool Save(QWidget& widget, const QString& path) {
  if (!widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "tallimo_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  CTallimoApp app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);

  CTallimoDlg dialog;
  dialog.show();
  dialog.activateWindow();
  auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"));
  edit->setPlainText(QString::fromUtf8(kSampleList));
  QTextCursor cursor = edit->textCursor();
  cursor.movePosition(QTextCursor::Start);
  cursor.movePosition(QTextCursor::NextBlock);
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, kSelectedLines - 1);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  edit->setTextCursor(cursor);
  QApplication::processEvents();
  if (!Save(dialog, folder + QStringLiteral("/main-dialog.png"))) return 1;

  dialog.findChild<QPushButton*>(QStringLiteral("aboutButton"))->click();
  QApplication::processEvents();
  auto* about = dialog.findChild<CAboutDlg*>();
  return about && Save(*about, folder + QStringLiteral("/about-box.png")) ? 0 : 1;
}
