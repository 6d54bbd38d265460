// Dialog units: the rounding Windows uses, the base units of the dialog font, and every dialog
// laid out control by control as its template places it, with no text cut off.
#include "ui/dialog_builder.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <ostream>
#include <utility>

#include "tests/ui/dialog_helpers.h"
#include "ui/measuring_dlg.h"
#include "ui/resource_script.h"

namespace {

struct MulDivCase {
  int number, numerator, denominator, result;
};

void PrintTo(const MulDivCase& c, std::ostream* out) {
  *out << c.number << " * " << c.numerator << " / " << c.denominator;
}

class MulDivTest : public testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivTest, RoundsToNearestWithHalvesAwayFromZero) {
  const MulDivCase& c = GetParam();
  EXPECT_EQ(ui::MulDiv(c.number, c.numerator, c.denominator), c.result);
}

INSTANTIATE_TEST_SUITE_P(Products, MulDivTest,
                         testing::Values(MulDivCase{0, 7, 4, 0}, MulDivCase{120, 7, 4, 210},
                                         MulDivCase{35, 7, 4, 61}, MulDivCase{178, 7, 4, 312},
                                         MulDivCase{9, 13, 8, 15}, MulDivCase{5, 13, 8, 8},
                                         MulDivCase{2, 1, 4, 1}, MulDivCase{-2, 1, 4, -1},
                                         MulDivCase{-5, 7, 4, -9}));

// The stand-in for the template font is what the whole layout rests on.
TEST(DialogFontTest, StandsInWithIpaPGothicAtNinePoints) {
  const QFont font = ui::DialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
  const QFontInfo info(font);
  // Fontconfig gives the face's Japanese name in a Japanese locale.
  EXPECT_TRUE(info.family() == QStringLiteral("IPAPGothic") ||
              info.family() == QStringLiteral("IPA Pゴシック"))
      << info.family().toStdString();
  EXPECT_EQ(info.pixelSize(), 12);  // 9 points at 96 dots per inch
  const ui::BaseUnits units = ui::MeasureBaseUnits(font);
  EXPECT_EQ(units.x, 7);
  EXPECT_EQ(units.y, 13);
}

// Windows' name for its ordinary dialog font, which the English templates give.
TEST(DialogFontTest, ShellDialogFontIsTheDesktopsFont) {
  EXPECT_EQ(ui::DialogFont(QStringLiteral("MS Shell Dlg"), 8), QGuiApplication::font());
}

QWidget* LabelWithText(const QWidget& dialog, const char* text) {
  for (QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->text() == QString::fromUtf8(text)) return label;
  }
  return nullptr;
}

// Rectangles in pixels for base units 7 x 13: x and width * 7 / 4, y and height * 13 / 8. The
// English dialogs take the desktop's font, whatever it is: the agreement with the compiled
// templates places their controls.
TEST_F(MainDialogTest, ControlsSitWhereTheTemplatePutsThem) {
  if (!InJapanese()) GTEST_SKIP() << "the Japanese layout in IPAPGothic";
  EXPECT_EQ(m_dialog->size(), QSize(348, 145));                   // 199 x 89
  EXPECT_EQ(m_edit->geometry(), QRect(9, 8, 210, 124));           // 5, 5, 120, 76
  EXPECT_EQ(m_totalAll->geometry(), QRect(236, 33, 63, 13));      // 135, 20, 36, 8
  EXPECT_EQ(m_totalSel->geometry(), QRect(236, 73, 68, 13));      // 135, 45, 39, 8
  EXPECT_EQ(m_aboutButton->geometry(), QRect(280, 128, 63, 15));  // 160, 79, 36, 9
  const struct {
    const char* text;
    QRect pixels;
  } captions[] = {
      {"全合計時間", QRect(228, 16, 61, 13)},                 // 130, 10, 35, 8
      {"選択範囲合計時間", QRect(228, 57, 98, 13)},           // 130, 35, 56, 8
      {"←ここに\"1:05.08\"という", QRect(219, 98, 119, 13)},  // 125, 60, 68, 8
      {"ように入力して下さい", QRect(228, 114, 107, 13)},     // 130, 70, 61, 8
  };
  for (const auto& caption : captions) {
    QWidget* label = LabelWithText(*m_dialog, caption.text);
    ASSERT_NE(label, nullptr) << caption.text;
    EXPECT_EQ(label->geometry(), caption.pixels) << caption.text;
  }
}

TEST_F(MainDialogTest, AboutBoxControlsSitWhereTheTemplatePutsThem) {
  if (!InJapanese()) GTEST_SKIP() << "the Japanese layout in IPAPGothic";
  m_aboutButton->click();
  CAboutDlg* about = VisibleAboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->size(), QSize(380, 89));  // 217 x 55
  auto* homePage = about->findChild<QLineEdit*>(QStringLiteral("homePage"));
  ASSERT_NE(homePage, nullptr);
  EXPECT_EQ(homePage->geometry(), QRect(224, 60, 144, 20));  // 128, 37, 82, 12
  auto* ok = about->findChild<QPushButton*>();
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->geometry(), QRect(312, 11, 56, 23));  // 178, 7, 32, 14
  const struct {
    const char* text;
    QRect pixels;
  } statics[] = {
      {"Tallimo Version 1.06", QRect(70, 16, 208, 13)},             // 40, 10, 119, 8
      {"(C) 2026 The Tallimo developers", QRect(70, 41, 208, 13)},  // 40, 25, 119, 8
      {"HomePage to:", QRect(149, 65, 72, 13)},                     // 85, 40, 41, 8
  };
  for (const auto& item : statics) {
    QWidget* label = LabelWithText(*about, item.text);
    ASSERT_NE(label, nullptr) << item.text;
    EXPECT_EQ(label->geometry(), item.pixels) << item.text;
  }
  // An icon control takes the size of its icon, as on Windows: 32 x 32 at 11, 17.
  QLabel* icon = nullptr;
  for (QLabel* label : about->findChildren<QLabel*>()) {
    if (!label->pixmap().isNull()) icon = label;
  }
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->geometry(), QRect(19, 28, 32, 32));
}

void ExpectNoTextCutOff(const QWidget& dialog) {
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    const QFontMetrics metrics(label->font());
    const QRect needed =
        label->wordWrap() ? metrics.boundingRect(QRect(0, 0, label->width(), 0xFFFF),
                                                 Qt::AlignLeft | Qt::TextWordWrap, label->text())
                          : QRect(0, 0, metrics.horizontalAdvance(label->text()), metrics.height());
    EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
    EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
  }
  for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
    EXPECT_LT(QFontMetrics(button->font()).horizontalAdvance(button->text()), button->width());
  }
}

TEST_F(MainDialogTest, NoTextIsCutOff) {
  ExpectNoTextCutOff(*m_dialog);
  m_aboutButton->click();
  ASSERT_NE(VisibleAboutBox(), nullptr);
  ExpectNoTextCutOff(*VisibleAboutBox());
}

// The count is the code's own text, so it is checked at a size beyond any likely drop.
TEST(MeasuringDialogTest, ControlsSitWhereTheTemplatePutsThemAndNoTextIsCutOff) {
  CMeasuringDlg measuring;
  measuring.SetProgress(999999, 1000000);
  ExpectNoTextCutOff(measuring);
  if (!InJapanese()) GTEST_SKIP() << "the Japanese layout in IPAPGothic";
  EXPECT_EQ(measuring.size(), QSize(280, 88));  // 160 x 54
  const struct {
    const char* name;
    QRect pixels;
  } controls[] = {
      {"measuringBar", QRect(12, 31, 256, 16)},    // 7, 19, 146, 10
      {"measuringCount", QRect(12, 60, 158, 13)},  // 7, 37, 90, 8
      {"cancelButton", QRect(180, 54, 88, 23)},    // 103, 33, 50, 14
  };
  for (const auto& control : controls) {
    const auto* widget = measuring.findChild<QWidget*>(QString::fromLatin1(control.name));
    ASSERT_NE(widget, nullptr) << control.name;
    EXPECT_EQ(widget->geometry(), control.pixels) << control.name;
  }
  QWidget* caption = LabelWithText(measuring, "再生時間を読み取っています...");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->geometry(), QRect(12, 11, 256, 13));  // 7, 7, 146, 8
}

// Statics that process "&" prefixes, as Windows draws them and gives their mnemonics to the next
// tab stop: an edit field follows the first one; after the last, the next is the first, OK.
constexpr char kPrefixDialog[] = R"(#pragma code_page(65001)
1 DIALOG 0, 0, 200, 80
FONT 9, "ＭＳ Ｐゴシック"
BEGIN
  CONTROL "OK", 1, "BUTTON", 0x50010000, 140, 60, 50, 14
  CONTROL "&Name", -1, "STATIC", 0x50020000, 5, 5, 60, 8
  CONTROL "", 10, "EDIT", 0x50810080, 70, 5, 60, 12
  CONTROL "Tom && Jerry", -1, "STATIC", 0x50020000, 5, 20, 60, 8
  CONTROL "A && B", -1, "STATIC", 0x50020080, 5, 35, 60, 8
  CONTROL "&Last", -1, "STATIC", 0x50020000, 5, 50, 60, 8
END
)";

class StaticPrefixTest : public testing::Test {
 protected:
  void SetUp() override {
    QString error;
    const auto script = ui::ParseResourceScript(kPrefixDialog, &error);
    ASSERT_TRUE(script) << error.toStdString();
    m_built = ui::BuildDialog(m_dialog, script->languages.at(ui::kLangEnglishUs).dialogs.at(1));
    m_dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
  }

  QLabel* Static(std::size_t index) const {
    return qobject_cast<QLabel*>(m_built.controls.at(index).widget);
  }

  // The label as drawn, beside a plain label with the given text at the same place.
  std::pair<QImage, QImage> DrawnAndPlain(std::size_t index, const char* plainText) {
    QLabel* label = Static(index);
    QLabel plain(QString::fromUtf8(plainText), &m_dialog);
    plain.setFont(label->font());
    plain.setAlignment(label->alignment());
    plain.setGeometry(label->geometry());
    return {label->grab().toImage(), plain.grab().toImage()};
  }

  QDialog m_dialog;
  ui::BuiltDialog m_built;
};

struct ShownTextCase {
  std::size_t index;
  const char* shows;
};

void PrintTo(const ShownTextCase& c, std::ostream* out) { *out << c.shows; }

class StaticShownTextTest : public StaticPrefixTest,
                            public testing::WithParamInterface<ShownTextCase> {};

TEST_P(StaticShownTextTest, DrawsTheTextWindowsShows) {
  const auto [drawn, plain] = DrawnAndPlain(GetParam().index, GetParam().shows);
  EXPECT_EQ(drawn, plain) << GetParam().shows;
}

INSTANTIATE_TEST_SUITE_P(Statics, StaticShownTextTest,
                         testing::Values(ShownTextCase{3, "Tom & Jerry"},
                                         ShownTextCase{4, "A && B"}));

// Above the baseline the text is the plain one; below it, the mnemonic is underlined.
TEST_F(StaticPrefixTest, UnderlinesTheMnemonicInPlaceOfTheAmpersand) {
  for (const auto& [index, plainText] : {std::pair{1u, "Name"}, std::pair{5u, "Last"}}) {
    const auto [drawn, plain] = DrawnAndPlain(index, plainText);
    const int ascent = QFontMetrics(Static(index)->font()).ascent();
    EXPECT_EQ(drawn.copy(0, 0, drawn.width(), ascent), plain.copy(0, 0, plain.width(), ascent))
        << plainText;
    EXPECT_NE(drawn, plain) << plainText;
  }
}

TEST_F(StaticPrefixTest, MnemonicMovesTheFocusToTheNextTabStop) {
  QWidget* edit = m_built.Control(10);
  ASSERT_EQ(QApplication::focusWidget(), m_built.Control(1));
  QTest::keyClick(&m_dialog, Qt::Key_N, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), edit);
  // With no tab stop after it, the mnemonic comes round to the first one.
  QTest::keyClick(&m_dialog, Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), m_built.Control(1));
}

// As Windows creates one: at the start of 0 to 100, without text, never taking the focus.
TEST(ProgressBarTest, StartsEmptyWithoutTextAndTakesNoFocus) {
  QString error;
  const auto script = ui::ParseResourceScript(
      "1 DIALOG 0, 0, 100, 50\nBEGIN\n"
      "  CONTROL \"\", 5, \"MSCTLS_PROGRESS32\", 0x50800001, 5, 5, 90, 10\nEND\n",
      &error);
  ASSERT_TRUE(script) << error.toStdString();
  QDialog dialog;
  const ui::BuiltDialog built =
      ui::BuildDialog(dialog, script->languages.at(ui::kLangEnglishUs).dialogs.at(1));
  auto* bar = qobject_cast<QProgressBar*>(built.Control(5));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_FALSE(bar->isTextVisible());
  EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);
}

struct UnsupportedCase {
  const char* name;
  const char* control;
};

void PrintTo(const UnsupportedCase& c, std::ostream* out) { *out << c.name; }

class UnsupportedControlTest : public testing::TestWithParam<UnsupportedCase> {};

// A control the Qt shell has no widget for stops the program rather than show something else.
TEST_P(UnsupportedControlTest, StopsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const QByteArray script =
      QByteArray("1 DIALOG 0, 0, 100, 50\nBEGIN\n  ") + GetParam().control + "\nEND\n";
  QString error;
  const auto parsed = ui::ParseResourceScript(script, &error);
  ASSERT_TRUE(parsed) << error.toStdString();
  EXPECT_DEATH(
      {
        QDialog dialog;
        ui::BuildDialog(dialog, parsed->languages.at(ui::kLangEnglishUs).dialogs.at(1));
      },
      "dialog 1 has a .* control .* that the Qt shell cannot show");
}

INSTANTIATE_TEST_SUITE_P(
    Controls, UnsupportedControlTest,
    testing::Values(
        UnsupportedCase{"ListBox", R"(CONTROL "", 5, "LISTBOX", 0x50010000, 0, 0, 50, 40)"},
        UnsupportedCase{"CentredStatic", R"(CONTROL "a", -1, "STATIC", 0x1, 0, 0, 50, 8)"},
        UnsupportedCase{"CheckBox", R"(CONTROL "a", 5, "BUTTON", 0x50010002, 0, 0, 50, 8)"},
        UnsupportedCase{"EditWithAResourceNumber", R"(CONTROL 131, 5, "EDIT", 0x0, 0, 0, 50, 8)"},
        UnsupportedCase{"IconByName", R"(CONTROL "app", -1, "STATIC", 0x3, 0, 0, 20, 20)"},
        UnsupportedCase{"UprightProgressBar",
                        R"(CONTROL "", 5, "msctls_progress32", 0x50800004, 0, 0, 10, 50)"},
        UnsupportedCase{"MarqueeProgressBar",
                        R"(CONTROL "", 5, "msctls_progress32", 0x50800008, 0, 0, 50, 10)"}),
    [](const testing::TestParamInfo<UnsupportedCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
