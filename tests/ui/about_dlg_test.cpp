// The about box as the main dialog opens it: what it shows, the address field, and every way of
// closing it, after which the main dialog is as it was.
#include "ui/about_dlg.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <ostream>
#include <string>

#include "tests/ui/dialog_helpers.h"

namespace {

class AboutBoxTest : public MainDialogTest {
 protected:
  void SetUp() override {
    MainDialogTest::SetUp();
    aboutButton_->click();
    about_ = VisibleAboutBox();
    ASSERT_NE(about_, nullptr);
    ASSERT_TRUE(WaitUntilActive(about_));
    homePage_ = about_->findChild<QLineEdit*>(QStringLiteral("homePage"));
    ok_ = about_->findChild<QPushButton*>(QStringLiteral("okButton"));
    ASSERT_TRUE(homePage_ && ok_);
  }

  bool ShowsLabel(const QString& text) const {
    for (const QLabel* label : about_->findChildren<QLabel*>()) {
      if (label->text() == text) return true;
    }
    return false;
  }

  CAboutDlg* about_ = nullptr;
  QLineEdit* homePage_ = nullptr;
  QPushButton* ok_ = nullptr;
};

TEST_F(AboutBoxTest, ShowsNameVersionAndHomePage) {
  EXPECT_EQ(about_->windowTitle(), Text("ﾊﾞｰｼﾞｮﾝ情報 Tallimo", "About Tallimo"));
  EXPECT_TRUE(ShowsLabel(QStringLiteral("Tallimo Version 1.06")));
  EXPECT_TRUE(ShowsLabel(Text("HomePage to:", "Home page:")));
  EXPECT_EQ(homePage_->text(), QString::fromLatin1(kTallimoHomePage));
  // Named for screen readers by the label beside it.
  EXPECT_EQ(homePage_->accessibleName(), Text("HomePage to:", "Home page:"));
  EXPECT_TRUE(about_->isModal());
}

TEST_F(AboutBoxTest, OkIsTheDefaultAndHasTheFocus) {
  EXPECT_TRUE(ok_->isDefault());
  EXPECT_EQ(QApplication::focusWidget(), ok_);
  QTest::keyClick(ok_, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), homePage_);
}

TEST_F(AboutBoxTest, AddressCanBeCopiedButNotChanged) {
  homePage_->setFocus();
  QTest::keyClicks(homePage_, QStringLiteral("x"));
  QTest::keyClick(homePage_, Qt::Key_Backspace);
  EXPECT_EQ(homePage_->text(), QString::fromLatin1(kTallimoHomePage));
  QTest::keyClick(homePage_, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(homePage_, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1(kTallimoHomePage));
}

struct CloseCase {
  const char* name;
  std::function<void(CAboutDlg&, QPushButton&)> close;
};

void PrintTo(const CloseCase& close, std::ostream* out) { *out << close.name; }

class AboutBoxCloseTest : public AboutBoxTest, public testing::WithParamInterface<CloseCase> {};

TEST_P(AboutBoxCloseTest, ClosesAndLeavesTheMainDialogAsItWas) {
  // The fixture opened the box on an empty list: close it, give the main dialog some text and a
  // selection to keep, and open the box again.
  about_->close();
  QTest::keyClicks(edit_, QStringLiteral("1:05.08"));
  QTest::keyClick(edit_, Qt::Key_Return);
  QTest::keyClicks(edit_, QStringLiteral("0:42.30"));
  QTest::keyClick(edit_, Qt::Key_Home, Qt::ShiftModifier);
  aboutButton_->click();
  CAboutDlg* about = VisibleAboutBox();
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(WaitUntilActive(about));

  GetParam().close(*about, *about->findChild<QPushButton*>(QStringLiteral("okButton")));

  EXPECT_FALSE(about->isVisible());
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(edit_->toPlainText(), QStringLiteral("1:05.08\n0:42.30"));
  EXPECT_EQ(totalAll_->text(), QStringLiteral("1:47.38"));
  EXPECT_EQ(totalSel_->text(), QStringLiteral("0:42.30"));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AboutBoxCloseTest,
    testing::Values(
        CloseCase{"OkButton",
                  [](CAboutDlg&, QPushButton& ok) { QTest::mouseClick(&ok, Qt::LeftButton); }},
        CloseCase{"Return",
                  [](CAboutDlg&, QPushButton& ok) { QTest::keyClick(&ok, Qt::Key_Return); }},
        CloseCase{"ReturnInTheAddressField",
                  [](CAboutDlg& about, QPushButton&) {
                    QTest::keyClick(about.findChild<QLineEdit*>(QStringLiteral("homePage")),
                                    Qt::Key_Return);
                  }},
        CloseCase{"Escape",
                  [](CAboutDlg&, QPushButton& ok) { QTest::keyClick(&ok, Qt::Key_Escape); }},
        CloseCase{"CloseButton", [](CAboutDlg& about, QPushButton&) { about.close(); }}),
    [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

}  // namespace
