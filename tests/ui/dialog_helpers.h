// A main dialog on screen with its controls found the way an outside check finds them: by
// object name.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <memory>

#include "media/measuring_queue.h"
#include "ui/about_dlg.h"
#include "ui/resources.h"
#include "ui/tallimo_dlg.h"

// The tests run once in each language: the texts they expect follow the program's choice, which
// ResourcesTest.InterfaceLanguageFollowsTheLocale holds against the locale the run was given.
inline bool InJapanese() { return ui::InterfaceLanguage() == ui::kLangJapanese; }
inline QString Text(const char* japanese, const char* english) {
  return QString::fromUtf8(InJapanese() ? japanese : english);
}

// A guard against a hang when waiting for the dialog's worker thread; no test depends on how long
// anything takes.
inline constexpr int kPatienceMs = 20000;

class MainDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    dialog_ = std::make_unique<CTallimoDlg>(nullptr, reader_);
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(WaitUntilActive(dialog_.get()));
    edit_ = dialog_->findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"));
    totalAll_ = dialog_->findChild<QLabel*>(QStringLiteral("totalAll"));
    totalSel_ = dialog_->findChild<QLabel*>(QStringLiteral("totalSel"));
    aboutButton_ = dialog_->findChild<QPushButton*>(QStringLiteral("aboutButton"));
    ASSERT_TRUE(edit_ && totalAll_ && totalSel_ && aboutButton_);
  }

  void Select(qsizetype start, qsizetype end) {
    QTextCursor cursor = edit_->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    edit_->setTextCursor(cursor);
  }

  void MoveCaret(qsizetype position) { Select(position, position); }

  // Dropped files are measured on the dialog's worker thread; their lines land afterwards.
  bool WaitUntilLanded() {
    return QTest::qWaitFor([this] { return !dialog_->IsMeasuring(); }, kPatienceMs);
  }

  // The about box the dialog has on show, if any.
  CAboutDlg* VisibleAboutBox() const {
    for (CAboutDlg* about : dialog_->findChildren<CAboutDlg*>()) {
      if (about->isVisible()) return about;
    }
    return nullptr;
  }

  // The window system activates a newly shown window a little later; a transient window counts
  // as active for QWindow before it really has the focus, so wait for the focus itself.
  static bool WaitUntilActive(QWidget* window) {
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
  }

  // Measures the dropped files; a fixture may set another one before SetUp. Without one, the
  // dialog's own: tallimo-measure, which the tests name in TALLIMO_MEASURE.
  media::MeasuringQueue::Reader reader_;
  std::unique_ptr<CTallimoDlg> dialog_;
  QPlainTextEdit* edit_ = nullptr;
  QLabel* totalAll_ = nullptr;
  QLabel* totalSel_ = nullptr;
  QPushButton* aboutButton_ = nullptr;
};
