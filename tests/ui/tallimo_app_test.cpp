// The application object: its name and version, and a whole run of the program from the dialog
// appearing to Escape ending it.
#include "ui/tallimo_app.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

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

}  // namespace
