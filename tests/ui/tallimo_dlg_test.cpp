// The main dialog driven as a user drives it: typing, selecting, Return and Escape, the about box
// from every place that opens it, and the frame it sits in and how its controls follow the frame.
#include "ui/tallimo_dlg.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <QWindow>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/ui/dialog_helpers.h"
#include "ui/dialog_builder.h"
#include "ui/resources.h"

namespace {

using namespace Qt::StringLiterals;

TEST_F(MainDialogTest, EveryKeystrokeUpdatesTheTotalOfTheList) {
  QTest::keyClicks(m_edit, QStringLiteral("1:05"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:00.05"));  // no point yet: 05 are seconds
  QTest::keyClicks(m_edit, QStringLiteral(".08"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:05.08"));
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("0:00.00"));
  QTest::keyClick(m_edit, Qt::Key_Backspace);
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:05.00"));
}

TEST_F(MainDialogTest, KeyboardSelectionShowsTheSelectionTotal) {
  QTest::keyClicks(m_edit, QStringLiteral("1:05.08"));
  QTest::keyClick(m_edit, Qt::Key_Return);
  QTest::keyClicks(m_edit, QStringLiteral("0:42.30"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:47.38"));
  QTest::keyClick(m_edit, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("0:42.30"));
  QTest::keyClick(m_edit, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("1:47.38"));
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
  m_edit->setPlainText(QString::fromUtf16(GetParam().text));
  Select(GetParam().anchor, GetParam().position);
  EXPECT_EQ(m_totalSel->text(), QString::fromLatin1(GetParam().selectionTotal));
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
  m_edit->setPlainText(QStringLiteral("1:05.08\n0:42.30"));
  Select(0, 7);
  ASSERT_EQ(m_totalSel->text(), QStringLiteral("1:05.08"));
  // A click into the second line drops the selection.
  QTextCursor inSecondLine(m_edit->document());
  inSecondLine.setPosition(12);
  QTest::mouseClick(m_edit->viewport(), Qt::LeftButton, {},
                    m_edit->cursorRect(inSecondLine).center());
  ASSERT_FALSE(m_edit->textCursor().hasSelection());
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("1:05.08"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:47.38"));
}

TEST_F(MainDialogTest, ReselectingAStretchAfterTypingElsewhereShowsItsTotal) {
  m_edit->setPlainText(QStringLiteral("1:00.00\n2:00.00"));
  Select(0, 7);
  ASSERT_EQ(m_totalSel->text(), QStringLiteral("1:00.00"));
  MoveCaret(m_edit->toPlainText().size());
  QTest::keyClicks(m_edit, QStringLiteral("5"));
  ASSERT_EQ(m_totalSel->text(), QStringLiteral("0:00.00"));
  Select(0, 7);
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("1:00.00"));
}

TEST_F(MainDialogTest, TotalsCoverEveryLineOfAListPast50000Bytes) {
  QString list;
  for (int i = 0; i < 8000; ++i) list += QStringLiteral("0:00.10\n");
  list += QStringLiteral("1:00.00");  // starts 72,000 bytes into the list
  m_edit->setPlainText(list);
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("23:13.20"));
  Select(list.size() - 7, list.size());
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("1:00.00"));
}

struct LineBreakKey {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

void PrintTo(const LineBreakKey& key, std::ostream* out) { *out << key.name; }

class LineBreakKeyTest : public MainDialogTest, public testing::WithParamInterface<LineBreakKey> {};

TEST_P(LineBreakKeyTest, StartsANewLineAndKeepsTheDialogOpen) {
  QTest::keyClicks(m_edit, QStringLiteral("1:00.00"));
  QTest::keyClick(m_edit, GetParam().key, GetParam().modifiers);
  QTest::keyClicks(m_edit, QStringLiteral("0:30.00"));
  EXPECT_EQ(m_edit->toPlainText(), QStringLiteral("1:00.00\n0:30.00"));
  EXPECT_EQ(m_totalAll->text(), QStringLiteral("1:30.00"));
  QTest::keyClick(m_edit, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(m_totalSel->text(), QStringLiteral("0:30.00"));
  EXPECT_TRUE(m_dialog->isVisible());
}

// Shift+Return makes a line break inside a paragraph; it must count as a line break all the same.
INSTANTIATE_TEST_SUITE_P(
    Keys, LineBreakKeyTest,
    testing::Values(LineBreakKey{"Return", Qt::Key_Return, Qt::NoModifier},
                    LineBreakKey{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier},
                    LineBreakKey{"ShiftReturn", Qt::Key_Return, Qt::ShiftModifier}),
    [](const testing::TestParamInfo<LineBreakKey>& info) { return std::string(info.param.name); });

TEST_F(MainDialogTest, EscapeEndsTheDialog) {
  QTest::keyClicks(m_edit, QStringLiteral("1:00.00"));
  QTest::keyClick(m_edit, Qt::Key_Escape);
  EXPECT_FALSE(m_dialog->isVisible());
  EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
}

TEST_F(MainDialogTest, CloseButtonEndsTheDialog) {
  EXPECT_TRUE(m_dialog->close());
  EXPECT_FALSE(m_dialog->isVisible());
  EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
}

TEST_F(MainDialogTest, AboutButtonOpensTheAboutBox) {
  QTest::mouseClick(m_aboutButton, Qt::LeftButton);
  CAboutDlg* about = VisibleAboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isModal());
}

// Only the English button has a mnemonic: the Japanese template gives its text as it is.
TEST_F(MainDialogTest, AltAOpensTheAboutBoxInEnglish) {
  if (InJapanese()) {
    EXPECT_TRUE(m_aboutButton->shortcut().isEmpty());
    return;
  }
  QTest::keyClick(m_dialog.get(), Qt::Key_A, Qt::AltModifier);
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
      {m_edit, Text("時間の一覧（1行に1つ）", "Durations, one per line")},
      {m_totalAll, Text("全合計時間", "Total of all lines")},
      {m_totalSel, Text("選択範囲合計時間", "Total of selection")},
  };
  for (const auto& [control, name] : named) {
    EXPECT_EQ(control->accessibleName(), name) << name.toStdString();
    if (control == m_edit) continue;
    const QLabel* label = nullptr;
    for (const QLabel* candidate : m_dialog->findChildren<QLabel*>()) {
      if (candidate->buddy() == control) label = candidate;
    }
    ASSERT_NE(label, nullptr) << name.toStdString();
    EXPECT_EQ(label->text(), name);
  }
  EXPECT_EQ(m_aboutButton->text(), Text("about", "&About"));
  // The value a screen reader reads is the total, and it follows the typing.
  EXPECT_EQ(m_totalAll->accessibleDescription(), QStringLiteral("0:00.00"));
  QTest::keyClicks(m_edit, QStringLiteral("1:05.08"));
  EXPECT_EQ(m_totalAll->accessibleDescription(), QStringLiteral("1:05.08"));
}

TEST_F(MainDialogTest, HelpKeyOpensTheAboutBox) {
  QTest::keyClick(m_edit, Qt::Key_F1);
  EXPECT_NE(VisibleAboutBox(), nullptr);
}

TEST_F(MainDialogTest, RightClickOutsideTheEditOffersTheAboutEntry) {
  // A real right click through the window, on the total of all lines.
  QTest::mouseClick(m_dialog->windowHandle(), Qt::RightButton, {}, m_totalAll->geometry().center());
  auto* menu = m_dialog->findChild<QMenu*>(QStringLiteral("systemMenu"));
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  ASSERT_EQ(menu->actions().size(), 1);
  QAction* entry = menu->actions().front();
  EXPECT_EQ(entry->text(), Text("ﾊﾞｰｼﾞｮﾝ情報(Tallimo) (&A)...", "&About Tallimo..."));
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
  EXPECT_FALSE(menu->isVisible());
  EXPECT_NE(VisibleAboutBox(), nullptr);
}

// An application's own window, which the window manager lets the user maximise, that can grow
// from its template's size but not shrink below it.
TEST_F(MainDialogTest, FrameGrowsFromTheTemplatesSizeWithMaximiseAndClose) {
  EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Tallimo"));
  const ui::DialogTemplate dialogTemplate = ui::LoadDialogTemplate(res::kIddTallimoDialog);
  const QSize templateSize = ui::DialogUnitsToPixels(QRect(QPoint(0, 0), dialogTemplate.size),
                                                     ui::MeasureBaseUnits(m_dialog->font()))
                                 .size();
  EXPECT_EQ(m_dialog->minimumSize(), templateSize);
  EXPECT_EQ(m_dialog->size(), templateSize);
  EXPECT_EQ(m_dialog->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  const Qt::WindowFlags flags = m_dialog->windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
  const QList<QSize> sizes = m_dialog->windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

// The list takes the room a larger window gives; the totals, their labels, the hint and the about
// button keep their places beside its right edge and their sizes. Where each control goes is the
// shared layout's, which the Windows suite checks size by size; here, that the frame's new size
// reaches it.
TEST_F(MainDialogTest, MaximisedTheListTakesTheRoomAndTheRestKeepsItsPlaceAtTheRight) {
  const QSize before = m_dialog->size();
  std::vector<std::pair<QWidget*, QRect>> places;
  for (QWidget* control : m_dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!control->isWindow()) places.emplace_back(control, control->geometry());
  }
  m_dialog->showMaximized();
  ASSERT_TRUE(QTest::qWaitFor([this] { return m_dialog->isMaximized(); }));
  ASSERT_TRUE(QTest::qWaitFor([this] { return m_dialog->size() != m_dialog->minimumSize(); }));
  const int dx = m_dialog->width() - before.width();
  const int dy = m_dialog->height() - before.height();
  EXPECT_TRUE(dx > 0 && dy > 0) << dx << " x " << dy;
  for (const auto& [control, place] : places) {
    const QRect expected =
        control == m_edit ? place.adjusted(0, 0, dx, dy) : place.translated(dx, 0);
    EXPECT_EQ(control->geometry(), expected) << control->metaObject()->className();
  }
}

// Qt's own texts speak the interface language too, from the translations the system keeps for Qt:
// the list's right-click menu, as a screen reader names its entries.
TEST_F(MainDialogTest, ListsEditMenuSpeaksTheInterfaceLanguage) {
  const std::unique_ptr<QMenu> menu(m_edit->createStandardContextMenu());
  QStringList entries;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) entries.append(action->text().section(u'\t', 0, 0));
  }
  const QStringList japanese = {u"元に戻す(&U)"_s, u"やり直す(&R)"_s, u"切り取り(&T)"_s,
                                u"コピー(&C)"_s,   u"貼り付け(&P)"_s, u"削除"_s,
                                u"すべてを選択"_s};
  const QStringList english = {u"&Undo"_s,  u"&Redo"_s,  u"Cu&t"_s,      u"&Copy"_s,
                               u"&Paste"_s, u"Delete"_s, u"Select All"_s};
  EXPECT_EQ(entries, InJapanese() ? japanese : english);
}

TEST_F(MainDialogTest, FocusStartsInTheEditAndTabGoesToAbout) {
  EXPECT_EQ(QApplication::focusWidget(), m_edit);
  QTest::keyClick(m_edit, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), m_aboutButton);
  EXPECT_TRUE(m_edit->toPlainText().isEmpty());
  QTest::keyClick(m_aboutButton, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), m_edit);
}

}  // namespace
