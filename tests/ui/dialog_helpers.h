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

#include "drops/measurer.h"
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
    m_dialog = std::make_unique<CTallimoDlg>(nullptr, std::move(m_measurer));
    m_dialog->show();
    m_dialog->activateWindow();
    ASSERT_TRUE(WaitUntilActive(m_dialog.get()));
    m_edit = m_dialog->findChild<QPlainTextEdit*>(QStringLiteral("timeEdit"));
    m_totalAll = m_dialog->findChild<QLabel*>(QStringLiteral("totalAll"));
    m_totalSel = m_dialog->findChild<QLabel*>(QStringLiteral("totalSel"));
    m_aboutButton = m_dialog->findChild<QPushButton*>(QStringLiteral("aboutButton"));
    ASSERT_TRUE(m_edit && m_totalAll && m_totalSel && m_aboutButton);
  }

  void Select(qsizetype start, qsizetype end) {
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
  }

  void MoveCaret(qsizetype position) { Select(position, position); }

  // Dropped files are measured on the dialog's worker thread; their lines land afterwards.
  bool WaitUntilLanded() {
    return QTest::qWaitFor([this] { return !m_dialog->IsMeasuring(); }, kPatienceMs);
  }

  // The about box the dialog has on show, if any.
  CAboutDlg* VisibleAboutBox() const {
    for (CAboutDlg* about : m_dialog->findChildren<CAboutDlg*>()) {
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
  std::unique_ptr<drops::Measurer> m_measurer;
  std::unique_ptr<CTallimoDlg> m_dialog;
  QPlainTextEdit* m_edit = nullptr;
  QLabel* m_totalAll = nullptr;
  QLabel* m_totalSel = nullptr;
  QPushButton* m_aboutButton = nullptr;
};
