// The about box as the main dialog opens it: what it shows, where it opens, the address field, and
// every way of closing it, after which the main dialog is as it was.
#include "ui/about_dlg.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>

#include "tests/ui/dialog_helpers.h"

namespace {

class AboutBoxTest : public MainDialogTest {
 protected:
  void SetUp() override {
    MainDialogTest::SetUp();
    m_aboutButton->click();
    m_about = VisibleAboutBox();
    ASSERT_NE(m_about, nullptr);
    ASSERT_TRUE(WaitUntilActive(m_about));
    m_homePage = m_about->findChild<QLineEdit*>(QStringLiteral("homePage"));
    m_ok = m_about->findChild<QPushButton*>(QStringLiteral("okButton"));
    ASSERT_TRUE(m_homePage && m_ok);
  }

  bool ShowsLabel(const QString& text) const {
    for (const QLabel* label : m_about->findChildren<QLabel*>()) {
      if (label->text() == text) return true;
    }
    return false;
  }

  CAboutDlg* m_about = nullptr;
  QLineEdit* m_homePage = nullptr;
  QPushButton* m_ok = nullptr;
};

TEST_F(AboutBoxTest, ShowsNameVersionAndHomePage) {
  EXPECT_EQ(m_about->windowTitle(), Text("ﾊﾞｰｼﾞｮﾝ情報 Tallimo", "About Tallimo"));
  EXPECT_TRUE(ShowsLabel(QStringLiteral("Tallimo Version 1.06")));
  EXPECT_TRUE(ShowsLabel(Text("HomePage to:", "Home page:")));
  EXPECT_EQ(m_homePage->text(), QString::fromLatin1(kTallimoHomePage));
  // Named for screen readers by the label beside it.
  EXPECT_EQ(m_homePage->accessibleName(), Text("HomePage to:", "Home page:"));
  EXPECT_TRUE(m_about->isModal());
}

TEST_F(AboutBoxTest, OkIsTheDefaultAndHasTheFocus) {
  EXPECT_TRUE(m_ok->isDefault());
  EXPECT_EQ(QApplication::focusWidget(), m_ok);
  QTest::keyClick(m_ok, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), m_homePage);
}

TEST_F(AboutBoxTest, AddressCanBeCopiedButNotChanged) {
  m_homePage->setFocus();
  QTest::keyClicks(m_homePage, QStringLiteral("x"));
  QTest::keyClick(m_homePage, Qt::Key_Backspace);
  EXPECT_EQ(m_homePage->text(), QString::fromLatin1(kTallimoHomePage));
  QTest::keyClick(m_homePage, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(m_homePage, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1(kTallimoHomePage));
}

struct PlaceCase {
  const char* name;
  // Where the main dialog stands before the about box opens.
  std::function<QPoint(const QRect& screen, const QSize& dialog)> mainDialogAt;
  // Whether the about box, wider than the main dialog, is centred across it or kept at the
  // screen's left edge.
  bool centredAcross;
};

void PrintTo(const PlaceCase& place, std::ostream* out) { *out << place.name; }

class AboutBoxPlaceTest : public MainDialogTest, public testing::WithParamInterface<PlaceCase> {};

// Where no window manager places the about box, it opens over its owner, within the screen.
TEST_P(AboutBoxPlaceTest, OpensOverTheMainDialogWithinTheScreen) {
  const QRect screen = m_dialog->screen()->availableGeometry();
  m_dialog->move(GetParam().mainDialogAt(screen, m_dialog->frameGeometry().size()));
  m_aboutButton->click();
  CAboutDlg* about = VisibleAboutBox();
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
  // Transient for the main dialog: a window manager keeps it over its owner and centres it there.
  EXPECT_EQ(about->windowHandle()->transientParent(), m_dialog->windowHandle());
  const QRect place = about->frameGeometry();
  const QRect owner = m_dialog->frameGeometry();
  SCOPED_TRACE(testing::Message() << place.x() << "," << place.y() << " " << place.width() << "x"
                                  << place.height() << " over " << owner.x() << "," << owner.y());
  EXPECT_TRUE(screen.contains(place));
  // Within the pixel or two that halving and the frame's sides may lose.
  EXPECT_LE(std::abs(place.center().y() - owner.center().y()), 2);
  if (GetParam().centredAcross) {
    EXPECT_LE(std::abs(place.center().x() - owner.center().x()), 2);
  } else {
    EXPECT_EQ(place.left(), screen.left());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Places, AboutBoxPlaceTest,
    testing::Values(PlaceCase{"InTheMiddleOfTheScreen",
                              [](const QRect& screen, const QSize& dialog) {
                                return screen.center() -
                                       QPoint(dialog.width(), dialog.height()) / 2;
                              },
                              true},
                    PlaceCase{"AtTheScreensTopLeft",
                              [](const QRect& screen, const QSize&) { return screen.topLeft(); },
                              false}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

struct CloseCase {
  const char* name;
  std::function<void(CAboutDlg&, QPushButton&)> close;
};

void PrintTo(const CloseCase& close, std::ostream* out) { *out << close.name; }

class AboutBoxCloseTest : public AboutBoxTest, public testing::WithParamInterface<CloseCase> {};

TEST_P(AboutBoxCloseTest, ClosesAndLeavesTheMainDialogAsItWas) {
  // The fixture opened the box on an empty list: close it, give the main dialog some text and a
  // selection to keep, and open the box again.
  m_about->close();
  QTest::keyClicks(m_edit, QStringLiteral("1:05.08"));
  QTest::keyClick(m_edit, Qt::Key_Return);
  QTest::keyClicks(m_edit, QStringLiteral("0:42.30"));
  QTest::keyClick(m_edit, Qt::Key_Home, Qt::ShiftModifier);
  m_aboutButton->click();
  CAboutDlg* about = VisibleAboutBox();
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(WaitUntilActive(about));

  GetParam().close(*about, *about->findChild<QPushButton*>(QStringLiteral("okButton")));

  EXPECT_FALSE(about->isVisible());
  EXPECT_TRUE(m_dialog->isVisible());
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("1:05.08\n0:42.30"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:47.38"));
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("0:42.30"));
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
