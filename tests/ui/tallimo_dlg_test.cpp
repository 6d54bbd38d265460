// The main dialog driven as a user drives it: typing, selecting, Return and Escape, the about box
// from every place that opens it, and the frame it sits in.
#include "ui/tallimo_dlg.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <QWindow>
#include <ostream>
#include <string>

#include "res/resource.h"
#include "tests/ui/dialog_helpers.h"
#include "ui/resources.h"

namespace {

TEST_F(MainDialogTest, EveryKeystrokeUpdatesTheTotalOfTheList) {
  QTest::keyClicks(edit_, QStringLiteral("1:05"));
  EXPECT_EQ(totalAll_->text(), QStringLiteral("1:00.05"));  // no point yet: 05 are seconds
  QTest::keyClicks(edit_, QStringLiteral(".08"));
  EXPECT_EQ(totalAll_->text(), QStringLiteral("1:05.08"));
  EXPECT_EQ(totalSel_->text(), QStringLiteral("0:00.00"));
  QTest::keyClick(edit_, Qt::Key_Backspace);
  EXPECT_EQ(totalAll_->text(), QStringLiteral("1:05.00"));
}

TEST_F(MainDialogTest, KeyboardSelectionShowsTheSelectionTotal) {
  QTest::keyClicks(edit_, QStringLiteral("1:05.08"));
  QTest::keyClick(edit_, Qt::Key_Return);
  QTest::keyClicks(edit_, QStringLiteral("0:42.30"));
  EXPECT_EQ(totalAll_->text(), QStringLiteral("1:47.38"));
  QTest::keyClick(edit_, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(totalSel_->text(), QStringLiteral("0:42.30"));
  QTest::keyClick(edit_, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(totalSel_->text(), QStringLiteral("1:47.38"));
}

struct SelectionCase {
  const char* name;
  const char16_t* text;
  qsizetype anchor;  // cursor positions, UTF-16 units
  qsizetype position;
  const char* selectionTotal;
};

void PrintTo(const SelectionCase& selection, std::ostream* out) { *out << selection.name; }

class SelectionTotalTest : public MainDialogTest,
                           public testing::WithParamInterface<SelectionCase> {};

TEST_P(SelectionTotalTest, ShowsTheTotalOfTheSelectedText) {
  edit_->setPlainText(QString::fromUtf16(GetParam().text));
  Select(GetParam().anchor, GetParam().position);
  EXPECT_EQ(totalSel_->text(), QString::fromLatin1(GetParam().selectionTotal));
}

INSTANTIATE_TEST_SUITE_P(
    Selections, SelectionTotalTest,
    testing::Values(
        SelectionCase{"InsideALine", u"1:05.08", 2, 7, "0:05.08"},
        SelectionCase{"WholeSecondLine", u"1:05.08\n0:42.30", 8, 15, "0:42.30"},
        SelectionCase{"AcrossLines", u"1:05.08\n0:42.30", 2, 11, "0:05.12"},
        SelectionCase{"Backwards", u"1:05.08\n0:42.30", 15, 8, "0:42.30"},
        SelectionCase{"EndingJustBeforeALineBreak", u"1:00.00\n2:00.00", 0, 7, "1:00.00"},
        SelectionCase{"IncludingTheLineBreak", u"1:00.00\n2:00.00", 0, 8, "1:00.00"},
        SelectionCase{"StartingJustAfterALineBreak", u"1:00.00\n2:00.00", 8, 15, "2:00.00"},
        SelectionCase{"AfterAJapaneseLine", u"\u5408\u8a08\u6642\u9593\n1:05.08", 5, 12, "1:05.08"},
        SelectionCase{"AfterAnEmojiLine", u"\U0001F600\U0001F600\n1:05.08", 5, 12, "1:05.08"},
        SelectionCase{"AfterEmojiOnTheSameLine",
                      u"\U0001F600"
                      u"1:05.08",
                      2, 9, "1:05.08"},
        SelectionCase{"AfterJapaneseAndEmojiLines", u"\u3042\n\U0001F3B5\u66f2\n\n0:00.09\n1:05.08",
                      15, 22, "1:05.08"},
        SelectionCase{"JapaneseLabelInTheSelection", u"0:03.25[\u66f2 01.wav]\n1:00.00", 0, 23,
                      "1:03.25"}),
    [](const testing::TestParamInfo<SelectionCase>& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, AnEmptySelectionLeavesTheSelectionTotal) {
  edit_->setPlainText(QStringLiteral("1:05.08\n0:42.30"));
  Select(0, 7);
  ASSERT_EQ(totalSel_->text(), QStringLiteral("1:05.08"));
  // A click into the second line drops the selection.
  QTextCursor inSecondLine(edit_->document());
  inSecondLine.setPosition(12);
  QTest::mouseClick(edit_->viewport(), Qt::LeftButton, {},
                    edit_->cursorRect(inSecondLine).center());
  ASSERT_FALSE(edit_->textCursor().hasSelection());
  EXPECT_EQ(totalSel_->text(), QStringLiteral("1:05.08"));
  EXPECT_EQ(totalAll_->text(), QStringLiteral("1:47.38"));
}

TEST_F(MainDialogTest, ReselectingAStretchAfterTypingElsewhereShowsItsTotal) {
  edit_->setPlainText(QStringLiteral("1:00.00\n2:00.00"));
  Select(0, 7);
  ASSERT_EQ(totalSel_->text(), QStringLiteral("1:00.00"));
  MoveCaret(edit_->toPlainText().size());
  QTest::keyClicks(edit_, QStringLiteral("5"));
  ASSERT_EQ(totalSel_->text(), QStringLiteral("0:00.00"));
  Select(0, 7);
  EXPECT_EQ(totalSel_->text(), QStringLiteral("1:00.00"));
}

TEST_F(MainDialogTest, TotalsCoverEveryLineOfAListPast50000Bytes) {
  QString list;
  for (int i = 0; i < 8000; ++i) list += QStringLiteral("0:00.10\n");
  list += QStringLiteral("1:00.00");  // starts 72,000 bytes into the list
  edit_->setPlainText(list);
  EXPECT_EQ(totalAll_->text(), QStringLiteral("23:13.20"));
  Select(list.size() - 7, list.size());
  EXPECT_EQ(totalSel_->text(), QStringLiteral("1:00.00"));
}

struct LineBreakKey {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

void PrintTo(const LineBreakKey& key, std::ostream* out) { *out << key.name; }

class LineBreakKeyTest : public MainDialogTest, public testing::WithParamInterface<LineBreakKey> {};

TEST_P(LineBreakKeyTest, StartsANewLineAndKeepsTheDialogOpen) {
  QTest::keyClicks(edit_, QStringLiteral("1:00.00"));
  QTest::keyClick(edit_, GetParam().key, GetParam().modifiers);
  QTest::keyClicks(edit_, QStringLiteral("0:30.00"));
  EXPECT_EQ(edit_->toPlainText(), QStringLiteral("1:00.00\n0:30.00"));
  EXPECT_EQ(totalAll_->text(), QStringLiteral("1:30.00"));
  QTest::keyClick(edit_, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(totalSel_->text(), QStringLiteral("0:30.00"));
  EXPECT_TRUE(dialog_->isVisible());
}

// Shift+Return makes a line break inside a paragraph; it must count as a line break all the same.
INSTANTIATE_TEST_SUITE_P(
    Keys, LineBreakKeyTest,
    testing::Values(LineBreakKey{"Return", Qt::Key_Return, Qt::NoModifier},
                    LineBreakKey{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier},
                    LineBreakKey{"ShiftReturn", Qt::Key_Return, Qt::ShiftModifier}),
    [](const testing::TestParamInfo<LineBreakKey>& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, EscapeEndsTheDialog) {
  QTest::keyClicks(edit_, QStringLiteral("1:00.00"));
  QTest::keyClick(edit_, Qt::Key_Escape);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
}

TEST_F(MainDialogTest, CloseButtonEndsTheDialog) {
  EXPECT_TRUE(dialog_->close());
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
}

TEST_F(MainDialogTest, AboutButtonOpensTheAboutBox) {
  QTest::mouseClick(aboutButton_, Qt::LeftButton);
  CAboutDlg* about = VisibleAboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isModal());
}

// Only the English button has a mnemonic: the Japanese template gives its text as it is.
TEST_F(MainDialogTest, AltAOpensTheAboutBoxInEnglish) {
  if (InJapanese()) {
    EXPECT_TRUE(aboutButton_->shortcut().isEmpty());
    return;
  }
  QTest::keyClick(dialog_.get(), Qt::Key_A, Qt::AltModifier);
  // The button shows itself pressed for a moment before it clicks.
  EXPECT_TRUE(QTest::qWaitFor([this] { return VisibleAboutBox() != nullptr; }, kPatienceMs));
}

// What a screen reader says for each control, in the interface language; a total is named by
// its label, which Qt reports as labelling it.
TEST_F(MainDialogTest, ControlsHaveAccessibleNamesInTheInterfaceLanguage) {
  const struct {
    QWidget* control;
    QString name;
  } named[] = {
      {edit_, Text("時間の一覧（1行に1つ）", "Durations, one per line")},
      {totalAll_, Text("全合計時間", "Total of all lines")},
      {totalSel_, Text("選択範囲合計時間", "Total of selection")},
  };
  for (const auto& [control, name] : named) {
    EXPECT_EQ(control->accessibleName(), name) << name.toStdString();
    if (control == edit_) continue;
    const QLabel* label = nullptr;
    for (const QLabel* candidate : dialog_->findChildren<QLabel*>()) {
      if (candidate->buddy() == control) label = candidate;
    }
    ASSERT_NE(label, nullptr) << name.toStdString();
    EXPECT_EQ(label->text(), name);
  }
  EXPECT_EQ(aboutButton_->text(), Text("about", "&About"));
  // The value a screen reader reads is the total, and it follows the typing.
  EXPECT_EQ(totalAll_->accessibleDescription(), QStringLiteral("0:00.00"));
  QTest::keyClicks(edit_, QStringLiteral("1:05.08"));
  EXPECT_EQ(totalAll_->accessibleDescription(), QStringLiteral("1:05.08"));
}

TEST_F(MainDialogTest, HelpKeyOpensTheAboutBox) {
  QTest::keyClick(edit_, Qt::Key_F1);
  EXPECT_NE(VisibleAboutBox(), nullptr);
}

TEST_F(MainDialogTest, RightClickOutsideTheEditOffersTheAboutEntry) {
  // A real right click through the window, on the total of all lines.
  QTest::mouseClick(dialog_->windowHandle(), Qt::RightButton, {}, totalAll_->geometry().center());
  auto* menu = dialog_->findChild<QMenu*>(QStringLiteral("systemMenu"));
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  ASSERT_EQ(menu->actions().size(), 1);
  QAction* entry = menu->actions().front();
  EXPECT_EQ(entry->text(), Text("ﾊﾞｰｼﾞｮﾝ情報(Tallimo) (&A)...", "&About Tallimo..."));
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
  EXPECT_FALSE(menu->isVisible());
  EXPECT_NE(VisibleAboutBox(), nullptr);
}

TEST_F(MainDialogTest, FrameIsFixedWithACloseButtonOnly) {
  EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Tallimo"));
  EXPECT_EQ(dialog_->minimumSize(), dialog_->maximumSize());
  const Qt::WindowFlags flags = dialog_->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
  const QList<QSize> sizes = dialog_->windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

TEST_F(MainDialogTest, FocusStartsInTheEditAndTabGoesToAbout) {
  EXPECT_EQ(QApplication::focusWidget(), edit_);
  QTest::keyClick(edit_, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), aboutButton_);
  EXPECT_TRUE(edit_->toPlainText().isEmpty());
  QTest::keyClick(aboutButton_, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), edit_);
}

}  // namespace
