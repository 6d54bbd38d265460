// The application object: its name and version, and a whole run of the program from the dialog
// appearing to Escape ending it.
#include "ui/tallimo_app.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <string>

#include "tests/wave/wave_writer.h"
#include "ui/tallimo_dlg.h"

namespace {

TEST(TallimoAppTest, CarriesTheProgramNameAndVersion) {
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Tallimo"));
  EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("1.0.0.1"));
}

TEST(TallimoAppTest, InitInstanceShowsTheDialogUntilEscapeEndsIt) {
  auto* app = qobject_cast<CTallimoApp*>(QCoreApplication::instance());
  ASSERT_NE(app, nullptr);
  QString title;
  QString total;
  QTimer::singleShot(0, app, [&] {
    auto* dialog = qobject_cast<CTallimoDlg*>(QApplication::activeModalWidget());
    if (!dialog) {
      // Nothing to drive: end whatever is on show so that the test fails instead of hanging.
      for (QWidget* window : QApplication::topLevelWidgets()) window->close();
      return;
    }
    title = dialog->windowTitle();
    auto* edit = dialog->findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"));
    QTest::keyClicks(edit, QStringLiteral("1:05.08"));
    total = dialog->findChild<QLabel*>(QStringLiteral("totalAll"))->text();
    QTest::keyClick(edit, Qt::Key_Escape);
  });
  EXPECT_FALSE(app->InitInstance());
  EXPECT_EQ(title, QStringLiteral("Tallimo"));
  EXPECT_EQ(total, QStringLiteral("1:05.08"));
}

// A name on the command line that is no UTF-8 is opened by its own bytes, not by a text that was
// made of them.
TEST(TallimoAppTest, MeasuresPathsOfTheCommandLineByTheirBytes) {
  auto* app = qobject_cast<CTallimoApp*>(QCoreApplication::instance());
  ASSERT_NE(app, nullptr);
  const QTemporaryDir dir;
  const std::string path = QFile::encodeName(dir.path()).toStdString() + "/caf\xe9.wav";
  wave_test::WriteWave(path, wave_test::Header({wave_test::Fmt(1, 1, 8)}, 7), 7);
  QString list;
  QTimer::singleShot(0, app, [&] {
    auto* dialog = qobject_cast<CTallimoDlg*>(QApplication::activeModalWidget());
    if (!dialog) {
      for (QWidget* window : QApplication::topLevelWidgets()) window->close();
      return;
    }
    if (!QTest::qWaitFor([dialog] { return !dialog->IsMeasuring(); }, 20000))
      return dialog->reject();
    list = dialog->findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"))->toPlainText();
    dialog->reject();
  });
  EXPECT_FALSE(app->InitInstance({"--", path}));
  EXPECT_EQ(list, QStringLiteral("0:00.07[caf\uFFFD.wav]\n"));
}

}  // namespace
